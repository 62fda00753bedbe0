#include <QTest>

#include "cdio/SheetFile.h"

using namespace qlnx;

// Reading the data files a CUE sheet names, and rewriting the names in a cdrdao TOC file.
class TestSheetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cueFileLines()
    {
        const QString sheet = QStringLiteral("REM FILE \"not this.bin\" BINARY\r\n"
                                             "PERFORMER \"FILE\"\r\n"
                                             "FILE \"Album One.bin\" BINARY\r\n"
                                             "  TRACK 01 AUDIO\r\n"
                                             "    INDEX 01 00:00:00\r\n"
                                             "\tfile second.wav wave\r\n"
                                             "File \"曲.BIN\"  Binary\n");
        QCOMPARE(CueSheetFiles(sheet),
                 (QList<TCueFile>{{QStringLiteral("Album One.bin"), QStringLiteral("BINARY")},
                                  {QStringLiteral("second.wav"), QStringLiteral("WAVE")},
                                  {QStringLiteral("曲.BIN"), QStringLiteral("BINARY")}}));
        QVERIFY(CueSheetFiles(QStringLiteral("TRACK 01 AUDIO\nFILE\n")).isEmpty());
    }

    void dataFileLibcdioExpects()
    {
        QCOMPARE(ImpliedCueDataPath(QStringLiteral("/m/Album.cue")),
                 std::optional<QString>(QStringLiteral("/m/Album.bin")));
        QCOMPARE(ImpliedCueDataPath(QStringLiteral("/m/Album.CUE")),
                 std::optional<QString>(QStringLiteral("/m/Album.BIN")));
        QCOMPARE(ImpliedCueDataPath(QStringLiteral("/m/Album.Cue")), std::nullopt);
        QCOMPARE(ImpliedCueDataPath(QStringLiteral("/m/Album.toc")), std::nullopt);
    }

    void tocNamesRewritten()
    {
        const QString toc = QStringLiteral("CD_DA\n"
                                           "// FILE \"comment.bin\" 0\n"
                                           "TRACK AUDIO\n"
                                           "FILE \"a.bin\" 0 00:02:00\n"
                                           "TRACK AUDIO\n"
                                           "  AUDIOFILE \"sub/b.wav\" 0\n"
                                           "TRACK MODE1\n"
                                           "DATAFILE \"/abs/c.bin\"\n"
                                           "TRACK AUDIO\n"
                                           "FILE \"-\" 0 00:01:00\n");
        QStringList asked;
        const auto resolve = [&asked](const QString& name) -> QString {
            asked.append(name);
            return QStringLiteral("/dir/") + name;
        };
        QCOMPARE(RewriteTocFileNames(toc, resolve),
                 std::optional<QString>(QStringLiteral("CD_DA\n"
                                                       "// FILE \"comment.bin\" 0\n"
                                                       "TRACK AUDIO\n"
                                                       "FILE \"/dir/a.bin\" 0 00:02:00\n"
                                                       "TRACK AUDIO\n"
                                                       "  AUDIOFILE \"/dir/sub/b.wav\" 0\n"
                                                       "TRACK MODE1\n"
                                                       "DATAFILE \"/abs/c.bin\"\n"
                                                       "TRACK AUDIO\n"
                                                       "FILE \"-\" 0 00:01:00\n")));
        QCOMPARE(asked, (QStringList{QStringLiteral("a.bin"), QStringLiteral("sub/b.wav")}));

        // Nothing relative: nothing to rewrite.
        QCOMPARE(
            RewriteTocFileNames(QStringLiteral("CD_DA\nTRACK AUDIO\nFILE \"/x.bin\" 0\n"), resolve),
            std::nullopt);
        QCOMPARE(asked.size(), 2);
    }

    void tocEscapes()
    {
        // The name as the file system knows it goes to resolve; the result is escaped again.
        QString seen;
        const auto resolve = [&seen](const QString& name) -> QString {
            seen = name;
            return QStringLiteral("/d\\ir/\"") + name;
        };
        const auto rewritten = RewriteTocFileNames(
            QStringLiteral("FILE \"say \\\"hi\\\" \\\\ \\n.bin\" 0\n"), resolve);
        QCOMPARE(seen, QStringLiteral("say \"hi\" \\ \\n.bin"));
        QCOMPARE(rewritten, std::optional<QString>(QStringLiteral(
                                "FILE \"/d\\\\ir/\\\"say \\\"hi\\\" \\\\ \\\\n.bin\" 0\n")));
    }
};

QTEST_GUILESS_MAIN(TestSheetFile)
#include "tst_sheetfile.moc"
