// The playback service: started by the player when a play needs it, never by hand. It plays
// on after the player has ended and ends by itself once nothing plays.
//
//   qlnx-playd --socket NAME [--silent] [--speed N] [--stall-output MS] [--idle-exit MS]
//              [--log FILE]
//
// --silent plays without the sound system, --speed N then runs its clock N times as fast (for
// tests); --stall-output MS starts every play on an output that stalls that far into it. It
// logs to $XDG_STATE_HOME/qlnx/qlnx-playd.log unless --log names another file (- for standard
// error).

#include <csignal>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include "audio/AudioOutput.h"
#include "audiosink/AudioSinkBackend.h"
#include "base/Log.h"
#include "base/LogFile.h"
#include "base/Version.h"
#include "drive/CdioDisc.h"
#include "service/PlaybackService.h"

using namespace qlnx;

namespace {

constexpr qint64 LogFileBytes = 1024 * 1024;

class TFastClock final : public TClock
{
public:
    explicit TFastClock(qint64 speed) : m_speed(speed), m_start(m_steady.NowNs()) {}
    qint64 NowNs() const override { return m_start + (m_steady.NowNs() - m_start) * m_speed; }

private:
    TSteadyClock m_steady;
    qint64 m_speed;
    qint64 m_start;
};

} // namespace

int main(int argc, char** argv)
{
    // No GUI and no GLib users here: Qt's own event loop wakes up less and does less when it
    // does.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    // It outlives the terminal and the session leader that started the player.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QDir::setCurrent(QStringLiteral("/"));

    app.setApplicationVersion(ProductVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The playback service of qlnx, started by the player when a play needs it."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption socketOption(QStringLiteral("socket"),
                                          QStringLiteral("Listen on the local socket NAME."),
                                          QStringLiteral("NAME"));
    const QCommandLineOption silentOption(QStringLiteral("silent"),
                                          QStringLiteral("Play without the sound system."));
    const QCommandLineOption speedOption(QStringLiteral("speed"),
                                         QStringLiteral("With --silent, run N times as fast."),
                                         QStringLiteral("N"));
    const QCommandLineOption stallOption(
        QStringLiteral("stall-output"),
        QStringLiteral("Start every play on an output that stalls MS into it."),
        QStringLiteral("MS"));
    const QCommandLineOption idleOption(QStringLiteral("idle-exit"),
                                        QStringLiteral("End MS after nothing plays."),
                                        QStringLiteral("MS"));
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Log to FILE (default $XDG_STATE_HOME/qlnx/qlnx-playd.log), - for "
                       "standard error."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {socketOption, silentOption, speedOption, stallOption, idleOption, logOption});
    // Unknown options and stray arguments are refused: a service started wrongly says so.
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "qlnx-playd: %s\n",
                     qPrintable(parser.positionalArguments().isEmpty()
                                    ? parser.errorText()
                                    : QStringLiteral("unexpected argument")));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    TServiceConfig config;
    config.SocketName = parser.value(socketOption);
    const bool silent = parser.isSet(silentOption);
    const qint64 speed = std::max(1, parser.value(speedOption).toInt());
    const int stallMs = std::max(0, parser.value(stallOption).toInt());
    if (parser.isSet(idleOption))
        config.IdleExitMs = std::max(0, parser.value(idleOption).toInt());
    if (config.SocketName.isEmpty()) {
        std::fprintf(stderr, "qlnx-playd: --socket NAME is required\n");
        return 2;
    }
    // The player starts the service with its output going nowhere, so it keeps a log of its
    // own, bounded: the current file and one older one of at most 1 MB each.
    const QString logFile = parser.isSet(logOption)
                                ? parser.value(logOption)
                                : StateDirectory() + QStringLiteral("/qlnx-playd.log");
    if (logFile != u"-" && !InstallLogFile(logFile, LogFileBytes))
        qCWarning(lcPlayd, "cannot write the log file %s", qPrintable(logFile));
    InstallCdioLogHandler();
    if (silent) {
        auto clock = std::make_shared<TFastClock>(speed);
        config.Output = std::make_unique<TThreadedOutput>(
            QList<TBackendFactory>{[clock] { return std::make_unique<TSilentBackend>(clock); }},
            clock);
    } else {
        config.Output = MakeSystemAudioOutput(stallMs);
    }
    TPlaybackService service(std::move(config));
    if (!service.Listen())
        return 1; // another service serves there
    QObject::connect(&service, &TPlaybackService::Finished, &app, &QCoreApplication::quit);
    return app.exec();
}
