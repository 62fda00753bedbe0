#include <QTest>

#include "disc/Tmsf.h"
#include "support/SimulatedCdDrive.h"

using namespace qlnx;

// The simulated drive as the playback tests script it: its log, unavailable drives, data
// tracks, doors and discs put in. The rules every device keeps are in tst_cddevicecontract.
class TestCdDevice : public QObject
{
    Q_OBJECT

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
