// Measures playback on a disc image through the silent output:
// - latency: the delay from PlayRange to the first sample handed to the output;
// - cpu: the CPU time of the whole process per minute of audio, over a play of 30 s at real
//   pace;
// - service: the same two through the playback service (already running, and started by the
//   play), CPU of both processes;
// - drive: the longest event-loop stall while the playback logic works a slow drive, and how
//   long the device takes to end during a drive call that does not return;
// - whole: the real player and its service on the demo disc as the process list shows them:
//   CPU per minute of audio of both together, wake-ups per second and memory of each;
// - idle: the real player idle with the disc loaded: CPU, and that no service runs;
// - startup: the real player's start to its first paint against a bare frameless window.
// The first three measure the engine and the service on their own, in this process.
//
//   qlnx_bench_playback [--seconds N] [--runs N] [--programs DIR]
//                       [latency] [cpu] [service] [drive] [whole] [idle] [startup] [flac]
//
// whole and idle last --seconds (60), startup makes --runs (10) starts of each window; they run
// the programs of --programs DIR (default: beside the benchmark), to compare two builds. The
// windows are offscreen, or on a virtual X server of their own when Xvfb is installed
// (QLNX_BENCH_QPA=offscreen keeps them offscreen); dbus-daemon must be installed.
// - flac: the CPU time of decoding a FLAC image per minute of audio.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>

#include "Bench.h"
#include "audio/AudioOutput.h"
#include "disc/Tmsf.h"
#include "drive/CdioDevice.h"

using namespace qlnx;

namespace {

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QString WriteImage(const QString& dir, int seconds)
{
    QByteArray bin(qsizetype(seconds) * 75 * 2352, '\0');
    for (qsizetype i = 0; i < bin.size(); ++i)
        bin[i] = char((i * 31 + i / 2352) & 0xFF);
    QFile b(dir + QStringLiteral("/bench.bin"));
    b.open(QIODevice::WriteOnly);
    b.write(bin);
    QFile c(dir + QStringLiteral("/bench.cue"));
    c.open(QIODevice::WriteOnly);
    c.write("FILE \"bench.bin\" BINARY\n"
            "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
            "  TRACK 02 AUDIO\n    INDEX 01 00:20:00\n");
    return c.fileName();
}

// Waits in the event loop until the device reports a completion or ms pass.
bool WaitForNotify(CdDevice& device, int ms)
{
    QEventLoop loop;
    bool done = false;
    QObject::connect(&device, &CdDevice::Notify, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done;
}

// CPU time of each thread of the process, by thread name, from the scheduler's statistics.
QMap<QString, double> ThreadSeconds()
{
    QMap<QString, double> seconds;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        QFile stat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (!comm.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromUtf8(comm.readAll().trimmed()) + u'/' + tid;
        seconds[name] = stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return seconds;
}

void BenchLatency(const QString& image)
{
    // Delay to the first sample: the time from PlayRange to the first bytes the silent
    // output takes, over 20 plays at different places.
    std::atomic<qint64> firstSample{-1};
    auto clock = std::make_shared<TSteadyClock>();
    auto output = MakeFirstSampleOutput(clock, firstSample);
    QList<double> delays;
    {
        TCdioDevice device(
            {.ImagePaths = {image}, .PhysicalDrives = false, .Output = std::move(output)});
        device.OpenDevice(QStringLiteral("bench.cue"));
        for (int i = 0; i < 20; ++i) {
            firstSample = -1;
            device.SetPlayFrom(PackTmsf(1 + i % 2, 0, (i * 7) % 19, i % 75));
            const qint64 start = clock->NowNs();
            device.PlayRange();
            QElapsedTimer guard;
            guard.start();
            while (firstSample < 0 && guard.elapsed() < 2000)
                Pause(1);
            delays.append(firstSample < 0 ? 2000.0 : double(firstSample - start) / 1e6);
            Pause(200);
        }
        device.StopDevice();
    }
    std::sort(delays.begin(), delays.end());
    std::printf("PlayRange to first sample handed to the output (20 plays, image, silent output):\n"
                "  median %.2f ms, worst %.2f ms (goal: under 150 ms)\n",
                delays.at(delays.size() / 2), delays.back());
}

// CPU time over 30 s of audio at real pace.
void BenchCpu(const QString& image)
{
    {
        TCdioDevice device(
            {.ImagePaths = {image}, .PhysicalDrives = false, .Output = MakeSilentAudioOutput()});
        device.OpenDevice(QStringLiteral("bench.cue"));
        device.SetPlayFrom(PackTmsf(1, 0, 5, 0));
        device.SetPlayTo(PackTmsf(2, 0, 15, 0));
        QElapsedTimer wall;
        const QMap<QString, double> threads0 = ThreadSeconds();
        const double cpu0 = CpuSeconds();
        wall.start();
        device.PlayRange();
        const bool ended = WaitForNotify(device, 40'000);
        const double cpu = CpuSeconds() - cpu0;
        const double seconds = double(wall.elapsed()) / 1000.0;
        const QMap<QString, double> threads = ThreadSeconds();
        std::printf("CPU time while playing 30 s of audio from an image (silent output):\n"
                    "  %.3f s CPU in %.2f s wall (%s); %.3f s CPU per minute of audio, %.2f %% of "
                    "one core (goal: under 0.1 s per minute)\n",
                    cpu, seconds, ended ? "play completed" : "no completion!", cpu * 2,
                    cpu / seconds * 100);
        for (auto it = threads.cbegin(); it != threads.cend(); ++it) {
            const double used = it.value() - threads0.value(it.key());
            if (used >= 0.0005)
                std::printf("    thread %-28s %.3f s\n", qPrintable(it.key()), used);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList all{QStringLiteral("latency"), QStringLiteral("cpu"),
                          QStringLiteral("service"), QStringLiteral("drive"),
                          QStringLiteral("whole"),   QStringLiteral("idle"),
                          QStringLiteral("startup"), QStringLiteral("flac")};
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures playback on a disc image."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("How long whole and idle measure (60)."),
                                           QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Starts of each window for startup (10)."),
                                        QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption programsOption(
        QStringLiteral("programs"),
        QStringLiteral("Where whole, idle and startup take qlnx and qlnx-playd from (the "
                       "benchmark's own folder), to compare builds."),
        QStringLiteral("DIR"));
    parser.addOptions({secondsOption, runsOption, programsOption});
    parser.addPositionalArgument(QStringLiteral("parts"),
                                 all.join(u' ') + QStringLiteral(" (all by default)"),
                                 QStringLiteral("[parts...]"));
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "%s\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    QStringList parts = parser.positionalArguments();
    for (const QString& part : parts) {
        if (!all.contains(part)) {
            std::fprintf(stderr, "unknown part %s\n%s", qPrintable(part),
                         qPrintable(parser.helpText()));
            return 2;
        }
    }
    if (parts.isEmpty())
        parts = all;
    QTemporaryDir dir;
    const QString image = WriteImage(dir.path(), 45);
    const QString playd = app.applicationDirPath() + QStringLiteral("/qlnx-playd");
    const int seconds = std::max(1, parser.value(secondsOption).toInt());
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const QString programs = parser.isSet(programsOption)
                                 ? QDir(parser.value(programsOption)).absolutePath()
                                 : app.applicationDirPath();
    for (const QString& part : parts) {
        if (part == QLatin1String("latency"))
            BenchLatency(image);
        else if (part == QLatin1String("cpu"))
            BenchCpu(image);
        else if (part == QLatin1String("service"))
            BenchServiceLatency(image, playd), BenchServiceCpu(image, playd);
        else if (part == QLatin1String("drive"))
            BenchSlowDrive(image);
        else if (part == QLatin1String("whole"))
            BenchWholePlayer(programs, seconds);
        else if (part == QLatin1String("idle"))
            BenchIdlePlayer(programs, seconds);
        else if (part == QLatin1String("startup"))
            BenchStartup(programs, runs);
        else if (part == QLatin1String("flac"))
            BenchFlacDecode(180);
        std::fflush(stdout);
    }
    return 0;
}
