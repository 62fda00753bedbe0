#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

#include "fileio/PrivateSocket.h"

namespace qlnx {

namespace {

const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");
// Long enough for a busy running instance to accept, short enough that a start never feels
// stuck behind a rendezvous nobody serves.
constexpr int ConnectTimeoutMs = 1000;

} // namespace

QString TSingleInstance::DefaultName()
{
    // The uid, never the environment: whoever we are, we meet only ourselves.
    const QString dir = PrivateSocketDirectory();
    if (dir.isEmpty())
        return {};
    return dir + QStringLiteral("/Quellon-") + QString::number(qulonglong(getuid()));
}

TSingleInstance::TSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

bool TSingleInstance::HandOver()
{
    // Without a name of our own, or with the name held by something not ours, this start
    // runs on its own: nothing of another user's is connected to or removed.
    if (m_name.isEmpty() || InspectSocketName(m_name) == TSocketName::Foreign)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
        if (!PeerIsUs(socket.socketDescriptor()))
            return false;
        socket.write(RaiseRequest);
        socket.waitForBytesWritten(ConnectTimeoutMs);
        socket.disconnectFromServer();
        return true;
    }
    // Nobody answers: whatever is left under the name belongs to an instance that is gone.
    if (!m_server->listen(m_name)) {
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    return false;
}

bool TSingleInstance::Listening() const
{
    return m_server->isListening();
}

void TSingleInstance::Accept()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        if (!PeerIsUs(client->socketDescriptor())) {
            client->abort();
            client->deleteLater();
            continue;
        }
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            // Any request means the same: come to the front.
            if (client->readAll().contains('\n'))
                Q_EMIT RaiseRequested();
        });
    }
}

} // namespace qlnx
