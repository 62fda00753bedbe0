#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace qlnx {

namespace {

const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");
// Long enough for a busy running instance to accept, short enough that a start never feels
// stuck behind a rendezvous nobody serves.
constexpr int ConnectTimeoutMs = 1000;

} // namespace

QString TSingleInstance::DefaultName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QString::number(qulonglong(getuid()));
    return QStringLiteral("Quellon-") + user;
}

TSingleInstance::TSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

bool TSingleInstance::HandOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(ConnectTimeoutMs)) {
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
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            // Any request means the same: come to the front.
            if (client->readAll().contains('\n'))
                Q_EMIT RaiseRequested();
        });
    }
}

} // namespace qlnx
