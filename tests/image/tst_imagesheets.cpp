#include <QTest>

#include "image/ImageSheet.h"

using namespace qlnx;

namespace {

constexpr qint64 Raw = 2352;

using TExtents = QList<TSheetExtent>;

QList<qint32> Starts(const TImageSheet& sheet)
{
    QList<qint32> starts;
    for (const TSheetTrack& t : sheet.Tracks)
        starts.append(t.Start);
    return starts;
}

// A sheet of n audio tracks of 10 sectors each.
QString CueOfTracks(int n)
{
    QString cue = QStringLiteral("FILE \"a.bin\" BINARY\n");
    for (int t = 1; t <= n; ++t)
        cue += QStringLiteral("TRACK %1 AUDIO\nINDEX 01 %2:%3:%4\n")
                   .arg(t)
                   .arg((t - 1) * 10 / 4500)
                   .arg((t - 1) * 10 / 75 % 60)
                   .arg((t - 1) * 10 % 75);
    return cue;
}

QString TocOfTracks(int n)
{
    QString toc = QStringLiteral("CD_DA\n");
    for (int t = 0; t < n; ++t)
        toc += QStringLiteral("TRACK AUDIO\nFILE \"a.bin\" %1 00:00:10\n").arg(t * 10 * 588);
    return toc;
}

} // namespace

// The CUE sheets and cdrdao TOC files of disc images read into tracks and the extents of
// their data file, and what either reader refuses.
class TestImageSheets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cueOfThreeTracksWithIndexZero()
    {
        // As the test images write it: 3 s; 30 sectors of INDEX 00 and 4 s; 2 s.
        const auto sheet = ParseCueSheet(QStringLiteral("FILE \"disc.bin\" BINARY\n"
                                                        "  TRACK 01 AUDIO\n"
                                                        "    INDEX 01 00:00:00\n"
                                                        "  TRACK 02 AUDIO\n"
                                                        "    INDEX 00 00:03:00\n"
                                                        "    INDEX 01 00:03:30\n"
                                                        "  TRACK 03 AUDIO\n"
                                                        "    INDEX 01 00:07:30\n"));
        QVERIFY(sheet);
        QCOMPARE(sheet->Files, (QList<TSheetFile>{{QStringLiteral("disc.bin"), TFileKind::Raw}}));
        QCOMPARE(Starts(*sheet), (QList<qint32>{0, 255, 555}));
        QCOMPARE(sheet->Extents, (TExtents{{0, 225, 0, 2352, 0},
                                           {225, 330, 225 * Raw, 2352, 0},
                                           {555, -1, 555 * Raw, 2352, 0}}));
        const auto layout = LayOutImage(*sheet, 705 * Raw);
        QVERIFY(layout);
        QCOMPARE(layout->Toc.LeadOut, 705);
        QCOMPARE(layout->Extents.back(), (TSheetExtent{555, 150, 555 * Raw, 2352, 0}));
        // A partial sector at the end is no sector; a file ending before the last track, or
        // right at its start, makes no disc.
        QCOMPARE(LayOutImage(*sheet, 705 * Raw + 100)->Toc.LeadOut, 705);
        QVERIFY(!LayOutImage(*sheet, 400 * Raw));
        QVERIFY(!LayOutImage(*sheet, 555 * Raw));
        QVERIFY(!LayOutImage(*sheet, 0));
    }

    void cueDataTracksAndPregaps()
    {
        // A data track, then audio after INDEX 00 of a second.
        const auto mixed = ParseCueSheet(QStringLiteral("FILE \"m.bin\" BINARY\n"
                                                        "TRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
                                                        "TRACK 02 AUDIO\nINDEX 00 00:01:25\n"
                                                        "INDEX 01 00:02:25\n"));
        QVERIFY(mixed);
        QCOMPARE(mixed->Tracks.at(0).Audio, false);
        QCOMPARE(mixed->Tracks.at(1).Audio, true);
        QCOMPARE(Starts(*mixed), (QList<qint32>{0, 175}));
        QCOMPARE(mixed->Extents, (TExtents{{0, 100, 0, 2352, 16}, {100, -1, 100 * Raw, 2352, 0}}));

        // PREGAP is silence not in the file: what follows moves on the disc, not in the file.
        const auto gap = ParseCueSheet(QStringLiteral("FILE \"a.bin\" BINARY\n"
                                                      "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                                      "TRACK 02 MODE2/2352\nPREGAP 00:02:00\n"
                                                      "INDEX 01 00:01:00\n"
                                                      "TRACK 03 AUDIO\nINDEX 01 00:02:00\n"));
        QVERIFY(gap);
        QCOMPARE(Starts(*gap), (QList<qint32>{0, 225, 300}));
        QCOMPARE(gap->Extents, (TExtents{{0, 75, 0, 2352, 0},
                                         {75, 150, -1, 2352, 0},
                                         {225, 75, 75 * Raw, 2352, 24},
                                         {300, -1, 150 * Raw, 2352, 0}}));
        QCOMPARE(LayOutImage(*gap, 200 * Raw)->Toc.LeadOut, 350);

        // Cooked sectors take less of the file.
        const auto cooked = ParseCueSheet(QStringLiteral("FILE \"a.bin\" BINARY\n"
                                                         "TRACK 01 MODE1/2048\nINDEX 01 00:00:00\n"
                                                         "TRACK 02 AUDIO\nINDEX 01 00:00:10\n"));
        QVERIFY(cooked);
        QCOMPARE(cooked->Extents, (TExtents{{0, 10, 0, 2048, 0}, {10, -1, 20480, 2352, 0}}));

        // A first track starting late keeps the file's start before it.
        const auto late =
            ParseCueSheet(QStringLiteral("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:02:00\n"));
        QVERIFY(late);
        QCOMPARE(Starts(*late), QList<qint32>{150});
        QCOMPARE(late->Extents, (TExtents{{0, -1, 0, 2352, 0}}));
    }

    void cueCdTextCrlfAndLetterCase()
    {
        const auto sheet = ParseCueSheet(QStringLiteral("REM GENRE Demo\r\n"
                                                        "PERFORMER \"The Band\"\r\n"
                                                        "title \"Demo Disc\"\r\n"
                                                        "file \"Demo Disc.BIN\" binary\r\n"
                                                        "  track 01 audio\r\n"
                                                        "    TITLE \"First\"\r\n"
                                                        "    PERFORMER \"Singer\"\r\n"
                                                        "    FLAGS DCP\r\n"
                                                        "    index 01 00:00:00\r\n"
                                                        "  TRACK 02 AUDIO\r\n"
                                                        "    TITLE Second\r\n"
                                                        "    INDEX 01 00:10:00\r\n"));
        QVERIFY(sheet);
        QCOMPARE(sheet->Files.at(0).Name, QStringLiteral("Demo Disc.BIN"));
        QCOMPARE(sheet->Title, QStringLiteral("Demo Disc"));
        QCOMPARE(sheet->Performer, QStringLiteral("The Band"));
        QCOMPARE(sheet->Tracks.at(0).Title, QStringLiteral("First"));
        QCOMPARE(sheet->Tracks.at(0).Performer, QStringLiteral("Singer"));
        QCOMPARE(sheet->Tracks.at(1).Title, QStringLiteral("Second"));
        QCOMPARE(sheet->Tracks.at(1).Performer, QString());
        QCOMPARE(Starts(*sheet), (QList<qint32>{0, 750}));
    }

    void cueTrackCounts()
    {
        const auto full = ParseCueSheet(CueOfTracks(99));
        QVERIFY(full);
        QCOMPARE(LayOutImage(*full, 1000 * Raw)->Toc.Tracks.size(), 99);
        QVERIFY(!ParseCueSheet(CueOfTracks(99) +
                               QStringLiteral("TRACK 100 AUDIO\nINDEX 01 00:20:00\n")));
    }

    void cueRefused_data()
    {
        QTest::addColumn<QString>("sheet");
        const QString head = QStringLiteral("FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\n");
        QTest::newRow("empty") << QString();
        QTest::newRow("junk") << QStringLiteral("nothing like a sheet\n");
        QTest::newRow("no FILE") << QStringLiteral("TRACK 01 AUDIO\nINDEX 01 00:00:00\n");
        QTest::newRow("FILE after TRACK")
            << QStringLiteral("TRACK 01 AUDIO\nFILE a.bin BINARY\nINDEX 01 00:00:00\n");
        QTest::newRow("no tracks") << QStringLiteral("FILE a.bin BINARY\n");
        QTest::newRow("MP3") << QStringLiteral(
            "FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
        QTest::newRow("FILE without type") << QStringLiteral("FILE \"a.bin\"\n");
        QTest::newRow("second file not measured")
            << head + QStringLiteral("INDEX 01 00:00:00\nFILE b.bin BINARY\nTRACK 02 AUDIO\n"
                                     "INDEX 01 00:00:00\n");
        QTest::newRow("no INDEX 01") << head + QStringLiteral("INDEX 00 00:00:00\n");
        QTest::newRow("track without INDEX 01 before the next")
            << head + QStringLiteral("TRACK 02 AUDIO\nINDEX 01 00:01:00\n");
        QTest::newRow("INDEX 00 after 01")
            << head + QStringLiteral("INDEX 01 00:00:00\nINDEX 00 00:00:00\n");
        QTest::newRow("INDEX 01 twice")
            << head + QStringLiteral("INDEX 01 00:00:00\nINDEX 01 00:01:00\n");
        QTest::newRow("INDEX 02 first") << head + QStringLiteral("INDEX 02 00:00:00\n");
        QTest::newRow("huge INDEX") << head + QStringLiteral("INDEX 01 99999999999:00:00\n");
        QTest::newRow("INDEX of 100 minutes") << head + QStringLiteral("INDEX 01 100:00:00\n");
        QTest::newRow("INDEX seconds 60") << head + QStringLiteral("INDEX 01 00:60:00\n");
        QTest::newRow("INDEX frames 75") << head + QStringLiteral("INDEX 01 00:00:75\n");
        QTest::newRow("negative INDEX") << head + QStringLiteral("INDEX 01 -1:00:00\n");
        QTest::newRow("INDEX without time") << head + QStringLiteral("INDEX 01\n");
        QTest::newRow("index number 100") << head + QStringLiteral("INDEX 100 00:00:00\n");
        QTest::newRow("track before the previous one")
            << head + QStringLiteral("INDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n");
        QTest::newRow("track numbers going back")
            << QStringLiteral("FILE a.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
                              "TRACK 01 AUDIO\nINDEX 01 00:01:00\n");
        QTest::newRow("track 0") << QStringLiteral(
            "FILE a.bin BINARY\nTRACK 00 AUDIO\nINDEX 01 00:00:00\n");
        QTest::newRow("unknown mode")
            << QStringLiteral("FILE a.bin BINARY\nTRACK 01 VIDEO\nINDEX 01 00:00:00\n");
        QTest::newRow("PREGAP after INDEX")
            << head + QStringLiteral("INDEX 01 00:00:00\nPREGAP 00:02:00\n");
        QTest::newRow("negative PREGAP")
            << head + QStringLiteral("PREGAP -00:02:00\nINDEX 01 00:00:00\n");
        QTest::newRow("POSTGAP before INDEX")
            << head + QStringLiteral("POSTGAP 00:02:00\nINDEX 01 00:00:00\n");
        QTest::newRow("INDEX after POSTGAP")
            << head + QStringLiteral("INDEX 01 00:00:00\nPOSTGAP 00:02:00\nINDEX 02 00:01:00\n");
    }
    void cueRefused()
    {
        QFETCH(QString, sheet);
        QCOMPARE(ParseCueSheet(sheet), std::nullopt);
    }

    void cueTracksWithoutSectors()
    {
        // Two tracks at one place: the sheet reads, but makes no disc.
        const auto same = ParseCueSheet(QStringLiteral("FILE a.bin BINARY\n"
                                                       "TRACK 01 AUDIO\nINDEX 01 00:01:00\n"
                                                       "TRACK 02 AUDIO\nINDEX 01 00:01:00\n"));
        QVERIFY(same);
        QVERIFY(!LayOutImage(*same, 1000 * Raw));
    }

    void tocAsTheTestsWriteIt()
    {
        const auto sheet =
            ParseTocFile(QStringLiteral("CD_DA\n"
                                        "TRACK AUDIO\nFILE \"data.bin\" 0 00:02:00\n"
                                        "TRACK AUDIO\nFILE \"data.bin\" 00:02:00 00:02:00\n"));
        QVERIFY(sheet);
        QCOMPARE(sheet->Files,
                 (QList<TSheetFile>{{QStringLiteral("data.bin"), TFileKind::RawOrAudio}}));
        QCOMPARE(Starts(*sheet), (QList<qint32>{0, 150}));
        QCOMPARE(sheet->Extents, (TExtents{{0, 150, 0, 2352, 0}, {150, 150, 150 * Raw, 2352, 0}}));
        // The lead-out is where the sheet ends, whatever the file's size beyond the last track's
        // start.
        QCOMPARE(LayOutImage(*sheet, 300 * Raw)->Toc.LeadOut, 300);
        QCOMPARE(LayOutImage(*sheet, 200 * Raw)->Toc.LeadOut, 300);
        QVERIFY(!LayOutImage(*sheet, 150 * Raw));
    }

    void tocDataPregapsSamplesAndCdText()
    {
        const auto sheet = ParseTocFile(
            QStringLiteral("// written by hand\r\n"
                           "CD_ROM\r\n"
                           "CATALOG \"0000000000000\"\r\n"
                           "CD_TEXT { LANGUAGE_MAP { 0 : EN }\r\n"
                           "  LANGUAGE 0 { TITLE \"Disc \\\"One\\\"\" PERFORMER \"Band\" } }\r\n"
                           "TRACK MODE1\r\n"
                           "DATAFILE \"img.bin\" 00:01:00 // 75 sectors of 2048 bytes\r\n"
                           "TRACK AUDIO\r\n"
                           "NO COPY\r\n"
                           "CD_TEXT { LANGUAGE 0 { TITLE \"Song\" PERFORMER \"Singer\" } }\r\n"
                           "PREGAP 00:02:00\r\n"
                           "FILE \"img.bin\" #153600 0 00:01:00\r\n"
                           "TRACK AUDIO\r\n"
                           "AUDIOFILE \"img.bin\" #153600 00:01:00 1000\r\n"
                           "SILENCE 588\r\n"
                           "START\r\n"
                           "INDEX 00:00:10\r\n"
                           "FILE \"img.bin\" #153600 00:01:02\r\n"));
        QVERIFY(sheet);
        QCOMPARE(sheet->Title, QStringLiteral("Disc \"One\""));
        QCOMPARE(sheet->Performer, QStringLiteral("Band"));
        QCOMPARE(sheet->Tracks.at(1).Title, QStringLiteral("Song"));
        QCOMPARE(sheet->Tracks.at(1).Performer, QStringLiteral("Singer"));
        QCOMPARE(sheet->Tracks.at(0).Audio, false);
        QCOMPARE(Starts(*sheet), (QList<qint32>{0, 225, 303}));
        // 1000 samples take two sectors.
        QCOMPARE(sheet->Extents, (TExtents{{0, 75, 0, 2048, 0},
                                           {75, 150, -1, 2352, 0},
                                           {225, 75, 153600, 2352, 0},
                                           {300, 2, 153600 + 75 * Raw, 2352, 0},
                                           {302, 1, -1, 2352, 0},
                                           {303, -1, 153600 + 77 * Raw, 2352, 0}}));
        QCOMPARE(LayOutImage(*sheet, 153600 + 100 * Raw)->Toc.LeadOut, 326);
    }

    void tocTrackCounts()
    {
        QVERIFY(ParseTocFile(TocOfTracks(99)));
        QCOMPARE(LayOutImage(*ParseTocFile(TocOfTracks(99)), 990 * Raw)->Toc.Tracks.size(), 99);
        QCOMPARE(ParseTocFile(TocOfTracks(100)), std::nullopt);
    }

    void tocRefused_data()
    {
        QTest::addColumn<QString>("toc");
        const QString track = QStringLiteral("CD_DA\nTRACK AUDIO\n");
        QTest::newRow("empty") << QString();
        QTest::newRow("junk") << QStringLiteral("nothing like a toc file\n");
        QTest::newRow("no TRACK") << QStringLiteral("CD_DA\nFILE \"a.bin\" 0\n");
        QTest::newRow("no FILE") << track + QStringLiteral("SILENCE 00:02:00\n");
        QTest::newRow("length 0") << track + QStringLiteral("FILE \"a.bin\" 0 0\n");
        QTest::newRow("length 00:00:00") << track + QStringLiteral("FILE \"a.bin\" 0 00:00:00\n");
        QTest::newRow("SILENCE 0") << track + QStringLiteral("SILENCE 0\nFILE \"a.bin\" 0\n");
        QTest::newRow("negative start") << track + QStringLiteral("FILE \"a.bin\" -5 00:01:00\n");
        QTest::newRow("negative length") << track + QStringLiteral("FILE \"a.bin\" 0 -00:01:00\n");
        QTest::newRow("huge length") << track + QStringLiteral("FILE \"a.bin\" 0 99999999999\n");
        QTest::newRow("huge offset")
            << track + QStringLiteral("FILE \"a.bin\" #99999999999999 0 00:01:00\n");
        QTest::newRow("bad offset") << track + QStringLiteral("FILE \"a.bin\" #x 0\n");
        QTest::newRow("no start") << track + QStringLiteral("FILE \"a.bin\"\n");
        QTest::newRow("name not quoted") << track + QStringLiteral("FILE a.bin 0\n");
        QTest::newRow("empty name") << track + QStringLiteral("FILE \"\" 0\n");
        QTest::newRow("standard input") << track + QStringLiteral("FILE \"-\" 0\n");
        QTest::newRow("data after the file's end")
            << track + QStringLiteral("FILE \"a.bin\" 0\nTRACK AUDIO\nFILE \"a.bin\" 0\n");
        QTest::newRow("unterminated string") << track + QStringLiteral("FILE \"a.bin 0\n");
        QTest::newRow("unterminated CD_TEXT")
            << QStringLiteral("CD_TEXT { LANGUAGE 0 { TITLE \"x\" }\n") + track +
                   QStringLiteral("FILE \"a.bin\" 0\n");
        QTest::newRow("START beyond the track")
            << track + QStringLiteral("FILE \"a.bin\" 0 00:01:00\nSTART 00:02:00\n");
        QTest::newRow("START twice")
            << track + QStringLiteral("FILE \"a.bin\" 0 00:01:00\nSTART\nSTART\n");
        QTest::newRow("PREGAP after data")
            << track + QStringLiteral("FILE \"a.bin\" 0 00:01:00\nPREGAP 00:02:00\n");
        QTest::newRow("sub-channel data")
            << QStringLiteral("TRACK AUDIO RW_RAW\nFILE \"a.bin\" 0\n");
        QTest::newRow("unknown mode") << QStringLiteral("TRACK VIDEO\nFILE \"a.bin\" 0\n");
        QTest::newRow("unknown statement")
            << track + QStringLiteral("FIFO \"pipe\" 100\nFILE \"a.bin\" 0\n");
        QTest::newRow("stray brace") << track + QStringLiteral("}\nFILE \"a.bin\" 0\n");
    }
    void tocRefused()
    {
        QFETCH(QString, toc);
        QCOMPARE(ParseTocFile(toc), std::nullopt);
    }

    void tocTracksWithoutSectors()
    {
        // A last track of no sectors, a data file starting past the file's end: no disc.
        const auto empty = ParseTocFile(
            QStringLiteral("TRACK AUDIO\nFILE \"a.bin\" 0 00:01:00\nTRACK AUDIO\nSTART\n"));
        QVERIFY(empty);
        QVERIFY(!LayOutImage(*empty, 100 * Raw));
        const auto far = ParseTocFile(QStringLiteral("TRACK AUDIO\nFILE \"a.bin\" 00:10:00 10\n"));
        QVERIFY(far);
        QVERIFY(!LayOutImage(*far, 100 * Raw));
    }

    void cueOfSeveralFiles()
    {
        // Files of 100 and 50 sectors: a hidden first track (INDEX 01 past the file's start),
        // a track's INDEX 00 at the end of the file before, POSTGAP and PREGAP silence.
        const TFileBytes bytes = [](const TSheetFile& f) -> std::optional<qint64> {
            if (f.Name == QLatin1String("gone.wav"))
                return std::nullopt;
            return (f.Name == QLatin1String("a.wav") ? 100 : 50) * Raw;
        };
        const QString text = QStringLiteral("REM DISCID 0A001B03\nFILE \"a.wav\" WAVE\n"
                                            "TRACK 01 AUDIO\nINDEX 01 00:00:30\n"
                                            "TRACK 02 AUDIO\nINDEX 00 00:01:15\n"
                                            "FILE \"b.flac\" WAVE\nINDEX 01 00:00:10\n"
                                            "POSTGAP 00:00:05\n"
                                            "FILE \"c.aif\" AIFF\nTRACK 03 AUDIO\n"
                                            "PREGAP 00:00:02\nINDEX 01 00:00:00\n"
                                            "POSTGAP 00:00:03\n");
        const auto sheet = ParseCueSheet(text, bytes);
        QVERIFY(sheet);
        QCOMPARE(sheet->DiscId, QStringLiteral("0A001B03"));
        QCOMPARE(sheet->Files.size(), 3);
        QCOMPARE(Starts(*sheet), (QList<qint32>{30, 110, 157}));
        QCOMPARE(sheet->Extents, (TExtents{{0, 90, 0, 2352, 0, 0},
                                           {90, 10, 90 * Raw, 2352, 0, 0},
                                           {100, 50, 0, 2352, 0, 1},
                                           {150, 5, -1, 2352, 0, 0},
                                           {155, 2, -1, 2352, 0, 0},
                                           {157, 50, 0, 2352, 0, 2},
                                           {207, 3, -1, 2352, 0, 0}}));
        const auto layout = LayOutImage(*sheet, QList<qint64>{100 * Raw, 50 * Raw, 50 * Raw});
        QVERIFY(layout);
        QCOMPARE(layout->Toc.LeadOut, 210);
        // Files missing or shorter than the times given within them, or not measured: no disc.
        QVERIFY(!ParseCueSheet(text));
        QVERIFY(!ParseCueSheet(
            QString(text).replace(QStringLiteral("b.flac"), QStringLiteral("gone.wav")), bytes));
        QVERIFY(!ParseCueSheet(
            QString(text).replace(QStringLiteral("00:01:15"), QStringLiteral("00:01:60")), bytes));
        QVERIFY(!ParseCueSheet(
            QString(text).replace(QStringLiteral("00:01:15"), QStringLiteral("00:02:00")), bytes));
    }

    void freedbIds()
    {
        // Independently worked out: digit sums of the start seconds (with the lead-in), the
        // length in seconds, the track count.
        QCOMPARE(FreedbId({{{0, true}}, 705}), 0x02000901u);
        QCOMPARE(FreedbId({{{0, true}, {150, true}, {7500, false}}, 22500}), 0x09012C03u);
    }

    void tocAsReadFromAnEnhancedDisc()
    {
        // Audio in a WAV file, the data track in a file of its own; CD-Text with escapes.
        const TFileBytes bytes = [](const TSheetFile& f) -> std::optional<qint64> {
            return f.Name == QLatin1String("data.wav") ? 225 * Raw : 75 * 2048;
        };
        const auto sheet = ParseTocFile(
            QStringLiteral("CD_ROM_XA\nCATALOG \"0000000000000\"\n"
                           "CD_TEXT {\n  LANGUAGE_MAP {\n    0: EN\n  }\n  LANGUAGE 0 {\n"
                           "    TITLE \"N\\334GUNS\"\n    PERFORMER \"Jos\\351 Gonz\\341lez\"\n"
                           "    SIZE_INFO { 0, 1, 2, 0, 8, 12 }\n  }\n}\n"
                           "// Track 1\nTRACK AUDIO\nNO COPY\nNO PRE_EMPHASIS\n"
                           "TWO_CHANNEL_AUDIO\nISRC \"USABC0000001\"\n"
                           "CD_TEXT {\n  LANGUAGE 0 {\n    TITLE \"Say \\\"Hi\\\" \\\\o/\"\n"
                           "  }\n}\nFILE \"data.wav\" 0 00:02:00\n"
                           "TRACK AUDIO\nFILE \"data.wav\" 00:02:00\nSTART 00:00:30\n"
                           "TRACK MODE2_FORM1\nZERO MODE2_FORM_MIX 00:00:10\n"
                           "DATAFILE \"data_3.bin\" 00:01:00 // length in bytes: 153600\n"),
            bytes);
        QVERIFY(sheet);
        QCOMPARE(sheet->Title, QStringLiteral("N\u00dcGUNS"));
        QCOMPARE(sheet->Performer, QStringLiteral("Jos\u00e9 Gonz\u00e1lez"));
        QCOMPARE(sheet->Tracks.at(0).Title, QStringLiteral("Say \"Hi\" \\o/"));
        QCOMPARE(sheet->Files,
                 (QList<TSheetFile>{{QStringLiteral("data.wav"), TFileKind::RawOrAudio},
                                    {QStringLiteral("data_3.bin"), TFileKind::Raw}}));
        QCOMPARE(Starts(*sheet), (QList<qint32>{0, 180, 225}));
        QCOMPARE(LayOutImage(*sheet, {225 * Raw, 75 * 2048})->Toc.LeadOut, 310);
        // Without a length the second track runs to the WAV file's end only when measured.
        QVERIFY(!ParseTocFile(QStringLiteral("TRACK AUDIO\nFILE \"data.wav\" 0\n"
                                             "TRACK MODE1\nDATAFILE \"d.bin\" 00:00:10\n")));
        const auto measured = ParseTocFile(QStringLiteral("TRACK AUDIO\nFILE \"data.wav\" 0\n"
                                                          "TRACK MODE1\nDATAFILE \"d.bin\"\n"),
                                           bytes);
        QVERIFY(measured);
        QCOMPARE(Starts(*measured), (QList<qint32>{0, 225}));
    }

    void extentLookup()
    {
        const TExtents extents{{0, 10, 0, 2352, 0}, {10, 5, -1, 2352, 0}, {15, 1, 100, 2352, 0}};
        QCOMPARE(ExtentAt(extents, -1), nullptr);
        QCOMPARE(ExtentAt(extents, 0), &extents.at(0));
        QCOMPARE(ExtentAt(extents, 9), &extents.at(0));
        QCOMPARE(ExtentAt(extents, 10), &extents.at(1));
        QCOMPARE(ExtentAt(extents, 15), &extents.at(2));
        QCOMPARE(ExtentAt(extents, 16), nullptr);
        QCOMPARE(ExtentAt({}, 0), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestImageSheets)
#include "tst_imagesheets.moc"
