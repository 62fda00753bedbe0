#include "online/HttpFetcher.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include "base/Log.h"

namespace qlnx {

namespace {

qint64 SteadyNow()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

QString ServerOf(const QUrl& url)
{
    return url.port() < 0 ? url.host() : url.host() + u':' + QString::number(url.port());
}

// A redirect may change the path, and http may become https, but never the server.
bool SameServer(const QUrl& from, const QUrl& to)
{
    const bool upgrade = from.scheme() == u"http" && to.scheme() == u"https";
    return from.host().compare(to.host(), Qt::CaseInsensitive) == 0 &&
           (from.scheme() == to.scheme() || upgrade) && (upgrade || from.port() == to.port());
}

} // namespace

THttpFetcher::THttpFetcher(const TOnlineSettings& settings, TTransportFactory transport,
                           QObject* parent, TClock clock)
    : QObject(parent), m_settings(settings), m_clock(clock ? std::move(clock) : SteadyNow),
      m_makeTransport(std::move(transport)),
      m_timeoutMs(std::max(1, settings.TimeoutSeconds) * 1000)
{
}

THttpFetcher::~THttpFetcher()
{
    CancelAll();
}

quint64 THttpFetcher::Get(const QUrl& url, TDone done, bool spaced)
{
    const quint64 id = m_nextId++;
    TRequest& r = m_requests[id];
    r.Url = url;
    r.Done = std::move(done);
    qint64 delay = 0;
    if (spaced) {
        const qint64 now = m_clock();
        const qint64 slot = std::max(now, m_nextSlot);
        m_nextSlot = slot + Spacing;
        delay = slot - now;
    }
    r.Start = new QTimer(this);
    r.Start->setSingleShot(true);
    connect(r.Start, &QTimer::timeout, this, [this, id] { Start(id); });
    r.Start->start(int(delay));
    Q_EMIT Scheduled(url, delay);
    return id;
}

void THttpFetcher::Start(quint64 id)
{
    const auto it = m_requests.find(id);
    if (it == m_requests.end())
        return;
    TRequest& r = it->second;
    if (!m_settings.Enabled) {
        // The last guard: whatever a caller does, nothing leaves the machine.
        r.Abort = QStringLiteral("Online lookups are off.");
        Finish(id);
        return;
    }
    if (!m_transport && m_makeTransport)
        m_transport = m_makeTransport();
    if (!m_transport) {
        r.Abort = QStringLiteral("Online lookups cannot be made: the network module of the "
                                 "player is missing or cannot be loaded.");
        Finish(id);
        return;
    }
    qCDebug(lcOnline) << "GET" << r.Url.toDisplayString();
    const QUrl from = r.Url;
    THttpEvents events;
    events.Redirected = [this, id, from](const QUrl& to) {
        const auto found = m_requests.find(id);
        if (found == m_requests.end() || !found->second.Reply)
            return;
        if (SameServer(from, found->second.Reply->Url().resolved(to)))
            found->second.Reply->FollowRedirect();
        else
            Stop(id, QStringLiteral("%1 sent the request on to another server (%2); the lookup "
                                    "was stopped.")
                         .arg(ServerOf(from), ServerOf(to)));
    };
    events.HeadersArrived = [this, id] {
        const auto found = m_requests.find(id);
        if (found != m_requests.end() && found->second.Reply &&
            found->second.Reply->ContentLength() > m_maxBody)
            Stop(id, QString());
    };
    events.ReadyRead = [this, id] { Read(id); };
    events.TlsError = [this, id] {
        if (const auto found = m_requests.find(id); found != m_requests.end())
            found->second.Tls = true;
    };
    events.Finished = [this, id] { Finish(id); };
    constexpr int MaxRedirects = 5;
    r.Reply = m_transport->Get(r.Url, OnlineUserAgent(m_settings).toUtf8(), MaxRedirects,
                               std::move(events));
    r.Timeout = new QTimer(this);
    r.Timeout->setSingleShot(true);
    const QString server = ServerOf(r.Url);
    connect(r.Timeout, &QTimer::timeout, this, [this, id, server] {
        Stop(id, QStringLiteral("%1 did not answer within %2 s.")
                     .arg(server)
                     .arg(double(m_timeoutMs) / 1000));
    });
    r.Timeout->start(m_timeoutMs);
}

void THttpFetcher::Read(quint64 id)
{
    const auto it = m_requests.find(id);
    if (it == m_requests.end() || !it->second.Reply)
        return;
    TRequest& r = it->second;
    if (r.Body.size() + r.Reply->BytesAvailable() > m_maxBody) {
        Stop(id, QString());
        return;
    }
    r.Body += r.Reply->ReadAll();
}

void THttpFetcher::Stop(quint64 id, const QString& why)
{
    const auto it = m_requests.find(id);
    if (it == m_requests.end() || !it->second.Reply || !it->second.Abort.isEmpty())
        return;
    TRequest& r = it->second;
    r.Abort = why.isEmpty() ? QStringLiteral("The answer of %1 is larger than %2 KiB; it was "
                                             "not read.")
                                  .arg(ServerOf(r.Url))
                                  .arg(m_maxBody / 1024)
                            : why;
    r.Reply->Abort(); // finishes the exchange, and so the request
}

QString THttpFetcher::ErrorOf(const TRequest& r) const
{
    if (!r.Abort.isEmpty())
        return r.Abort;
    const QString server = ServerOf(r.Url);
    const int status = r.Reply->Status();
    switch (r.Reply->Failure()) {
    case THttpFailure::None:
        break;
    case THttpFailure::Unreachable:
        return QStringLiteral("Cannot reach %1: %2.").arg(server, r.Reply->FailureText());
    case THttpFailure::HostNotFound:
        return QStringLiteral("The server %1 cannot be found (no network, or a wrong name).")
            .arg(server);
    case THttpFailure::Tls:
        return QStringLiteral("The secure connection to %1 failed: %2.")
            .arg(server, r.Reply->FailureText());
    case THttpFailure::Redirects:
        return QStringLiteral("%1 redirected the request too often.").arg(server);
    case THttpFailure::Other:
        if (r.Tls)
            return QStringLiteral("The secure connection to %1 failed.").arg(server);
        if (status == 0)
            return QStringLiteral("The request to %1 failed: %2.")
                .arg(server, r.Reply->FailureText());
        break;
    }
    if (status == 503 || status == 429)
        return QStringLiteral("%1 is busy and asks to wait (HTTP %2); try again later.")
            .arg(server)
            .arg(status);
    if (status < 200 || status > 299)
        return QStringLiteral("%1 answered HTTP %2 %3.")
            .arg(server)
            .arg(status)
            .arg(r.Reply->Reason());
    return QString();
}

void THttpFetcher::Finish(quint64 id)
{
    const auto it = m_requests.find(id);
    if (it == m_requests.end())
        return;
    TRequest r = std::move(it->second);
    m_requests.erase(it);
    TFetchResult result;
    if (r.Reply) {
        if (r.Abort.isEmpty() && r.Body.size() + r.Reply->BytesAvailable() <= m_maxBody)
            r.Body += r.Reply->ReadAll();
        else if (r.Abort.isEmpty())
            r.Abort = QStringLiteral("The answer of %1 is larger than %2 KiB; it was not read.")
                          .arg(ServerOf(r.Url))
                          .arg(m_maxBody / 1024);
        result.Status = r.Reply->Status();
    }
    result.Error = r.Reply || !r.Abort.isEmpty() ? ErrorOf(r) : QString();
    result.Ok = result.Error.isEmpty();
    if (result.Ok)
        result.Body = r.Body;
    else
        qCInfo(lcOnline) << r.Url.toDisplayString() << result.Error;
    TDone done = std::move(r.Done);
    Drop(r);
    if (done)
        done(result);
}

void THttpFetcher::Drop(TRequest& r)
{
    for (QTimer* timer : {r.Start, r.Timeout}) {
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
    }
    if (r.Reply)
        r.Reply->Release();
}

void THttpFetcher::Cancel(quint64 id)
{
    const auto it = m_requests.find(id);
    if (it == m_requests.end())
        return;
    TRequest r = std::move(it->second);
    m_requests.erase(it);
    Drop(r);
}

void THttpFetcher::CancelAll()
{
    while (!m_requests.empty())
        Cancel(m_requests.begin()->first);
}

} // namespace qlnx
