#include <map>

#include <QTest>

#include "support/PlaybackRig.h"

using namespace qlnx;

// Shuffle and the programme: fair permutations, switching during play and pause, and
// installing a new programme.
class TestShuffle : public QObject
{
    Q_OBJECT

    static void Load(TPlaybackRig& rig, const QByteArray& dataFile)
    {
        WriteDiscData(rig, 0x5A, dataFile);
        rig.Drive.InsertDisc(rig.Drive.AddDrive(QStringLiteral("sr0")),
                             TSimDisc::Audio({60, 60, 60, 60, 60, 60}, 0x5A));
        rig.Controller.Startup(7);
        rig.Drive.ClearLog();
    }

private Q_SLOTS:
    void everyArrangementEquallyLikely()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n01-02-03\r\n");
        std::map<QList<int>, int> seen;
        const int draws = 60000;
        for (int i = 0; i < draws; ++i) {
            rig.Controller.ShufflePlayOrder();
            ++seen[rig.PlayOrder()];
        }
        QCOMPARE(seen.size(), std::size_t(6));
        for (const auto& [order, count] : seen)
            QVERIFY2(qAbs(count - draws / 6) < draws / 60, qPrintable(QString::number(count)));
    }

    void repeatsSurviveAndOneEntryStays()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n02-02-05\r\n");
        for (int i = 0; i < 20; ++i) {
            rig.Controller.ShufflePlayOrder();
            QList<int> sorted = rig.PlayOrder();
            std::sort(sorted.begin(), sorted.end());
            QCOMPARE(sorted, (QList<int>{2, 2, 5}));
            QCOMPARE(rig.Model.ProgramOrder()[0], quint8(2));
            QCOMPARE(rig.Model.ProgramOrder()[2], quint8(5));
        }
        rig.Controller.InstallProgram(QList<quint8>{4});
        rig.Controller.ShufflePlayOrder();
        QCOMPARE(rig.PlayOrder(), QList<int>{4});
    }

    void switchingDuringPlayKeepsTheTrackPlaying()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n06-05-04-03-02-01-03\r\n");
        rig.Controller.TrackComboChange(3); // entry 4: track 3
        rig.Controller.PlayButtonClick();
        rig.Ticks(5);
        const qint64 head = rig.Drive.HeadFrame(0);

        rig.Drive.ClearLog();
        rig.Controller.OptShuffleClick();
        QVERIFY(rig.Display.OptionChecked(TPlayOption::Shuffle));
        QCOMPARE(rig.Controller.CurrentTrack(), 3);
        QCOMPARE(rig.Controller.OrderIndex(), rig.PlayOrder().indexOf(3) + 1);
        QCOMPARE(rig.Drive.HeadFrame(0), head); // no jump
        QCOMPARE(rig.Drive.Log().first(),
                 QStringLiteral("play 3:00:05:00-") + rig.Drive.Log().first().section(u'-', 1));
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);

        rig.Ticks(2);
        rig.Controller.OptShuffleClick();
        QCOMPARE(rig.PlayOrder(), (QList<int>{6, 5, 4, 3, 2, 1, 3}));
        QCOMPARE(rig.Controller.OrderIndex(), 4); // the first entry holding track 3
        QCOMPARE(rig.Drive.Log().last(), QStringLiteral("play cur-3:01:00:00"));
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Playing);
        QCOMPARE(rig.Display.Calls("list").size(), 3);
    }

    void switchingWhilePausedCuesTheTrackStart()
    {
        TPlaybackRig rig;
        Load(rig, "[Order]\r\n01-02-03-04-05\r\n");
        rig.Controller.TrackComboChange(4);
        rig.Controller.PlayButtonClick();
        rig.Ticks(30);
        rig.Controller.PauseButtonClick();
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(5, 0, 30, 0));
        rig.Controller.OptShuffleClick();
        QCOMPARE(rig.Controller.CurrentTrack(), 5);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(5, 0, 0, 0));
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Paused);
    }

    void withoutADiscOnlyTheMarkChanges()
    {
        TPlaybackRig rig;
        rig.Drive.AddDrive(QStringLiteral("sr0"));
        rig.Controller.Startup(1);
        rig.Display.Log.clear();
        rig.Controller.OptShuffleClick();
        QVERIFY(rig.Display.OptionChecked(TPlayOption::Shuffle));
        QVERIFY(rig.Display.Log.isEmpty());
    }

    void installingAProgrammeRelocatesTheCurrentTrack()
    {
        TPlaybackRig rig;
        Load(rig, "");
        rig.Controller.TrackComboChange(2); // track 3, stopped
        rig.Controller.InstallProgram(QList<quint8>{3, 1, 3});
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Model.OrderCount(), 3);
        QCOMPARE(rig.Model.ProgramOrder()[2], quint8(3));

        // A playing track the new programme lacks: the play stops, entry 1 is cued.
        rig.Controller.TrackComboChange(1);
        rig.Controller.PlayButtonClick();
        rig.Controller.InstallProgram(QList<quint8>{2, 4});
        QCOMPARE(rig.Drive.DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(rig.Display.PlayVisible);
        QCOMPARE(rig.Controller.OrderIndex(), 1);
        QCOMPARE(rig.Drive.PlayFrom(), PackTmsf(2, 0, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestShuffle)
#include "tst_shuffle.moc"
