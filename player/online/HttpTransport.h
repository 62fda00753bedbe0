#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace qlnx {

// How a request that got no usable answer failed, as far as the fetcher's messages tell
// failures apart.
enum class THttpFailure
{
    None,
    Unreachable,  // refused, reset, no route
    HostNotFound, // the name does not resolve
    Tls,          // the secure connection could not be made
    Redirects,    // too many, or to plain http
    Other
};

// What an exchange reports while it runs, always from the event loop (Abort() excepted).
struct THttpEvents
{
    // The answer sends the request on; it waits for FollowRedirect() or Abort().
    std::function<void(const QUrl& to)> Redirected;
    std::function<void()> HeadersArrived;
    std::function<void()> ReadyRead;
    std::function<void()> TlsError;
    std::function<void()> Finished;
};

// One GET under way.
class THttpExchange
{
public:
    virtual ~THttpExchange() = default;
    virtual QUrl Url() const = 0;             // where the request stands, after redirects
    virtual qint64 ContentLength() const = 0; // -1 while not told
    virtual qint64 BytesAvailable() const = 0;
    virtual QByteArray ReadAll() = 0;
    virtual int Status() const = 0; // 0 while no answer came
    virtual QString Reason() const = 0;
    virtual THttpFailure Failure() const = 0;
    virtual QString FailureText() const = 0;
    virtual void FollowRedirect() = 0;
    // Breaks the exchange off; Finished is reported before this returns.
    virtual void Abort() = 0;
    // Reports nothing more, breaks off what still runs, and frees the exchange once the event
    // loop is back (it may be called from inside one of its own reports).
    virtual void Release() = 0;
};

// The HTTP client library behind the fetcher. The player loads it as a module only when a
// lookup is made, so that a player whose user never looks anything up does not carry it.
class THttpTransport
{
public:
    virtual ~THttpTransport() = default;
    // Starts a GET; never null. The exchange lives until Release(), at most as long as the
    // transport.
    virtual THttpExchange* Get(const QUrl& url, const QByteArray& userAgent, int maxRedirects,
                               THttpEvents events) = 0;
};

// Makes the transport when the first request goes out; nothing when it cannot be had.
using TTransportFactory = std::function<std::unique_ptr<THttpTransport>()>;

} // namespace qlnx
