#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "convert/Conversion.h"
#include "converter/RecordingLog.h"
#include "support/TestFiles.h"

using namespace qlnxdc;

using qlnx::ReadFile;

namespace {

class TScriptedAsker final : public TTrackZeroAsker
{
public:
    explicit TScriptedAsker(bool stop = false) : m_stop(stop) {}
    int Asked = 0;
    bool AskTrackZero() override
    {
        ++Asked;
        return m_stop;
    }

private:
    bool m_stop;
};

QByteArray CrLf(const QByteArray& lfText)
{
    QByteArray bytes = lfText;
    return bytes.replace("\n", "\r\n");
}

// A literal's bytes, NULs included.
template <std::size_t N> QByteArray WithNuls(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    TRecordingLog m_log;

    QString Dest() const { return m_tmp.path() + QStringLiteral("/out"); }
    QString Out(const QString& name) const { return Dest() + u'/' + name; }
    QStringList OutFiles() const
    {
        return QDir(Dest()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString WriteSource(const QByteArray& source)
    {
        const QString path = m_tmp.path() + QStringLiteral("/source");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(source) != source.size())
            qFatal("cannot write the source");
        return path;
    }

    TConversionResult Convert(const QByteArray& source, TSourceFormat format,
                              TTrackZeroAsker& asker)
    {
        return ConvertFile(WriteSource(source), Dest(), format, m_log, asker);
    }
    TConversionResult Convert(const QByteArray& source, TSourceFormat format = TSourceFormat::Kvt)
    {
        TScriptedAsker asker;
        return Convert(source, format, asker);
    }

    // The log line of the programme order of the only disc converted.
    QString OrderLogLine() const
    {
        for (const TLogLine& line : m_log.Lines) {
            if (line.Text.startsWith(QStringLiteral("Order  : ")))
                return line.Text;
        }
        return QStringLiteral("<no order line>");
    }

private Q_SLOTS:
    void init()
    {
        QDir(Dest()).removeRecursively();
        QDir().mkpath(Dest());
        m_log = TRecordingLog();
    }

    void oldKvtSection()
    {
        const auto result = Convert("[0A1B2C3D]\r\nartist=A\r\ntitle=T\r\norder=1 3 2\r\n"
                                    "1=x\r\n2=y\r\n3=z\r\n");
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Completed);
        QCOMPARE(ReadFile(Out("0A1B2C3D.dat")),
                 CrLf("[Artist]\nA\n\n[Title]\nT\n\n[Order]\n01-03-02\n\n"
                      "[Track01]\nx\n\n[Track02]\ny\n\n[Track03]\nz\n\n"));
        const QList<TLogLine> expected{B("0A1B2C3D"),          N("Artist : A"), N("Title  : T"),
                                       N("Order  : 01-03-02"), N("Tracks : 3"), N("")};
        QCOMPARE(m_log.Lines, expected);
        QCOMPARE(m_log.Clears, 1);
        QVERIFY(m_log.CaretAtStart);
    }

    void windowsStandardCountsFromZero()
    {
        TScriptedAsker asker;
        const auto result = Convert("[0A1B2C3D]\nartist=A\ntitle=T\norder=0 2 1\n0=x\n1=y\n2=z\n",
                                    TSourceFormat::WinStandard, asker);
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Completed);
        QCOMPARE(asker.Asked, 0);
        QCOMPARE(ReadFile(Out("0A1B2C3D.dat")),
                 CrLf("[Artist]\nA\n\n[Title]\nT\n\n[Order]\n01-03-02\n\n"
                      "[Track01]\nx\n\n[Track02]\ny\n\n[Track03]\nz\n\n"));
    }

    void missingItemsAreLoggedInRed()
    {
        Convert("[00000001]\n1=x\n3=z\n"
                "[00000002]\norder=1 5\n1=a\n2=b\n3=c\n"
                "[00000003]\nnothing here\n");
        QCOMPARE(ReadFile(Out("00000001.dat")), CrLf("[Track01]\nx\n\n[Track03]\nz\n\n"));
        QCOMPARE(ReadFile(Out("00000003.dat")), QByteArray());
        const QList<TLogLine> expected{
            B("00000001"),
            R("Artist : <Not found>"),
            R("Title  : <Not found>"),
            R("Order  : <Not found>"),
            R("Tracks : 3 (Track 2 not found)"),
            N(""),
            B("00000002"),
            R("Artist : <Not found>"),
            R("Title  : <Not found>"),
            N("Order  : 01-05"),
            R("Tracks : 5 (Track 4,5 not found)"),
            N(""),
            B("00000003"),
            R("Artist : <Not found>"),
            R("Title  : <Not found>"),
            R("Order  : <Not found>"),
            R("Tracks : <Not found>"),
            N(""),
        };
        QCOMPARE(m_log.Lines, expected);
    }

    void sectionNames()
    {
        Convert("artist=before any section\n"
                "[3a4b5c]\nartist=lower\n"
                "[]\nartist=empty\n"
                "[123456789abc]\nartist=long\n"
                "[a]b]\n[x] \n artist=not a key\n");
        QStringList bold;
        for (const TLogLine& line : m_log.Lines) {
            if (line.Style == TLogStyle::Bold)
                bold << line.Text;
        }
        // The log keeps the section name as it stands; the file name is upper-case, as the
        // player looks for it.
        QCOMPARE(bold, (QStringList{"003a4b5c", "00000000", "123456789abc"}));
        QCOMPARE(OutFiles(), (QStringList{"00000000.dat", "003A4B5C.dat", "123456789ABC.dat"}));
        QCOMPARE(ReadFile(Out("123456789ABC.dat")), CrLf("[Artist]\nlong\n\n"));
    }

    void keysAndValues()
    {
        Convert("[00000001]\r"
                "ARTIST=first\r\n"
                "Artist= second \n"
                "artist =not the key\n"
                "Title=a=b\n"
                "no equals sign\n"
                "numtracks=3\n"
                "x1=not a track\n"
                "\xef\xbc\x91=full-width digit\n"
                "01=one\n"
                "2=\n");
        QCOMPARE(ReadFile(Out("00000001.dat")),
                 CrLf("[Artist]\n second \n\n[Title]\na=b\n\n[Track01]\none\n\n"));
        // An empty name still counts as a track seen.
        QCOMPARE(m_log.Lines.at(4), R("Tracks : 2 (Track 2 not found)"));
    }

    // The player stops reading a disc data file at a NUL, so a value ends at one.
    void nulEndsAValue()
    {
        Convert(WithNuls("[00000001]\nartist=A\0B\ntitle=\0T\n1=x\0\n2=y\norder=1 2\0 x\n"));
        QCOMPARE(ReadFile(Out("00000001.dat")),
                 CrLf("[Artist]\nA\n\n[Order]\n01-02\n\n[Track01]\nx\n\n[Track02]\ny\n\n"));
        QCOMPARE(m_log.Lines.at(2), R("Title  : <Not found>"));
    }

    // Control characters would split a line; a header as a value would open a section.
    void valuesStayValues()
    {
        Convert("[00000001]\nartist=a\tb\x01"
                "c\ntitle=[track02]\n1=  [Title]\n2=[Track2]\n");
        QCOMPARE(ReadFile(Out("00000001.dat")),
                 CrLf("[Artist]\na b c\n\n[Title]\n [track02]\n\n[Track01]\n   [Title]\n\n"
                      "[Track02]\n[Track2]\n\n"));
    }

    void orderValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("logged");
        // Each value follows order=9 in the same section.
        QTest::newRow("plain") << QByteArray("1 3 2") << "Order  : 01-03-02";
        QTest::newRow("repeats") << QByteArray("5 5 12 1") << "Order  : 05-05-12-01";
        QTest::newRow("trailing space") << QByteArray("1 2 ") << "Order  : 01-02";
        QTest::newRow("leading zeros") << QByteArray("007 10") << "Order  : 07-10";
        QTest::newRow("two spaces") << QByteArray("1  2") << "Order  : 09";
        QTest::newRow("leading space") << QByteArray(" 1") << "Order  : 09";
        QTest::newRow("comma") << QByteArray("1,2") << "Order  : 09";
        QTest::newRow("two trailing spaces") << QByteArray("1  ") << "Order  : 09";
        QTest::newRow("empty") << QByteArray("") << "Order  : <Not found>";
        QTest::newRow("above 99") << QByteArray("1 100 99999999999999999999 2") << "Order  : 01-02";
    }

    void orderValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, logged);
        Convert("[00000001]\norder=9\norder=" + value + "\n");
        QCOMPARE(OrderLogLine(), logged);
    }

    void orderKeepsAHundredTracks()
    {
        QByteArray order = "order=";
        for (int i = 0; i < 150; ++i)
            order += QByteArray::number(i % 99 + 1) + ' ';
        Convert("[00000001]\n" + order + "\n");
        const QString line = OrderLogLine().mid(9);
        QCOMPARE(line.split(u'-').size(), 100);
        QVERIFY(line.endsWith(QStringLiteral("-01")));
    }

    void tracksAbove99AreSkipped()
    {
        Convert("[00000001]\n100=x\n99=y\n");
        QCOMPARE(ReadFile(Out("00000001.dat")), CrLf("[Track99]\ny\n\n"));
        QVERIFY(m_log.Lines.at(4).Text.startsWith(QStringLiteral("Tracks : 99 (Track 1,2,3,")));

        // After the increase of the Windows standard layout.
        Convert("[00000002]\n99=x\n98=y\norder=98 99\n", TSourceFormat::WinStandard);
        QCOMPARE(ReadFile(Out("00000002.dat")), CrLf("[Order]\n99\n\n[Track99]\ny\n\n"));
    }

    void trackZeroAnsweredNoSkipsEveryZero()
    {
        TScriptedAsker goOn(false);
        const auto result = Convert("[00000001]\n0=zero\n1=one\n"
                                    "[00000002]\norder=0 1\n0=zero\n1=one\n",
                                    TSourceFormat::Kvt, goOn);
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Completed);
        QCOMPARE(goOn.Asked, 1);
        QCOMPARE(ReadFile(Out("00000001.dat")), CrLf("[Track01]\none\n\n"));
        QCOMPARE(ReadFile(Out("00000002.dat")), CrLf("[Order]\n01\n\n[Track01]\none\n\n"));

        // Each run asks afresh.
        TScriptedAsker again(false);
        Convert("[00000001]\norder=0\n", TSourceFormat::Kvt, again);
        QCOMPARE(again.Asked, 1);
    }

    void trackZeroAnsweredYesStopsTheRun()
    {
        TScriptedAsker stop(true);
        const auto result = Convert("[00000001]\nartist=A\n1=one\n"
                                    "[00000002]\nartist=B\n1=one\n0=zero\n"
                                    "[00000003]\nartist=C\n",
                                    TSourceFormat::Kvt, stop);
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Stopped);
        QCOMPARE(stop.Asked, 1);
        QCOMPARE(OutFiles(), QStringList{"00000001.dat"});
        QCOMPARE(m_log.Lines.size(), 6);
        QCOMPARE(m_log.Lines.first(), B("00000001"));
        QVERIFY(!m_log.CaretAtStart);
    }

    void missingSourceWritesNothing()
    {
        m_log.Lines.append(N("from an earlier run"));
        TScriptedAsker asker;
        const QString path = m_tmp.path() + QStringLiteral("/no such file");
        const auto result = ConvertFile(path, Dest(), TSourceFormat::Kvt, m_log, asker);
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Failed);
        QCOMPARE(result.Message, QStringLiteral("ファイル %1 は開けません").arg(path));
        QVERIFY(m_log.Lines.isEmpty());
        QCOMPARE(m_log.Clears, 1);
        QVERIFY(OutFiles().isEmpty());
    }

    void unwritableOutputStopsAtThatDisc()
    {
        // A directory where the second disc's file should go.
        QDir().mkpath(Out("00000002.dat"));
        const auto result = Convert("[00000001]\nartist=A\n[00000002]\nartist=B\n"
                                    "[00000003]\nartist=C\n");
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Failed);
        QCOMPARE(result.Message,
                 QStringLiteral("ファイル %1 を作成できません").arg(Out("00000002.dat")));
        QCOMPARE(ReadFile(Out("00000001.dat")), CrLf("[Artist]\nA\n\n"));
        QVERIFY(!QFile::exists(Out("00000003.dat")));
        // The log shows the discs up to the failing one; no temporary file is left over.
        QCOMPARE(m_log.Lines.size(), 12);
        QCOMPARE(m_log.Lines.at(6), B("00000002"));
        QVERIFY(!m_log.CaretAtStart);
        QCOMPARE(OutFiles(), QStringList{"00000001.dat"});
    }

    void destinationThatIsNoDirectory()
    {
        QDir(Dest()).removeRecursively();
        QFile blocker(Dest());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TScriptedAsker asker;
        const auto result = Convert("[00000001]\nartist=A\n", TSourceFormat::Kvt, asker);
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Failed);
        QCOMPARE(result.Message,
                 QStringLiteral("ファイル %1 を作成できません").arg(Out("00000001.dat")));
        QFile::remove(Dest());
    }

    void failedWriteKeepsTheOldFile()
    {
        Convert("[00000001]\nartist=old\n");
        const QByteArray before = ReadFile(Out("00000001.dat"));
        const QString source = WriteSource("[00000001]\nartist=" + QByteArray(2000, 'x') + "\n");
        TScriptedAsker asker;

        // Writes past 1 KiB fail, as on a full file system.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        const auto result = ConvertFile(source, Dest(), TSourceFormat::Kvt, m_log, asker);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(result.Outcome == TConversionResult::TOutcome::Failed);
        QCOMPARE(ReadFile(Out("00000001.dat")), before);
        QCOMPARE(OutFiles(), QStringList{"00000001.dat"});
    }

    void pathUnsafeNamesAreNotWritten()
    {
        QDir().mkpath(m_tmp.path() + QStringLiteral("/out/sub"));
        const auto result = Convert("[../escaped]\nartist=A\n"
                                    "[sub/inside]\nartist=B\n"
                                    "[back\\slash]\nartist=C\n"
                                    "[tab\there]\nartist=D\n"
                                    "[00000005]\nartist=E\n");
        QVERIFY(result.Outcome == TConversionResult::TOutcome::Completed);
        QCOMPARE(OutFiles(), QStringList{"00000005.dat"});
        QVERIFY(QDir(Dest() + QStringLiteral("/sub")).isEmpty());
        QVERIFY(
            QDir(m_tmp.path()).entryList(QDir::Files).filter(QStringLiteral("ESCAPED")).isEmpty());
        // Every record is logged, with a red line that it was skipped before its blank line.
        QCOMPARE(m_log.Lines.size(), 4 * 7 + 6);
        QCOMPARE(m_log.Lines.at(0), B("../escaped"));
        QCOMPARE(m_log.Lines.at(5), R(NotWrittenLine()));
        QCOMPARE(m_log.Lines.at(6), N(""));
        QCOMPARE(m_log.Lines.at(21), B("tab\there"));
    }

    void textEncodings()
    {
        // Shift-JIS: [00000001] artist=アーティスト 1=曲
        Convert("[00000001]\r\nartist=\x83\x41\x81\x5b\x83\x65\x83\x42\x83\x58\x83\x67\r\n"
                "1=\x8b\xc8\r\n");
        QCOMPARE(ReadFile(Out("00000001.dat")),
                 CrLf("[Artist]\n\xe3\x82\xa2\xe3\x83\xbc\xe3\x83\x86\xe3\x82\xa3\xe3\x82\xb9"
                      "\xe3\x83\x88\n\n[Track01]\n\xe6\x9b\xb2\n\n"));
        QCOMPARE(m_log.Lines.at(1), N(QStringLiteral("Artist : アーティスト")));

        // UTF-8 with a byte-order mark: the first line is still a section header.
        Convert("\xef\xbb\xbf[00000002]\ntitle=\xe6\x9b\xb2\n");
        QCOMPARE(ReadFile(Out("00000002.dat")), CrLf("[Title]\n\xe6\x9b\xb2\n\n"));
    }

    void convertingAgainReplacesFiles()
    {
        Convert("[00000001]\nartist=first\n");
        Convert("[00000001]\nartist=second\n");
        QCOMPARE(ReadFile(Out("00000001.dat")), CrLf("[Artist]\nsecond\n\n"));
        QCOMPARE(OutFiles(), QStringList{"00000001.dat"});
    }

    void fileNames()
    {
        QCOMPARE(ConvertedFileName(QStringLiteral("/d"), QStringLiteral("0a1b2c3d")),
                 QStringLiteral("/d/0A1B2C3D.dat"));
        QCOMPARE(ConvertedFileName(QStringLiteral("/d/"), QStringLiteral("ßäx")),
                 QStringLiteral("/d/ßäX.dat"));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
