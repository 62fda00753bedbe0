#include "playd/ServicePlayer.h"

#include <csignal>

#include <unistd.h>

#include <QCoreApplication>

#include "fileio/LocalSocket.h"
#include "fileio/PrivateSocket.h"

namespace qlnx {

namespace {

constexpr int RetryMs = 20;
constexpr int MaxStarts = 3;

bool NeedsService(TMessageType type)
{
    return type == TMessageType::Play || type == TMessageType::Resume;
}

} // namespace

TServicePlayer::TServicePlayer(TServiceSetup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup)), m_socket(new TLocalSocket(this)), m_retry(this),
      m_greeting(this), m_silence(this)
{
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, &TServicePlayer::Hung);
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &TServicePlayer::Connect);
    // A service that takes the connection and never answers is hung: it is given up on.
    m_greeting.setSingleShot(true);
    m_greeting.setInterval(m_setup.GreetingTimeoutMs);
    connect(&m_greeting, &QTimer::timeout, m_socket, &TLocalSocket::Abort);
    connect(m_socket, &TLocalSocket::Connected, this, &TServicePlayer::Connected_);
    connect(m_socket, &TLocalSocket::Disconnected, this, &TServicePlayer::Disconnected);
    connect(m_socket, &TLocalSocket::ReadyRead, this, &TServicePlayer::ReadyRead);
    connect(m_socket, &TLocalSocket::ErrorOccurred, this, [this] {
        if (m_link == TLink::Looking || m_link == TLink::Starting)
            ConnectFailed();
    });
    Connect();
}

TServicePlayer::~TServicePlayer()
{
    m_socket->disconnect(this);
}

void TServicePlayer::Connect()
{
    m_reader = TFrameReader();
    m_socket->Abort();
    // Whatever holds the name and is not ours is never connected to.
    if (InspectSocketName(m_setup.SocketName) == TSocketName::Foreign) {
        m_nameTaken = true;
        QMetaObject::invokeMethod(this, &TServicePlayer::ConnectFailed, Qt::QueuedConnection);
        return;
    }
    m_socket->ConnectToServer(m_setup.SocketName);
}

void TServicePlayer::Connected_()
{
    if (!PeerIsUs(m_socket->Descriptor())) {
        // Another user's listener at our name: not a word is sent to it.
        m_nameTaken = true;
        const TLink was = m_link;
        m_socket->Abort();
        m_link = was;
        ConnectFailed();
        return;
    }
    m_link = TLink::Greeting;
    m_greeting.start();
    TMessage hello;
    hello.Type = TMessageType::Hello;
    hello.Version = m_setup.Version;
    m_socket->Write(EncodeFrame(hello));
}

void TServicePlayer::ConnectFailed()
{
    if (m_link != TLink::Looking && m_link != TLink::Starting)
        return;
    if (m_link == TLink::Looking) {
        // Nothing plays: what the player knows is all there is.
        m_link = TLink::Absent;
        m_settled = true;
        if (std::any_of(m_queue.cbegin(), m_queue.cend(),
                        [](const TMessage& m) { return NeedsService(m.Type); }))
            NeedService();
        return;
    }
    // A service started a moment ago may not listen yet; a name taken by someone else will
    // not come free by waiting.
    if (!m_nameTaken && m_started.elapsed() < m_setup.StartTimeoutMs)
        m_retry.start();
    else
        GiveUp();
}

void TServicePlayer::Disconnected()
{
    const TLink was = m_link;
    m_link = TLink::Absent;
    m_reader = TFrameReader();
    m_greeting.stop();
    m_silence.stop();
    if (was == TLink::Looking || was == TLink::Starting)
        return; // a failed connect, handled as such
    // Whatever plays, it is nothing to pick up any more.
    m_settled = true;
    if (was == TLink::Retiring || was == TLink::Foreign) {
        if (was == TLink::Retiring)
            NeedService();
        return;
    }
    // Requests it may not have handled are asked of the next service.
    m_queue = m_unacked + m_queue;
    m_unacked.clear();
    if (std::any_of(m_queue.cbegin(), m_queue.cend(),
                    [](const TMessage& m) { return NeedsService(m.Type); })) {
        NeedService();
        return;
    }
    m_queue.clear();
    // Gone on its own (ended when idle) or killed: a play it had is over, and nobody will
    // hear how it ended.
    if (m_status.State == TState::Playing || m_status.State == TState::Paused)
        SetStatus(TState::Stopped, PositionNow());
    m_completions.clear();
}

void TServicePlayer::ReadyRead()
{
    m_reader.Append(m_socket->ReadAll());
    TMessage message;
    for (;;) {
        const TFrameReader::TResult result = m_reader.Next(message);
        if (result == TFrameReader::TResult::NeedMore)
            return;
        if (result == TFrameReader::TResult::Broken) {
            m_socket->Abort();
            return;
        }
        ++m_heard;
        Handle(message);
        if (!m_socket->IsConnected())
            return;
    }
}

void TServicePlayer::Handle(const TMessage& m)
{
    switch (m.Type) {
    case TMessageType::Welcome:
        if (m_link != TLink::Greeting || m.Magic != ProtocolMagic) {
            m_socket->Abort();
            return;
        }
        m_greeting.stop();
        // The kernel's word for who answered, over the service's own.
        m_pid = PeerPid(m_socket->Descriptor());
        if (m_pid == 0)
            m_pid = m.Pid;
        if (m.Version != m_setup.Version) {
            m_link = TLink::Foreign;
            m_settled = true; // what it plays is not ours to pick up
            if (std::any_of(m_queue.cbegin(), m_queue.cend(),
                            [](const TMessage& q) { return NeedsService(q.Type); }))
                NeedService();
            return;
        }
        m_link = TLink::Ready;
        m_starts = 0;
        Flush();
        return;
    case TMessageType::Status: {
        if (m_link != TLink::Ready)
            return;
        if (!Plausible(m)) {
            m_socket->Abort();
            return;
        }
        const qsizetype handled = std::count_if(m_unacked.cbegin(), m_unacked.cend(),
                                                [&m](const TMessage& u) { return u.Seq <= m.Seq; });
        m_unacked.remove(0, handled);
        // It speaks: the silence is counted from now.
        m_silence.stop();
        WatchSilence();
        m_settled = true;
        // Older than what was asked since: what was asked stands until it is answered.
        if (!m_unacked.isEmpty() || !m_queue.isEmpty())
            return;
        m_status.Disc = m.Disc;
        m_end = m.To;
        SetStatus(m.State, m.Position);
        WatchSilence();
        return;
    }
    case TMessageType::Completion: {
        const auto it = m_completions.find(m.PlayId);
        if (it == m_completions.end())
            return;
        const TCompletion done = std::move(it->second);
        m_completions.erase(it);
        done(m.Result);
        return;
    }
    default:
        // A request is nothing a service sends.
        m_socket->Abort();
    }
}

void TServicePlayer::Write(const TMessage& message)
{
    m_socket->Write(EncodeFrame(message));
    if (message.Type != TMessageType::Retire)
        m_unacked.append(message);
    // Counted from the first request not answered yet, and no longer than an answer may take.
    if (!m_silence.isActive() || m_silence.remainingTime() > m_setup.SilenceTimeoutMs)
        WatchSilence();
}

void TServicePlayer::WatchSilence()
{
    if (m_link != TLink::Ready)
        m_silence.stop();
    else if (!m_unacked.isEmpty())
        m_silence.start(m_setup.SilenceTimeoutMs);
    else if (m_status.State == TState::Playing)
        m_silence.start(m_setup.QuietTimeoutMs);
    else
        m_silence.stop();
}

void TServicePlayer::Hung()
{
    if (m_link != TLink::Ready)
        return;
    // Silent while it should speak: whatever it plays is over for us, as if it had been
    // killed, and it is ended so that its name is free for the next Play's service. It is
    // our own process (the peer check said so).
    const qint64 pid = PeerPid(m_socket->Descriptor());
    m_queue.clear();
    m_unacked.clear();
    m_completions.clear();
    if (m_status.State == TState::Playing || m_status.State == TState::Paused)
        SetStatus(TState::Stopped, PositionNow());
    m_socket->Abort();
    if (pid > 0 && pid != QCoreApplication::applicationPid())
        ::kill(pid_t(pid), SIGKILL);
}

void TServicePlayer::Flush()
{
    while (m_link == TLink::Ready && !m_queue.isEmpty())
        Write(m_queue.takeFirst());
}

void TServicePlayer::Request(TMessage message, bool needsService)
{
    // Nothing of ours plays anywhere without a service: only a new play needs one.
    if ((m_link == TLink::Absent || m_link == TLink::Foreign) && !needsService)
        return;
    message.Seq = ++m_seq;
    if (m_link == TLink::Ready) {
        Write(message);
        return;
    }
    m_queue.append(message);
    if (m_link == TLink::Absent || m_link == TLink::Foreign)
        NeedService();
}

void TServicePlayer::NeedService()
{
    if (m_link == TLink::Foreign) {
        TMessage retire;
        retire.Type = TMessageType::Retire;
        Write(retire);
        m_link = TLink::Retiring;
        // One that does not go is not waited for forever.
        m_greeting.start();
        return;
    }
    if (m_link != TLink::Absent)
        return;
    // A service that dies before it answers is not started again and again, and none is
    // started at a name held by someone else: the play fails, to be tried again later.
    const bool taken = std::exchange(m_nameTaken, false) ||
                       InspectSocketName(m_setup.SocketName) == TSocketName::Foreign;
    if (taken && !std::exchange(m_nameTakenSaid, true))
        Q_EMIT NameTaken(
            QStringLiteral("%1 は他のユーザーかプログラムのものなので、再生サービスを使えません")
                .arg(m_setup.SocketName));
    if (taken || !m_setup.Start || ++m_starts > MaxStarts || !m_setup.Start()) {
        m_starts = 0;
        GiveUp();
        return;
    }
    m_link = TLink::Starting;
    m_started.start();
    Connect();
}

void TServicePlayer::GiveUp()
{
    m_link = TLink::Absent;
    m_socket->Abort();
    // The plays asked for cannot run.
    for (const TMessage& m : std::exchange(m_queue, {})) {
        if (!NeedsService(m.Type))
            continue;
        const auto it = m_completions.find(m.PlayId);
        if (it == m_completions.end())
            continue;
        const TCompletion done = std::move(it->second);
        m_completions.erase(it);
        done(TNotifyResult::Failure);
    }
    if (m_status.State == TState::Playing)
        SetStatus(TState::Stopped, m_status.Position);
}

qint64 TServicePlayer::PositionNow() const
{
    if (m_status.State != TState::Playing)
        return m_status.Position;
    const qint64 ns = m_setup.Clock->NowNs() - m_statusAtNs;
    const qint64 position =
        m_status.Position + ns * SampleRate / 1'000'000'000 * BytesPerSampleFrame;
    return std::min(position, std::max(m_end, m_status.Position));
}

void TServicePlayer::SetStatus(TState state, qint64 position)
{
    m_status.State = state;
    m_status.Position = position;
    m_statusAtNs = m_setup.Clock->NowNs();
}

void TServicePlayer::Play(const TPlayedDisc& disc, std::shared_ptr<TSectorSource>, qint64 from,
                          qint64 to, TCompletion done)
{
    TMessage m;
    m.Type = TMessageType::Play;
    m.PlayId = ++m_playId;
    m.Disc = disc;
    m.From = from;
    m.To = to;
    m_completions[m.PlayId] = std::move(done);
    m_status.Disc = disc;
    m_end = to;
    SetStatus(from < to ? TState::Playing : TState::Stopped, from);
    Request(m, true);
}

void TServicePlayer::Stop()
{
    if (m_status.State == TState::Playing || m_status.State == TState::Paused)
        SetStatus(TState::Stopped, PositionNow());
    TMessage m;
    m.Type = TMessageType::Stop;
    Request(m, false);
}

void TServicePlayer::Pause()
{
    if (m_status.State == TState::Playing)
        SetStatus(TState::Paused, PositionNow());
    TMessage m;
    m.Type = TMessageType::Pause;
    Request(m, false);
}

void TServicePlayer::Resume(TCompletion done)
{
    if (m_status.State != TState::Paused)
        return;
    TMessage m;
    m.Type = TMessageType::Resume;
    m.PlayId = ++m_playId;
    m_completions[m.PlayId] = std::move(done);
    SetStatus(TState::Playing, m_status.Position);
    Request(m, true);
}

void TServicePlayer::Detach()
{
    m_completions.erase(m_playId);
}

void TServicePlayer::Forget(const QString& path)
{
    if (m_status.State != TState::Idle && m_status.Disc.Path == path) {
        m_status = TStatus{};
        m_end = 0;
    }
    TMessage m;
    m.Type = TMessageType::Forget;
    m.Disc.Path = path;
    Request(m, false);
}

TDiscPlayer::TStatus TServicePlayer::Status()
{
    TStatus status = m_status;
    status.Position = PositionNow() / BytesPerSampleFrame * BytesPerSampleFrame;
    return status;
}

void TServicePlayer::Shutdown(std::chrono::steady_clock::time_point deadline)
{
    const auto left = [deadline] {
        return int(std::max<qint64>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                           deadline - std::chrono::steady_clock::now())
                                           .count()));
    };
    // A play asked for while the service was still starting is still to be sent.
    while (!m_queue.isEmpty() && m_link != TLink::Ready && m_link != TLink::Absent && left() > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, std::min(left(), 20));
    Flush();
    m_retry.stop();
    if (m_socket->IsConnected()) {
        m_socket->Flush();
        while (m_socket->BytesToWrite() > 0 && left() > 0)
            m_socket->WaitForBytesWritten(left());
    }
    m_socket->disconnect(this);
    m_socket->Abort();
    m_completions.clear();
}

} // namespace qlnx
