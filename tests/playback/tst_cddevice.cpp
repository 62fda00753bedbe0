#include <QSignalSpy>
#include <QTest>

#include "disc/Tmsf.h"
#include "support/SimulatedCdDrive.h"

using namespace qlnx;

// The device contract the playback logic relies on, checked on the simulated drive that all
// playback tests use.
class TestCdDevice : public QObject
{
    Q_OBJECT

    QList<TNotifyResult> Results(const QSignalSpy& spy)
    {
        QList<TNotifyResult> results;
        for (const auto& args : spy)
            results.append(args.at(0).value<TNotifyResult>());
        return results;
    }

private Q_SLOTS:
    void pendingPositionsStayReadable()
    {
        TSimulatedCdDrive dev;
        dev.InsertDisc(dev.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60, 60}, 1));
        dev.OpenDevice(QStringLiteral("sr0"));
        dev.SetPlayFrom(PackTmsf(2, 0, 10, 0));
        dev.PlayRange();
        QVERIFY(!dev.PlayFromPending());
        QCOMPARE(dev.PlayFrom(), PackTmsf(2, 0, 10, 0));
        dev.SetPlayTo(PackTmsf(1, 0, 30, 0));
        dev.SetPlayTo(PackTmsf(1, 0, 30, 0));
        QVERIFY(dev.PlayToPending());
        QCOMPARE(dev.Log().last(), QStringLiteral("play 2:00:10:00-end"));
    }

    void oneCompletionPerPlay()
    {
        TSimulatedCdDrive dev;
        dev.InsertDisc(dev.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({10, 20, 30}, 1));
        dev.OpenDevice(QStringLiteral("sr0"));
        QSignalSpy spy(&dev, &CdDevice::Notify);

        // Ends exactly at the end of track 2, given as track 2 at its own length.
        dev.SetPlayFrom(PackTmsf(1, 0, 5, 0));
        dev.SetPlayTo(PackTmsf(2, 0, 20, 0));
        dev.PlayRange();
        dev.Advance(24'000);
        TSimulatedCdDrive::Deliver();
        QVERIFY(spy.isEmpty());
        QCOMPARE(dev.CurrentPosition(), PackTmsf(2, 0, 19, 0));
        dev.Advance(1'000);
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(spy.isEmpty()); // delivered only from the event loop
        TSimulatedCdDrive::Deliver();
        QCOMPARE(Results(spy), QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(dev.NotifyResult(), TNotifyResult::Successful);

        // Superseded, then stopped: neither is Successful, each play reports once.
        spy.clear();
        dev.SetPlayFrom(PackTmsf(1, 0, 0, 0));
        dev.PlayRange();
        dev.SetPlayFrom(PackTmsf(3, 0, 0, 0));
        dev.PlayRange();
        dev.StopDevice();
        dev.Advance(60'000);
        TSimulatedCdDrive::Deliver();
        QCOMPARE(Results(spy),
                 (QList<TNotifyResult>{TNotifyResult::Superseded, TNotifyResult::Aborted}));

        // Pause ends the play; resuming goes on to the old end and reports once more.
        spy.clear();
        dev.SetPlayFrom(PackTmsf(3, 0, 0, 0));
        dev.PlayRange();
        dev.Advance(10'000);
        dev.PauseDevice();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Paused);
        dev.Advance(10'000);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(3, 0, 10, 0));
        dev.PauseDevice();
        dev.Advance(20'000);
        TSimulatedCdDrive::Deliver();
        QCOMPARE(Results(spy),
                 (QList<TNotifyResult>{TNotifyResult::Aborted, TNotifyResult::Successful}));
    }

    void closeLeavesThePlayRunning()
    {
        TSimulatedCdDrive dev;
        dev.InsertDisc(dev.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({100}, 1));
        dev.OpenDevice(QStringLiteral("sr0"));
        dev.PlayRange();
        dev.CloseDevice();
        QVERIFY(!dev.DeviceOpen());
        dev.Advance(3'000);
        dev.OpenDevice(QStringLiteral("sr0"));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Playing);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(1, 0, 3, 0));
    }

    void drivesWithoutAPlayableDisc()
    {
        TSimulatedCdDrive dev;
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, dev.OpenDevice(QString()));
        const int broken = dev.AddDrive(QStringLiteral("sr0"));
        const int empty = dev.AddDrive(QStringLiteral("sr1"));
        const int data = dev.AddDrive(QStringLiteral("sr2"));
        dev.SetUnavailable(broken, true);
        TSimDisc mixed = TSimDisc::Audio({10, 10}, 7);
        mixed.Tracks[0].Audio = false;
        dev.InsertDisc(data, mixed);
        QCOMPARE(dev.EnumerateCdDrives(), (QStringList{"sr0", "sr1", "sr2"}));

        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, dev.OpenDevice(QStringLiteral("sr0")));
        QVERIFY(!dev.DeviceOpen());
        dev.OpenDevice(QStringLiteral("sr1"));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Open);
        QVERIFY(!dev.DiscSerial(QStringLiteral("sr1")));
        dev.OpenDevice(QStringLiteral("sr2"));
        QCOMPARE(dev.DiscSerial(QStringLiteral("sr2")), std::optional<quint32>(7));
        QVERIFY(!dev.IsAudioTrack(1));
        QVERIFY(dev.IsAudioTrack(2));

        dev.OpenDoor();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Open);
        QVERIFY(!dev.DiscSerial(QStringLiteral("sr2")));
        dev.CloseDoor();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        dev.InsertDisc(empty, TSimDisc::Audio({5}, 9));
        QCOMPARE(dev.DiscSerial(QStringLiteral("sr1")), std::optional<quint32>(9));
    }
};

QTEST_GUILESS_MAIN(TestCdDevice)
#include "tst_cddevice.moc"
