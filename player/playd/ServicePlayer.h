#pragma once

#include <chrono>
#include <functional>
#include <map>

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include "audio/AudioOutput.h"
#include "audio/DiscPlayer.h"
#include "playd/Protocol.h"

namespace qlnx {

class TLocalSocket;

struct TServiceSetup
{
    QString SocketName{};
    // Starts a service that will listen at SocketName; false when none can be started.
    std::function<bool()> Start{};
    // The protocol version spoken (tests pretend to be other versions).
    quint16 Version = ProtocolVersion;
    // How long a service that was started is waited for, and one that took the connection is
    // waited for to answer.
    int StartTimeoutMs = 5000;
    int GreetingTimeoutMs = 2000;
    // A service that leaves a request unanswered this long is hung, and so is one that reports
    // nothing for QuietTimeoutMs while it plays (it reports every five seconds then).
    int SilenceTimeoutMs = 5000;
    int QuietTimeoutMs = 12000;
    // What a running play's position moves on with between the service's reports.
    std::shared_ptr<const TClock> Clock = std::make_shared<TSteadyClock>();
};

// Plays through the playback service, so that a play goes on after the player has ended.
//
// It looks for a running service at once and takes over what it plays (Settled once it knows);
// it starts one only when a play needs it. Requests go out in order; until the service has
// answered them, the status shows what they will do, and between the service's reports a
// running play's position moves on with the clock. A service that goes away while requests
// were on their way is started again and asked again; one that goes away otherwise (killed,
// crashed, or ended when idle) leaves the play Stopped where it was last heard of, and no
// completion is made up for it; one that falls silent (hung, stopped) is taken for gone the
// same way and ended. A service of another version is asked to retire when a play
// needs the socket. A peer of another user, or anything not ours at the name, is never spoken
// to: a play that needs the service then fails.
class TServicePlayer final : public QObject, public TDiscPlayer
{
    Q_OBJECT
public:
    explicit TServicePlayer(TServiceSetup setup, QObject* parent = nullptr);
    ~TServicePlayer() override;

    void Play(const TPlayedDisc& disc, std::shared_ptr<TSectorSource> audio, qint64 from, qint64 to,
              TCompletion done) override;
    void Stop() override;
    void Pause() override;
    void Resume(TCompletion done) override;
    void Detach() override;
    void Forget(const QString& path) override;
    TStatus Status() override;
    bool Settled() override { return m_settled; }
    // Sends what is still to be sent (a Stop at close), then lets go; a play goes on.
    void Shutdown(std::chrono::steady_clock::time_point deadline) override;

    // The service's process, once one has answered; 0 before.
    qint64 ServicePid() const { return m_pid; }
    // Talking with a service of this version.
    bool Connected() const { return m_link == TLink::Ready; }
    // Every request has been answered by the service: none would be asked again of the next.
    bool Answered() const { return m_queue.isEmpty() && m_unacked.isEmpty(); }
    // Messages read from services so far.
    quint64 Heard() const { return m_heard; }

Q_SIGNALS:
    // The service's name is held by something that is not ours, so nothing plays through it:
    // said once, for the window to tell the user (a play only fails).
    void NameTaken(const QString& message);

private:
    enum class TLink
    {
        Looking,  // asking whether a service runs
        Absent,   // none runs
        Starting, // one was started; connecting until it listens
        Greeting, // connected, waiting for its welcome
        Ready,
        Foreign, // one of another version runs
        Retiring // that one was asked to go
    };

    void Connect();
    void Connected_();
    void ConnectFailed();
    void Disconnected();
    void ReadyRead();
    void Handle(const TMessage& message);
    void Request(TMessage message, bool needsService);
    void Write(const TMessage& message);
    void Flush();
    void NeedService();
    void GiveUp();
    void WatchSilence();
    void Hung();
    qint64 PositionNow() const;
    void SetStatus(TState state, qint64 position);

    TServiceSetup m_setup;
    TLocalSocket* m_socket;
    QTimer m_retry;
    QTimer m_greeting;
    QTimer m_silence;
    QElapsedTimer m_started;
    TFrameReader m_reader;
    TLink m_link = TLink::Looking;
    bool m_settled = false;
    qint64 m_pid = 0;
    int m_starts = 0;         // services started since one last answered
    bool m_nameTaken = false; // found the name held by what is not ours
    bool m_nameTakenSaid = false;

    QList<TMessage> m_queue;   // not sent yet
    QList<TMessage> m_unacked; // sent, not known to be handled
    quint32 m_seq = 0;
    quint32 m_playId = 0; // the latest play started here
    std::map<quint32, TCompletion> m_completions;

    // What plays, as last heard or as asked for since, and when that was.
    TStatus m_status;
    qint64 m_end = 0;
    qint64 m_statusAtNs = 0;
    quint64 m_heard = 0;
};

// The service's rendezvous: product and uid, in the user's private socket directory (see
// PrivateSocketDirectory); empty when there is none.
QString DefaultServiceName();

// Starts the service program detached from the player (a session of its own, no terminal),
// so that it outlives it.
std::function<bool()> StartServiceProgram(const QString& program, const QStringList& arguments);

} // namespace qlnx
