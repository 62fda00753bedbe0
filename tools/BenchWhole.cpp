// The whole player as a user's process list shows it: the real program (offscreen, or on a
// virtual X server when Xvfb is installed) on the demo disc, with the playback service it
// starts, each in a sandbox of temporary home, settings, state and runtime folders, so that
// nothing of the user's is read or touched. A private session bus carries the Play.

#include "Bench.h"

#include <algorithm>
#include <cstdio>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString MprisName = QStringLiteral("org.mpris.MediaPlayer2.qlnx");

// What the process list shows of a process: CPU time (utime + stime, in the kernel's ticks),
// context switches of all its threads (voluntary and involuntary: each one a wake-up or a
// preemption) and resident memory.
struct TFigures
{
    double Cpu = 0;   // seconds, from /proc/PID/stat
    double CpuNs = 0; // the scheduler's exact sum, for comparison
    qint64 Switches = 0;
    double RssMb = 0;
};

TFigures Sample(qint64 pid)
{
    TFigures f;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        // After the name in parentheses: state is field 3, utime 14, stime 15.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        f.Cpu = (fields.value(11).toDouble() + fields.value(12).toDouble()) /
                double(::sysconf(_SC_CLK_TCK));
    }
    f.CpuNs = ProcessCpuNs(pid);
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
            if (line.contains("ctxt_switches:"))
                f.Switches += value.toLongLong();
            else if (line.startsWith("VmRSS:") && tid == QString::number(pid))
                f.RssMb = value.split(' ').value(0).toDouble() / 1024;
        }
    }
    return f;
}

// The processes running the program at exe (the service runs detached from the player).
QList<qint64> ProcessesOf(const QString& exe)
{
    QList<qint64> pids;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && QFile::symLinkTarget(proc.filePath(entry + QStringLiteral("/exe"))) == exe)
            pids.append(pid);
    }
    return pids;
}

// A virtual X server when Xvfb is installed (and QLNX_BENCH_QPA does not say offscreen);
// the display's name, or empty for the offscreen platform.
QString StartDisplay(QProcess& server)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty() || qEnvironmentVariable("QLNX_BENCH_QPA") == u"offscreen")
        return {};
    for (int n = 90; n < 200; ++n) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
        if (QFileInfo::exists(socket) || QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.setStandardOutputFile(QProcess::nullDevice());
        server.start(xvfb, {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        const auto listening = [&] { return QFileInfo::exists(socket); };
        if (WaitFor(5000, listening, 20))
            return QStringLiteral(":%1").arg(n);
        server.kill();
        server.waitForFinished();
        return {};
    }
    return {};
}

// The player's sound module goes with it; a build from before it had none.
bool CopyIfThere(const QString& from, const QString& to)
{
    return !QFileInfo::exists(from) || QFile::copy(from, to);
}

bool MakeDemoDisc(const QString& programDir)
{
    QProcess demo;
    demo.setStandardOutputFile(QProcess::nullDevice());
    demo.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qlnx_demodisc"),
               {programDir});
    return demo.waitForFinished(60'000) && demo.exitStatus() == QProcess::NormalExit &&
           demo.exitCode() == 0;
}

// A program folder of its own with the player, its service and the demo disc (whose settings
// name the image as the first drive), temporary home and XDG folders, and a session bus.
class TSandbox
{
public:
    explicit TSandbox(const QString& binDir)
    {
        const QString root = m_dir.path();
        for (const char* sub : {"prog", "home", "config", "state", "cache", "run"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(root + QStringLiteral("/run"), QFileDevice::ReadOwner |
                                                                 QFileDevice::WriteOwner |
                                                                 QFileDevice::ExeOwner);
        m_player = root + QStringLiteral("/prog/qlnx");
        m_service = root + QStringLiteral("/prog/qlnx-playd");
        m_ok = QFile::copy(binDir + QStringLiteral("/qlnx"), m_player) &&
               QFile::copy(binDir + QStringLiteral("/qlnx-playd"), m_service) &&
               CopyIfThere(binDir + QStringLiteral("/qlnx-audiosink.so"),
                           root + QStringLiteral("/prog/qlnx-audiosink.so")) &&
               MakeDemoDisc(root + QStringLiteral("/prog"));
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        m_env.insert(QStringLiteral("XDG_STATE_HOME"), root + QStringLiteral("/state"));
        m_env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        m_env.remove(QStringLiteral("QT_LOGGING_RULES"));
        const QString display = StartDisplay(m_display);
        m_platform = display.isEmpty() ? QStringLiteral("offscreen")
                                       : QStringLiteral("Xvfb %1").arg(display);
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                     display.isEmpty() ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
        if (!display.isEmpty())
            m_env.insert(QStringLiteral("DISPLAY"), display);
        // The bus prints its address, then serves until it is ended.
        m_bus.setProcessEnvironment(m_env);
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        if (m_bus.waitForStarted() && m_bus.waitForReadyRead(5000))
            m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                         QString::fromUtf8(m_bus.readLine().trimmed()));
        else
            m_ok = false;
    }
    ~TSandbox()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
        for (const qint64 pid : ProcessesOf(m_service))
            ::kill(pid_t(pid), SIGKILL);
        for (QProcess* p : {&m_bus, &m_display}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
    TSandbox(const TSandbox&) = delete;
    TSandbox& operator=(const TSandbox&) = delete;

    bool Ok() const { return m_ok; }
    const QString& Platform() const { return m_platform; }
    const QString& Service() const { return m_service; }
    QProcessEnvironment Env() const { return m_env; }

    // Starts the player and waits until it is on the bus (the window is up by then).
    bool StartPlayer(QProcess& player)
    {
        player.setProcessEnvironment(m_env);
        player.setStandardOutputFile(QProcess::nullDevice());
        player.setStandardErrorFile(QProcess::nullDevice());
        player.start(m_player, {});
        if (!player.waitForStarted())
            return false;
        QDBusConnection bus = QDBusConnection::connectToBus(
            m_env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("bench"));
        const auto registered = [&] {
            return player.state() == QProcess::Running &&
                   bus.interface()->isServiceRegistered(MprisName).value();
        };
        return WaitFor(10'000, registered, 20);
    }
    // Asks the player to play, as the desktop's media keys do.
    bool Play()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(
            m_env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("bench"));
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
            MprisName, QStringLiteral("/org/mpris/MediaPlayer2"),
            QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Play")));
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    static void Stop(QProcess& player)
    {
        ::kill(pid_t(player.processId()), SIGTERM);
        if (!player.waitForFinished(5000))
            player.kill();
        player.waitForFinished();
    }

private:
    QTemporaryDir m_dir;
    QString m_player;
    QString m_service;
    QProcessEnvironment m_env;
    QProcess m_bus;
    QProcess m_display;
    QString m_platform;
    bool m_ok = false;
};

void PrintProcess(const char* name, const TFigures& a, const TFigures& b, double seconds)
{
    const double cpu = b.Cpu - a.Cpu;
    std::printf("  %-18s %.3f s CPU (exactly %.3f s) = %.3f s per minute of audio; %.1f "
                "wake-ups/s; RSS %.1f MB\n",
                name, cpu, (b.CpuNs - a.CpuNs) / 1e9, cpu / seconds * 60,
                double(b.Switches - a.Switches) / seconds, b.RssMb);
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

void BenchWholePlayer(const QString& binDir, int seconds)
{
    TSandbox box(binDir);
    QProcess player;
    if (!box.Ok() || !box.StartPlayer(player)) {
        std::printf("Whole player: could not set it up (programs, demo disc, dbus-daemon)\n");
        return;
    }
    Pause(2000); // the disc is loaded
    QList<qint64> services;
    const auto serviceRuns = [&] { return !(services = ProcessesOf(box.Service())).isEmpty(); };
    const bool played = box.Play() && WaitFor(5000, serviceRuns, 20);
    if (!played) {
        std::printf("Whole player: the play did not start a service\n");
        TSandbox::Stop(player);
        return;
    }
    Pause(2000); // past the service's start-up
    const qint64 window = player.processId();
    const qint64 service = services.first();
    const TFigures w0 = Sample(window);
    const TFigures s0 = Sample(service);
    QElapsedTimer wall;
    wall.start();
    Pause(seconds * 1000);
    const TFigures w1 = Sample(window);
    const TFigures s1 = Sample(service);
    const double elapsed = double(wall.elapsed()) / 1000;
    std::printf("Whole player on the demo disc (%s, silent output), %.1f s of audio at real "
                "pace:\n",
                qPrintable(box.Platform()), elapsed);
    PrintProcess("window qlnx", w0, w1, elapsed);
    PrintProcess("service qlnx-playd", s0, s1, elapsed);
    const double perMinute = (w1.Cpu - w0.Cpu + s1.Cpu - s0.Cpu) / elapsed * 60;
    std::printf("  together %.3f s CPU per minute of audio (goal: under 0.10 s, and at most 0.2x "
                "another player's 0.56-0.62 s); RSS %.1f MB (goal: at most 54 MB)\n",
                perMinute, w1.RssMb + s1.RssMb);
    TSandbox::Stop(player);
}

void BenchIdlePlayer(const QString& binDir, int seconds)
{
    TSandbox box(binDir);
    QProcess player;
    if (!box.Ok() || !box.StartPlayer(player)) {
        std::printf("Idle player: could not set it up (programs, demo disc, dbus-daemon)\n");
        return;
    }
    Pause(3000); // the disc is loaded
    const bool serviceBefore = !ProcessesOf(box.Service()).isEmpty();
    const TFigures a = Sample(player.processId());
    QElapsedTimer wall;
    wall.start();
    Pause(seconds * 1000);
    const TFigures b = Sample(player.processId());
    const bool serviceAfter = !ProcessesOf(box.Service()).isEmpty();
    const double elapsed = double(wall.elapsed()) / 1000;
    std::printf("Idle player with the demo disc loaded (%s), %.0f s:\n", qPrintable(box.Platform()),
                elapsed);
    std::printf("  %.3f s CPU (exactly %.3f s), %.4f %% of one core (goal: under 0.03 %%); "
                "%.1f wake-ups/s; RSS %.1f MB; service process: %s (goal: none)\n",
                b.Cpu - a.Cpu, (b.CpuNs - a.CpuNs) / 1e9, (b.Cpu - a.Cpu) / elapsed * 100,
                double(b.Switches - a.Switches) / elapsed, b.RssMb,
                serviceBefore || serviceAfter ? "running" : "none");
    TSandbox::Stop(player);
}

void BenchStartup(const QString& binDir, int runs)
{
    TSandbox box(binDir);
    if (!box.Ok()) {
        std::printf("Start-up: could not set it up (programs, demo disc, dbus-daemon)\n");
        return;
    }
    QProcessEnvironment env = box.Env();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qlnx.startup.debug=true"));
    // From the start of the process to its report of the window's first paint, and for the
    // player on to the paint that shows the disc loaded.
    struct TTimes
    {
        double Painted = -1;
        double DiscShown = -1;
    };
    const auto time = [&env](const QString& program, bool isPlayer) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setReadChannel(QProcess::StandardError);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {});
        QByteArray said;
        TTimes times;
        const QByteArray last = isPlayer ? "disc shown" : "main window painted";
        // A player that finds no disc (or a build from before the report) never says it: once
        // painted, the disc gets two seconds more, not the whole ten.
        const auto deadline = [&] { return times.Painted < 0 ? 10'000 : times.Painted + 2000; };
        while (!said.contains(last) && timer.elapsed() < deadline() &&
               process.waitForReadyRead(int(deadline() - timer.elapsed()))) {
            said += process.readAllStandardError();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (times.Painted < 0 && said.contains("main window painted"))
                times.Painted = ms;
            if (said.contains("disc shown"))
                times.DiscShown = ms;
        }
        if (isPlayer)
            TSandbox::Stop(process);
        process.waitForFinished();
        Pause(300);
        return times;
    };
    QList<double> bare;
    QList<double> player;
    QList<double> disc;
    const QString window =
        QCoreApplication::applicationDirPath() + QStringLiteral("/qlnx_bench_window");
    const QString program = QFileInfo(box.Service()).path() + QStringLiteral("/qlnx");
    time(program, true); // the first start fills the caches
    const auto timePlayer = [&] {
        const TTimes times = time(program, true);
        player.append(times.Painted);
        disc.append(times.DiscShown);
    };
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            bare.append(time(window, false).Painted);
            timePlayer();
        } else {
            timePlayer();
            bare.append(time(window, false).Painted);
        }
    }
    const double b = Median(bare);
    const double p = Median(player);
    const double d = Median(disc);
    std::printf("Start-up to the first paint (%s, %d runs each, alternating):\n"
                "  bare frameless window median %.1f ms; player with the demo disc median %.1f "
                "ms = %.2fx (goal: at most 1.4x)",
                qPrintable(box.Platform()), runs, b, p, b > 0 ? p / b : 0.0);
    if (d > 0 && b > 0)
        std::printf("; the disc shown at %.1f ms = %.2fx\n", d, d / b);
    else
        std::printf("; the disc shown: not reported\n");
}
