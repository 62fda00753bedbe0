#include <QTest>

#include "disc/DiscDataFile.h"
#include "support/PlaybackRig.h"

using namespace qlnx;

// Drives and discs: start-up probe, drive states and their retries, eject, changing drives.
class TestDrives : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpChoosesTheFirstDriveWithAnAudioDisc()
    {
        TPlaybackRig rig;
        const int d = rig.Drive.AddDrive(QStringLiteral("sr0"));
        const int e = rig.Drive.AddDrive(QStringLiteral("sr1"));
        const int f = rig.Drive.AddDrive(QStringLiteral("sr2"));
        TSimDisc data = TSimDisc::Audio({60}, 0xD);
        data.Tracks[0].Audio = false;
        rig.Drive.InsertDisc(d, data);
        rig.Drive.InsertDisc(e, TSimDisc::Audio({60}, 0xE));
        rig.Drive.InsertDisc(f, TSimDisc::Audio({60}, 0xF));
        rig.Controller.Startup(1);
        QCOMPARE(rig.Display.DriveList, (QStringList{"sr0", "sr1", "sr2"}));
        QCOMPARE(rig.Controller.DriveIndex(), 1);
        QCOMPARE(rig.Display.DriveItem, 1);
        QCOMPARE(rig.Model.DiscID(), 0xEu);
        QCOMPARE(rig.Display.Hint, QStringLiteral("sr0 [sr1] sr2"));
    }

    void anOpenedImageBecomesTheCurrentDrive()
    {
        TPlaybackRig rig;
        rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.InsertDisc(0, TSimDisc::Audio({60}, 0xD));
        rig.Drive.ImageDiscs.insert(QStringLiteral("/m/album.cue"), TSimDisc::Audio({30, 30}, 0xA));
        rig.Drive.SetSettled(false);
        rig.Controller.Startup(1);
        QVERIFY(rig.Controller.OpenImage(QStringLiteral("/m/album.cue")));
        rig.Drive.SetSettled(true);
        rig.Ticks(2);
        QCOMPARE(rig.Display.DriveList, (QStringList{"sr0", "album.cue"}));
        QCOMPARE(rig.Controller.DriveIndex(), 1);
        QCOMPARE(rig.Display.DriveItem, 1);
        QCOMPARE(rig.Model.DiscID(), 0xAu);
        // Opened again: still one drive for it.
        QVERIFY(rig.Controller.OpenImage(QStringLiteral("/m/album.cue")));
        QCOMPARE(rig.Display.DriveList.size(), 2);
    }

    void startUpWaitsForDrivesStillReading()
    {
        // The first drive's disc is still being read when the player starts: the probe waits
        // for it on the poll, a while at most, so it is not passed over for the second.
        TPlaybackRig rig;
        rig.Drive.AddDrive(QStringLiteral("sr0"));
        const int e = rig.Drive.AddDrive(QStringLiteral("sr1"));
        rig.Drive.InsertDisc(e, TSimDisc::Audio({60}, 0xE));
        rig.Drive.SetSettled(false);
        rig.Controller.Startup(1);
        QVERIFY(rig.Controller.ProbePending());
        QVERIFY(rig.Drive.Log().isEmpty());
        QCOMPARE(rig.Display.Title, QStringLiteral("Please wait..."));
        QCOMPARE(rig.Controller.Timer().interval(), TPlaybackController::SettleInterval);
        rig.Ticks(3, TPlaybackController::SettleInterval);
        QVERIFY(rig.Controller.ProbePending());

        rig.Drive.InsertDisc(0, TSimDisc::Audio({60}, 0xD));
        rig.Drive.SetSettled(true);
        rig.Tick(TPlaybackController::SettleInterval);
        QVERIFY(!rig.Controller.ProbePending());
        QCOMPARE(rig.Controller.DriveIndex(), 0);
        QCOMPARE(rig.Model.DiscID(), 0xDu);
        QCOMPARE(rig.Controller.Timer().interval(), TPlaybackController::DefaultInterval);

        // A drive that never settles is given up on; a drive the user picks meanwhile is kept.
        TPlaybackRig late;
        late.Drive.AddDrive(QStringLiteral("sr0"));
        late.Drive.InsertDisc(0, TSimDisc::Audio({60}, 0xD));
        late.Drive.SetSettled(false);
        late.Controller.Startup(1);
        late.Ticks(TPlaybackController::MaxSettleTicks - 1, TPlaybackController::SettleInterval);
        QCOMPARE(late.Model.DiscID(), 0u);
        late.Tick(TPlaybackController::SettleInterval);
        QCOMPARE(late.Model.DiscID(), 0xDu);

        TPlaybackRig chosen;
        chosen.Drive.AddDrive(QStringLiteral("sr0"));
        chosen.Drive.AddDrive(QStringLiteral("sr1"));
        chosen.Drive.InsertDisc(0, TSimDisc::Audio({60}, 0xD));
        chosen.Drive.InsertDisc(1, TSimDisc::Audio({60}, 0xE));
        chosen.Drive.SetSettled(false);
        chosen.Controller.Startup(1);
        chosen.Controller.DriveComboChange(1);
        QVERIFY(!chosen.Controller.ProbePending());
        chosen.Drive.SetSettled(true);
        chosen.Ticks(2);
        QCOMPARE(chosen.Controller.DriveIndex(), 1);
        QCOMPARE(chosen.Model.DiscID(), 0xEu);
    }

    void withoutAnAudioDiscTheLastDriveIsPolled()
    {
        TPlaybackRig rig;
        rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.AddDrive(QStringLiteral("sr1"));
        rig.Controller.Startup(1);
        QCOMPARE(rig.Controller.DriveIndex(), 1);
        QCOMPARE(rig.Display.Title, QStringLiteral("No CD"));
        QVERIFY(rig.Display.EjectEnabled);
        QVERIFY(!rig.Display.ButtonsEnabled);

        // Retried on every tick, showing "Please wait..." for a moment each time.
        rig.Drive.ClearLog();
        rig.Ticks(2);
        QCOMPARE(rig.Drive.Log(),
                 (QStringList{"stop", "close", "open sr1", "stop", "close", "open sr1"}));
        QCOMPARE(rig.Display.Title, QStringLiteral("No CD"));

        rig.Drive.InsertDisc(1, TSimDisc::Audio({30}, 0x31));
        rig.Tick();
        QCOMPARE(rig.Model.DiscID(), 0x31u);
        QCOMPARE(rig.Display.Title, QStringLiteral("Title"));
        QVERIFY(rig.Display.ButtonsEnabled);
    }

    void noDrivesAtAll()
    {
        TPlaybackRig rig;
        rig.Controller.Startup(1);
        QVERIFY(rig.Display.DriveList.isEmpty());
        QVERIFY(rig.Drive.Log().isEmpty()); // nothing probed at start-up
        rig.Tick();
        QCOMPARE(rig.Display.Title, QStringLiteral("Not available"));
        QVERIFY(!rig.Display.EjectEnabled);
    }

    void statesAndWhichAreRetried()
    {
        TPlaybackRig rig;
        const int drive = rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.SetUnavailable(drive, true);
        rig.Controller.Startup(1);
        QCOMPARE(rig.Display.Title, QStringLiteral("Not available"));
        QVERIFY(!rig.Display.ButtonsEnabled && !rig.Display.EjectEnabled);
        rig.Drive.ClearLog();
        rig.Ticks(2);
        QCOMPARE(rig.Drive.Log(), (QStringList{"open sr0", "open sr0"}));
        // The state text is written once, not again on every retry.
        QCOMPARE(rig.Display.Calls("title"), QStringList{"title Not available"});

        TSimDisc data = TSimDisc::Audio({60, 60}, 0xDA7A);
        data.Tracks[0].Audio = data.Tracks[1].Audio = false;
        rig.Drive.InsertDisc(drive, data);
        rig.Drive.SetUnavailable(drive, false);
        rig.Tick();
        QCOMPARE(rig.Display.Title, QStringLiteral("Not audio CD"));
        QCOMPARE(rig.Model.DiscID(), 0xDA7Au);
        QVERIFY(rig.Display.EjectEnabled);
        rig.Drive.ClearLog();
        rig.Ticks(3);
        QVERIFY(rig.Drive.Log().isEmpty()); // left alone until the door opens

        rig.Drive.SetDoorOpen(drive, true);
        rig.Tick();
        QCOMPARE(rig.Display.Title, QStringLiteral("No CD"));
        QCOMPARE(rig.Model.DiscID(), 0u);
    }

    void aDataDiscKeepsNothingOfThePreviousDisc()
    {
        TPlaybackRig rig;
        const int drive = rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.InsertDisc(drive, TSimDisc::Audio({60, 60, 60}, 0xA1));
        rig.Controller.Startup(1);
        QCOMPARE(rig.Model.OrderCount(), 3);
        rig.Drive.SetDoorOpen(drive, true);
        rig.Tick();
        TSimDisc data = TSimDisc::Audio({60}, 0xDA7A);
        data.Tracks[0].Audio = false;
        rig.Drive.InsertDisc(drive, data);
        rig.Drive.SetDoorOpen(drive, false);
        rig.Tick();
        QCOMPARE(rig.Display.Title, QStringLiteral("Not audio CD"));
        QVERIFY(!rig.Model.Loaded());
        QCOMPARE(rig.Model.OrderCount(), 0);

        // Shuffle only changes its mark: the track row stays empty.
        rig.Display.Log.clear();
        rig.Controller.OptShuffleClick();
        QVERIFY(rig.Display.Checked[TPlayOption::Shuffle]);
        QCOMPARE(rig.Display.Calls(QStringLiteral("list")), QStringList{"list "});
        QCOMPARE(rig.Display.TrackRow.last(), QStringLiteral("-"));
        QCOMPARE(rig.Controller.CurrentTrack(), 0);
        // Nothing is written under the data disc's identity.
        QVERIFY(!SaveDiscData(rig.Model, rig.Dir.path()));
        QVERIFY(!QFile::exists(DiscDataFileName(rig.Model, rig.Dir.path())));
    }

    void mixedDiscLoadsWhole()
    {
        TPlaybackRig rig;
        TSimDisc mixed = TSimDisc::Audio({60, 30, 30}, 0x3);
        mixed.Tracks[0].Audio = false;
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")), mixed);
        rig.Controller.Startup(1);
        QCOMPARE(rig.Model.TrackCount(), 3);
        QCOMPARE(rig.PlayOrder(), (QList<int>{1, 2, 3}));
        QCOMPARE(rig.Display.Calls("list"), QStringList{"list 1,2,3"});
    }

    void ejectAndLoadAgain()
    {
        TPlaybackRig rig;
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")),
                             TSimDisc::Audio({60, 60}, 0xAB));
        WriteDiscData(rig, 0xAB, "[Title]\r\nMy disc\r\n");
        rig.Controller.Startup(1);
        rig.Controller.PlayButtonClick();
        rig.Tick();

        rig.Controller.EjectButtonClick();
        QCOMPARE(rig.Display.Title, QStringLiteral("Please wait..."));
        QCOMPARE(rig.Model.DiscID(), 0u);
        rig.Tick();
        QCOMPARE(rig.Display.Title, QStringLiteral("No CD"));
        QVERIFY(rig.Display.EjectEnabled && !rig.Display.ButtonsEnabled);

        rig.Controller.EjectButtonClick();
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("door close"));
        rig.Tick();
        QCOMPARE(rig.Model.DiscID(), 0xABu);
        QCOMPARE(rig.Display.Title, QStringLiteral("My disc"));
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
    }

    void doorOpenedDuringASeekEndsIt()
    {
        TPlaybackRig rig;
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 1));
        rig.Controller.Startup(1);
        rig.Controller.BeginSeek(1);
        rig.Drive.SetDoorOpen(0, true);
        rig.Tick(100);
        QVERIFY(!rig.Controller.Seeking());
        QCOMPARE(rig.Controller.Timer().interval(), 1000);
        QCOMPARE(rig.Display.Title, QStringLiteral("No CD"));
    }

    void changingDrives()
    {
        TPlaybackRig rig;
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 1));
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr1")), TSimDisc::Audio({60}, 2));
        rig.Controller.Startup(1);
        rig.Controller.PlayButtonClick();

        rig.Drive.ClearLog();
        rig.Controller.DriveComboChange(0);    // the current drive: nothing happens
        QVERIFY(!rig.Controller.OpenDrive(0)); // same drive, same disc: left as it is
        QVERIFY(rig.Drive.Log().isEmpty());
        QCOMPARE(rig.Drive.ModeOf(0), TDeviceMode::Playing);

        rig.Controller.DriveComboChange(1);
        // Leaving a playing drive stops it, whatever "Stop at Close" says.
        QCOMPARE(rig.Drive.ModeOf(0), TDeviceMode::Stopped);
        QCOMPARE(rig.Model.DiscID(), 2u);
        QCOMPARE(rig.Display.Hint, QStringLiteral("sr0 [sr1]"));
    }

    void unreadableDataFileIsReported()
    {
        TPlaybackRig rig;
        QDir().mkpath(rig.Dir.path() + QStringLiteral("/data/00000005.dat"));
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 5));
        rig.Controller.Startup(1);
        QCOMPARE(rig.Display.Errors.size(), 1);
        QVERIFY(rig.Display.Errors[0].endsWith(QStringLiteral("00000005.dat は開けません")));
        QCOMPARE(rig.Model.DiscID(), 5u); // loaded with the defaults
        QCOMPARE(rig.Display.Title, QStringLiteral("Title"));
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
