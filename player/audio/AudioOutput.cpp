#include "audio/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

#include <QDeadlineTimer>
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

TStallingBackend::TStallingBackend(std::shared_ptr<const TClock> clock, qint64 stallAfter,
                                   TSilentBackend::TCapture capture)
    : m_silent(std::move(clock), std::move(capture)), m_stallAfter(stallAfter)
{
}

bool TStallingBackend::Start(TPcmFeed& feed, quint64 segment)
{
    m_played = 0;
    return m_silent.Start(feed, segment);
}

qint64 TStallingBackend::Service()
{
    if (m_played < m_stallAfter)
        m_played = m_silent.Service();
    return m_played;
}

// --- Driver --------------------------------------------------------------------------------

namespace {

// The tick due at the end of a segment, or while the first audio of one waits to be heard,
// comes this soon at the least.
constexpr qint64 EndingTickMs = 5;

} // namespace

TOutputDriver::TOutputDriver(TPcmFeed& feed, QList<TBackendFactory> backends,
                             std::shared_ptr<const TClock> clock)
    : m_feed(feed), m_factories(std::move(backends)), m_clock(std::move(clock))
{
}

TOutputDriver::~TOutputDriver() = default;

bool TOutputDriver::StartBackend()
{
    while (m_choice < m_factories.size()) {
        if (!m_backend)
            m_backend = m_factories.at(m_choice)();
        if (m_backend && m_backend->Start(m_feed, m_segment)) {
            m_lastPlayed = 0;
            m_progressNs = m_clock->NowNs();
            return true;
        }
        m_backend.reset();
        ++m_choice;
    }
    return false;
}

bool TOutputDriver::Stalled(qint64 played)
{
    const qint64 now = m_clock->NowNs();
    // Waiting for the disc is no stall.
    if (played != m_lastPlayed || !m_feed.Ready(m_segment)) {
        m_lastPlayed = played;
        m_progressNs = now;
        return false;
    }
    // A sound device may take a while to start (a wireless one, seconds); once one has failed
    // in a play, the next one gets no longer than a stall.
    const qint64 limitMs = played == 0 && m_choice == 0 ? StartStallMs : StallMs;
    return now - m_progressNs >= limitMs * 1'000'000;
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
        const bool stalled = played >= 0 && Stalled(played);
        if (played >= 0 && !stalled) {
            m_feed.Played(m_segment, played);
            const qint64 unplayedMs = m_feed.Unplayed(m_segment) * 1000 / BytesPerSecond;
            m_nextTickMs =
                int(std::clamp<qint64>(unplayedMs + 1, EndingTickMs,
                                       std::max<qint64>(EndingTickMs, m_backend->ServiceMs())));
            if (played > 0)
                return TTick::Playing;
            // Nothing heard yet: soon again once there is audio to hear (the engine wakes the
            // output when the first arrives), at the backend's pace while there is none.
            if (m_feed.Ready(m_segment))
                m_nextTickMs = int(EndingTickMs);
            return TTick::Starting;
        }
        // What a stalled backend played counts; the play goes on after it.
        if (stalled)
            m_feed.Played(m_segment, played);
        m_backend.reset();
        ++m_choice;
        m_feed.Restart(m_segment);
    }
    return TTick::Idle;
}

// --- Thread --------------------------------------------------------------------------------

// The feed as the output thread sees it. A shutdown that cannot wait for the thread cuts it
// off: every call then finds nothing to play, and the feed itself may go.
class TGuardedFeed final : public TPcmFeed
{
public:
    explicit TGuardedFeed(TPcmFeed& feed) : m_feed(&feed) {}
    void Cut()
    {
        std::lock_guard lock(m_mutex);
        m_feed = nullptr;
    }

    TSegment CurrentSegment() override
    {
        std::lock_guard lock(m_mutex);
        return m_feed ? m_feed->CurrentSegment() : TSegment{};
    }
    qint64 Read(quint64 segment, char* data, qint64 maxBytes) override
    {
        std::lock_guard lock(m_mutex);
        return m_feed ? m_feed->Read(segment, data, maxBytes) : 0;
    }
    bool ReadAll(quint64 segment) override
    {
        std::lock_guard lock(m_mutex);
        return !m_feed || m_feed->ReadAll(segment);
    }
    bool Ready(quint64 segment) override
    {
        std::lock_guard lock(m_mutex);
        return m_feed && m_feed->Ready(segment);
    }
    void Played(quint64 segment, qint64 bytes) override
    {
        std::lock_guard lock(m_mutex);
        if (m_feed)
            m_feed->Played(segment, bytes);
    }
    qint64 Unplayed(quint64 segment) override
    {
        std::lock_guard lock(m_mutex);
        return m_feed ? m_feed->Unplayed(segment) : 0;
    }
    void Restart(quint64 segment) override
    {
        std::lock_guard lock(m_mutex);
        if (m_feed)
            m_feed->Restart(segment);
    }

private:
    std::mutex m_mutex;
    TPcmFeed* m_feed;
};

class TOutputWorker final : public QObject
{
public:
    TOutputWorker(std::shared_ptr<TGuardedFeed> feed, QList<TBackendFactory> backends,
                  std::shared_ptr<const TClock> clock)
        : m_feed(std::move(feed)), m_backends(std::move(backends)), m_clock(std::move(clock)),
          m_timer(this)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    }
    void Tick()
    {
        if (!m_driver)
            m_driver = std::make_unique<TOutputDriver>(*m_feed, m_backends, m_clock);
        if (m_driver->Tick() == TOutputDriver::TTick::Idle) {
            m_timer.stop();
            return;
        }
        // Also while nothing is heard yet: the engine wakes the output when the first audio
        // is ready, and the backend plays it on its own.
        if (!m_timer.isActive() || m_timer.interval() != m_driver->NextTickMs())
            m_timer.start(m_driver->NextTickMs());
    }
    void Shutdown()
    {
        m_timer.stop();
        m_driver.reset();
        QThread::currentThread()->quit();
    }

private:
    std::shared_ptr<TGuardedFeed> m_feed;
    QList<TBackendFactory> m_backends;
    std::shared_ptr<const TClock> m_clock;
    QTimer m_timer;
    std::unique_ptr<TOutputDriver> m_driver;
};

TThreadedOutput::TThreadedOutput(QList<TBackendFactory> backends,
                                 std::shared_ptr<const TClock> clock)
    : m_backends(std::move(backends)), m_clock(std::move(clock))
{
}

TThreadedOutput::~TThreadedOutput()
{
    Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
}

void TThreadedOutput::Attach(TPcmFeed& feed)
{
    m_feed = std::make_shared<TGuardedFeed>(feed);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("qlnx audio output"));
    m_worker = new TOutputWorker(m_feed, m_backends, m_clock);
    m_worker->moveToThread(m_thread);
    m_thread->start(QThread::HighPriority);
}

void TThreadedOutput::Wake()
{
    if (m_worker)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->Tick(); }, Qt::QueuedConnection);
}

void TThreadedOutput::Shutdown(std::chrono::steady_clock::time_point deadline)
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->Shutdown(); }, Qt::QueuedConnection);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (m_thread->wait(QDeadlineTimer(std::max<qint64>(0, left.count())))) {
        delete m_worker;
        delete m_thread;
    } else {
        // Stuck in the sound system: the thread and its worker are let go (they live on until
        // the program ends), and never reach the feed again.
        m_feed->Cut();
    }
    m_worker = nullptr;
    m_thread = nullptr;
}

std::unique_ptr<TAudioOutput> MakeSilentAudioOutput()
{
    auto clock = std::make_shared<TSteadyClock>();
    return std::make_unique<TThreadedOutput>(
        QList<TBackendFactory>{[clock] { return std::make_unique<TSilentBackend>(clock); }}, clock);
}

std::unique_ptr<TAudioOutput> MakeAudioOutput(TBackendFactory sink, int stallAfterMs)
{
    auto clock = std::make_shared<TSteadyClock>();
    QList<TBackendFactory> backends{sink, sink,
                                    [clock] { return std::make_unique<TSilentBackend>(clock); }};
    if (stallAfterMs > 0) {
        backends.prepend([clock, stallAfterMs] {
            return std::make_unique<TStallingBackend>(clock,
                                                      stallAfterMs * BytesPerSecond / 1000 / 4 * 4);
        });
    }
    return std::make_unique<TThreadedOutput>(backends, clock);
}

} // namespace qlnx
