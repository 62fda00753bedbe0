#include "service/PlaybackService.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include "fileio/LocalSocket.h"
#include "fileio/PrivateSocket.h"

namespace qlnx {

namespace {

// Players at once: a handful in practice; the cap keeps a flood from using up descriptors.
constexpr std::size_t MaxClients = 32;

} // namespace

struct TPlaybackService::TClient
{
    TLocalSocket* Socket = nullptr;
    TFrameReader Reader;
    quint32 LastSeq = 0;
    bool Welcomed = false; // said hello in our version
};

TPlaybackService::TPlaybackService(TServiceConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)),
      m_player(std::move(m_config.Output), m_config.ReadAhead), m_server(new TLocalServer(this)),
      m_statusTimer(this), m_idleTimer(this)
{
    connect(m_server, &TLocalServer::NewConnection, this, &TPlaybackService::Accept);
    m_statusTimer.setInterval(m_config.StatusMs);
    connect(&m_statusTimer, &QTimer::timeout, this, &TPlaybackService::BroadcastStatus);
    // From the output's thread; a call still queued when the service goes is dropped with it.
    m_player.OnBehindChanged([this] {
        QMetaObject::invokeMethod(this, &TPlaybackService::BroadcastStatus, Qt::QueuedConnection);
    });
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(m_config.IdleExitMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &TPlaybackService::End);
}

TPlaybackService::~TPlaybackService()
{
    m_player.Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    // The socket goes while the lock still says it is ours; then the lock.
    m_server->Close();
    if (m_lock >= 0)
        ::close(m_lock);
}

bool TPlaybackService::Listen()
{
    // The name is ours while we hold its lock: a second service never takes it from a live
    // one, and what is at the name under the lock is left by one that is gone.
    const QString& name = m_config.SocketName;
    if (InspectSocketName(name) == TSocketName::Foreign)
        return false;
    m_lock = ::open(QFile::encodeName(name + QStringLiteral(".lock")).constData(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        if (m_lock >= 0)
            ::close(m_lock);
        m_lock = -1;
        return false;
    }
    if (InspectSocketName(name) == TSocketName::Ours)
        TLocalServer::RemoveServer(name);
    if (!m_server->Listen(name))
        return false;
    UpdateIdle();
    return true;
}

void TPlaybackService::Accept()
{
    while (TLocalSocket* socket = m_server->NextPendingConnection()) {
        // Another user's process is not served, and past the cap nobody is: the service
        // never runs out of descriptors for its own socket.
        if (!PeerIsUs(socket->Descriptor()) || m_clients.size() >= MaxClients) {
            socket->Abort();
            socket->deleteLater();
            continue;
        }
        auto client = std::make_unique<TClient>();
        client->Socket = socket;
        m_clients.push_back(std::move(client));
        connect(socket, &TLocalSocket::ReadyRead, this, [this, socket] {
            for (const auto& c : m_clients) {
                if (c->Socket == socket) {
                    Read(*c);
                    return;
                }
            }
        });
        connect(socket, &TLocalSocket::Disconnected, this, [this, socket] { Drop(socket); });
    }
    UpdateIdle();
}

void TPlaybackService::Drop(TLocalSocket* socket)
{
    std::erase_if(m_clients, [socket](const auto& c) { return c->Socket == socket; });
    socket->deleteLater();
    UpdateIdle();
}

void TPlaybackService::Read(TClient& client)
{
    TLocalSocket* socket = client.Socket;
    client.Reader.Append(socket->ReadAll());
    TMessage message;
    for (;;) {
        const TFrameReader::TResult result = client.Reader.Next(message);
        if (result == TFrameReader::TResult::NeedMore)
            return;
        if (result == TFrameReader::TResult::Broken) {
            // Not one of ours: it is not listened to any more.
            socket->Abort();
            return;
        }
        Handle(client, message);
        // Handling may have ended the connection or the service.
        if (std::none_of(m_clients.cbegin(), m_clients.cend(),
                         [socket](const auto& c) { return c->Socket == socket; }))
            return;
    }
}

void TPlaybackService::Send(TClient& client, const TMessage& message)
{
    client.Socket->Write(EncodeFrame(message));
    ++m_sent;
}

void TPlaybackService::SendStatus(TClient& client)
{
    if (!client.Welcomed)
        return;
    const TDiscPlayer::TStatus status = m_player.Status();
    TMessage m;
    m.Type = TMessageType::Status;
    m.Seq = client.LastSeq;
    m.State = status.State;
    m.Disc = status.Disc;
    m.Position = status.Position;
    m.To = m_end;
    m.PlayId = m_playId;
    Send(client, m);
}

void TPlaybackService::BroadcastStatus()
{
    for (const auto& client : m_clients)
        SendStatus(*client);
    // Behind the clock, the players' own clocks run ahead of what is heard: they hear of it
    // more often until the drive has caught up.
    const int interval = m_player.Behind() ? m_config.BehindStatusMs : m_config.StatusMs;
    if (m_statusTimer.interval() != interval)
        m_statusTimer.setInterval(interval);
}

TDiscPlayer::TCompletion TPlaybackService::Completion(TClient& client, quint32 playId)
{
    // From the output's thread; delivered here, to the player that started the play if it is
    // still connected.
    return [this, socket = QPointer<TLocalSocket>(client.Socket), playId](TNotifyResult result) {
        QMetaObject::invokeMethod(
            this, [this, socket, playId, result] { Complete(socket, playId, result); },
            Qt::QueuedConnection);
    };
}

void TPlaybackService::Complete(TLocalSocket* socket, quint32 playId, TNotifyResult result)
{
    for (const auto& client : m_clients) {
        if (client->Socket == socket && socket) {
            TMessage m;
            m.Type = TMessageType::Completion;
            m.PlayId = playId;
            m.Result = result;
            Send(*client, m);
        }
    }
    BroadcastStatus();
    UpdateIdle();
}

std::shared_ptr<TCdioDisc> TPlaybackService::OpenDisc(const TPlayedDisc& disc)
{
    if (m_disc && m_discIdentity == disc)
        return m_disc;
    m_disc.reset();
    const TCdioDisc::TOpened opened =
        disc.Image ? TCdioDisc::OpenImage(disc.Path) : TCdioDisc::OpenDrive(disc.Path, false);
    // Another disc in the drive than the player saw is not played.
    if (!opened.Disc || opened.Disc->Serial() != disc.Serial || opened.Disc->Toc() != disc.Toc)
        return nullptr;
    m_disc = opened.Disc;
    m_discIdentity = disc;
    return m_disc;
}

void TPlaybackService::Handle(TClient& client, const TMessage& m)
{
    if (m.Type == TMessageType::Hello) {
        TMessage welcome;
        welcome.Type = TMessageType::Welcome;
        welcome.Pid = QCoreApplication::applicationPid();
        Send(client, welcome);
        client.Welcomed = m.Magic == ProtocolMagic && m.Version == ProtocolVersion;
        SendStatus(client);
        return;
    }
    if (m.Type == TMessageType::Retire) {
        // A player of another version needs the socket: whatever plays ends. Those who end
        // the program on it may destroy the service: not while it is still reading.
        m_player.Stop();
        QMetaObject::invokeMethod(this, &TPlaybackService::End, Qt::QueuedConnection);
        return;
    }
    if (!client.Welcomed) {
        client.Socket->Abort();
        return;
    }
    switch (m.Type) {
    case TMessageType::Play:
        // A range off the disc or between sample frames would never end: it fails.
        if (const auto disc = Runnable(m) ? OpenDisc(m.Disc) : nullptr) {
            m_playId = m.PlayId;
            m_end = m.To;
            m_player.Play(m.Disc, disc, m.From, m.To, Completion(client, m.PlayId));
        } else {
            TMessage failed;
            failed.Type = TMessageType::Completion;
            failed.PlayId = m.PlayId;
            failed.Result = TNotifyResult::Failure;
            Send(client, failed);
        }
        break;
    case TMessageType::Stop:
        m_player.Stop();
        break;
    case TMessageType::Pause:
        m_player.Pause();
        break;
    case TMessageType::Resume:
        m_playId = m.PlayId;
        m_player.Resume(Completion(client, m.PlayId));
        break;
    case TMessageType::Forget:
        m_player.Forget(m.Disc.Path);
        // Its handle goes, so that the drive's tray can open.
        if (m_discIdentity.Path == m.Disc.Path)
            m_disc.reset();
        break;
    default:
        // What a service sends is no request.
        client.Socket->Abort();
        return;
    }
    client.LastSeq = m.Seq;
    BroadcastStatus();
    UpdateIdle();
}

void TPlaybackService::End()
{
    // Nobody new gets through to a service on its way out: a player that asks now starts the
    // next one, and asks it again what this one did not answer.
    m_server->Close();
    // Its name is free for the next one from now on.
    if (m_lock >= 0)
        ::close(std::exchange(m_lock, -1));
    Q_EMIT Finished();
}

void TPlaybackService::UpdateIdle()
{
    const TDiscPlayer::TState state = m_player.Status().State;
    const bool playing = state == TDiscPlayer::TState::Playing;
    if (playing && !m_statusTimer.isActive())
        m_statusTimer.start();
    else if (!playing)
        m_statusTimer.stop();
    // A paused play waits for its player, as long as one is connected.
    const bool busy = playing || (state == TDiscPlayer::TState::Paused && !m_clients.empty());
    if (busy)
        m_idleTimer.stop();
    else if (!m_idleTimer.isActive())
        m_idleTimer.start();
    // Nothing plays: the disc is let go, so that its drive can open.
    if (!busy && state != TDiscPlayer::TState::Paused)
        m_disc.reset();
}

} // namespace qlnx
