#include <QSignalSpy>
#include <QTest>

#include "disc/DiscModel.h"
#include "disc/TrackSource.h"

using namespace qlnx;

namespace {

// Tracks of n minutes, n seconds and n frames each, so every field is told apart.
class TFakeSource final : public TTrackSource
{
public:
    quint32 TrackStart(int track) override { return quint32(track) | 0xAB000000u; }
    quint32 TrackLength(int track) override
    {
        return quint32(track) | quint32(track + 1) << 8 | quint32(track + 2) << 16;
    }
};

void LoadDefaults(TDiscModel& model, int trackCount)
{
    TFakeSource source;
    model.SetTrackCount(trackCount);
    model.FillTracks(source);
    model.ResetOrders();
}

} // namespace

class TestDiscModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsAfterFill()
    {
        TDiscModel model;
        LoadDefaults(model, 12);
        QCOMPARE(model.OrderCount(), 12);
        for (int n = 1; n <= 12; ++n) {
            const TTrackData& t = model.Tracks(n);
            QCOMPARE(t.Name, QStringLiteral("Track%1").arg(n, 2, 10, QLatin1Char('0')));
            QCOMPARE(t.StartPos, quint32(n) | 0xAB000000u);
            QCOMPARE(int(t.LengthMin), n);
            QCOMPARE(int(t.LengthSec), n + 1);
            QCOMPARE(int(t.LengthFrame), n + 2);
            QVERIFY(IsNoLyrics(t.Lyrics));
            QCOMPARE(int(model.PlayOrder()[n - 1]), n);
            QCOMPARE(int(model.ProgramOrder()[n - 1]), n);
        }
        QCOMPARE(model.Artist(), QStringLiteral("Artist"));
        QCOMPARE(model.Title(), QStringLiteral("Title"));
    }

    void shorterDiscLeavesHigherSlotsAlone()
    {
        TDiscModel model;
        LoadDefaults(model, 15);
        model.Tracks(14).Name = QStringLiteral("old fourteen");
        model.Tracks(14).Lyrics = {{QStringLiteral("old"), 3}};
        const TLyricList* listBefore = &model.Tracks(3).Lyrics;
        model.Tracks(3).Lyrics = {{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}};

        LoadDefaults(model, 12);
        QCOMPARE(model.TrackCount(), 12);
        QCOMPARE(model.Tracks(14).Name, QStringLiteral("old fourteen"));
        QCOMPARE(model.Tracks(14).Lyrics.size(), 1);
        // The list of a slot is the same object, cleared and refilled.
        QCOMPARE(&model.Tracks(3).Lyrics, listBefore);
        QVERIFY(IsNoLyrics(model.Tracks(3).Lyrics));
    }

    void limitsHold()
    {
        TDiscModel model;
        model.SetTrackCount(150);
        QCOMPARE(model.TrackCount(), 99);
        const QList<quint8> tooLong(101, quint8(1));
        model.SetPlayOrder(tooLong);
        QCOMPARE(model.OrderCount(), 100);
        model.SetPlayOrder({});
        QCOMPARE(model.OrderCount(), 0);
        QCOMPARE(model.PlayOrderTrack(1), 0);
    }

    void programRestoredAfterPlayOrderChanged()
    {
        TDiscModel model;
        LoadDefaults(model, 5);
        const quint8 programme[] = {5, 2, 2, 4};
        model.SetProgramOrder(programme);
        const quint8 shuffled[] = {2, 4, 5, 2};
        model.SetPlayOrder(shuffled);
        QCOMPARE(model.PlayOrderTrack(2), 4);
        model.CopyProgramToPlay();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(model.PlayOrder()[i], programme[i]);
    }

    void everyTextSetIsAnnounced()
    {
        TDiscModel model;
        QSignalSpy artist(&model, &TDiscModel::ArtistSet);
        QSignalSpy title(&model, &TDiscModel::TitleSet);
        model.SetArtist(QStringLiteral("Artist"));
        model.SetArtist(QStringLiteral("Artist"));
        model.SetTitle(QStringLiteral("盤"));
        QCOMPARE(artist.count(), 2);
        QCOMPARE(title.count(), 1);
        QCOMPARE(title.at(0).at(0).toString(), QStringLiteral("盤"));
    }

    void dataDirectoryResolution_data()
    {
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("default") << "data\\"
                                 << "/opt/qlnx/data/";
        QTest::newRow("relative nested") << "cd\\data\\"
                                         << "/opt/qlnx/cd/data/";
        QTest::newRow("absolute") << "/srv/cd/"
                                  << "/srv/cd/";
        QTest::newRow("network form") << "\\\\server\\cd\\"
                                      << "//server/cd/";
        QTest::newRow("no closing separator") << "/srv/cd"
                                              << "/srv/cd";
    }
    void dataDirectoryResolution()
    {
        QFETCH(QString, dataDir);
        QFETCH(QString, resolved);
        QCOMPARE(ResolveDataDir(dataDir, QStringLiteral("/opt/qlnx")), resolved);
        QCOMPARE(ResolveDataDir(dataDir, QStringLiteral("/opt/qlnx/")), resolved);
    }
};

QTEST_GUILESS_MAIN(TestDiscModel)
#include "tst_discmodel.moc"
