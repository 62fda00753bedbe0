#include <QTest>

#include "support/PlaybackRig.h"

using namespace qlnx;

// Playing discs from start to end: runs, following the head, the end of the order and the
// modes that decide what happens there.
class TestPlayThrough : public QObject
{
    Q_OBJECT

    // A rig with one drive holding a disc of the given track lengths (seconds), started up.
    static void Load(TPlaybackRig& rig, const QList<int>& seconds, quint32 serial = 0x1234)
    {
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")),
                             TSimDisc::Audio(seconds, serial));
        rig.Controller.Startup(1);
    }

private Q_SLOTS:
    void threeTracksThroughToTheEnd()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::Repeat, false);
        Load(rig, {10, 10, 10});
        QCOMPARE(rig.Display.TrackRow, QStringList{"1"});
        QVERIFY(rig.Display.PlayVisible);
        QVERIFY(rig.Display.ButtonsEnabled);
        QVERIFY(rig.Controller.Timer().isActive());
        QCOMPARE(rig.Controller.Timer().interval(), 1000);

        rig.Drive.ClearLog();
        rig.Controller.PlayButtonClick();
        QVERIFY(!rig.Display.PlayVisible);
        // One play for the whole run of consecutive tracks, ending at the end of track 3.
        QCOMPARE(rig.Drive.Log(), QStringList{"play 1:00:00:00-3:00:10:00"});

        rig.Ticks(9);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        rig.Tick(); // the head is now at 0:00 of track 2
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        QCOMPARE(rig.Shown(), QStringLiteral("2 0:00"));
        rig.Ticks(10);
        QCOMPARE(rig.Controller.OrderIndex(), 3);
        rig.Ticks(10);

        QCOMPARE(rig.Display.TrackRow, (QStringList{"1", "2", "3", "1"}));
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(1, 0, 0, 0));
        QVERIFY(rig.Drive.PlayFromPending());
        QCOMPARE(rig.Drive.Log(), QStringList{"play 1:00:00:00-3:00:10:00"});
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(rig.Controller.Timer().isActive());
    }

    void programmeWithGapsAndRepeats()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::Repeat, false);
        WriteDiscData(rig, 0x99, "[Order]\r\n03-04-02-02\r\n");
        Load(rig, {5, 5, 5, 5}, 0x99);
        rig.Drive.ClearLog();
        rig.Controller.PlayButtonClick();
        rig.Ticks(20);
        QCOMPARE(rig.Display.TrackRow, (QStringList{"3", "4", "2", "3"}));
        // 3 and 4 in one play, then track 2 twice, each on its own.
        QCOMPARE(rig.Drive.Log(),
                 (QStringList{"play 3:00:00:00-4:00:05:00", "play 2:00:00:00-2:00:05:00",
                              "play 2:00:00:00-2:00:05:00"}));
        QCOMPARE(rig.Display.Calls("track"),
                 (QStringList{"track 1:3", "track 2:4", "track 3:2", "track 4:2", "track 1:3"}));
    }

    void repeatGoesOnFromTheFirstEntry()
    {
        TPlaybackRig rig;
        Load(rig, {5, 5});
        rig.Controller.PlayButtonClick();
        rig.Ticks(10);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QVERIFY(!rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 1:00:00:00-2:00:05:00"));
    }

    void repeatOnePlaysTheTrackAgain()
    {
        TPlaybackRig rig;
        Load(rig, {5, 5, 5});
        rig.Controller.PlayButtonClick();
        rig.Ticks(2);
        rig.Controller.OptRepeat1Click();
        QCOMPARE(rig.Display.Enabled[TPlayOption::Repeat], false);
        QCOMPARE(rig.Display.Enabled[TPlayOption::MultiDrive], false);
        // Only the end of the running play changes.
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play cur-1:00:05:00"));
        rig.Ticks(3);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 1:00:00:00-1:00:05:00"));
        rig.Ticks(5);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Display.TrackRow, QStringList{"1"});

        rig.Controller.OptRepeat1Click();
        QCOMPARE(rig.Display.Enabled[TPlayOption::Repeat], true);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play cur-3:00:05:00"));
    }

    void multiDriveGoesOnWithTheNextDrive()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::MultiDrive, true);
        const int first = rig.Drive.AddDrive(QStringLiteral("sr0"));
        const int empty = rig.Drive.AddDrive(QStringLiteral("sr1"));
        const int second = rig.Drive.AddDrive(QStringLiteral("sr2"));
        rig.Drive.InsertDisc(first, TSimDisc::Audio({5}, 0x10));
        rig.Drive.InsertDisc(second, TSimDisc::Audio({7, 7}, 0x20));
        Q_UNUSED(empty);
        WriteDiscData(rig, 0x20, "[Title]\r\nSecond disc\r\n");
        rig.Controller.Startup(1);
        rig.Controller.PlayButtonClick();
        rig.Ticks(5);

        QCOMPARE(rig.Controller.DriveIndex(), 2);
        QCOMPARE(rig.Display.DriveItem, 2);
        QCOMPARE(rig.Model.DiscID(), 0x20u);
        QCOMPARE(rig.Display.Title, QStringLiteral("Second disc"));
        QCOMPARE(rig.Display.Hint, QStringLiteral("sr0 sr1 [sr2]"));
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        // Repeat (on) decides whether the new disc plays.
        QCOMPARE(rig.Drive.ModeOf(second), TDeviceMode::Playing);
        QVERIFY(!rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.ModeOf(first), TDeviceMode::Stopped);
    }

    void multiDriveOntoADiscWithAnEmptyOrderStops()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::MultiDrive, true);
        const int first = rig.Drive.AddDrive(QStringLiteral("sr0"));
        const int second = rig.Drive.AddDrive(QStringLiteral("sr1"));
        rig.Drive.InsertDisc(first, TSimDisc::Audio({5}, 0x10));
        rig.Drive.InsertDisc(second, TSimDisc::Audio({7, 7}, 0x20));
        WriteDiscData(rig, 0x20, "[Order]\r\n\r\n");
        rig.Controller.Startup(1);
        rig.Controller.PlayButtonClick();
        rig.Ticks(7);

        QCOMPARE(rig.Model.DiscID(), 0x20u);
        QCOMPARE(rig.Model.OrderCount(), 0);
        QCOMPARE(rig.Controller.OrderIndex(), 0);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.ModeOf(second), TDeviceMode::Stopped);
        int plays = 0;
        for (const QString& line : rig.Drive.Log())
            plays += line.startsWith(QStringLiteral("play ")) ? 1 : 0;
        QCOMPARE(plays, 1); // only the first disc's
    }

    void multiDriveWithNothingElseStopsOrRepeatsLikeWithout()
    {
        for (const bool repeat : {false, true}) {
            TPlaybackRig rig;
            rig.SetOption(TPlayOption::MultiDrive, true);
            rig.SetOption(TPlayOption::Repeat, repeat);
            Load(rig, {5, 5});
            rig.Controller.NextButtonClick();
            rig.Controller.PlayButtonClick();
            rig.Drive.ClearLog();
            rig.Ticks(5);
            QCOMPARE(rig.Controller.OrderIndex(), 1);
            QCOMPARE(rig.Drive.DeviceMode(), repeat ? TDeviceMode::Playing : TDeviceMode::Stopped);
            QCOMPARE(rig.Display.PlayVisible, !repeat);
            QCOMPARE(rig.Drive.Log(),
                     repeat ? QStringList{"play 1:00:00:00-2:00:05:00"} : QStringList{});
            rig.Ticks(20);
            if (!repeat)
                QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
        }
    }

    void alreadyPlayingAtStartUp()
    {
        TPlaybackRig rig;
        const int drive = rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.InsertDisc(drive, TSimDisc::Audio({60, 60, 60, 60}, 0x42));
        WriteDiscData(rig, 0x42, "[Order]\r\n04-02-03\r\n");
        rig.Drive.StartForeignPlay(drive, 2, 10 * 75);
        rig.Controller.Startup(1);

        QVERIFY(!rig.Display.PlayVisible);
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        QCOMPARE(rig.Drive.Log().mid(1),
                 (QStringList{"play 2:00:10:00-3:01:00:00", "play cur-3:01:00:00"}));
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
        rig.Tick();
        QCOMPARE(rig.Shown(), QStringLiteral("2 0:11"));
    }

    void alreadyPlayingATrackOutsideTheOrder()
    {
        TPlaybackRig rig;
        const int drive = rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Drive.InsertDisc(drive, TSimDisc::Audio({60, 60, 60}, 0x43));
        WriteDiscData(rig, 0x43, "[Order]\r\n03\r\n");
        rig.Drive.StartForeignPlay(drive, 1, 0);
        rig.Controller.Startup(1);
        // The play stops and the player waits, cued at its first entry, with Play showing.
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(3, 0, 0, 0));
    }

    void emptyOrderPlaysNothing()
    {
        TPlaybackRig rig;
        WriteDiscData(rig, 0x55, "[Artist]\r\nSomeone\r\n[Order]\r\n77\r\n");
        Load(rig, {5, 5}, 0x55);
        QCOMPARE(rig.Model.DiscID(), 0x55u);
        QCOMPARE(rig.Controller.OrderIndex(), 0);
        QCOMPARE(rig.Display.TrackRow, QStringList{"-"});
        rig.Drive.ClearLog();
        rig.Controller.PlayButtonClick();
        rig.Controller.NextButtonClick();
        rig.Controller.PrevButtonClick();
        rig.Controller.TrackComboChange(0);
        rig.Controller.BeginSeek(1);
        rig.Ticks(3);
        rig.Controller.EndSeek();
        QVERIFY(rig.Drive.Log().isEmpty());
        QVERIFY(rig.Display.PlayVisible);
    }
};

QTEST_GUILESS_MAIN(TestPlayThrough)
#include "tst_playthrough.moc"
