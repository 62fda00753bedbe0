#include "app/SingleInstance.h"

#include <unistd.h>

#include "fileio/LocalSocket.h"
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
    : QObject(parent), m_name(name), m_server(new TLocalServer(this))
{
    connect(m_server, &TLocalServer::NewConnection, this, &TSingleInstance::Accept);
}

bool TSingleInstance::HandOver(const QString& openPath)
{
    // Without a name of our own, or with the name held by something not ours, this start
    // runs on its own: nothing of another user's is connected to or removed.
    if (m_name.isEmpty() || InspectSocketName(m_name) == TSocketName::Foreign)
        return false;
    TLocalSocket socket;
    socket.ConnectToServer(m_name);
    if (socket.WaitForConnected(ConnectTimeoutMs)) {
        if (!PeerIsUs(socket.Descriptor()))
            return false;
        // A path is one line: one holding a line break is not handed over.
        if (!openPath.isEmpty() && !openPath.contains(u'\n'))
            socket.Write(QByteArrayLiteral("open ") + openPath.toUtf8() + '\n');
        socket.Write(RaiseRequest);
        socket.DisconnectFromServer();
        return true;
    }
    // Nobody answers: whatever is left under the name belongs to an instance that is gone.
    if (!m_server->Listen(m_name)) {
        TLocalServer::RemoveServer(m_name);
        m_server->Listen(m_name);
    }
    return false;
}

bool TSingleInstance::Listening() const
{
    return m_server->IsListening();
}

void TSingleInstance::Accept()
{
    while (TLocalSocket* client = m_server->NextPendingConnection()) {
        if (!PeerIsUs(client->Descriptor())) {
            client->Abort();
            client->deleteLater();
            continue;
        }
        connect(client, &TLocalSocket::Disconnected, client, &QObject::deleteLater);
        connect(client, &TLocalSocket::ReadyRead, this, [this, client] {
            // "open <path>" lines ask to open an image; any complete request also means: come
            // to the front.
            while (client->CanReadLine()) {
                const QByteArray line = client->ReadLine().chopped(1);
                if (line.startsWith("open ") && line.size() > 5)
                    Q_EMIT OpenRequested(QString::fromUtf8(line.mid(5)));
                Q_EMIT RaiseRequested();
            }
        });
    }
}

} // namespace qlnx
