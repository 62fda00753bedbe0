#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "convert/Cddb.h"
#include "converter/RecordingLog.h"
#include "discid/DiscIdentity.h"
#include "drive/CdioDisc.h"
#include "support/TestFiles.h"
#include "support/TestImage.h"

using namespace qlnxdc;

using qlnx::ReadFile;

namespace {

class TNeverAsked final : public TTrackZeroAsker
{
public:
    bool AskTrackZero() override { qFatal("a CDDB source has no track numbers to question"); }
};

QString Hex8(quint32 n)
{
    return QStringLiteral("%1").arg(n, 8, 16, QLatin1Char('0'));
}

// An entry as a CD player writes it, with a DISCID that agrees with its offsets.
QByteArray Entry(const QList<qint32>& offsets, int lengthSeconds, const QByteArray& keywords)
{
    QByteArray text = "# xmcd\n#\n# Track frame offsets:\n";
    for (qint32 offset : offsets)
        text += "#\t" + QByteArray::number(offset) + '\n';
    text += "#\n# Disc length: " + QByteArray::number(lengthSeconds) + " seconds\n#\n";
    text += "# Revision: 1\n#\nDISCID=" + Hex8(qlnx::CddbDiscId(offsets, lengthSeconds)).toLatin1();
    return text + '\n' + keywords;
}

const QList<qint32> FourTracks{150, 18000, 36000, 54000};

} // namespace

class TestCddb : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    TRecordingLog m_log;

    QString Src(const QString& name = QString()) const
    {
        return m_tmp.path() + QStringLiteral("/src") + (name.isEmpty() ? QString() : u'/' + name);
    }
    QString Dest() const { return m_tmp.path() + QStringLiteral("/out"); }
    QStringList OutFiles() const
    {
        return QDir(Dest()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray Out(const QString& identity) const
    {
        return ReadFile(Dest() + u'/' + identity + QStringLiteral(".dat"));
    }

    TConversionResult Convert(const QString& source)
    {
        TNeverAsked asker;
        return ConvertFile(source, Dest(), TSourceFormat::Cddb, m_log, asker);
    }
    // Converts one entry, written as the only file of the source folder.
    TConversionResult ConvertEntry(const QByteArray& bytes)
    {
        qlnx::WriteFile(Src(QStringLiteral("misc/entry")), bytes);
        return Convert(Src());
    }
    QString OrderLine() const
    {
        for (const TLogLine& line : m_log.Lines) {
            if (line.Text.startsWith(QStringLiteral("Order")))
                return line.Text;
        }
        return QStringLiteral("<no order line>");
    }

private Q_SLOTS:
    void init()
    {
        QDir(Src()).removeRecursively();
        QDir(Dest()).removeRecursively();
        QDir().mkpath(Src());
        QDir().mkpath(Dest());
    }

    void identityRules()
    {
        // The worked example of the identity (starts 0, 300, 600 without the lead-in).
        QCOMPARE(DiscIdentityFromOffsets({150, 450, 750}), 0x00001200u);
    }

    // The same table of contents through the CD layer (a disc image) and through an entry's
    // offsets names the same file.
    void identityMatchesTheCdLayer_data()
    {
        QTest::addColumn<QList<qlnx::TTestTrack>>("tracks");
        QTest::newRow("3 tracks") << QList<qlnx::TTestTrack>{{225}, {300, true, 30}, {150}};
        QList<qlnx::TTestTrack> twelve;
        for (int t = 0; t < 12; ++t)
            twelve.append({qint32(300 + 17 * t), true, t % 3 == 1 ? 150 : 0});
        QTest::newRow("12 tracks past a minute") << twelve;
        QTest::newRow("99 tracks") << QList<qlnx::TTestTrack>(99, {76});
    }
    void identityMatchesTheCdLayer()
    {
        QFETCH(QList<qlnx::TTestTrack>, tracks);
        const auto opened =
            qlnx::TCdioDisc::OpenImage(qlnx::WriteCueImage(m_tmp.path(), "disc", tracks));
        const auto& disc = opened.Disc;
        QVERIFY(disc);
        QList<qint32> offsets;
        qint32 sector = 0;
        for (const qlnx::TTestTrack& track : tracks) {
            sector += offsets.isEmpty() ? 0 : track.Pregap;
            QCOMPARE(disc->Toc().Tracks.at(offsets.size()).Start, sector);
            offsets.append(sector + 150);
            sector += track.Sectors;
        }
        ConvertEntry(Entry(offsets, (sector + 150) / 75, "DTITLE=A / T\n"));
        const QString identity = Hex8(disc->Serial()).toUpper();
        QCOMPARE(m_log.Bold(), QStringList{identity});
        QCOMPARE(OutFiles(), QStringList{identity + QStringLiteral(".dat")});
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("reason");
        const QString noOffsets =
            QStringLiteral("Not written: no usable list of track frame offsets");
        QTest::newRow("1 track") << Entry({150}, 60, "")
                                 << "Not written: the identity of a disc "
                                    "of 1 track cannot be derived (its lead-out is given in whole "
                                    "seconds only)";
        QTest::newRow("2 tracks") << Entry({150, 3000}, 60, "")
                                  << "Not written: the identity of a disc of 2 tracks cannot be "
                                     "derived (its lead-out is given in whole seconds only)";
        QTest::newRow("no list") << QByteArray("# xmcd\nDISCID=01000001\nDTITLE=x\n") << noOffsets;
        QTest::newRow("not rising") << Entry({150, 900, 600}, 60, "") << noOffsets;
        QTest::newRow("a start twice") << Entry({150, 600, 600}, 60, "") << noOffsets;
        QTest::newRow("past 100 minutes") << Entry({150, 600, 450000}, 6100, "") << noOffsets;
        QList<qint32> hundred;
        for (int t = 0; t < 100; ++t)
            hundred.append(150 + 100 * t);
        QTest::newRow("100 tracks") << Entry(hundred, 200, "") << noOffsets;
        QTest::newRow("damaged DISCID")
            << Entry(FourTracks, 1200, "DISCID=1d04ae05\n").replace("DISCID=1d04ae04\n", "")
            << "Not written: DISCID 1d04ae05 does not match the track frame offsets (1d04ae04)";
        QTest::newRow("DISCID without disc length")
            << QByteArray("# xmcd\n# Track frame offsets:\n# 150\n# 18000\n# 36000\n# 54000\n#\n"
                          "DISCID=1d000003\n")
            << "Not written: DISCID 1d000003 does not match the track frame offsets (1d....04)";
    }
    void refusedEntries()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QString, reason);
        QCOMPARE(ConvertEntry(entry).Outcome, TConversionResult::TOutcome::Completed);
        QCOMPARE(
            m_log.Lines,
            (QList<TLogLine>{{QStringLiteral("misc/entry"), TLogStyle::Bold}, R(reason), N("")}));
        QVERIFY(OutFiles().isEmpty());
    }

    void acceptedDiscIds_data()
    {
        QTest::addColumn<QByteArray>("entry");
        const QByteArray bare = "# xmcd\n# Track frame offsets:\n# 150\n# 18000\n# 36000\n"
                                "# 54000\n#\n# Disc length: 1200\n#\n";
        QTest::newRow("as written") << Entry(FourTracks, 1200, "");
        QTest::newRow("one of several, on two lines")
            << bare + "DISCID=0badf00d,\nDISCID= 1D04AE04,a1b2c3d4\n";
        QTest::newRow("no DISCID") << bare;
        QTest::newRow("no length to check")
            << QByteArray(bare).replace("# Disc length: 1200\n", "") + "DISCID=1dabcd04\n";
    }
    void acceptedDiscIds()
    {
        QFETCH(QByteArray, entry);
        ConvertEntry(entry);
        QCOMPARE(OutFiles(), QStringList{"00180200.dat"});
    }

    void titlesAndTracks()
    {
        ConvertEntry(Entry(FourTracks, 1200,
                           "DTITLE=Long Artist Na\nDTITLE=me / Disc / Title\nDYEAR=1999\n"
                           "TTITLE0=One\nTTITLE1=Two, first part\nEXTD=x\n"
                           "TTITLE1=, second part\nTTITLE3=Tab\\there\\nline\\\\back\\x\\\n"
                           "TTITLE3=n cut<NUL>lost\nTTITLE4=not a track of the disc\n"
                           "ttitle2=keys are upper-case\n")
                         .replace("<NUL>", QByteArray(1, '\0')));
        QCOMPARE(Out("00180200"), QByteArray("[Artist]\r\nLong Artist Name\r\n\r\n"
                                             "[Title]\r\nDisc / Title\r\n\r\n"
                                             "[Track01]\r\nOne\r\n\r\n"
                                             "[Track02]\r\nTwo, first part, second part\r\n\r\n"
                                             "[Track04]\r\nTab here line\\back\\x  cut\r\n\r\n"));
        const QList<TLogLine> expected{{QStringLiteral("00180200"), TLogStyle::Bold},
                                       N("Artist : Long Artist Name"),
                                       N("Title  : Disc / Title"),
                                       R("Order  : <Not found>"),
                                       R("Tracks : 4 (Track 3 not found)"),
                                       N("")};
        QCOMPARE(m_log.Lines, expected);

        // Without " / " the whole value is both artist and title.
        ConvertEntry(Entry(FourTracks, 1200, "DTITLE=Solo/Album\n"));
        QCOMPARE(Out("00180200"), QByteArray("[Artist]\r\nSolo/Album\r\n\r\n"
                                             "[Title]\r\nSolo/Album\r\n\r\n"));
    }

    void playOrder_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("logged");
        QTest::newRow("plain") << QByteArray("PLAYORDER=1,3,2") << "Order  : 01-03-02";
        QTest::newRow("blanks, repeats") << QByteArray("PLAYORDER= 4 , 4,1") << "Order  : 04-04-01";
        QTest::newRow("two lines")
            << QByteArray("PLAYORDER=1,2,\nPLAYORDER=3") << "Order  : 01-02-03";
        QTest::newRow("track 0") << QByteArray("PLAYORDER=0,1") << "Order  : <Not found>";
        QTest::newRow("beyond the disc") << QByteArray("PLAYORDER=1,5") << "Order  : <Not found>";
        QTest::newRow("empty entry") << QByteArray("PLAYORDER=1,,2") << "Order  : <Not found>";
        QTest::newRow("empty") << QByteArray("PLAYORDER=") << "Order  : <Not found>";
        QByteArray many = "PLAYORDER=4";
        for (int i = 0; i < 150; ++i)
            many += ",1";
        QTest::newRow("150 entries")
            << many << QString("Order  : 04" + QString("-01").repeated(99));
    }
    void playOrder()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, logged);
        ConvertEntry(Entry(FourTracks, 1200, lines + '\n'));
        QCOMPARE(OrderLine(), logged);
    }

    void encodings()
    {
        // ISO-8859-1 as the old format has it, UTF-8 (with a byte-order mark, CR LF) as later.
        ConvertEntry(Entry(FourTracks, 1200,
                           "DTITLE=Bj\xf6rk / D\xe9"
                           "but\n"));
        QCOMPARE(Out("00180200"), QByteArray("[Artist]\r\nBj\xc3\xb6rk\r\n\r\n[Title]\r\nD\xc3\xa9"
                                             "but\r\n\r\n"));
        ConvertEntry(
            "\xef\xbb\xbf" +
            Entry(FourTracks, 1200, "DTITLE=Bj\xc3\xb6rk / \xe6\x9b\xb2\n").replace("\n", "\r\n"));
        QCOMPARE(Out("00180200"),
                 QByteArray("[Artist]\r\nBj\xc3\xb6rk\r\n\r\n[Title]\r\n\xe6\x9b\xb2\r\n\r\n"));
    }

    void folderTree()
    {
        const QString outside = m_tmp.path() + QStringLiteral("/outside");
        qlnx::WriteFile(outside + QStringLiteral("/entry"), Entry({150, 300, 450}, 9, ""));
        qlnx::WriteFile(Src("rock/a"), Entry({150, 300, 900}, 20, "DTITLE=A / rock\n"));
        qlnx::WriteFile(Src("rock/notes.txt"), "not an entry\n");
        qlnx::WriteFile(Src("rock/empty"), QByteArray());
        qlnx::WriteFile(Src("misc/b"), Entry({150, 300, 600}, 20, "DTITLE=B / misc\n"));
        qlnx::WriteFile(Src("jazz/deep/c"), Entry({150, 300, 750}, 20, "DTITLE=C / jazz\n"));
        qlnx::WriteFile(Src("soundtrack/same"), Entry({150, 300, 900}, 20, "DTITLE=A / again\n"));
        QCOMPARE(::mkfifo(QFile::encodeName(Src("misc/fifo")).constData(), 0600), 0);
        QVERIFY(QFile::link(outside + QStringLiteral("/entry"), Src("file-out")));
        QVERIFY(QFile::link(outside, Src("folder-out")));
        QVERIFY(QFile::link(Src(), Src("jazz/loop")));
        QVERIFY(QFile::link(Src("misc/b"), Src("alias")));

        QCOMPARE(Convert(Src()).Outcome, TConversionResult::TOutcome::Completed);
        // By path: alias (= misc/b, taken there first), jazz, rock, soundtrack.
        QCOMPARE(m_log.Bold(), (QStringList{"00000E00", "00001000", "00001200", "00001200"}));
        QCOMPARE(m_log.Lines.size(), 4 * 6 + 1);
        QCOMPARE(m_log.Lines.at(23), R("Replaces the file written from rock/a (the same disc)"));
        QCOMPARE(OutFiles(), (QStringList{"00000E00.dat", "00001000.dat", "00001200.dat"}));
        QCOMPARE(Out("00001200"), QByteArray("[Artist]\r\nA\r\n\r\n[Title]\r\nagain\r\n\r\n"));

        // One file as the source; a file that is no entry; a source that is not there.
        QCOMPARE(Convert(Src("rock/a")).Outcome, TConversionResult::TOutcome::Completed);
        QCOMPARE(m_log.Bold(), QStringList{"00001200"});
        Convert(Src("rock/notes.txt"));
        QCOMPARE(m_log.Lines.at(1), R("Not written: the file does not begin with \"# xmcd\" "
                                      "(no CDDB entry)"));
        const QString missing = Src("missing");
        QCOMPARE(Convert(missing).Message, CannotOpenMessage(missing));
        QVERIFY(m_log.Lines.isEmpty());
    }

    void unwritableOutputStopsTheRun()
    {
        qlnx::WriteFile(Src("a"), Entry({150, 300, 600}, 20, "DTITLE=A / B\n"));
        qlnx::WriteFile(Src("b"), Entry({150, 300, 750}, 20, "DTITLE=A / B\n"));
        qlnx::WriteFile(Src("c"), Entry({150, 300, 900}, 20, "DTITLE=A / B\n"));
        QDir().mkpath(Dest() + QStringLiteral("/00001000.dat"));
        const TConversionResult result = Convert(Src());
        QCOMPARE(result.Outcome, TConversionResult::TOutcome::Failed);
        QCOMPARE(result.Message, CannotCreateMessage(Dest() + QStringLiteral("/00001000.dat")));
        QCOMPARE(OutFiles(), QStringList{"00000E00.dat"});
        QCOMPARE(m_log.Lines.size(), 12);
    }
};

QTEST_GUILESS_MAIN(TestCddb)
#include "tst_cddb.moc"
