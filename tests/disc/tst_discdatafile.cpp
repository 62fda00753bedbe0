#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "disc/TrackSource.h"
#include "support/TestFiles.h"

using namespace qlnx;

namespace {

class TFakeSource final : public TTrackSource
{
public:
    quint32 TrackStart(int track) override { return quint32(track); }
    quint32 TrackLength(int) override { return 0x00020304; }
};

} // namespace

class TestDiscDataFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    TFakeSource m_source;

    QString ProgramDir() const { return m_dir.path() + u'/'; }

    // A model for a disc of trackCount tracks, loaded from bytes as its data file.
    void LoadFrom(TDiscModel& model, int trackCount, const QByteArray& bytes)
    {
        model.SetDiscID(0x00002F41);
        model.SetTrackCount(trackCount);
        WriteFile(DiscDataFileName(model, ProgramDir()), bytes);
        QVERIFY(!LoadDiscData(model, m_source, ProgramDir()));
    }

    QList<int> Order(const TDiscModel& model)
    {
        QList<int> order;
        for (int i = 0; i < model.OrderCount(); ++i)
            order.append(model.PlayOrder()[i]);
        return order;
    }

private Q_SLOTS:
    void init() { QDir(m_dir.path()).removeRecursively(); }

    void fileNames()
    {
        TDiscModel model;
        model.SetDiscID(0x00002F41);
        QCOMPARE(DiscDataFileName(model, QStringLiteral("/p/")),
                 QStringLiteral("/p/data/00002F41.dat"));
        model.SetDiscID(0xFFFFFFFF);
        QCOMPARE(DiscDataFileName(model, QStringLiteral("/p")),
                 QStringLiteral("/p/data/FFFFFFFF.dat"));
        model.SetDiscID(0x0A1B2C3D);
        model.SetDataDir(QStringLiteral("/srv/cd"));
        QCOMPARE(DiscDataFileName(model, QStringLiteral("/p")),
                 QStringLiteral("/srv/cd0A1B2C3D.dat"));
    }

    void writtenBytes()
    {
        TDiscModel model;
        model.SetDiscID(0x12);
        model.SetTrackCount(3);
        model.FillTracks(m_source);
        model.ResetOrders();
        model.SetArtist(QStringLiteral("A"));
        model.SetTitle(QString());
        const quint8 order[] = {5, 5, 12, 1};
        model.SetProgramOrder(order);
        model.Tracks(2).Lyrics = {{QStringLiteral("zero"), 0}};
        model.Tracks(3).Lyrics = {
            {QString(), 0}, {QStringLiteral(" Some words"), 65}, {QStringLiteral("late"), 6015}};
        QVERIFY(!SaveDiscData(model, ProgramDir()));
        const QByteArray expected =
            "[Artist]\r\nA\r\n\r\n[Title]\r\n\r\n\r\n[Order]\r\n05-05-12-01\r\n\r\n"
            "[Track01]\r\nTrack01\r\n\r\n"
            "[Track02]\r\nTrack02\r\n\r\n00:00:zero\r\n\r\n"
            "[Track03]\r\nTrack03\r\n\r\n00:00:\r\n01:05: Some words\r\n99:59:late\r\n\r\n";
        QCOMPARE(ReadFile(ProgramDir() + QStringLiteral("data/00000012.dat")), expected);
    }

    void saveThenLoadGivesTheSameDisc()
    {
        TDiscModel saved;
        saved.SetDiscID(0xCAFE0001);
        saved.SetTrackCount(4);
        saved.FillTracks(m_source);
        saved.ResetOrders();
        saved.SetArtist(QStringLiteral("山下 & 仲間"));
        saved.SetTitle(QStringLiteral("[not a header] 夏"));
        const quint8 order[] = {3, 1, 3, 4, 3};
        saved.SetProgramOrder(order);
        saved.Tracks(1).Name = QString();
        saved.Tracks(2).Name = QStringLiteral("[Track03]x");
        saved.Tracks(3).Name = QStringLiteral("雨の日");
        saved.Tracks(3).Lyrics = {
            {QStringLiteral("ふた"), 70}, {QStringLiteral("ひと"), 5}, {QString(), 5999}};
        QVERIFY(!SaveDiscData(saved, ProgramDir()));

        TDiscModel loaded;
        loaded.SetDiscID(0xCAFE0001);
        loaded.SetTrackCount(4);
        QVERIFY(!LoadDiscData(loaded, m_source, ProgramDir()));
        QCOMPARE(loaded.Artist(), saved.Artist());
        QCOMPARE(loaded.Title(), saved.Title());
        QCOMPARE(Order(loaded), (QList<int>{3, 1, 3, 4, 3}));
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(loaded.Tracks(n).Name, saved.Tracks(n).Name);
            QCOMPARE(loaded.Tracks(n).Lyrics, saved.Tracks(n).Lyrics);
        }
    }

    void orderLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QList<int>>("order");
        const QList<int> disc{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("repeats") << QByteArray("03-01-03") << QList<int>{3, 1, 3};
        QTest::newRow("out of range skipped") << QByteArray("3-1-12") << QList<int>{3, 1};
        QTest::newRow("zero skipped") << QByteArray("0-2") << QList<int>{2};
        QTest::newRow("comma") << QByteArray("1,2,3") << disc;
        QTest::newRow("double dash") << QByteArray("01--02") << disc;
        QTest::newRow("leading dash") << QByteArray("-01") << disc;
        QTest::newRow("blank inside") << QByteArray("01- 02") << disc;
        QTest::newRow("trailing dash") << QByteArray("01-02-") << QList<int>{1, 2};
        QTest::newRow("empty") << QByteArray("") << QList<int>{};
        QTest::newRow("nothing in range") << QByteArray("11-99") << QList<int>{};
        QTest::newRow("huge number") << QByteArray("99999999999999999999999-4") << QList<int>{4};
        QByteArray many;
        QList<int> hundred;
        for (int i = 0; i < 130; ++i) {
            many += (i ? "-" : "") + QByteArray::number(i % 10 + 1);
            if (i < 100)
                hundred.append(i % 10 + 1);
        }
        QTest::newRow("more than a hundred") << many << hundred;
    }
    void orderLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QList<int>, order);
        TDiscModel model;
        LoadFrom(model, 10, "[Order]\r\n" + line + "\r\n[Track01]\r\nOne\r\n");
        QCOMPARE(Order(model), order);
        QCOMPARE(model.ProgramOrder()[0], model.PlayOrder()[0]);
        QCOMPARE(model.Tracks(1).Name, QStringLiteral("One"));
    }

    void sectionsAreFoundByContent()
    {
        TDiscModel model;
        LoadFrom(model, 4,
                 "junk\n[TRACK02]\nSecond\n[title]\nT1\n[Title]\nT2\n[ARTIST]\nA1\n"
                 "[Artist] \nA2\n[Unknown]\nx\n[Track01]\n[Track02]\n[Track04]\n"
                 "01:00:late line\n[Track03]");
        QCOMPARE(model.Artist(), QStringLiteral("A1"));
        QCOMPARE(model.Title(), QStringLiteral("T1"));
        QCOMPARE(model.Tracks(1).Name, QStringLiteral("[Track02]"));
        QCOMPARE(model.Tracks(2).Name, QStringLiteral("Second"));
        QCOMPARE(model.Tracks(3).Name, QStringLiteral("Track03")); // header is the last line
        QCOMPARE(model.Tracks(4).Name, QStringLiteral("01:00:late line"));
        QVERIFY(IsNoLyrics(model.Tracks(4).Lyrics));
        QCOMPARE(Order(model), (QList<int>{1, 2, 3, 4}));
    }

    void lyricLines()
    {
        TDiscModel model;
        LoadFrom(model, 2,
                 "[Track01]\r\nName\r\n\r\n5:00:one digit\r\n00:00\r\n00:00:\r\nx0:10:no\r\n"
                 "00:75:  kept blanks\r\n99:99:max\r\n01-02:no\r\nplain words\r\n"
                 "[Track02]\r\nTwo\r\n\r\n\r\nnothing timed\r\n");
        const TLyricList expected{{QString(), 0},
                                  {QStringLiteral("  kept blanks"), 75},
                                  {QStringLiteral("max"), 99 * 60 + 99}};
        QCOMPARE(model.Tracks(1).Lyrics, expected);
        QVERIFY(IsNoLyrics(model.Tracks(2).Lyrics));
    }

    void lineEndsAndNul()
    {
        TDiscModel model;
        LoadFrom(model, 3,
                 QByteArray("[Artist]\rCR\r[Title]\nLF\r\n[Track01]\r\n\r\n[Track02]\r\r"
                            "[Track03]\nThree\n") +
                     QByteArray(1, '\0') + "[Order]\n3-2\n");
        QCOMPARE(model.Artist(), QStringLiteral("CR"));
        QCOMPARE(model.Title(), QStringLiteral("LF"));
        QCOMPARE(model.Tracks(1).Name, QString());
        QCOMPARE(model.Tracks(2).Name, QString());
        QCOMPARE(model.Tracks(3).Name, QStringLiteral("Three"));
        QCOMPARE(Order(model), (QList<int>{1, 2, 3})); // after the NUL nothing counts
    }

    void windowsFileLoadsAndIsWrittenBackAsUtf8()
    {
        QStringEncoder toCp932("CP932");
        const QString artist = QStringLiteral("中島みゆき");
        const QByteArray bytes = "[Artist]\r\n" + QByteArray(toCp932(artist)) +
                                 "\r\n[Track01]\r\n" + QByteArray(toCp932(QStringLiteral("ソ"))) +
                                 "\r\n00:05:" + QByteArray(toCp932(QStringLiteral("表示"))) +
                                 "\r\n";
        TDiscModel model;
        LoadFrom(model, 1, bytes);
        QCOMPARE(model.Artist(), artist);
        QCOMPARE(model.Tracks(1).Name, QStringLiteral("ソ"));
        QCOMPARE(model.Tracks(1).Lyrics, (TLyricList{{QStringLiteral("表示"), 5}}));

        QVERIFY(!SaveDiscData(model, ProgramDir()));
        const QByteArray written = ReadFile(DiscDataFileName(model, ProgramDir()));
        QVERIFY(written.contains(artist.toUtf8()));
        QVERIFY(written.contains(QStringLiteral("00:05:表示").toUtf8()));
    }

    void noDiscWritesNothing()
    {
        TDiscModel model;
        model.SetTrackCount(1);
        QVERIFY(!SaveDiscData(model, ProgramDir()));
        QVERIFY(!QDir(ProgramDir() + QStringLiteral("data")).exists());
    }

    void unreadableFileIsReportedAndDefaultsStand()
    {
        TDiscModel model;
        model.SetDiscID(0x77);
        model.SetTrackCount(2);
        const QString name = DiscDataFileName(model, ProgramDir());
        QVERIFY(QDir().mkpath(name)); // a directory where the file should be
        model.SetArtist(QStringLiteral("previous disc"));
        const auto message = LoadDiscData(model, m_source, ProgramDir());
        QCOMPARE(message.value_or(QString()), QStringLiteral("ファイル %1 は開けません").arg(name));
        QCOMPARE(model.Artist(), QStringLiteral("Artist"));
        QCOMPARE(model.OrderCount(), 2);

        // The defaults must not replace what could not be read; once the file is gone (or a
        // later load reads it) saving is the ordinary case again.
        QVERIFY(model.DataUnread());
        QCOMPARE(SaveDiscData(model, ProgramDir()).value_or(QString()),
                 QStringLiteral("ファイル %1 は読めなかったので上書きしません").arg(name));
        QVERIFY(QFileInfo(name).isDir());
        QVERIFY(QDir(name).removeRecursively());
        QVERIFY(!SaveDiscData(model, ProgramDir()));
        QVERIFY(!LoadDiscData(model, m_source, ProgramDir()));
        QVERIFY(!model.DataUnread());
    }

    void valuesThatWouldBreakTheFile()
    {
        TDiscModel model;
        LoadFrom(model, 4, "[Artist]\r\nKeep me\r\n");
        const QString name = DiscDataFileName(model, ProgramDir());
        const QByteArray before = ReadFile(name);
        model.SetArtist(QStringLiteral("first part\nsecond part"));
        QCOMPARE(SaveDiscData(model, ProgramDir()).value_or(QString()),
                 QStringLiteral("ファイル %1 に改行を含む値は書けません").arg(name));
        model.SetArtist(QStringLiteral("A"));
        model.Tracks(2).Lyrics = {{QStringLiteral("lyric one\r[Track02]"), 1}};
        QVERIFY(SaveDiscData(model, ProgramDir()));
        QCOMPARE(ReadFile(name), before);
        QCOMPARE(OneLineValue(QStringLiteral("a\r\nb\tc\x1f\u2028d")), QStringLiteral("a  b c  d"));

        QVERIFY(ReadsAsSectionHeader(QStringLiteral("[track04]")));
        QVERIFY(ReadsAsSectionHeader(QStringLiteral("[ORDER]")));
        QVERIFY(!ReadsAsSectionHeader(QStringLiteral("[Track00]")));
        QVERIFY(!ReadsAsSectionHeader(QStringLiteral(" [Track04]")));
        QVERIFY(!ReadsAsSectionHeader(QStringLiteral("[Track4]")));

        // Titles that look like headers, written by an older program: each section is still
        // found at its own header.
        LoadFrom(model, 4,
                 "[Artist]\n[Title]\n\n[Title]\nReal title\n[Track03]\n[Track04]\n\n"
                 "[Track04]\nFour\n00:10:line\n");
        QCOMPARE(model.Artist(), QStringLiteral("[Title]"));
        QCOMPARE(model.Title(), QStringLiteral("Real title"));
        QCOMPARE(model.Tracks(3).Name, QStringLiteral("[Track04]"));
        QCOMPARE(model.Tracks(4).Name, QStringLiteral("Four"));
        QCOMPARE(model.Tracks(4).Lyrics, (TLyricList{{QStringLiteral("line"), 10}}));
    }

    void failedSaveLeavesTheOldFile()
    {
        TDiscModel model;
        LoadFrom(model, 2, "[Artist]\r\nKeep me\r\n");
        const QString name = DiscDataFileName(model, ProgramDir());
        const QByteArray before = ReadFile(name);
        for (int i = 0; i < 2000; ++i)
            model.Tracks(1).Lyrics.append({QStringLiteral("a long enough line of lyrics"), i});
        model.SetArtist(QStringLiteral("Edited"));

        // Writes past 4 KiB fail, as on a full file system.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        const auto message = SaveDiscData(model, ProgramDir());
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(message.value_or(QString()),
                 QStringLiteral("ファイル %1 を作成できません").arg(name));
        QCOMPARE(ReadFile(name), before);
        QCOMPARE(QDir(QFileInfo(name).absolutePath()).entryList(QDir::Files),
                 QStringList{QFileInfo(name).fileName()});
        QCOMPARE(model.Artist(), QStringLiteral("Edited"));
    }

    void aShortWriteOfASmallFileIsAFailureToo()
    {
        // The whole text fits the device's buffer: the disk runs full only when it is flushed.
        TDiscModel model;
        LoadFrom(model, 2, "[Artist]\r\nKeep me\r\n");
        const QString name = DiscDataFileName(model, ProgramDir());
        const QByteArray before = ReadFile(name);
        model.SetArtist(QStringLiteral("Edited"));
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
        const auto message = SaveDiscData(model, ProgramDir());
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(message.has_value());
        QCOMPARE(ReadFile(name), before);
    }

    void uncreatableDirectoryIsReported()
    {
        TDiscModel model;
        model.SetDiscID(1);
        model.SetTrackCount(1);
        WriteFile(ProgramDir() + QStringLiteral("blocker"), "a file, not a directory");
        model.SetDataDir(QStringLiteral("blocker\\sub\\"));
        const auto message = SaveDiscData(model, ProgramDir());
        QVERIFY(message && message->contains(QStringLiteral("を作成できません")));
    }
};

QTEST_GUILESS_MAIN(TestDiscDataFile)
#include "tst_discdatafile.moc"
