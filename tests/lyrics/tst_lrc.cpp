#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "lyrics/Lrc.h"
#include "support/TestFiles.h"

using namespace qlnx;

namespace {

TLyricList Lines(std::initializer_list<std::pair<int, const char*>> lines)
{
    TLyricList list;
    for (const auto& [time, text] : lines)
        list.append(TLyricEntry{QString::fromUtf8(text), time});
    return list;
}

} // namespace

class TestLrc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTimeTagsSortedWithMetadataAnywhere()
    {
        // Metadata between and after the lines, a repeated chorus on one line, a line without
        // a fraction and one with milliseconds: sorted by time, equal times in file order.
        const QString text = QStringLiteral("[ti:Song]\n"
                                            "[00:21.10][00:45.99]Chorus\r\n"
                                            "[ar:Someone]\n"
                                            "[00:12.00]First\n"
                                            "[00:21.50]Same second, later\n"
                                            "[00:03]Intro\n"
                                            "[00:30.125] leading blank kept\n"
                                            "\n"
                                            "[al:Album]\n");
        QCOMPARE(ParseLrc(text), Lines({{3, "Intro"},
                                        {12, "First"},
                                        {21, "Chorus"},
                                        {21, "Same second, later"},
                                        {30, " leading blank kept"},
                                        {45, "Chorus"}}));
    }

    void skipsMalformedLines()
    {
        const QString text = QStringLiteral("plain words\n"
                                            "[00:1x.00]broken digits\n"
                                            "[00:75.00]seconds out of range\n"
                                            "[00:10.00\n"
                                            "[00:05.00]kept\n"
                                            "<00:07.00>word timing only\n");
        QCOMPARE(ParseLrc(text), Lines({{5, "kept"}}));
        QVERIFY(ParseLrc(QString()).isEmpty());
    }

    void longTracksAndOffsets()
    {
        // Past 99 minutes; a text that itself starts with a bracket after the time tag.
        QCOMPARE(ParseLrc(QStringLiteral("[100:02.50][Outro] end\n")),
                 Lines({{6002, "[Outro] end"}}));

        // A positive offset shows lines sooner, whether it comes before or after them; a line
        // moved before the start stays at 0:00 and keeps its place. The fraction counts before
        // it is dropped: 10.40 - 0.50 is 9.90, so second 9.
        QCOMPARE(ParseLrc(QStringLiteral("[00:00.20]Start\n[00:10.40]Ten\n[offset:+500]\n")),
                 Lines({{0, "Start"}, {9, "Ten"}}));
        QCOMPARE(ParseLrc(QStringLiteral("[offset:-1500]\n[00:01.60]Late\n")),
                 Lines({{3, "Late"}}));
        // An offset that is not a number changes nothing.
        QCOMPARE(ParseLrc(QStringLiteral("[offset:soon]\n[00:02.00]Two\n")), Lines({{2, "Two"}}));
    }

    void filesFromOtherPlayers()
    {
        // Word times go and the words stay at the line's time; a bad stamp does not take the
        // good ones of its line along.
        QCOMPARE(ParseLrc(QStringLiteral("[00:04.00]<00:04.449>Hello <00:05.000>world "
                                         "[00:06.10]again<00:07.00>\n"
                                         "[02:83.37][08:33.75]good stamp\n"
                                         "[00:10.]x\n[1234567:00.00]too long\n")),
                 Lines({{4, "Hello world again"}, {513, "good stamp"}}));
        // The most extreme offsets neither overflow nor lose the line.
        QCOMPARE(ParseLrc(QStringLiteral("[offset:9223372036854775807]\n[00:01.00]a\n")),
                 Lines({{0, "a"}}));
        const TLyricList late =
            ParseLrc(QStringLiteral("[offset:-9223372036854775808]\n[00:01.00]a\n"));
        QVERIFY(late.size() == 1 && late.first().Time > 6000);

        // Without timed lines: the plain ones, unless the file is no text at all.
        const TLrcText plain =
            ReadLrcText(QStringLiteral("[ar:x]\nplain one\n\n  two \n[00:75]x\n"));
        QVERIFY(plain.Lyrics.isEmpty());
        QCOMPARE(plain.PlainLines, (QStringList{"plain one", "two"}));
        QVERIFY(ReadLrcText(QStringLiteral("abc\x01\x02\nwords\n")).PlainLines.isEmpty());
        QVERIFY(ReadLrcText(QStringLiteral("[00:01]a\nwords\n")).PlainLines.isEmpty());
    }

    void writesTagsThenOneLinePerEntry()
    {
        const QByteArray bytes = WriteLrc(Lines({{65, "Ein Schritt"}, {0, ""}, {6015, "歌"}}),
                                          QStringLiteral("Ärtist"), QStringLiteral("Title"));
        QCOMPARE(bytes, QStringLiteral("[ar:Ärtist]\r\n[ti:Title]\r\n[01:05.00]Ein Schritt\r\n"
                                       "[00:00.00]\r\n[100:15.00]歌\r\n")
                            .toUtf8());
        // What is written reads back as it was, once in time order.
        QCOMPARE(ParseLrc(QString::fromUtf8(bytes)),
                 Lines({{0, ""}, {65, "Ein Schritt"}, {6015, "歌"}}));
    }

    void filesAndTheirFailures()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("song.lrc"));

        // Not valid UTF-8: read as CP932.
        {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[00:01.00]\x89\xcc\n"); // 歌 in CP932
        }
        TLyricList read;
        QCOMPARE(LoadLrcFile(name, read), std::nullopt);
        QCOMPARE(read, Lines({{1, "歌"}}));

        // Writing replaces the old file whole.
        QCOMPARE(SaveLrcFile(name, Lines({{2, "new"}}), QStringLiteral("A"), QStringLiteral("T")),
                 std::nullopt);
        QCOMPARE(ReadFile(name), QByteArray("[ar:A]\r\n[ti:T]\r\n[00:02.00]new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"song.lrc"});

        const QString missing = dir.filePath(QStringLiteral("nowhere/song.lrc"));
        read = Lines({{7, "untouched"}});
        QCOMPARE(LoadLrcFile(missing, read), CannotOpenMessage(missing));
        QCOMPARE(read, Lines({{7, "untouched"}}));
        QCOMPARE(SaveLrcFile(missing, {}, {}, {}), CannotCreateMessage(missing));
        QVERIFY(!QFile::exists(missing));

        // A folder of that name is neither read nor replaced.
        const QString folder = dir.filePath(QStringLiteral("folder.lrc"));
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(LoadLrcFile(folder, read), CannotOpenMessage(folder));
        QCOMPARE(SaveLrcFile(folder, {}, {}, {}), CannotCreateMessage(folder));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestLrc)
#include "tst_lrc.moc"
