#include <csignal>

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "drive/CdioDevice.h"
#include "playback/PlaybackController.h"
#include "playd/ServicePlayer.h"
#include "support/RecordingDisplay.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

// A player as the program makes it, on one disc image, playing through the real service
// program. The service plays in silence on a clock ten times as fast.
struct TPlayer
{
    TDiscModel Model;
    TRecordingDisplay Display;
    TServicePlayer* Service = nullptr;
    std::unique_ptr<TCdioDevice> Device;
    std::unique_ptr<TPlaybackController> Controller;
    std::unique_ptr<QSignalSpy> Notified;

    TPlayer(const QString& image, const QString& socket, const QString& programDir,
            bool stopAtClose)
    {
        auto service = std::make_unique<TServicePlayer>(TServiceSetup{
            .SocketName = socket,
            .Start =
                StartServiceProgram(QStringLiteral(QLNX_PLAYD_PROGRAM),
                                    {QStringLiteral("--socket"), socket, QStringLiteral("--silent"),
                                     QStringLiteral("--speed"), QStringLiteral("10"),
                                     QStringLiteral("--idle-exit"), QStringLiteral("300")}),
            // Just over the service's five seconds between reports, for a quick test.
            .QuietTimeoutMs = 6000});
        Service = service.get();
        Device = std::make_unique<TCdioDevice>(TCdioDeviceSetup{
            .ImagePaths = {image}, .PhysicalDrives = false, .Player = std::move(service)});
        Notified = std::make_unique<QSignalSpy>(Device.get(), &CdDevice::Notify);
        Controller = std::make_unique<TPlaybackController>(Model, *Device, Display, programDir);
        Controller->RestoreOption(TPlayOption::StopAtClose, stopAtClose);
        Controller->Startup(1);
    }
    // What Exit does to the device, and the program's end.
    void Close()
    {
        Controller->FormClose();
        Controller.reset();
        Notified.reset();
        Device.reset();
    }
    int Track() { return TmsfTrack(Device->CurrentPosition()); }
};

// Whether a service answers at the socket.
bool ServiceRuns(const QString& socket)
{
    QLocalSocket probe;
    probe.connectToServer(socket);
    return probe.waitForConnected(200);
}

} // namespace

// The disc left playing: a play outlives the player that started it and is picked up by the
// next one, as a disc in a drive would be; "Stop at Close" ends it; a killed service leaves
// nothing stuck. End to end, on an image, through the service program.
class TestServicePlayback : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_image;
    int m_sockets = 0;

    QString NewSocket() { return m_dir.filePath(QStringLiteral("playd%1").arg(++m_sockets)); }

private Q_SLOTS:
    void initTestCase()
    {
        // Three tracks of ten seconds: one second each for the service.
        m_image = WriteCueImage(m_dir.path(), QStringLiteral("disc"), {{750}, {750}, {750}});
    }

    void aDiscLeftPlayingIsPickedUpByTheNextStart()
    {
        const QString socket = NewSocket();
        auto first = std::make_unique<TPlayer>(m_image, socket, m_dir.path(), false);
        QTRY_VERIFY(!first->Controller->ProbePending());
        QCOMPARE(first->Model.TrackCount(), 3);
        QVERIFY(!ServiceRuns(socket)); // an idle player keeps no service
        first->Controller->PlayButtonClick();
        QTRY_VERIFY(first->Service->Connected());
        QCOMPARE(first->Device->DeviceMode(), TDeviceMode::Playing);
        first->Close();
        first.reset();

        // It plays on into the second track...
        TServicePlayer watcher({.SocketName = socket});
        QTRY_VERIFY(watcher.Settled());
        QCOMPARE(watcher.Status().State, TDiscPlayer::TState::Playing);
        QTRY_VERIFY(watcher.Status().Position >= 2352 * 800);

        // ... where the next start finds it: the playing track shown, Pause showing.
        TPlayer second(m_image, socket, m_dir.path(), false);
        QTRY_VERIFY(!second.Controller->ProbePending());
        QCOMPARE(second.Device->DeviceMode(), TDeviceMode::Playing);
        QVERIFY(!second.Display.PlayVisible);
        QVERIFY(second.Controller->OrderIndex() >= 2);
        QCOMPARE(second.Controller->CurrentTrack(), second.Track());

        // The play runs to the end of the run and its completion arrives: without Repeat the
        // order ends cued at entry 1, Play showing.
        QTRY_VERIFY_WITH_TIMEOUT(second.Display.PlayVisible, 10'000);
        // (The play the pick-up re-issued replaced the one it found: Superseded first.)
        QCOMPARE(second.Notified->last().at(0).value<TNotifyResult>(), TNotifyResult::Successful);
        QCOMPARE(second.Controller->OrderIndex(), 1);
        QCOMPARE(second.Device->DeviceMode(), TDeviceMode::Stopped);
        second.Close();
        QTRY_VERIFY(!ServiceRuns(socket));
    }

    void stopAtCloseEndsThePlay()
    {
        const QString socket = NewSocket();
        auto first = std::make_unique<TPlayer>(m_image, socket, m_dir.path(), true);
        QTRY_VERIFY(!first->Controller->ProbePending());
        first->Controller->PlayButtonClick();
        QTRY_VERIFY(first->Service->Connected());
        first->Close();
        first.reset();

        TPlayer second(m_image, socket, m_dir.path(), true);
        QTRY_VERIFY(!second.Controller->ProbePending());
        QCOMPARE(second.Device->DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(second.Display.PlayVisible);
        QCOMPARE(second.Controller->OrderIndex(), 1);
        QCOMPARE(second.Device->PlayFrom(), PackTmsf(1, 0, 0, 0));
        // Nothing plays: the service ends by itself.
        QTRY_VERIFY(!ServiceRuns(socket));
    }

    void aKilledOrHungServiceLeavesNothingStuck_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("killed") << int(SIGKILL);
        QTest::newRow("stopped") << int(SIGSTOP);
    }
    void aKilledOrHungServiceLeavesNothingStuck()
    {
        QFETCH(int, signal);
        // The signal follows the service's welcome at once, seconds before its play could end;
        // once signalled, the service ends nothing.
        const QString socket = NewSocket();
        TPlayer player(m_image, socket, m_dir.path(), true);
        QTRY_VERIFY(!player.Controller->ProbePending());
        player.Controller->PlayButtonClick();
        QTRY_VERIFY(player.Service->ServicePid() > 0);
        const qint64 first = player.Service->ServicePid();
        ::kill(pid_t(first), signal);

        // Stopped where it was, and no completion made up for the play (a stopped service is
        // noticed by its silence, 6 s here).
        QTRY_COMPARE_WITH_TIMEOUT(player.Device->DeviceMode(), TDeviceMode::Stopped, 10'000);
        QVERIFY(player.Notified->isEmpty());
        // The next play starts a service of its own and plays.
        player.Controller->PauseButtonClick();
        player.Controller->PlayButtonClick();
        QTRY_COMPARE(player.Device->DeviceMode(), TDeviceMode::Playing);
        QTRY_VERIFY(player.Service->Connected());
        QVERIFY(player.Service->ServicePid() != first);
        player.Close();
        ::kill(pid_t(first), SIGKILL);
    }
};

QTEST_GUILESS_MAIN(TestServicePlayback)
#include "tst_serviceplayback.moc"
