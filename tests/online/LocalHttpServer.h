#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

// A small HTTP/1.1 server on 127.0.0.1 for the tests: each request (its target, such as
// "/api/get?x=1", and its header lines) goes to a handler whose answer is sent as given. An
// empty answer leaves the connection open and silent, as a stalled server would.
class TLocalHttpServer final : public QObject
{
public:
    struct TRequest
    {
        QByteArray Target;
        QByteArray Headers;
    };
    using THandler = std::function<QByteArray(const TRequest&)>;

    explicit TLocalHttpServer(QObject* parent = nullptr) : QObject(parent), m_server(this)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] { Accept(); });
    }

    QString Url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    quint16 Port() const { return m_server.serverPort(); }
    void SetHandler(THandler handler) { m_handler = std::move(handler); }
    int Connections() const { return m_connections; }
    const QList<TRequest>& Requests() const { return m_requests; }

    static QByteArray Answer(int status, const QByteArray& body, const QByteArray& extra = {})
    {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " Status\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    }

private:
    void Accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        }
    }

    void Read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        buffer.clear();
        const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
        TRequest request{words.value(1), head};
        m_requests.append(request);
        const QByteArray answer = m_handler ? m_handler(request) : QByteArray();
        if (answer.isEmpty())
            return;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    THandler m_handler;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<TRequest> m_requests;
    int m_connections = 0;
};
