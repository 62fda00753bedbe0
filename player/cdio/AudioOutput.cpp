#include "cdio/AudioOutput.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QPointer>
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

// --- QAudioSink ----------------------------------------------------------------------------

namespace {

// Hands the sink the bytes of one segment. Unbuffered, so what the sink takes is exactly what
// it asked for.
class TFeedDevice final : public QIODevice
{
public:
    explicit TFeedDevice(QObject* parent) : QIODevice(parent)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    void Begin(TPcmFeed* feed, quint64 segment)
    {
        m_feed = feed;
        m_segment = segment;
        m_handed = 0;
    }
    qint64 Handed() const { return m_handed; }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return !m_feed || m_feed->ReadAll(m_segment); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!m_feed)
            return 0;
        const qint64 n = m_feed->Read(m_segment, data, maxSize);
        m_handed += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    TPcmFeed* m_feed = nullptr;
    quint64 m_segment = 0;
    qint64 m_handed = 0;
};

// What the sink has played is its processed time; the sound server does not start a stream
// until its buffer has filled, so a play shorter than that counts as played once the sink has
// stood still with everything handed over for a while.
constexpr qint64 SinkBufferBytes = BytesPerSecond / 4;
constexpr qint64 EndStallMs = 400;

class TSinkBackend final : public TOutputBackend
{
public:
    explicit TSinkBackend(const QAudioDevice& device)
    {
        QAudioFormat format;
        format.setSampleRate(int(SampleRate));
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = new QAudioSink(device, format);
        m_sink->setBufferSize(SinkBufferBytes);
        m_device = new TFeedDevice(m_sink);
    }
    ~TSinkBackend() override
    {
        m_sink->stop();
        // The sink may be in the middle of its own event handling.
        m_sink->deleteLater();
    }

    bool Start(TPcmFeed& feed, quint64 segment) override
    {
        m_sink->stop();
        m_device->Begin(&feed, segment);
        m_lastPlayed = 0;
        m_stall.invalidate();
        m_sink->start(m_device);
        return !Failed();
    }
    void Halt() override
    {
        m_sink->stop();
        m_device->Begin(nullptr, 0);
    }
    int ServiceMs() const override { return 50; }
    qint64 Service() override
    {
        if (Failed())
            return -1;
        if (m_sink->state() == QAudio::IdleState && !m_device->atEnd())
            Q_EMIT m_device->readyRead(); // audio may be ready again after an underrun
        const qint64 frames = m_sink->processedUSecs() * SampleRate / 1'000'000;
        qint64 played = std::min(frames * BytesPerSampleFrame, m_device->Handed());
        if (m_device->atEnd()) {
            if (played != m_lastPlayed || !m_stall.isValid())
                m_stall.start();
            else if (m_stall.elapsed() >= EndStallMs)
                played = m_device->Handed();
        }
        m_lastPlayed = played;
        return played;
    }

private:
    bool Failed() const
    {
        const QAudio::Error e = m_sink->error();
        return m_sink->state() == QAudio::StoppedState &&
               (e == QAudio::OpenError || e == QAudio::IOError || e == QAudio::FatalError);
    }

    QAudioSink* m_sink = nullptr;
    TFeedDevice* m_device = nullptr;
    qint64 m_lastPlayed = 0;
    QElapsedTimer m_stall;
};

} // namespace

std::unique_ptr<TOutputBackend> MakeDefaultSinkBackend()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    return std::make_unique<TSinkBackend>(device);
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

std::unique_ptr<TAudioOutput> MakeSystemAudioOutput()
{
    auto clock = std::make_shared<TSteadyClock>();
    return std::make_unique<TThreadedOutput>(
        QList<TBackendFactory>{MakeDefaultSinkBackend, MakeDefaultSinkBackend,
                               [clock] { return std::make_unique<TSilentBackend>(clock); }});
}

std::unique_ptr<TAudioOutput> MakeSilentAudioOutput()
{
    auto clock = std::make_shared<TSteadyClock>();
    return std::make_unique<TThreadedOutput>(
        QList<TBackendFactory>{[clock] { return std::make_unique<TSilentBackend>(clock); }});
}

} // namespace qlnx
