// The playback service: started by the player when a play needs it, never by hand. It plays
// on after the player has ended and ends by itself once nothing plays.
//
//   qlnx-playd --socket NAME [--silent] [--speed N] [--stall-output MS] [--idle-exit MS]
//
// --silent plays without the sound system, --speed N then runs its clock N times as fast (for
// tests); --stall-output MS starts every play on an output that stalls that far into it.

#include <csignal>

#include <QCoreApplication>
#include <QDir>

#include "audio/AudioOutput.h"
#include "audiosink/AudioSinkBackend.h"
#include "drive/CdioDisc.h"
#include "service/PlaybackService.h"

using namespace qlnx;

namespace {

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
    QCoreApplication app(argc, argv);
    // It outlives the terminal and the session leader that started the player.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QDir::setCurrent(QStringLiteral("/"));

    TServiceConfig config;
    bool silent = false;
    qint64 speed = 1;
    int stallMs = 0;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const QString value = args.value(i + 1);
        if (arg == QLatin1String("--socket"))
            config.SocketName = value, ++i;
        else if (arg == QLatin1String("--silent"))
            silent = true;
        else if (arg == QLatin1String("--speed"))
            speed = std::max(1, value.toInt()), ++i;
        else if (arg == QLatin1String("--stall-output"))
            stallMs = std::max(0, value.toInt()), ++i;
        else if (arg == QLatin1String("--idle-exit"))
            config.IdleExitMs = std::max(0, value.toInt()), ++i;
    }
    if (config.SocketName.isEmpty())
        return 2;
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
