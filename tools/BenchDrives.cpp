// The drive parts of the playback benchmark: what a slow drive does to the window's event
// loop and to the end of the program.

#include "Bench.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "audio/AudioOutput.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "drive/CdioDevice.h"
#include "drive/ScriptedDrive.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackDisplay.h"

using namespace qlnx;

namespace {

// A display that shows nothing: the benchmark watches the event loop, not the screen.
class TNullDisplay final : public TPlaybackDisplay
{
public:
    void ResetDisplay() override {}
    void FillTrackList(std::span<const quint8>) override {}
    void ShowCurrentTrack(int) override {}
    void ShowPosition(quint32, int) override {}
    void SetTitlePanelText(const QString&) override {}
    void SetTitlePanelHint(const QString&) override {}
    void EnableButtons(bool) override {}
    void EnableEjectButton(bool) override {}
    void ShowPlayButton(bool) override {}
    void SetDriveList(const QStringList&) override {}
    void SetDriveItemIndex(int) override {}
    void SetOptionChecked(TPlayOption, bool) override {}
    void SetOptionEnabled(TPlayOption, bool) override {}
    void ReportError(const QString&) override {}
};

// Runs the event loop until done() holds or ms pass; returns the longest gap between two
// passes of a timer that wants to run every millisecond.
template <typename Done> qint64 LongestStall(int ms, Done done)
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
        if (now >= ms || done())
            loop.quit();
    });
    pass.start(1);
    loop.exec();
    return longest;
}

} // namespace

double ProcessCpuNs(qint64 pid)
{
    double ns = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            ns += stat.readAll().split(' ').value(0).toDouble();
    }
    return ns;
}

std::unique_ptr<TAudioOutput> MakeFirstSampleOutput(std::shared_ptr<const TClock> clock,
                                                    std::atomic<qint64>& firstSample)
{
    return std::make_unique<TThreadedOutput>(
        QList<TBackendFactory>{[clock, &firstSample] {
            return std::make_unique<TSilentBackend>(
                clock, [clock, &firstSample](const char*, qint64) {
                    qint64 expected = -1;
                    firstSample.compare_exchange_strong(expected, clock->NowNs());
                });
        }},
        clock);
}

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BenchSlowDrive(const QString& image)
{
    // Once armed, a read of the table of contents does not return for 5 s and cannot be cut
    // short, as a drive stuck on a bad disc.
    auto stuck = std::make_shared<std::atomic<bool>>(false);
    std::vector<TBackendDrive> drives;
    drives.push_back({QStringLiteral("slow"),
                      MakeScriptedDriveBackend(
                          image, {.SpinUpMs = 2000,
                                  .TocReadMs = 5000,
                                  .SlowReadMs = 5000,
                                  .Before = [stuck](TDriveCall call) {
                                      if (call == TDriveCall::ReadDisc && *stuck)
                                          std::this_thread::sleep_for(std::chrono::seconds(5));
                                  }})});
    auto device =
        std::make_unique<TCdioDevice>(TCdioDeviceSetup{.PhysicalDrives = false,
                                                       .Output = MakeSilentAudioOutput(),
                                                       .BackendDrives = std::move(drives)});
    QTemporaryDir programDir;
    TDiscModel model;
    TNullDisplay display;
    TPlaybackController controller(model, *device, display, programDir.path());
    controller.RestoreOption(TPlayOption::Repeat, true);
    controller.RestoreOption(TPlayOption::StopAtClose, true);

    QElapsedTimer phase;
    phase.start();
    controller.Startup();
    const qint64 loading =
        LongestStall(20'000, [&] { return model.DiscID() != 0 && !controller.ProbePending(); });
    std::printf("Slow drive (spin-up 2 s, table of contents 5 s, first audio read 5 s):\n"
                "  disc loaded after %.1f s; longest event-loop stall meanwhile %lld ms "
                "(goal: under 20 ms)\n",
                double(phase.elapsed()) / 1000, loading);

    phase.restart();
    controller.PlayButtonClick();
    const qint64 playing =
        LongestStall(20'000, [&] { return TmsfSeconds(device->CurrentPosition()) >= 1; });
    std::printf("  first second played after %.1f s; longest event-loop stall meanwhile %lld ms\n",
                double(phase.elapsed()) / 1000, playing);

    // Eject and close again: the tray commands return at once, the disc is read afresh.
    phase.restart();
    controller.EjectButtonClick();
    const qint64 ejectCall = phase.elapsed();
    LongestStall(500, [] { return false; });
    *stuck = true;
    controller.EjectButtonClick();
    const qint64 reloading = LongestStall(1000, [] { return false; });
    std::printf("  eject: call returned in %lld ms; longest event-loop stall while the tray "
                "moved and the disc was read again %lld ms\n",
                ejectCall, reloading);

    // The program ends while the drive is inside a read that does not return.
    QElapsedTimer exit;
    exit.start();
    device.reset();
    std::printf("  device ended %lld ms after it was asked to, during a stuck read (goal: "
                "under 2000 ms)\n",
                exit.elapsed());
}
