#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace qlnx {

// A stream connection over a local (Unix domain) socket, on the event loop, never blocking it
// except in the calls named Wait. The player talks to its playback service and to a second
// start of itself through these; they are ours rather than the network library's so that the
// player does not load that library, with its proxy and Kerberos libraries, on every start.
// The wire is a plain stream socket at a path: any other local-socket peer interoperates.
//
// Signals come from the event loop, with one exception that callers rely on: Abort() on a
// connected socket emits Disconnected() before it returns, and a failed ConnectToServer()
// emits ErrorOccurred() before it returns, as a refused or missing name is known at once.
class TLocalSocket final : public QObject
{
    Q_OBJECT
public:
    explicit TLocalSocket(QObject* parent = nullptr);
    ~TLocalSocket() override;

    // A name without a leading slash is in the temporary directory.
    static QString PathOf(const QString& name);

    void ConnectToServer(const QString& name);
    // For a start that must know before it goes on; true once connected.
    bool WaitForConnected(int ms);
    bool IsConnected() const { return m_fd >= 0 && m_connected; }
    // The connected socket, -1 when there is none (for the peer's credentials).
    qintptr Descriptor() const { return m_connected ? m_fd : -1; }

    // Queues bytes and sends what the socket takes at once; the rest goes from the event loop.
    void Write(const QByteArray& bytes);
    // Sends what the socket takes now; true when something was sent.
    bool Flush();
    qint64 BytesToWrite() const { return m_out.size(); }
    // Waits up to ms for some of the queued bytes to be sent; false when none could be.
    bool WaitForBytesWritten(int ms);

    QByteArray ReadAll();
    bool CanReadLine() const { return m_in.contains('\n'); }
    // One line with its line break, or what is left when there is none.
    QByteArray ReadLine();

    // Closes at once; queued bytes are dropped.
    void Abort();
    // Sends what is queued (waiting a moment at most), then closes.
    void DisconnectFromServer();

Q_SIGNALS:
    void Connected();
    void Disconnected();
    void ReadyRead();
    void ErrorOccurred();

private:
    friend class TLocalServer;
    void Adopt(int fd);
    void TryConnect();
    void Readable();
    void Writable();
    void Fail();
    void Close(bool announce);
    bool SendQueued();

    int m_fd = -1;
    bool m_connected = false;
    bool m_broken = false; // a send failed for good
    int m_connectTries = 0;
    QString m_path;
    QByteArray m_in;
    QByteArray m_out;
    QSocketNotifier* m_read = nullptr;
    QSocketNotifier* m_write = nullptr;
};

// Listens at a local socket's path that only this user may use. Connections wait, as sockets
// that are children of the server, until taken with NextPendingConnection().
class TLocalServer final : public QObject
{
    Q_OBJECT
public:
    explicit TLocalServer(QObject* parent = nullptr);
    ~TLocalServer() override;

    // False when the path is taken (remove a stale socket first) or cannot be bound.
    bool Listen(const QString& name);
    bool IsListening() const { return m_fd >= 0; }
    // Stops listening and removes the socket from its path.
    void Close();
    // Removes whatever socket is left at a name.
    static bool RemoveServer(const QString& name);

    TLocalSocket* NextPendingConnection();

Q_SIGNALS:
    void NewConnection();

private:
    void Accept();

    int m_fd = -1;
    QString m_path;
    QSocketNotifier* m_notifier = nullptr;
    QList<TLocalSocket*> m_pending;
};

} // namespace qlnx
