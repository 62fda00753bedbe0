#include "audiosink/AudioSinkBackend.h"

#include <algorithm>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>

namespace qlnx {

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

} // namespace qlnx
