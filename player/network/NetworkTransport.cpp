#include "network/NetworkTransport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace qlnx {

namespace {

class TNetworkExchange final : public QObject, public THttpExchange
{
public:
    TNetworkExchange(QNetworkReply* reply, THttpEvents events, QObject* parent)
        : QObject(parent), m_reply(reply), m_events(std::move(events))
    {
        reply->setParent(this);
        connect(reply, &QNetworkReply::redirected, this,
                [this](const QUrl& to) { Report(m_events.Redirected, to); });
        connect(reply, &QNetworkReply::metaDataChanged, this,
                [this] { Report(m_events.HeadersArrived); });
        connect(reply, &QNetworkReply::readyRead, this, [this] { Report(m_events.ReadyRead); });
        connect(reply, &QNetworkReply::sslErrors, this, [this] { Report(m_events.TlsError); });
        connect(reply, &QNetworkReply::finished, this, [this] { Report(m_events.Finished); });
    }

    QUrl Url() const override { return m_reply->url(); }
    qint64 ContentLength() const override
    {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        return length.isValid() ? length.toLongLong() : -1;
    }
    qint64 BytesAvailable() const override { return m_reply->bytesAvailable(); }
    QByteArray ReadAll() override { return m_reply->readAll(); }
    int Status() const override
    {
        return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }
    QString Reason() const override
    {
        return m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    }
    THttpFailure Failure() const override
    {
        switch (m_reply->error()) {
        case QNetworkReply::NoError:
            return THttpFailure::None;
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::RemoteHostClosedError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::UnknownNetworkError:
            return THttpFailure::Unreachable;
        case QNetworkReply::HostNotFoundError:
            return THttpFailure::HostNotFound;
        case QNetworkReply::SslHandshakeFailedError:
            return THttpFailure::Tls;
        case QNetworkReply::TooManyRedirectsError:
        case QNetworkReply::InsecureRedirectError:
            return THttpFailure::Redirects;
        default:
            return THttpFailure::Other;
        }
    }
    QString FailureText() const override { return m_reply->errorString(); }
    void FollowRedirect() override { Q_EMIT m_reply->redirectAllowed(); }
    void Abort() override { m_reply->abort(); }
    void Release() override
    {
        m_events = {};
        m_reply->disconnect(this);
        m_reply->abort();
        deleteLater();
    }

private:
    // A report may release the exchange: it is not touched after one.
    template <typename TEvent, typename... TArgs>
    static void Report(const TEvent& event, const TArgs&... args)
    {
        if (event) {
            const TEvent copy = event; // Release() may clear the original while it runs
            copy(args...);
        }
    }

    QPointer<QNetworkReply> m_reply;
    THttpEvents m_events;
};

class TNetworkTransport final : public THttpTransport
{
public:
    TNetworkTransport()
    {
        m_manager.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    }

    THttpExchange* Get(const QUrl& url, const QByteArray& userAgent, int maxRedirects,
                       THttpEvents events) override
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromUtf8(userAgent));
        request.setMaximumRedirectsAllowed(maxRedirects);
        return new TNetworkExchange(m_manager.get(request), std::move(events), &m_manager);
    }

private:
    QNetworkAccessManager m_manager;
};

} // namespace

std::unique_ptr<THttpTransport> MakeNetworkTransport()
{
    return std::make_unique<TNetworkTransport>();
}

} // namespace qlnx
