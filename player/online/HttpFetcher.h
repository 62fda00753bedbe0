#pragma once

#include <functional>
#include <limits>
#include <map>
#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include "online/HttpTransport.h"
#include "online/OnlineSettings.h"

class QTimer;

namespace qlnx {

// What became of one request. A failure carries the message to show; an HTTP error status
// also comes with its code, since some services say "nothing known" with a 404.
struct TFetchResult
{
    bool Ok = false;
    int Status = 0; // HTTP status, 0 when no answer came
    QByteArray Body;
    QString Error;
};

// GET requests on the event loop, never waiting: each is bounded by the settings' timeout and
// a size cap, follows redirects only on the same server, and names the program in its
// User-Agent. Requests marked spaced start at least a second apart, as one service's rules
// ask. Nothing is sent while lookups are off in the settings. The HTTP library is reached
// through a transport made when the first request goes out.
class THttpFetcher final : public QObject
{
    Q_OBJECT
public:
    using TClock = std::function<qint64()>; // a monotonic time in milliseconds
    using TDone = std::function<void(const TFetchResult&)>;
    static constexpr qint64 DefaultMaxBody = 4 * 1024 * 1024;
    static constexpr qint64 Spacing = 1000; // ms between spaced requests

    THttpFetcher(const TOnlineSettings& settings, TTransportFactory transport,
                 QObject* parent = nullptr, TClock clock = {});
    ~THttpFetcher() override;

    const TOnlineSettings& Settings() const { return m_settings; }
    void SetMaxBody(qint64 bytes) { m_maxBody = bytes; }
    void SetTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Queues a request; done is called once, from the event loop, unless the request is
    // cancelled first. Returns the request's number for Cancel.
    quint64 Get(const QUrl& url, TDone done, bool spaced = false);
    void Cancel(quint64 id);
    void CancelAll();
    bool Busy() const { return !m_requests.empty(); }

Q_SIGNALS:
    // A request is queued to start after delayMs.
    void Scheduled(const QUrl& url, qint64 delayMs);

private:
    struct TRequest
    {
        QUrl Url;
        TDone Done;
        QTimer* Start = nullptr;
        QTimer* Timeout = nullptr;
        THttpExchange* Reply = nullptr;
        QByteArray Body;
        QString Abort; // why we broke it off ourselves
        bool Tls = false;
    };

    void Start(quint64 id);
    void Read(quint64 id);
    void Stop(quint64 id, const QString& why);
    void Finish(quint64 id);
    QString ErrorOf(const TRequest& r) const;
    void Drop(TRequest& r);

    TOnlineSettings m_settings;
    TClock m_clock;
    TTransportFactory m_makeTransport;
    std::unique_ptr<THttpTransport> m_transport;
    std::map<quint64, TRequest> m_requests;
    quint64 m_nextId = 1;
    qint64 m_nextSlot = std::numeric_limits<qint64>::min();
    qint64 m_maxBody = DefaultMaxBody;
    int m_timeoutMs;
};

} // namespace qlnx
