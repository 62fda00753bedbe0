#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "discid/DiscIdentity.h"
#include "drive/CdioDevice.h"
#include "drive/ScriptedDrive.h"
#include "playback/PlaybackController.h"
#include "support/CaptureOutput.h"
#include "support/Gate.h"
#include "support/RecordingDisplay.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

// The calls a scripted drive received, in order, from whatever thread.
struct TCallLog
{
    void Add(TDriveCall call)
    {
        QMutexLocker lock(&Mutex);
        Calls.append(call);
    }
    QList<TDriveCall> Taken()
    {
        QMutexLocker lock(&Mutex);
        return Calls;
    }
    int Count(TDriveCall call)
    {
        QMutexLocker lock(&Mutex);
        return int(Calls.count(call));
    }

    QMutex Mutex;
    QList<TDriveCall> Calls;
};

// A scripted drive whose calls of one kind wait at a gate the test holds.
struct THeldDrive
{
    std::shared_ptr<TGate> Gate = std::make_shared<TGate>(false);
    std::shared_ptr<TCallLog> Log = std::make_shared<TCallLog>();

    TBackendDrive Make(const QString& label, const QString& image, TDriveCall held,
                       TDriveScript script = {})
    {
        script.Before = [gate = Gate, log = Log, held](TDriveCall call) {
            log->Add(call);
            if (call == held)
                gate->Pass();
        };
        return {label, MakeScriptedDriveBackend(image, std::move(script))};
    }
};

// The longest time the event loop went without a pass while it ran for ms, measured with a
// timer that wants to run every millisecond.
qint64 LongestStallMs(qint64 ms)
{
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer pass;
    pass.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pass, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (now >= ms)
            loop.quit();
    });
    pass.start(1);
    loop.exec();
    return longest;
}

// A device call that waited for the drive would take as long as the test holds the drive;
// one that does not takes far less than this.
constexpr qint64 CallBudgetMs = 20;

} // namespace

// The drive monitor: a physical drive is only ever talked to by its own thread, so a drive
// that spins up, reads slowly or does not answer at all never holds up the caller; tray
// commands return at once and take effect in order; and the device always ends in time.
class TestDriveMonitor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_image;

    static std::unique_ptr<TCdioDevice> Device(std::vector<TBackendDrive> drives,
                                               QStringList images = {})
    {
        auto capture = std::make_unique<TCaptureOutput>();
        return std::make_unique<TCdioDevice>(
            TCdioDeviceSetup{.ImagePaths = images,
                             .PhysicalDrives = false,
                             .Output = std::move(capture),
                             .ReadAhead = TReadAhead::Thread,
                             .BackendDrives = std::move(drives),
                             .Monitor = {.PollMs = 10, .EjectRetryMs = 5}});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_image = WriteCueImage(m_dir.path(), QStringLiteral("disc"), {{225}, {300}, {150}});
    }

    void aSlowReadHoldsNobody()
    {
        THeldDrive held;
        std::vector<TBackendDrive> drives;
        drives.push_back(held.Make(QStringLiteral("sr0"), m_image, TDriveCall::ReadDisc));
        auto device = Device(std::move(drives));
        QTRY_COMPARE(held.Gate->Arrived(), 1);

        // While the disc is read: no identity, not ready, nothing to play; every answer comes
        // at once.
        QElapsedTimer call;
        call.start();
        QVERIFY(!device->DrivesSettled());
        QVERIFY(!device->DiscSerial(QStringLiteral("sr0")));
        device->OpenDevice(QStringLiteral("sr0"));
        QCOMPARE(device->DeviceMode(), TDeviceMode::NotReady);
        QCOMPARE(device->NumberOfTracks(), 0);
        QSignalSpy notify(device.get(), &CdDevice::Notify);
        device->SetPlayFrom(PackTmsf(1, 0, 0, 0));
        device->PlayRange();
        QVERIFY(call.elapsed() < CallBudgetMs);
        QTRY_COMPARE(notify.size(), 1);
        QCOMPARE(device->NotifyResult(), TNotifyResult::Failure);
        QCOMPARE(held.Gate->Passed(), 0);

        held.Gate->Open();
        QTRY_VERIFY(device->DrivesSettled());
        QCOMPARE(device->DiscSerial(QStringLiteral("sr0")), AudioDiscSerial({0, 225, 525}, 675));
        QCOMPARE(device->DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(device->NumberOfTracks(), 3);
    }

    void thePollLoadsTheDiscOnceRead()
    {
        // The first drive reads its disc slowly; an image drive after it is ready at once.
        // The start-up probe waits for the first drive, and the window's event loop runs on
        // meanwhile.
        THeldDrive held;
        std::vector<TBackendDrive> drives;
        drives.push_back(held.Make(QStringLiteral("sr0"), m_image, TDriveCall::ReadDisc));
        const QString other =
            WriteCueImage(m_dir.path(), QStringLiteral("other"), {{150}, {150}}, nullptr, 3);
        auto device = Device(std::move(drives), {other});
        QTemporaryDir programDir;
        TDiscModel model;
        TRecordingDisplay display;
        TPlaybackController controller(model, *device, display, programDir.path());
        controller.Startup(1);
        QVERIFY(controller.ProbePending());
        QCOMPARE(display.Title, QStringLiteral("Please wait..."));
        QCOMPARE(controller.Timer().interval(), TPlaybackController::SettleInterval);

        const qint64 stall = LongestStallMs(300);
        qInfo("longest event-loop stall while the drive was held: %lld ms", stall);
        QVERIFY2(stall < 50, qPrintable(QString::number(stall)));
        QVERIFY(controller.ProbePending());
        QCOMPARE(model.DiscID(), 0u);

        held.Gate->Open();
        QTRY_VERIFY(!controller.ProbePending());
        QCOMPARE(controller.DriveIndex(), 0);
        QCOMPARE(model.DiscID(), AudioDiscSerial({0, 225, 525}, 675));
        QCOMPARE(model.TrackCount(), 3);
        QCOMPARE(controller.Timer().interval(), TPlaybackController::DefaultInterval);

        // A tray the user's hand moves needs the poll; an image's does not.
        QVERIFY(!device->ModeFollowsCommands());
        controller.DriveComboChange(1);
        QCOMPARE(model.DiscID(), AudioDiscSerial({0, 150}, 300));
        QVERIFY(device->ModeFollowsCommands());
    }

    void aDiscStillSpinningUpShowsPleaseWait()
    {
        THeldDrive held;
        std::vector<TBackendDrive> drives;
        drives.push_back(held.Make(QStringLiteral("sr0"), m_image, TDriveCall::ReadDisc));
        auto device = Device(std::move(drives));
        QTemporaryDir programDir;
        TDiscModel model;
        TRecordingDisplay display;
        TPlaybackController controller(model, *device, display, programDir.path());
        controller.Startup(1);
        // The probe gives up waiting at last; the drive is tried, and is not ready.
        for (int i = 0; i < TPlaybackController::MaxSettleTicks; ++i)
            controller.TimerTimer();
        QVERIFY(!controller.ProbePending());
        QCOMPARE(display.Title, QStringLiteral("Please wait..."));
        QVERIFY(!display.ButtonsEnabled);
        controller.TimerTimer();
        QCOMPARE(display.Title, QStringLiteral("Please wait..."));
        QCOMPARE(model.DiscID(), 0u);

        // The first tick after the read loads the disc.
        held.Gate->Open();
        QTRY_VERIFY(device->DrivesSettled());
        controller.TimerTimer();
        QCOMPARE(model.DiscID(), AudioDiscSerial({0, 225, 525}, 675));
        QVERIFY(display.ButtonsEnabled);
    }

    void trayCommandsDuringASlowRead()
    {
        THeldDrive held;
        std::vector<TBackendDrive> drives;
        drives.push_back(held.Make(QStringLiteral("sr0"), m_image, TDriveCall::ReadDisc));
        auto device = Device(std::move(drives));
        QTRY_COMPARE(held.Gate->Arrived(), 1);
        device->OpenDevice(QStringLiteral("sr0"));

        QElapsedTimer call;
        call.start();
        device->OpenDoor();
        QVERIFY(call.elapsed() < CallBudgetMs);
        QCOMPARE(device->DeviceMode(), TDeviceMode::Open);
        QCOMPARE(held.Log->Count(TDriveCall::Eject), 0);

        // The eject comes once the read is over, and the disc read meanwhile is not taken.
        held.Gate->Open();
        QTRY_COMPARE(held.Log->Count(TDriveCall::Eject), 1);
        const QList<TDriveCall> calls = held.Log->Taken();
        QVERIFY(calls.indexOf(TDriveCall::Eject) > calls.indexOf(TDriveCall::ReadDisc));
        QTRY_VERIFY(device->DrivesSettled());
        QCOMPARE(device->DeviceMode(), TDeviceMode::Open);
        QVERIFY(!device->DiscSerial(QStringLiteral("sr0")));

        // Closed again, the disc is read afresh.
        device->CloseDoor();
        QTRY_COMPARE(held.Log->Count(TDriveCall::ReadDisc), 2);
        QTRY_COMPARE(device->DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(held.Log->Taken().lastIndexOf(TDriveCall::CloseTray) >
                held.Log->Taken().lastIndexOf(TDriveCall::Eject));
    }

    void drivesThatFail()
    {
        // A node that is no drive cannot be opened; a disc whose table of contents cannot be
        // read is an empty drive and is not read again until the tray moves; a tray that will
        // not open is asked again a few times.
        std::vector<TBackendDrive> drives;
        drives.push_back(
            {QStringLiteral("nodrive"), MakeScriptedDriveBackend(m_image, {.NoDrive = true})});
        THeldDrive noToc;
        drives.push_back(
            noToc.Make(QStringLiteral("notoc"), m_image, TDriveCall::IsDrive, {.NoToc = true}));
        THeldDrive stuck;
        drives.push_back(stuck.Make(QStringLiteral("stuck"), m_image, TDriveCall::IsDrive,
                                    {.RefuseEject = true}));
        noToc.Gate->Open();
        stuck.Gate->Open();
        auto device = Device(std::move(drives));
        QTRY_VERIFY(device->DrivesSettled());

        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, device->OpenDevice(QStringLiteral("nodrive")));
        device->OpenDevice(QStringLiteral("notoc"));
        QCOMPARE(device->DeviceMode(), TDeviceMode::Open);
        const int reads = noToc.Log->Count(TDriveCall::ReadDisc);
        QTRY_VERIFY(noToc.Log->Count(TDriveCall::Status) > 5);
        QCOMPARE(noToc.Log->Count(TDriveCall::ReadDisc), reads);

        device->OpenDevice(QStringLiteral("stuck"));
        QCOMPARE(device->DeviceMode(), TDeviceMode::Stopped);
        device->OpenDoor();
        QTRY_COMPARE(stuck.Log->Count(TDriveCall::Eject), TMonitorTiming{}.EjectAttempts);
        // It gave up; the disc in the closed tray is read again.
        QTRY_COMPARE(device->DeviceMode(), TDeviceMode::Stopped);
    }

    void endsInTimeWhateverTheDrivesDo()
    {
        // One drive is inside a read of audio that does not return, another inside a read of
        // its table of contents: the device still ends within two seconds, and the threads
        // it let go end later without touching what is gone.
        THeldDrive playing;
        THeldDrive reading;
        std::vector<TBackendDrive> drives;
        drives.push_back(playing.Make(QStringLiteral("sr0"), m_image, TDriveCall::ReadAudio));
        drives.push_back(reading.Make(QStringLiteral("sr1"), m_image, TDriveCall::ReadDisc));
        auto device = Device(std::move(drives));
        QTRY_VERIFY(device->DiscSerial(QStringLiteral("sr0")));
        device->OpenDevice(QStringLiteral("sr0"));
        device->SetPlayFrom(PackTmsf(1, 0, 0, 0));
        device->PlayRange();
        QTRY_COMPARE(playing.Gate->Arrived(), 1);
        QTRY_COMPARE(reading.Gate->Arrived(), 1);

        QElapsedTimer exit;
        exit.start();
        device.reset();
        QVERIFY2(exit.elapsed() < 2000, qPrintable(QString::number(exit.elapsed())));

        // Once the drives answer, the threads end and let go of everything they held.
        playing.Gate->Open();
        reading.Gate->Open();
        QTRY_COMPARE(playing.Gate.use_count(), 1);
        QTRY_COMPARE(reading.Gate.use_count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDriveMonitor)
#include "tst_drivemonitor.moc"
