// Disc ids of known tables of contents, the services' answers read into candidates and rows,
// and the candidates ordered and marked against the disc.

#include <QtTest>

#include "drive/CdioDevice.h"
#include "online/LookupToc.h"
#include "online/OnlineParse.h"
#include "online/OnlineSettings.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

using namespace qlnx;

namespace {

// A table given as the drive lists it: offsets with the lead-in, the lead-out first.
TLookupToc TocOf(qint32 leadOut, QList<qint32> offsets)
{
    TLookupToc toc;
    for (qint32 offset : offsets)
        toc.Starts.append(offset - 150);
    toc.LeadOut = leadOut - 150;
    return toc;
}

const QByteArray ReleasesJson = R"({"id":"ID-1","releases":[
 {"title":"Box","date":"2001-03","country":"JP","artist-credit":[{"name":"A","joinphrase":" feat. "},{"name":"B"}],
  "media":[{"format":"CD","discs":[{"id":"other"}],"tracks":[{"title":"x","length":1000}]},
           {"format":"CD","discs":[{"id":"ID-1"}],"tracks":[{"title":"One","length":60000},{"title":"Two","length":null}]}]},
 {"title":"Wrong edit","date":"2003","artist-credit":[{"name":"A"}],
  "media":[{"format":"Digital Media","tracks":[{"title":"One","length":60000},{"title":"Two","length":90000}]}]},
 {"title":"Three media, none ours","media":[{"discs":[]},{"discs":[]}]},
 {"title":"Short","media":[{"discs":[{"id":"ID-1"}],"tracks":[{"title":"Only"}]}]}]})";

} // namespace

class TstOnlineParse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Off unless the file says otherwise; the user's yes is written at once, keeping the rest.
    void settings()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("qlnx.ini"));
        QCOMPARE(ReadOnlineSettings(TIniFile(name)), TOnlineSettings{});
        QVERIFY(!TOnlineSettings{}.Enabled);
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Option]\nRepeat=0\n[online]\nmusicbrainzurl=http://127.0.0.1:8/\n"
                   "Timeout=0\n");
        file.close();
        TOnlineSettings s = ReadOnlineSettings(TIniFile(name));
        QCOMPARE(s.MusicBrainzUrl, QStringLiteral("http://127.0.0.1:8"));
        QCOMPARE(s.TimeoutSeconds, 1);
        QVERIFY(!StoreOnlineEnabled(name));
        const TIniFile again(name);
        s = ReadOnlineSettings(again);
        QVERIFY(s.Enabled);
        QCOMPARE(s.MusicBrainzUrl, QStringLiteral("http://127.0.0.1:8"));
        QCOMPARE(again.ReadInteger(QStringLiteral("Option"), QStringLiteral("Repeat"), 1), 0);
    }

    void discIds_data()
    {
        QTest::addColumn<TLookupToc>("toc");
        QTest::addColumn<QString>("musicBrainz");
        QTest::addColumn<quint32>("freedb");
        QTest::newRow("7 tracks") << TocOf(164900,
                                           {150, 22460, 50197, 80614, 100828, 133318, 144712})
                                  << "ybYRHGr1rfATUisnRFX8rjrtKec-" << 0x6e089407u;
        QTest::newRow("22 tracks")
            << TocOf(303602, {150,    9700,   25887,  39297,  53795,  63735,  77517,  94877,
                              107270, 123552, 135522, 148422, 161197, 174790, 192022, 205545,
                              218010, 228700, 239590, 255470, 266932, 288750})
            << "xUp1F2NkfP8s8jaeFn_Av3jNEI4-" << 0x370fce16u;
        QTest::newRow("1 track") << TocOf(20000, {150}) << "vqTXXJKiuhBULri5fBp9_cTNgIo-"
                                 << 0x02010801u;
        QTest::newRow("no tracks") << TLookupToc{} << QString() << 0u;
        QTest::newRow("not rising") << TocOf(5000, {150, 150}) << QString() << 0u;
        QTest::newRow("lead-out first") << TocOf(150, {150}) << QString() << 0u;
    }
    void discIds()
    {
        QFETCH(TLookupToc, toc);
        QFETCH(QString, musicBrainz);
        QFETCH(quint32, freedb);
        QCOMPARE(MusicBrainzDiscId(toc), musicBrainz);
        QCOMPARE(FreedbDiscId(toc), freedb);
    }

    // The ids come from the table the drive reads, not from the track lengths: a hidden first
    // track starts past sector 0, and the data track of an enhanced disc is left out of the
    // first service's id (its audio session ends 11400 sectors before it) but counts for the
    // other. Expected values worked out by hand from the services' formulas.
    void idsOfTheTableAsRead()
    {
        QTemporaryDir dir;
        const auto image = [&dir](const QString& name, qint32 sectors, const QByteArray& tracks) {
            QFile bin(dir.filePath(name + QStringLiteral(".bin")));
            if (!bin.open(QIODevice::WriteOnly) || !bin.resize(qint64(sectors) * 2352))
                return QString();
            const QString cue = dir.filePath(name + QStringLiteral(".cue"));
            WriteFile(cue, "FILE \"" + name.toLatin1() + ".bin\" BINARY\n" + tracks);
            return cue;
        };
        const QString hidden = image(QStringLiteral("hidden"), 40000,
                                     "TRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\n"
                                     "TRACK 02 AUDIO\nINDEX 01 04:26:50\n");
        const QString enhanced = image(QStringLiteral("enhanced"), 60000,
                                       "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                       "TRACK 02 AUDIO\nINDEX 01 03:20:00\n"
                                       "TRACK 03 MODE1/2352\nINDEX 01 09:12:00\n");
        TCdioDevice device(TCdioDeviceSetup{.ImagePaths = {hidden, enhanced},
                                            .PhysicalDrives = false,
                                            .ReadAhead = TReadAhead::Inline,
                                            .Monitor = {.PollMs = 10}});
        const QStringList drives = device.EnumerateCdDrives();
        QCOMPARE(drives.size(), 2);
        QTRY_VERIFY(device.DrivesSettled());

        device.OpenDevice(drives[0]);
        TLookupToc toc = LookupTocOf(device.DiscToc());
        QCOMPARE(toc.Starts, (QList<qint32>{150, 20000}));
        QCOMPARE(MusicBrainzDiscId(toc), QStringLiteral("u767iaEpJTX7h5mfGbLKeJnIGII-"));
        QCOMPARE(FreedbDiscId(toc), 0x14021302u);

        device.OpenDevice(drives[1]);
        toc = LookupTocOf(device.DiscToc());
        QCOMPARE(toc.TrailingDataTracks, 1);
        QCOMPARE(toc.TrackLengthMs(1), 200000);
        QCOMPARE(MusicBrainzDiscId(toc), QStringLiteral("OMDNUUEF6OVAhAJVAHuIJDSdzdM-"));
        QCOMPARE(FreedbDiscId(toc), 0x14032003u);
        // A release listing the audio tracks only fits the disc.
        QList<TDiscCandidate> candidates(1);
        candidates[0].Tracks = {QStringLiteral("a"), QStringLiteral("b")};
        candidates[0].Lengths = {200000, 200000};
        QCOMPARE(MarkCandidates(candidates, toc), 0);
        // An image without the gap between the sessions: the audio ends where the data begins.
        toc.Starts = {0, 15000, 15100};
        QCOMPARE(toc.AudioLeadOut(), 15100);
        QVERIFY(!MusicBrainzDiscId(toc).isEmpty());
    }

    void musicBrainzReleases()
    {
        auto releases = ParseMusicBrainzReleases(ReleasesJson, QStringLiteral("ID-1"));
        QVERIFY(releases);
        QCOMPARE(releases->size(), 3); // the one without a medium of this disc is left out
        const TDiscCandidate& box = releases->at(0);
        QCOMPARE(box.Artist, QStringLiteral("A feat. B"));
        QCOMPARE(box.Title, QStringLiteral("Box"));
        QCOMPARE(box.Year(), QStringLiteral("2001"));
        QCOMPARE(box.Country, QStringLiteral("JP"));
        QCOMPARE(box.Tracks, QStringList({QStringLiteral("One"), QStringLiteral("Two")}));
        QVERIFY(box.Lengths.isEmpty()); // one length unknown: none compared

        // A disc of 60 s and 92 s: the box fits, the other edit is 2 s off on track 2 and
        // fits too, the single does not, and a longer track 2 is marked.
        TLookupToc toc;
        toc.Starts = {0, 60 * 75};
        toc.LeadOut = 152 * 75;
        QCOMPARE(MarkCandidates(*releases, toc), 0);
        QCOMPARE(releases->at(2).Title, QStringLiteral("Short"));
        QVERIFY(!releases->at(2).Fits);
        QVERIFY(releases->at(2).Misfit.contains(QStringLiteral("1 tracks, the disc has 2")));
        toc.LeadOut = 170 * 75;
        QCOMPARE(MarkCandidates(*releases, toc), 0);
        QCOMPARE(releases->at(0).Title, QStringLiteral("Box"));
        QCOMPARE(releases->at(1).Title, QStringLiteral("Wrong edit"));
        QVERIFY(!releases->at(1).Fits);
        QVERIFY(releases->at(1).Misfit.startsWith(QStringLiteral("track 2")));

        QList<TDiscCandidate> none{releases->at(2)};
        QCOMPARE(MarkCandidates(none, toc), -1);

        QVERIFY(!ParseMusicBrainzReleases("<html>", QStringLiteral("ID-1")));
        QVERIFY(!ParseMusicBrainzReleases(R"({"releases":5})", QStringLiteral("ID-1")));
        QCOMPARE(ParseMusicBrainzReleases(R"({"error":"Not Found"})", QStringLiteral("x"))->size(),
                 0);
    }

    void gnudbQuery_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("matches"); // -1: unreadable
        QTest::newRow("exact") << QByteArray("200 rock 370fce16 A / B\r\n") << 1;
        QTest::newRow("list") << QByteArray("211 close matches\r\nrock 370fce16 A / B\r\n"
                                            "misc 370fce17 C / D\r\nbad line\r\n.\r\n")
                              << 2;
        QTest::newRow("none") << QByteArray("202 No match found\r\n") << 0;
        QTest::newRow("error") << QByteArray("500 Command syntax error\r\n") << -1;
        QTest::newRow("garbage") << QByteArray("<html>") << -1;
        // The category and id go into the next request: nothing but plain words.
        QTest::newRow("odd id") << QByteArray("200 rock 370f&cmd=x A / B\r\n") << -1;
    }
    void gnudbQuery()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, matches);
        const auto parsed = ParseGnudbQuery(answer);
        QCOMPARE(parsed ? int(parsed->size()) : -1, matches);
        if (matches > 0) {
            QCOMPARE(parsed->first().Category, QStringLiteral("rock"));
            QCOMPARE(parsed->first().DiscId, QStringLiteral("370fce16"));
        }
    }

    void gnudbRead()
    {
        const auto entry =
            ParseGnudbRead("210 rock 370fce16 CD database entry follows\r\n"
                           "# xmcd\r\n#\r\nDISCID=370fce16\r\n"
                           "DTITLE=Some Artist / A Long \r\nDTITLE=Title\\nPart 2\r\n"
                           "DYEAR=1994\r\nTTITLE0=First\\tTab\r\n"
                           "TTITLE1=Back\\\\slash\r\nTTITLE10=Eleventh\r\n"
                           "EXTD=\r\n.\r\nTTITLE2=after the end\r\n");
        QVERIFY(entry);
        QCOMPARE(entry->Artist, QStringLiteral("Some Artist"));
        QCOMPARE(entry->Title, QStringLiteral("A Long Title Part 2"));
        QCOMPARE(entry->Date, QStringLiteral("1994"));
        QCOMPARE(entry->Tracks.size(), 11);
        QCOMPARE(entry->Tracks[0], QStringLiteral("First\tTab"));
        QCOMPARE(entry->Tracks[1], QStringLiteral("Back\\slash"));
        QCOMPARE(entry->Tracks[2], QString());
        QCOMPARE(entry->Tracks[10], QStringLiteral("Eleventh"));

        const auto bare = ParseGnudbRead("210 misc 1 entry\nDTITLE=No Separator\n.\n");
        QCOMPARE(bare->Artist, QStringLiteral("No Separator"));
        QCOMPARE(bare->Title, QStringLiteral("No Separator"));
        QVERIFY(!ParseGnudbRead("401 rock 370fce16 No such CD entry in database\r\n"));
    }

    void lrclibLyrics()
    {
        const auto timed = ParseLrclibRecord(
            R"({"trackName":"T","duration":200.0,"instrumental":false,"plainLyrics":"a\nb",
                "syncedLyrics":"[00:12.30] first\n[01:02.00]second\n"})");
        QVERIFY(timed);
        const TFoundLyrics rows = LyricsOfRecord(*timed);
        QCOMPARE(rows.Kind, TLyricsKind::Timed);
        QCOMPARE(rows.Rows,
                 TLyricList({{QStringLiteral(" first"), 12}, {QStringLiteral("second"), 62}}));

        TLyricsRecord record;
        record.PlainLyrics = QStringLiteral("one\n\n two\n");
        const auto plain = LyricsOfRecord(record);
        QCOMPARE(plain.Kind, TLyricsKind::Untimed);
        QCOMPARE(plain.Rows, TLyricList({{QStringLiteral("one"), 0}, {QStringLiteral("two"), 0}}));
        record = {};
        record.Instrumental = true;
        QCOMPARE(LyricsOfRecord(record).Kind, TLyricsKind::Instrumental);
        QCOMPARE(LyricsOfRecord({}).Kind, TLyricsKind::None);
        QVERIFY(!ParseLrclibRecord("[]"));
        QVERIFY(!ParseLrclibSearch("{}"));

        // Near the track's length first, even untimed; then timed before untimed.
        const auto found = ParseLrclibSearch(
            R"([{"trackName":"far, timed","duration":230,"syncedLyrics":"[00:01.00]x"},
                {"trackName":"empty","duration":200},
                {"trackName":"near, plain","duration":201.5,"plainLyrics":"x"},
                {"trackName":"far, plain","duration":100,"plainLyrics":"x"}])");
        QCOMPARE(found->size(), 4);
        QCOMPARE(PickLyrics(*found, 200)->Track, QStringLiteral("near, plain"));
        QCOMPARE(PickLyrics(*found, 300)->Track, QStringLiteral("far, timed"));
        QVERIFY(!PickLyrics({found->at(1)}, 200));
    }
};

QTEST_GUILESS_MAIN(TstOnlineParse)
#include "tst_onlineparse.moc"
