#include <QSignalSpy>
#include <QTest>

#include "support/PlaybackRig.h"

using namespace qlnx;

// The transport buttons, the track list and the seek hold, as a user drives them.
class TestTransport : public QObject
{
    Q_OBJECT

    // Tracks 1..5 of 60 s each, except track 3 of 3:25.
    static void Load(TPlaybackRig& rig, const QByteArray& dataFile = {})
    {
        if (!dataFile.isEmpty())
            WriteDiscData(rig, 0x77, dataFile);
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")),
                             TSimDisc::Audio({60, 60, 205, 60, 60}, 0x77));
        rig.Controller.Startup(1);
        rig.Drive.ClearLog();
    }

private Q_SLOTS:
    // What a view follows: each change once, when the operation that made it is over.
    void announcesWhatChanged()
    {
        TPlaybackRig rig;
        QSignalSpy disc(&rig.Controller, &TPlaybackController::DiscChanged);
        QSignalSpy state(&rig.Controller, &TPlaybackController::PlayStateChanged);
        QSignalSpy entry(&rig.Controller, &TPlaybackController::CurrentEntryChanged);
        QSignalSpy option(&rig.Controller, &TPlaybackController::OptionChanged);
        Load(rig, "[Order]\r\n03-01\r\n");
        QCOMPARE(disc.count(), 1);
        QCOMPARE(disc.last().at(0).toUInt(), 0x77u);
        QCOMPARE(entry.count(), 1);
        QCOMPARE(entry.last(), (QVariantList{1, 3}));

        rig.Controller.PlayButtonClick();
        QCOMPARE(rig.Controller.PlayState(), TPlayState::Playing);
        rig.Controller.PauseButtonClick();
        rig.Controller.StopButtonClick();
        QCOMPARE(state.count(), 3);
        QCOMPARE(state.last().at(0).value<TPlayState>(), TPlayState::Stopped);

        rig.Controller.SetOption(TPlayOption::Repeat, true); // already on: nothing happens
        rig.Controller.SetOption(TPlayOption::Shuffle, true);
        QCOMPARE(option.count(), 1);
        QVERIFY(rig.Display.Checked[TPlayOption::Shuffle]);

        // Prev decides on the position last shown; a reset forgets it.
        rig.Controller.NextButtonClick();
        rig.Controller.PlayButtonClick();
        rig.Tick();
        QCOMPARE(rig.Controller.ShownSeconds(), 1);
        rig.Controller.EjectButtonClick();
        QCOMPARE(rig.Controller.ShownSeconds(), 0);
        QCOMPARE(disc.last().at(0).toUInt(), 0u);
        QCOMPARE(rig.Controller.PlayState(), TPlayState::Stopped);
    }

    void prevRestartsOrGoesBack()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.PrevButtonClick(); // 0:00 of entry 1: to the last entry
        QCOMPARE(rig.Controller.OrderIndex(), 5);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(5, 0, 0, 0));

        rig.Controller.PlayButtonClick();
        rig.Tick();
        QCOMPARE(rig.Shown(), QStringLiteral("5 0:01"));
        rig.Controller.PrevButtonClick(); // 0:01: back to the start of the same entry
        QCOMPARE(rig.Controller.OrderIndex(), 5);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 5:00:00:00-5:01:00:00"));
        QCOMPARE(rig.Shown(), QStringLiteral("5 0:00"));
        rig.Controller.PrevButtonClick();
        QCOMPARE(rig.Controller.OrderIndex(), 4);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 4:00:00:00-5:01:00:00"));
    }

    void nextWrapsAndKeepsPlaying()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::Repeat, false);
        Load(rig, "[Order]\r\n02-05\r\n");
        rig.Controller.NextButtonClick();
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        QVERIFY(rig.Drive.Log().isEmpty()); // stopped: only cued
        rig.Controller.PlayButtonClick();
        rig.Controller.NextButtonClick();
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 2:00:00:00-2:01:00:00"));
        // The replaced play's completion moves nothing.
        rig.Tick();
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
    }

    void aCompletionOnItsWayCountsOnlyForTheLatestPlay()
    {
        // The end of the whole run is reached and its completion queued; the user presses Stop
        // before it is delivered: the order stays at entry 1, cued, with Play showing.
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.TrackComboChange(4); // entry 5, the last
        rig.Controller.PlayButtonClick();
        rig.Drive.Advance(61000);
        rig.Controller.StopButtonClick();
        TSimulatedCdDrive::Deliver();
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);

        // The same with a newer play started meanwhile: that play goes on, untouched.
        rig.Controller.TrackComboChange(4);
        rig.Controller.PlayButtonClick();
        rig.Drive.Advance(61000);
        rig.Controller.TrackComboChange(1);
        rig.Controller.PlayButtonClick();
        rig.Drive.ClearLog();
        TSimulatedCdDrive::Deliver();
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
        QVERIFY(rig.Drive.Log().isEmpty());
        // Its own completion still counts: with Repeat the order starts over.
        rig.Ticks(390);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
    }

    void stopDuringPlay()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.TrackComboChange(2);
        rig.Controller.PlayButtonClick();
        rig.Ticks(3);
        rig.Controller.StopButtonClick();
        rig.Ticks(2);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(1, 0, 0, 0));
        QCOMPARE(rig.Shown(), QStringLiteral("1 0:00"));
    }

    void pauseThenPlayResumesAtThePausedSecond()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n04-05-01\r\n");
        rig.Controller.PlayButtonClick();
        rig.Ticks(10);
        rig.Controller.PauseButtonClick();
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Paused);
        rig.Ticks(5);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        rig.Controller.PlayButtonClick();
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 4:00:10:00-5:01:00:00"));
        QVERIFY(!rig.Display.PlayVisible);
    }

    void pauseNextPlayStartsTheNextEntry()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.PlayButtonClick();
        rig.Ticks(10);
        rig.Controller.PauseButtonClick();
        rig.Controller.NextButtonClick();
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        rig.Controller.PlayButtonClick();
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 2:00:00:00-5:01:00:00"));
        rig.Tick();
        QCOMPARE(rig.Controller.OrderIndex(), 2);
    }

    void seekForwardWhileStopped()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.SeekButtonMouseDown(1);
        QVERIFY(rig.Controller.Seeking());
        QCOMPARE(rig.Controller.Timer().interval(), 100);
        rig.Ticks(10, 100);
        QCOMPARE(rig.Shown(), QStringLiteral("1 0:10"));
        QCOMPARE(rig.Controller.Timer().interval(), 100);
        rig.Tick(100);
        QCOMPARE(rig.Controller.Timer().interval(), 10);
        rig.Controller.SeekButtonMouseUp();
        QCOMPARE(rig.Controller.Timer().interval(), 1000);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(1, 0, 11, 0));
        QVERIFY(rig.Drive.Log().isEmpty()); // the device was never touched
        rig.Controller.PlayButtonClick();
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 1:00:11:00-5:01:00:00"));
    }

    void seekAcrossTrackAndOrderBoundaries()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n03-01\r\n");
        // Entry 1 is track 3, 3:25 long: from 3:23 the cursor shows 3:24, 3:25, then the next
        // entry's 0:00.
        rig.Controller.SetStartPosition(PackTmsf(3, 3, 23, 0));
        rig.Display.Log.clear();
        rig.Controller.BeginSeek(1);
        rig.Ticks(3, 100);
        QCOMPARE(rig.Display.Calls("pos"), (QStringList{"pos 3:3:24", "pos 3:3:25", "pos 1:0:00"}));
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        // Back from 0:00 of entry 2: to the end of entry 1's track; from 3:00, to 2:59.
        rig.Tick(100);
        QCOMPARE(rig.Shown(), QStringLiteral("1 0:01"));
        rig.Controller.EndSeek();
        rig.Controller.SetStartPosition(PackTmsf(1, 0, 0, 0));
        rig.Controller.BeginSeek(-1);
        rig.Tick(100);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Shown(), QStringLiteral("3 3:25"));
        rig.Ticks(26, 100);
        QCOMPARE(rig.Shown(), QStringLiteral("3 2:59"));
        rig.Controller.EndSeek();

        // Back at 0:00 of entry 1 wraps to the end of the last entry's track; forward past the
        // end of the last entry's track wraps to 0:00 of entry 1.
        rig.Controller.SetStartPosition(PackTmsf(3, 0, 0, 0));
        rig.Controller.BeginSeek(-1);
        rig.Tick(100);
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        QCOMPARE(rig.Shown(), QStringLiteral("1 1:00"));
        rig.Controller.EndSeek();
        rig.Controller.BeginSeek(1);
        rig.Tick(100);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Shown(), QStringLiteral("3 0:00"));
        rig.Controller.EndSeek();
    }

    void aSeekJustAfterATrackBoundaryFollowsTheHead()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.PlayButtonClick();
        rig.Ticks(59);
        // The head crosses into track 2 between two ticks; the seek starts there.
        rig.Drive.Advance(1500);
        TSimulatedCdDrive::Deliver();
        rig.Controller.BeginSeek(1);
        QCOMPARE(rig.Controller.OrderIndex(), 2);
        rig.Tick(100);
        QCOMPARE(rig.Shown(), QStringLiteral("2 0:01"));
        rig.Controller.EndSeek();
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 2:00:01:00-5:01:00:00"));
    }

    void seekWithRepeatOneStaysOnTheTrack()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.OptRepeat1Click();
        rig.Controller.TrackComboChange(4); // entry 5, the last
        rig.Controller.SetStartPosition(PackTmsf(5, 1, 0, 0));
        rig.Controller.BeginSeek(1);
        rig.Tick(100);
        QCOMPARE(rig.Controller.OrderIndex(), 5);
        QCOMPARE(rig.Shown(), QStringLiteral("5 0:00"));
        rig.Controller.EndSeek();
        rig.Controller.BeginSeek(-1);
        rig.Tick(100);
        QCOMPARE(rig.Controller.OrderIndex(), 5);
        QCOMPARE(rig.Shown(), QStringLiteral("5 1:00"));
        rig.Controller.EndSeek();
    }

    void seekWhilePlayingJumpsOnRelease()
    {
        TPlaybackRig rig;
        Load(rig);
        rig.Controller.PlayButtonClick();
        rig.Ticks(2);
        // The space key: repeated key-downs of a held key start nothing new.
        rig.Controller.SeekButtonKeyDown(1);
        rig.Tick(100);
        rig.Controller.SeekButtonKeyDown(-1);
        rig.Tick(100);
        QCOMPARE(rig.Shown(), QStringLiteral("1 0:04"));
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing); // the play went on meanwhile
        rig.Controller.SeekButtonKeyUp();
        QVERIFY(!rig.Controller.Seeking());
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play 1:00:04:00-5:01:00:00"));
    }

    void overlappingTicksAndCompletions()
    {
        TPlaybackRig rig;
        rig.SetOption(TPlayOption::MultiDrive, true);
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 1));
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr1")), TSimDisc::Audio({9}, 2));
        rig.Controller.Startup(1);
        rig.Controller.PlayButtonClick();
        // A tick that starts while another is being handled returns at once, and no tick runs
        // while the end of a play is being handled.
        int nested = 0;
        bool timerRanDuringSearch = false;
        rig.Display.OnLog = [&](const QString& line) {
            if (line.startsWith(QStringLiteral("pos")) && nested++ == 0)
                rig.Controller.TimerTimer();
            if (line == QStringLiteral("reset"))
                timerRanDuringSearch |= rig.Controller.Timer().isActive();
        };
        rig.Display.Log.clear();
        rig.Tick();
        QCOMPARE(rig.Display.Calls("pos").size(), 1);
        rig.Display.OnLog = [&](const QString& line) {
            if (line == QStringLiteral("reset"))
                timerRanDuringSearch |= rig.Controller.Timer().isActive();
        };
        rig.Ticks(60);
        QCOMPARE(rig.Model.DiscID(), 2u);
        QVERIFY(!timerRanDuringSearch);
        QVERIFY(rig.Controller.Timer().isActive());
    }

    // On drives only the player moves (images) the poll rests while nothing plays, and the
    // next command wakes it; a physical drive is polled all the time.
    void pollRestsWhileAnImageIdles()
    {
        for (const bool image : {false, true}) {
            TPlaybackRig rig;
            rig.Drive.SetFollowsCommands(image);
            Load(rig);
            rig.Tick();
            QCOMPARE(rig.Controller.Timer().isActive(), !image);
            rig.Controller.PlayButtonClick();
            QVERIFY(rig.Controller.Timer().isActive());
            rig.Ticks(2);
            QCOMPARE(rig.Shown(), QStringLiteral("1 0:02"));
            rig.Controller.PauseButtonClick();
            rig.Tick(); // the paused play's completion comes first, then the tick
            QCOMPARE(rig.Controller.Timer().isActive(), !image);
            rig.Controller.PauseButtonClick(); // resumes
            QVERIFY(rig.Controller.Timer().isActive());
            rig.Tick();
            QCOMPARE(rig.Shown(), QStringLiteral("1 0:03"));
            QCOMPARE(rig.Controller.PlayState(), TPlayState::Playing);
        }
    }

    void stopAtCloseDecidesWhetherTheDiscPlaysOn()
    {
        for (const bool stop : {false, true}) {
            TPlaybackRig rig;
            rig.SetOption(TPlayOption::StopAtClose, stop);
            Load(rig);
            rig.Controller.PlayButtonClick();
            rig.Controller.FormClose();
            QVERIFY(!rig.Drive.DeviceOpen());
            QCOMPARE(rig.Drive.ModeOf(0), stop ? TDeviceMode::Stopped : TDeviceMode::Playing);
        }
    }
};

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
