#include <QTest>

#include "disc/Tmsf.h"
#include "lyrics/LyricsSync.h"

using namespace qlnx;

namespace {

// Remembers what the screen shows and every write to it, in order.
class TRecordingSink final : public TPositionSink
{
public:
    void SetGauge(const TGaugePosition& position) override
    {
        Progress = position.Progress;
        GaugeText = position.Text;
        Log << QStringLiteral("progress %1").arg(position.Progress)
            << QStringLiteral("text ") + position.Text;
    }
    bool LyricsVisible() const override { return Visible; }
    QString CurLyricsText() const override { return Cur; }
    QString NextLyricsText() const override { return Next; }
    void SetCurLyricsText(const QString& text) override
    {
        Cur = text;
        Log << QStringLiteral("cur ") + text;
    }
    void SetNextLyricsText(const QString& text) override
    {
        Next = text;
        Log << QStringLiteral("next ") + text;
    }

    QStringList PanelWrites() const
    {
        QStringList writes;
        for (const QString& entry : Log)
            if (entry.startsWith(QLatin1String("cur ")) || entry.startsWith(QLatin1String("next ")))
                writes << entry;
        return writes;
    }

    bool Visible = true;
    int Progress = -1;
    QString GaugeText;
    QString Cur;
    QString Next;
    QStringList Log;
};

TLyricList Lines(std::initializer_list<std::pair<const char*, int>> lines)
{
    TLyricList list;
    for (const auto& [text, time] : lines)
        list.append({QString::fromUtf8(text), time});
    return list;
}

// A loaded disc of three tracks, played in the order 3, 1, 2.
void LoadDisc(TDiscModel& model)
{
    model.SetDiscID(0x1234);
    model.SetTrackCount(3);
    const quint8 order[] = {3, 1, 2};
    model.SetPlayOrder(order);
    for (int t = 1; t <= 3; ++t)
        SetNoLyrics(model.Tracks(t).Lyrics);
}

} // namespace

Q_DECLARE_METATYPE(TLyricList)

class TestLyricsSync : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selection_data()
    {
        QTest::addColumn<TLyricList>("lyrics");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("next");

        const TLyricList ab = Lines({{"A", 15}, {"B", 30}});
        QTest::newRow("before the first stamp") << ab << 10 << "A"
                                                << "B";
        QTest::newRow("a second before the next") << ab << 29 << "A"
                                                  << "B";
        QTest::newRow("at a stamp") << ab << 30 << "B"
                                    << "";
        QTest::newRow("after the last") << ab << 4000 << "B"
                                        << "";

        const TLyricList backwards = Lines({{"A", 10}, {"B", 5}, {"C", 20}});
        QTest::newRow("out of order, scan stops at A") << backwards << 7 << "A"
                                                       << "B";
        QTest::newRow("out of order, past A") << backwards << 12 << "B"
                                              << "C";

        const TLyricList equal = Lines({{"A", 10}, {"B", 10}, {"C", 20}});
        QTest::newRow("equal stamps, before") << equal << 9 << "A"
                                              << "B";
        QTest::newRow("equal stamps, at") << equal << 10 << "B"
                                          << "C";

        QTest::newRow("no lyrics") << Lines({{"", 0}}) << 75 << ""
                                   << "";
        const TLyricList single = Lines({{"X", 0}});
        QTest::newRow("one line at 0:00") << single << 0 << "X"
                                          << "";
        QTest::newRow("one line later on") << single << 300 << "X"
                                           << "";
        QTest::newRow("one late line, before it") << Lines({{"X", 90}}) << 3 << "X"
                                                  << "";

        const TLyricList blank = Lines({{"A", 0}, {"", 20}, {"C", 40}});
        QTest::newRow("blank line ahead") << blank << 10 << "A"
                                          << "";
        QTest::newRow("blank line current") << blank << 25 << ""
                                            << "C";

        QTest::newRow("negative stamp") << Lines({{"A", -5}, {"B", 3}}) << 0 << "A"
                                        << "B";
        QTest::newRow("empty list") << TLyricList{} << 10 << ""
                                    << "";
    }

    void selection()
    {
        QFETCH(TLyricList, lyrics);
        QFETCH(int, position);
        QFETCH(QString, current);
        QFETCH(QString, next);
        const TLyricLines lines = SelectLyricLines(lyrics, position);
        QCOMPARE(lines.Current, current);
        QCOMPARE(lines.Next, next);
    }

    void gaugeValues()
    {
        // The track and frame bytes do not count.
        QCOMPARE(GaugePosition(PackTmsf(9, 0, 7, 74)), (TGaugePosition{7, QStringLiteral("0:07")}));
        QCOMPARE(GaugePosition(PackTmsf(1, 12, 5, 0)),
                 (TGaugePosition{725, QStringLiteral("12:05")}));
        QCOMPARE(GaugePosition(PackTmsf(1, 255, 59, 0)),
                 (TGaugePosition{15359, QStringLiteral("255:59")}));
        QCOMPARE(FormatMinSec(4, 5), QStringLiteral("4:05"));
    }

    void usesTheCurrentTrackOfThePlayOrder()
    {
        TDiscModel model;
        LoadDisc(model);
        model.Tracks(1).Lyrics = Lines({{"one", 0}});
        model.Tracks(3).Lyrics = Lines({{"three", 0}, {"three b", 65}});
        TRecordingSink sink;

        // Order entry 1 is track 3; the track byte of the position names another track.
        SyncPosition(model, 1, PackTmsf(1, 1, 5, 74), sink);
        QCOMPARE(sink.Log, (QStringList{"progress 65", "text 1:05", "cur three b", "next "}));

        SyncPosition(model, 2, PackTmsf(1, 0, 0, 0), sink);
        QCOMPARE(sink.Cur, QStringLiteral("one"));
        QCOMPARE(sink.Next, QString());
    }

    void setsThePanelsOnlyOnChangeAndThenBoth()
    {
        TDiscModel model;
        LoadDisc(model);
        model.Tracks(3).Lyrics = Lines({{"A", 15}, {"B", 30}, {"C", 45}});
        TRecordingSink sink;

        SyncPosition(model, 1, PackTmsf(3, 0, 16, 0), sink);
        SyncPosition(model, 1, PackTmsf(3, 0, 16, 0), sink);
        SyncPosition(model, 1, PackTmsf(3, 0, 17, 0), sink);
        QCOMPARE(sink.PanelWrites(), (QStringList{"cur A", "next B"}));
        // The gauge hears of every position; it repaints only on change by itself.
        QCOMPARE(sink.Log.count(QStringLiteral("text 0:16")), 2);

        // Only the next line differs from the screen: both are set, current first.
        sink.Next = QStringLiteral("stale");
        sink.Log.clear();
        SyncPosition(model, 1, PackTmsf(3, 0, 20, 0), sink);
        QCOMPARE(sink.PanelWrites(), (QStringList{"cur A", "next B"}));
    }

    void hiddenLyricsWindowKeepsThePanels()
    {
        TDiscModel model;
        LoadDisc(model);
        model.Tracks(3).Lyrics = Lines({{"A", 15}, {"B", 30}});
        TRecordingSink sink;
        sink.Visible = false;
        sink.Cur = QStringLiteral("old");

        SyncPosition(model, 1, PackTmsf(3, 0, 31, 0), sink);
        QCOMPARE(sink.Log, (QStringList{"progress 31", "text 0:31"}));
        QCOMPARE(sink.Cur, QStringLiteral("old"));

        // Shown again: the next position brings the panels in step.
        sink.Visible = true;
        SyncPosition(model, 1, PackTmsf(3, 0, 31, 0), sink);
        QCOMPARE(sink.Cur, QStringLiteral("B"));
        QCOMPARE(sink.Next, QString());
    }

    void orderIndexNamingNoTrackShowsNoLyrics()
    {
        TDiscModel model;
        LoadDisc(model);
        model.Tracks(3).Lyrics = Lines({{"A", 0}});
        TRecordingSink sink;
        sink.Cur = QStringLiteral("old");
        SyncPosition(model, 0, PackTmsf(3, 0, 1, 0), sink);
        QCOMPARE(sink.Cur, QString());
        const quint8 withoutTrack[] = {3, 1, 0};
        model.SetPlayOrder(withoutTrack);
        QCOMPARE(CurrentLyrics(model, 3), nullptr);
        QCOMPARE(CurrentLyrics(model, 4), nullptr);
        QCOMPARE(CurrentLyrics(model, 1), &model.Tracks(3).Lyrics);
    }

    void dependRule()
    {
        TDiscModel model;
        LoadDisc(model);
        model.Tracks(3).Lyrics = Lines({{"A", 0}});
        model.Tracks(2).Lyrics = Lines({{"", 5}}); // a blank line at 0:05 still counts
        QVERIFY(DependShowsLyricsForm(model, 1));
        QVERIFY(!DependShowsLyricsForm(model, 2));
        QVERIFY(DependShowsLyricsForm(model, 3));
        model.SetDiscID(0);
        QVERIFY(!DependShowsLyricsForm(model, 1));
    }
};

QTEST_GUILESS_MAIN(TestLyricsSync)
#include "tst_lyricssync.moc"
