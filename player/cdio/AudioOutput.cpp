#include "cdio/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include <QMetaObject>
#include <QTimer>

namespace qlnx {

qint64 TSteadyClock::NowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// --- Silence -----------------------------------------------------------------------------

TSilentBackend::TSilentBackend(std::shared_ptr<const TClock> clock, TCapture capture)
    : m_clock(std::move(clock)), m_capture(std::move(capture)),
      m_scratch(std::size_t(BytesPerSecond / 4))
{
}

bool TSilentBackend::Start(TPcmFeed& feed, quint64 segment)
{
    m_feed = &feed;
    m_segment = segment;
    m_base = m_clock->NowNs();
    m_accounted = 0;
    m_played = 0;
    return true;
}

void TSilentBackend::Halt()
{
    m_feed = nullptr;
    m_segment = 0;
}

qint64 TSilentBackend::Service()
{
    if (!m_feed)
        return 0;
    const qint64 due = (m_clock->NowNs() - m_base) * SampleRate / 1'000'000'000;
    qint64 wanted = (due - m_accounted) * BytesPerSampleFrame;
    m_accounted = std::max(due, m_accounted);
    while (wanted > 0) {
        // Without a capture the audio is only taken, not copied.
        char* into = m_capture ? m_scratch.data() : nullptr;
        const qint64 n =
            m_feed->Read(m_segment, into, std::min<qint64>(wanted, qint64(m_scratch.size())));
        if (n <= 0)
            break;
        if (m_capture)
            m_capture(m_scratch.data(), n);
        m_played += n;
        wanted -= n;
    }
    return m_played;
}

// --- Driver --------------------------------------------------------------------------------

namespace {

// The tick due at the end of a segment comes this soon at the least.
constexpr qint64 EndingTickMs = 5;

} // namespace

TOutputDriver::TOutputDriver(TPcmFeed& feed, QList<TBackendFactory> backends)
    : m_feed(feed), m_factories(std::move(backends))
{
}

TOutputDriver::~TOutputDriver() = default;

bool TOutputDriver::StartBackend()
{
    while (m_choice < m_factories.size()) {
        if (!m_backend)
            m_backend = m_factories.at(m_choice)();
        if (m_backend && m_backend->Start(m_feed, m_segment))
            return true;
        m_backend.reset();
        ++m_choice;
    }
    return false;
}

TOutputDriver::TTick TOutputDriver::Tick()
{
    // A failing backend moves the play on to the next one; each can fail once per tick.
    for (qsizetype attempt = 0; attempt <= m_factories.size(); ++attempt) {
        const TSegment segment = m_feed.CurrentSegment();
        if (segment.Id != m_segment) {
            if (m_backend)
                m_backend->Halt();
            m_segment = segment.Id;
            if (m_segment == 0)
                return TTick::Idle;
            if (!segment.Continues && m_choice != 0) {
                m_backend.reset();
                m_choice = 0;
            }
            if (!StartBackend())
                return TTick::Idle;
        }
        if (m_segment == 0 || !m_backend)
            return TTick::Idle;
        const qint64 played = m_backend->Service();
        if (played >= 0) {
            m_feed.Played(m_segment, played);
            const qint64 unplayedMs = m_feed.Unplayed(m_segment) * 1000 / BytesPerSecond;
            m_nextTickMs =
                int(std::clamp<qint64>(unplayedMs + 1, EndingTickMs,
                                       std::max<qint64>(EndingTickMs, m_backend->ServiceMs())));
            return played > 0 ? TTick::Playing : TTick::Starting;
        }
        m_backend.reset();
        ++m_choice;
        m_feed.Restart(m_segment);
    }
    return TTick::Idle;
}

// --- Thread --------------------------------------------------------------------------------

class TOutputWorker final : public QObject
{
public:
    TOutputWorker(TPcmFeed& feed, QList<TBackendFactory> backends)
        : m_feed(feed), m_backends(std::move(backends)), m_timer(this)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    }
    void Tick()
    {
        if (!m_driver)
            m_driver = std::make_unique<TOutputDriver>(m_feed, m_backends);
        switch (m_driver->Tick()) {
        case TOutputDriver::TTick::Idle:
            m_timer.stop();
            break;
        case TOutputDriver::TTick::Starting:
            // Until the first audio is heard, so a play starts without waiting for a tick.
            m_timer.start(StartingTickMs);
            break;
        case TOutputDriver::TTick::Playing:
            if (!m_timer.isActive() || m_timer.interval() != m_driver->NextTickMs())
                m_timer.start(m_driver->NextTickMs());
            break;
        }
    }
    void Shutdown()
    {
        m_timer.stop();
        m_driver.reset();
    }

private:
    static constexpr int StartingTickMs = 2;

    TPcmFeed& m_feed;
    QList<TBackendFactory> m_backends;
    QTimer m_timer;
    std::unique_ptr<TOutputDriver> m_driver;
};

TThreadedOutput::TThreadedOutput(QList<TBackendFactory> backends) : m_backends(std::move(backends))
{
    m_thread.setObjectName(QStringLiteral("qlnx audio output"));
}

TThreadedOutput::~TThreadedOutput()
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->Shutdown(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void TThreadedOutput::Attach(TPcmFeed& feed)
{
    m_worker = new TOutputWorker(feed, m_backends);
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::HighPriority);
}

void TThreadedOutput::Wake()
{
    if (m_worker)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->Tick(); }, Qt::QueuedConnection);
}

std::unique_ptr<TAudioOutput> MakeSilentAudioOutput()
{
    auto clock = std::make_shared<TSteadyClock>();
    return std::make_unique<TThreadedOutput>(
        QList<TBackendFactory>{[clock] { return std::make_unique<TSilentBackend>(clock); }});
}

} // namespace qlnx
