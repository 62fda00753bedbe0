#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "discid/DiscIdentity.h"
#include "drive/CdioDevice.h"
#include "playback/PlaybackController.h"
#include "support/CaptureOutput.h"
#include "support/RecordingDisplay.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

constexpr qint64 Sector = BytesPerSector;

// A device over disc images only, with its audio captured on a virtual clock.
struct TRig
{
    TCaptureOutput* Output = nullptr;
    std::unique_ptr<TCdioDevice> Device;
    std::unique_ptr<QSignalSpy> Spy;

    explicit TRig(const QStringList& images, const QStringList& deviceNodes = {})
    {
        auto output = std::make_unique<TCaptureOutput>();
        Output = output.get();
        Device =
            std::make_unique<TCdioDevice>(TCdioDeviceSetup{.ImagePaths = images,
                                                           .PhysicalDrives = !deviceNodes.isEmpty(),
                                                           .DeviceNodes = deviceNodes,
                                                           .Output = std::move(output),
                                                           .ReadAhead = TReadAhead::Inline,
                                                           .Monitor = {.PollMs = 10}});
        Spy = std::make_unique<QSignalSpy>(Device.get(), &CdDevice::Notify);
    }
    // Completions delivered so far.
    QList<TNotifyResult> Results()
    {
        QCoreApplication::sendPostedEvents();
        QList<TNotifyResult> results;
        for (const auto& args : *Spy)
            results.append(args.at(0).value<TNotifyResult>());
        return results;
    }
    void Play(std::optional<quint32> from, std::optional<quint32> to)
    {
        if (from)
            Device->SetPlayFrom(*from);
        if (to)
            Device->SetPlayTo(*to);
        Device->PlayRange();
    }
};

} // namespace

// The libcdio device on disc images written by the tests: drive list, table of contents,
// identity, virtual trays, and digital playback checked byte for byte. The rules every device
// keeps are in tst_cddevicecontract.
class TestCdioDevice : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Three audio tracks: 3 s; 30 sectors of pregap and 4 s; 2 s.
    QString ThreeTracks(const QString& sub, QByteArray* bin = nullptr, quint32 seed = 1)
    {
        QDir().mkpath(Path(sub));
        return WriteCueImage(Path(sub), QStringLiteral("disc"), {{225}, {300, true, 30}, {150}},
                             bin, seed);
    }

private Q_SLOTS:
    void drivesAndTableOfContents()
    {
        const QString a = ThreeTracks(QStringLiteral("toc-a"));
        const QString b = ThreeTracks(QStringLiteral("toc-b"));
        TRig rig({a, Path(QStringLiteral("gone.cue")), b});
        QCOMPARE(rig.Device->EnumerateCdDrives(),
                 (QStringList{QStringLiteral("disc.cue"), QStringLiteral("gone.cue"),
                              QStringLiteral("disc.cue (2)")}));

        // Added at run time after the others, once however often (a relative path too).
        QCOMPARE(rig.Device->AddImageDrive(b), QStringLiteral("disc.cue (2)"));
        const QString c = ThreeTracks(QStringLiteral("toc-c"));
        QCOMPARE(rig.Device->AddImageDrive(c), QStringLiteral("disc.cue (3)"));
        QCOMPARE(rig.Device->AddImageDrive(QDir::current().relativeFilePath(c)),
                 QStringLiteral("disc.cue (3)"));
        QCOMPARE(rig.Device->EnumerateCdDrives().size(), 4);
        QCOMPARE(rig.Device->DiscSerial(QStringLiteral("disc.cue (3)")),
                 rig.Device->DiscSerial(QStringLiteral("disc.cue")));

        rig.Device->OpenDevice(QStringLiteral("disc.cue (2)"));
        QVERIFY(rig.Device->DeviceOpen());
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Device->NumberOfTracks(), 3);
        QVERIFY(rig.Device->IsAudioTrack(3));
        QVERIFY(!rig.Device->IsAudioTrack(4));
        QCOMPARE(rig.Device->TrackStart(2), PackTmsf(2, 0, 0, 0));
        QCOMPARE(rig.Device->TrackStart(4), 0u);
        // A track runs up to the next track's first index: the pregap counts to the track
        // before it.
        QCOMPARE(rig.Device->TrackLength(1), MsfFromFrames(225 + 30));
        QCOMPARE(rig.Device->TrackLength(2), MsfFromFrames(300));
        QCOMPARE(rig.Device->TrackLength(3), MsfFromFrames(150));
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(1, 0, 0, 0));
        QCOMPARE(rig.Device->DiscSerial(QStringLiteral("disc.cue")),
                 AudioDiscSerial({0, 255, 555}, 705));
    }

    void nodesThatAreNoDrives()
    {
        // Anything opens as a drive with libcdio; these must not.
        const QString image = ThreeTracks(QStringLiteral("nodes"));
        TRig rig({image}, {QStringLiteral("/dev/zero"), QStringLiteral("/dev/null"),
                           QStringLiteral("/dev/../dev/null")});
        QCOMPARE(rig.Device->EnumerateCdDrives(),
                 (QStringList{QStringLiteral("null"), QStringLiteral("zero"),
                              QStringLiteral("disc.cue")}));
        // Each drive's monitor has its first look in a thread of its own.
        QTRY_VERIFY(rig.Device->DrivesSettled());
        for (const QString& node : {QStringLiteral("null"), QStringLiteral("zero")}) {
            QVERIFY(!rig.Device->DiscSerial(node));
            QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, rig.Device->OpenDevice(node));
        }
        rig.Device->OpenDevice(QStringLiteral("disc.cue"));
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
    }

    void playsTheImageByteForByte()
    {
        QByteArray bin;
        TRig rig({ThreeTracks(QStringLiteral("exact"), &bin)});
        rig.Device->OpenDevice(QStringLiteral("disc.cue"));

        // From 0:01 of track 1 over the pregap to the end of track 2, given as its length.
        rig.Play(PackTmsf(1, 0, 1, 0), PackTmsf(2, 0, 4, 0));
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Playing);
        rig.Output->Run(1000);
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(1, 0, 2, 0));
        rig.Output->Run(1200);
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(1, 0, 3, 15)); // in the pregap
        rig.Output->Run(800);
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(2, 0, 0, 45));
        QVERIFY(rig.Results().isEmpty());
        rig.Output->Run(4000);
        QCOMPARE(rig.Results(), QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(rig.Device->NotifyResult(), TNotifyResult::Successful);
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(3, 0, 0, 0));
        QCOMPARE(rig.Output->Captured(), bin.mid(75 * Sector, (555 - 75) * Sector));

        // Without a start the play goes on from where the last one ended; without an end it
        // runs to the end of the disc.
        rig.Output->ClearCaptured();
        rig.Device->PlayRange();
        rig.Output->Run(3000);
        QCOMPARE(rig.Results().size(), 2);
        QCOMPARE(rig.Device->CurrentPosition(), PackTmsf(3, 0, 2, 0));
        QCOMPARE(rig.Output->Captured(), bin.mid(555 * Sector));
    }

    void pauseAndResumeLoseNoSample()
    {
        QByteArray bin;
        TRig rig({ThreeTracks(QStringLiteral("pause"), &bin)});
        rig.Device->OpenDevice(QStringLiteral("disc.cue"));

        // Paused off any frame boundary: the play goes on at the paused sample and ends once.
        rig.Play(PackTmsf(2, 0, 1, 0), PackTmsf(2, 0, 3, 0));
        rig.Output->Run(730);
        rig.Device->PauseDevice();
        rig.Output->Run(5000);
        QCOMPARE(rig.Results(), QList<TNotifyResult>{TNotifyResult::Aborted});
        rig.Device->PauseDevice();
        rig.Output->Run(2000);
        QCOMPARE(rig.Results(),
                 (QList<TNotifyResult>{TNotifyResult::Aborted, TNotifyResult::Successful}));
        QCOMPARE(rig.Output->Captured(), bin.mid((255 + 75) * Sector, 150 * Sector));
    }

    void mixedDiscStartingWithData()
    {
        QByteArray bin;
        const QString cue = WriteCueImage(Path(QString()), QStringLiteral("mixed"),
                                          {{100, false}, {150, true, 75}}, &bin);
        TRig rig({cue});
        QCOMPARE(rig.Device->DiscSerial(QStringLiteral("mixed.cue")),
                 VolumeDescriptorSerial(TestVolumeDescriptor()));
        rig.Device->OpenDevice(QStringLiteral("mixed.cue"));
        QCOMPARE(rig.Device->NumberOfTracks(), 2);
        QVERIFY(!rig.Device->IsAudioTrack(1));
        QVERIFY(rig.Device->IsAudioTrack(2));
        // The data track, up to the audio track's first index, plays as silence, never as
        // noise.
        rig.Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        rig.Output->Run(5000);
        QCOMPARE(rig.Results(), QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(rig.Output->Captured().left(175 * Sector), QByteArray(175 * Sector, '\0'));
        QCOMPARE(rig.Output->Captured().mid(175 * Sector), bin.mid(175 * Sector));
    }

    void brokenImages()
    {
        // Not a CUE sheet, a sheet of WAVE files, a BIN cut off before its last track.
        WriteFile(Path(QStringLiteral("junk.cue")), "nothing like a sheet\n");
        WriteFile(Path(QStringLiteral("junk.bin")), QByteArray(Sector * 10, 'x'));
        WriteFile(Path(QStringLiteral("wave.cue")),
                  "FILE \"wave.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        WriteFile(Path(QStringLiteral("wave.wav")), QByteArray(Sector * 10, 'x'));
        QByteArray bin;
        const QString cut = ThreeTracks(QStringLiteral("cut"), &bin);
        QFile::resize(Path(QStringLiteral("cut/disc.bin")), 400 * Sector);
        TRig rig({Path(QStringLiteral("junk.cue")), Path(QStringLiteral("wave.cue")), cut});
        for (const QString& drive : rig.Device->EnumerateCdDrives()) {
            QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, rig.Device->OpenDevice(drive));
            QVERIFY(!rig.Device->DiscSerial(drive));
        }

        // A BIN cut short after its disc was read: what cannot be read plays as silence.
        QByteArray whole;
        TRig late({ThreeTracks(QStringLiteral("late"), &whole)});
        late.Device->OpenDevice(QStringLiteral("disc.cue"));
        QFile::resize(Path(QStringLiteral("late/disc.bin")), 100 * Sector);
        late.Play(PackTmsf(1, 0, 0, 0), PackTmsf(1, 0, 3, 0));
        late.Output->Run(4000);
        QCOMPARE(late.Results(), QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(late.Output->Captured().size(), 225 * Sector);
        QCOMPARE(late.Output->Captured().left(100 * Sector), whole.left(100 * Sector));
        QCOMPARE(late.Output->Captured().mid(100 * Sector), QByteArray(125 * Sector, '\0'));
    }

    void virtualTray()
    {
        QByteArray first;
        const QString cue = ThreeTracks(QStringLiteral("tray"), &first);
        TRig rig({cue});
        const QString drive = QStringLiteral("disc.cue");
        const auto serial = rig.Device->DiscSerial(drive);
        QVERIFY(serial);
        rig.Device->OpenDevice(drive);
        rig.Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        rig.Output->Run(500);

        rig.Device->OpenDoor();
        QCOMPARE(rig.Results(), QList<TNotifyResult>{TNotifyResult::Aborted});
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Open);
        QCOMPARE(rig.Device->NumberOfTracks(), 0);
        QVERIFY(!rig.Device->DiscSerial(drive));

        // Another disc goes into the tray while it is open.
        QByteArray second;
        QVERIFY(QFile::remove(cue));
        WriteCueImage(Path(QStringLiteral("tray")), QStringLiteral("disc"), {{150}, {150}}, &second,
                      7);
        rig.Device->CloseDoor();
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Device->NumberOfTracks(), 2);
        const auto newSerial = rig.Device->DiscSerial(drive);
        QCOMPARE(newSerial, AudioDiscSerial({0, 150}, 300));
        rig.Output->ClearCaptured();
        rig.Play(PackTmsf(2, 0, 0, 0), std::nullopt);
        rig.Output->Run(3000);
        QCOMPARE(rig.Output->Captured(), second.mid(150 * Sector));

        // While the tray stays closed the disc stays what it was.
        ThreeTracks(QStringLiteral("tray"));
        QCOMPARE(rig.Device->DiscSerial(drive), newSerial);
        for (int cycle = 0; cycle < 3; ++cycle) {
            rig.Device->OpenDoor();
            rig.Device->OpenDoor();
            QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Open);
            rig.Device->CloseDoor();
            rig.Device->CloseDoor();
            QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
        }
        QCOMPARE(rig.Device->DiscSerial(drive), serial);

        // A drive whose image went away is empty after the next cycle.
        rig.Device->OpenDoor();
        QVERIFY(QFile::remove(cue));
        rig.Device->CloseDoor();
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Open);
        // ... and holds the disc again once the file is back.
        ThreeTracks(QStringLiteral("tray"));
        QCOMPARE(rig.Device->DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Results(),
                 (QList<TNotifyResult>{TNotifyResult::Aborted, TNotifyResult::Successful}));
    }

    void cdTextAsDefaults()
    {
        // A sheet that gives the disc's performer and title, and the titles of tracks 1 and 3.
        const QString dir = Path(QStringLiteral("cdtext"));
        QDir().mkpath(dir);
        const QString cue = ThreeTracks(QStringLiteral("cdtext"));
        QFile sheet(cue);
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        QByteArray text = sheet.readAll();
        sheet.close();
        text.prepend("PERFORMER \"Die Band\"\nTITLE \"Stücke\"\n");
        text.replace("TRACK 01 AUDIO\n", "TRACK 01 AUDIO\n    TITLE \"Erstes\"\n");
        text.replace("TRACK 03 AUDIO\n", "TRACK 03 AUDIO\n    TITLE Drittes\n");
        WriteFile(cue, text);

        TRig rig({cue});
        rig.Device->OpenDevice(QStringLiteral("disc.cue"));
        QCOMPARE(rig.Device->CdText().Title, QStringLiteral("Stücke"));

        QTemporaryDir programDir;
        const auto load = [&](bool cdText) {
            auto model = std::make_unique<TDiscModel>();
            TRecordingDisplay display;
            TPlaybackController controller(*model, *rig.Device, display, programDir.path());
            controller.SetCdTextDefaults(cdText);
            rig.Device->CloseDevice();
            controller.Startup(1);
            return model;
        };
        const auto names = [](const TDiscModel& m) {
            return QStringList{m.Artist(), m.Title(), m.Tracks(1).Name, m.Tracks(2).Name,
                               m.Tracks(3).Name};
        };
        // Off: the plain defaults, whatever the disc says.
        QCOMPARE(names(*load(false)),
                 (QStringList{"Artist", "Title", "Track01", "Track02", "Track03"}));
        // On: the disc's texts where it has them; nothing is written.
        const auto withText = load(true);
        QCOMPARE(names(*withText),
                 (QStringList{"Die Band", "Stücke", "Erstes", "Track02", "Drittes"}));
        QVERIFY(!QFile::exists(DiscDataFileName(*withText, programDir.path())));
        // A disc with a data file keeps to the file, even where the file names nothing.
        const QString file = DiscDataFileName(*withText, programDir.path());
        QDir().mkpath(QFileInfo(file).path());
        WriteFile(file, "[Artist]\r\nMine\r\n\r\n[Track02]\r\nZwei\r\n");
        QCOMPARE(names(*load(true)), (QStringList{"Mine", "Title", "Track01", "Zwei", "Track03"}));
    }

    void sheetsNamingOtherFiles()
    {
        // A sheet whose BIN has another name, in other letter case.
        QByteArray bin;
        const QString dir = Path(QStringLiteral("named"));
        WriteCueImage(dir, QStringLiteral("data"), {{150}, {150}}, &bin);
        QFile sheet(dir + QStringLiteral("/data.cue"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        const QByteArray text = sheet.readAll().replace("data.bin", "DATA.BIN");
        sheet.close();
        WriteFile(dir + QStringLiteral("/Album Sheet.cue"), text);
        QVERIFY(QFile::remove(dir + QStringLiteral("/data.cue")));

        // A cdrdao TOC file naming its BIN relative to itself.
        WriteFile(dir + QStringLiteral("/album.toc"),
                  "CD_DA\n"
                  "TRACK AUDIO\nFILE \"data.bin\" 0 00:02:00\n"
                  "TRACK AUDIO\nFILE \"data.bin\" 00:02:00 00:02:00\n");

        TRig rig({dir + QStringLiteral("/Album Sheet.cue"), dir + QStringLiteral("/album.toc")});
        for (const QString& drive : rig.Device->EnumerateCdDrives()) {
            rig.Device->OpenDevice(drive);
            QCOMPARE(rig.Device->NumberOfTracks(), 2);
            QCOMPARE(rig.Device->DiscSerial(drive), AudioDiscSerial({0, 150}, 300));
            rig.Output->ClearCaptured();
            rig.Play(PackTmsf(1, 0, 1, 0), std::nullopt);
            rig.Output->Run(4000);
            QCOMPARE(rig.Output->Captured(), bin.mid(75 * Sector));
        }
        QCOMPARE(rig.Results().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCdioDevice)
#include "tst_cdiodevice.moc"
