#include "fileio/LocalSocket.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

namespace qlnx {

namespace {

// A full backlog is the only wait a local connect has; a busy listener clears it quickly.
constexpr int ConnectRetryMs = 20;
constexpr int ConnectTries = 50;
constexpr int Backlog = 16;
constexpr int AcceptPauseMs = 500;

bool AddressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

bool WaitFor(int fd, short events, int ms)
{
    pollfd entry = {fd, events, 0};
    int n;
    do {
        n = ::poll(&entry, 1, ms);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

} // namespace

TLocalSocket::TLocalSocket(QObject* parent) : QObject(parent) {}

TLocalSocket::~TLocalSocket()
{
    Close(false);
}

QString TLocalSocket::PathOf(const QString& name)
{
    return name.startsWith(u'/') ? name : QDir::tempPath() + u'/' + name;
}

void TLocalSocket::ConnectToServer(const QString& name)
{
    Close(false);
    m_path = PathOf(name);
    m_connectTries = 0;
    TryConnect();
}

void TLocalSocket::TryConnect()
{
    sockaddr_un address;
    if (!AddressOf(m_path, address)) {
        Q_EMIT ErrorOccurred();
        return;
    }
    if (m_fd < 0)
        m_fd = NewSocket();
    int result;
    do {
        result = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        Adopt(m_fd);
        Q_EMIT Connected();
        return;
    }
    if (errno == EAGAIN && ++m_connectTries < ConnectTries) {
        QTimer::singleShot(ConnectRetryMs, this, [this, fd = m_fd] {
            if (m_fd == fd && !m_connected)
                TryConnect();
        });
        return;
    }
    Close(false);
    Q_EMIT ErrorOccurred();
}

bool TLocalSocket::WaitForConnected(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (m_fd >= 0 && !m_connected && !deadline.hasExpired()) {
        ::usleep(ConnectRetryMs * 1000);
        TryConnect();
    }
    return IsConnected();
}

void TLocalSocket::Adopt(int fd)
{
    m_fd = fd;
    m_connected = true;
    m_read = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_read, &QSocketNotifier::activated, this, &TLocalSocket::Readable);
    m_write = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, this);
    m_write->setEnabled(false);
    connect(m_write, &QSocketNotifier::activated, this, &TLocalSocket::Writable);
}

void TLocalSocket::Write(const QByteArray& bytes)
{
    if (!IsConnected() || bytes.isEmpty())
        return;
    m_out += bytes;
    // A failure here is met again, and reported, when the socket next reports itself
    // writable: a caller never sees its peer vanish in the middle of a write.
    SendQueued();
    m_write->setEnabled(!m_out.isEmpty());
}

bool TLocalSocket::SendQueued()
{
    qsizetype sent = 0;
    if (m_broken)
        return false;
    while (sent < m_out.size()) {
        const ssize_t n =
            ::send(m_fd, m_out.constData() + sent, size_t(m_out.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_broken = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
        break;
    }
    m_out.remove(0, sent);
    return sent > 0;
}

bool TLocalSocket::Flush()
{
    if (!IsConnected())
        return false;
    const bool sent = SendQueued();
    m_write->setEnabled(!m_out.isEmpty());
    return sent;
}

bool TLocalSocket::WaitForBytesWritten(int ms)
{
    if (!IsConnected() || m_out.isEmpty() || !WaitFor(m_fd, POLLOUT, ms))
        return false;
    if (Flush())
        return true;
    if (m_broken)
        Fail();
    return false;
}

void TLocalSocket::Writable()
{
    if (!IsConnected())
        return;
    SendQueued();
    if (m_broken) {
        Fail();
        return;
    }
    m_write->setEnabled(!m_out.isEmpty());
}

void TLocalSocket::Readable()
{
    if (!IsConnected())
        return;
    const qsizetype before = m_in.size();
    bool ended = false;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            m_in.append(chunk, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    const QPointer<TLocalSocket> alive(this);
    if (m_in.size() > before)
        Q_EMIT ReadyRead();
    if (alive && ended && IsConnected())
        Close(true);
}

void TLocalSocket::Fail()
{
    const QPointer<TLocalSocket> alive(this);
    Q_EMIT ErrorOccurred();
    if (alive && IsConnected())
        Close(true);
}

QByteArray TLocalSocket::ReadAll()
{
    return std::exchange(m_in, QByteArray());
}

QByteArray TLocalSocket::ReadLine()
{
    const qsizetype end = m_in.indexOf('\n');
    const qsizetype size = end < 0 ? m_in.size() : end + 1;
    const QByteArray line = m_in.left(size);
    m_in.remove(0, size);
    return line;
}

void TLocalSocket::Abort()
{
    Close(true);
}

void TLocalSocket::DisconnectFromServer()
{
    constexpr int FlushMs = 1000;
    const QDeadlineTimer deadline(FlushMs);
    while (IsConnected() && !m_out.isEmpty() && !deadline.hasExpired())
        WaitForBytesWritten(int(deadline.remainingTime()));
    Close(true);
}

void TLocalSocket::Close(bool announce)
{
    const bool was = m_connected;
    // Possibly closed from inside a notifier's own signal: they go once it has returned.
    for (QSocketNotifier* notifier : {m_read, m_write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_read = m_write = nullptr;
    m_broken = false;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_connected = false;
    m_out.clear();
    if (announce && was)
        Q_EMIT Disconnected();
}

TLocalServer::TLocalServer(QObject* parent) : QObject(parent) {}

TLocalServer::~TLocalServer()
{
    Close();
}

bool TLocalServer::Listen(const QString& name)
{
    Close();
    const QString path = TLocalSocket::PathOf(name);
    sockaddr_un address;
    if (!AddressOf(path, address))
        return false;
    const int fd = NewSocket();
    if (fd < 0)
        return false;
    const QByteArray file = QFile::encodeName(path);
    // Nobody can connect before listen(), so the socket is made ours alone before that.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    if (::chmod(file.constData(), 0600) != 0 || ::listen(fd, Backlog) != 0) {
        ::unlink(file.constData());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TLocalServer::Accept);
    return true;
}

void TLocalServer::Close()
{
    if (m_fd < 0)
        return;
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(QFile::encodeName(m_path).constData());
}

bool TLocalServer::RemoveServer(const QString& name)
{
    return ::unlink(QFile::encodeName(TLocalSocket::PathOf(name)).constData()) == 0 ||
           errno == ENOENT;
}

void TLocalServer::Accept()
{
    bool any = false;
    for (;;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The waiting connection stays readable: without a pause this would spin.
                m_notifier->setEnabled(false);
                QTimer::singleShot(AcceptPauseMs, m_notifier,
                                   [n = m_notifier] { n->setEnabled(true); });
            }
            break;
        }
        auto* socket = new TLocalSocket(this);
        socket->Adopt(fd);
        m_pending.append(socket);
        any = true;
    }
    if (any)
        Q_EMIT NewConnection();
}

TLocalSocket* TLocalServer::NextPendingConnection()
{
    return m_pending.isEmpty() ? nullptr : m_pending.takeFirst();
}

} // namespace qlnx
