// The playback service's part of the playback benchmark: what playing through another process
// costs against playing in the player's own.

#include "Bench.h"

#include <atomic>
#include <cstdio>

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "audio/AudioOutput.h"
#include "drive/CdioDisc.h"
#include "playd/ServicePlayer.h"
#include "service/PlaybackService.h"

using namespace qlnx;

namespace {

TPlayedDisc Played(const QString& image)
{
    const auto disc = TCdioDisc::OpenImage(image).Disc;
    return disc ? TPlayedDisc{image, true, disc->Serial(), disc->Toc()} : TPlayedDisc{};
}

} // namespace

void BenchServiceLatency(const QString& image, const QString& playd)
{
    const TPlayedDisc disc = Played(image);
    QTemporaryDir dir;

    // A service already running, in a thread of this process so that the first sample its
    // output takes can be timed: the request crosses a real local socket.
    std::atomic<qint64> firstSample{-1};
    auto clock = std::make_shared<TSteadyClock>();
    QThread thread;
    thread.start();
    QObject host;
    host.moveToThread(&thread);
    TPlaybackService* service = nullptr;
    const QString socket = dir.filePath(QStringLiteral("warm"));
    QMetaObject::invokeMethod(
        &host,
        [&] {
            service = new TPlaybackService(
                {.SocketName = socket, .Output = MakeFirstSampleOutput(clock, firstSample)});
            service->Listen();
        },
        Qt::BlockingQueuedConnection);
    {
        TServicePlayer player({.SocketName = socket, .Start = [] { return true; }});
        WaitFor(2000, [&] { return player.Settled(); });
        QList<double> delays;
        for (int i = 0; i < 21; ++i) {
            firstSample = -1;
            const qint64 from = qint64(75 * (i % 19) + i % 75) * 2352;
            const qint64 start = clock->NowNs();
            player.Play(disc, nullptr, from, from + 2352 * 750, [](TNotifyResult) {});
            WaitFor(2000, [&] { return firstSample >= 0; });
            if (i > 0) // the first one also connects
                delays.append(firstSample < 0 ? 2000.0 : double(firstSample - start) / 1e6);
            Pause(200);
        }
        player.Stop();
        std::sort(delays.begin(), delays.end());
        std::printf("Through the playback service, already running (20 plays, image, silent "
                    "output):\n  PlayRange to first sample median %.2f ms, worst %.2f ms (goal: "
                    "under 30 ms)\n",
                    delays.at(delays.size() / 2), delays.back());
        player.Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    }
    QMetaObject::invokeMethod(
        &host, [&] { delete service; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();

    // No service yet: the first play starts the program. Timed until the service has answered
    // and been handed the play (its first sample follows within a millisecond or two, as
    // above).
    QList<double> starts;
    for (int i = 0; i < 5; ++i) {
        const QString cold = dir.filePath(QStringLiteral("cold%1").arg(i));
        TServicePlayer player(
            {.SocketName = cold,
             .Start = StartServiceProgram(
                 playd, {QStringLiteral("--socket"), cold, QStringLiteral("--silent")})});
        WaitFor(2000, [&] { return player.Settled(); });
        QElapsedTimer timer;
        timer.start();
        player.Play(disc, nullptr, 0, 2352 * 750, [](TNotifyResult) {});
        WaitFor(5000, [&] { return player.Connected(); });
        const qint64 pid = player.ServicePid();
        starts.append(double(timer.nsecsElapsed()) / 1e6);
        player.Stop();
        player.Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
    std::sort(starts.begin(), starts.end());
    std::printf("  with the service started by the play: PlayRange to the service connected "
                "median %.1f ms, worst %.1f ms\n",
                starts.at(starts.size() / 2), starts.back());
}

void BenchServiceCpu(const QString& image, const QString& playd)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("cpu"));
    TServicePlayer player({.SocketName = socket,
                           .Start = StartServiceProgram(playd, {QStringLiteral("--socket"), socket,
                                                                QStringLiteral("--silent")})});
    WaitFor(2000, [&] { return player.Settled(); });
    bool ended = false;
    const TPlayedDisc disc = Played(image);
    // A first short play starts the service, so that its start-up is not counted.
    player.Play(disc, nullptr, 0, 2352 * 10, [&](TNotifyResult) { ended = true; });
    WaitFor(5000, [&] { return ended && player.Connected(); });
    const qint64 pid = player.ServicePid();
    ended = false;
    const double service0 = ProcessCpuNs(pid);
    const double own0 = ProcessCpuNs(QCoreApplication::applicationPid());
    QElapsedTimer wall;
    wall.start();
    // Waited for without polling, so that only the player's side of the service counts.
    QEventLoop loop;
    QTimer::singleShot(40'000, &loop, &QEventLoop::quit);
    player.Play(disc, nullptr, 2352 * 375, 2352 * (375 + 30 * 75), [&](TNotifyResult r) {
        ended = r == TNotifyResult::Successful;
        loop.quit();
    });
    loop.exec();
    const double service = (ProcessCpuNs(pid) - service0) / 1e9;
    const double own = (ProcessCpuNs(QCoreApplication::applicationPid()) - own0) / 1e9;
    std::printf("Through the playback service, 30 s of audio at real pace (silent output):\n"
                "  %s in %.2f s; CPU %.3f s the service + %.3f s the player = %.3f s per "
                "minute of audio (goal: under 0.1 s)\n",
                ended ? "completed" : "no completion!", double(wall.elapsed()) / 1000, service, own,
                (service + own) * 2);
    player.Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
}
