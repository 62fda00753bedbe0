#include "playd/Protocol.h"

#include <algorithm>

#include <QtEndian>

namespace qlnx {

namespace {

constexpr int MaxTracks = 99;
constexpr int MaxPathBytes = 4096;

class TWriter
{
public:
    template <typename T> void Int(T value)
    {
        char bytes[sizeof(T)];
        qToBigEndian(value, bytes);
        m_bytes.append(bytes, sizeof(T));
    }
    void String(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        Int(quint32(utf8.size()));
        m_bytes += utf8;
    }
    QByteArray Take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

// Reads fields one after the other; any read past the end fails this and every later read.
class TReader
{
public:
    explicit TReader(const QByteArray& bytes) : m_bytes(bytes) {}

    template <typename T> T Int()
    {
        if (m_failed || m_bytes.size() - m_at < qsizetype(sizeof(T))) {
            m_failed = true;
            return T{};
        }
        const T value = qFromBigEndian<T>(m_bytes.constData() + m_at);
        m_at += sizeof(T);
        return value;
    }
    QString String()
    {
        const quint32 size = Int<quint32>();
        if (m_failed || size > MaxPathBytes || m_bytes.size() - m_at < qsizetype(size)) {
            m_failed = true;
            return {};
        }
        const QString text = QString::fromUtf8(m_bytes.constData() + m_at, qsizetype(size));
        m_at += size;
        return text;
    }
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }
    bool Whole() const { return !m_failed && m_at == m_bytes.size(); }

private:
    const QByteArray& m_bytes;
    qsizetype m_at = 0;
    bool m_failed = false;
};

void WriteDisc(TWriter& w, const TPlayedDisc& disc)
{
    w.String(disc.Path);
    w.Int(quint8(disc.Image ? 1 : 0));
    w.Int(disc.Serial);
    w.Int(quint16(disc.Toc.Tracks.size()));
    for (const TDiscToc::TTrack& track : disc.Toc.Tracks) {
        w.Int(track.Start);
        w.Int(quint8(track.Audio ? 1 : 0));
    }
    w.Int(disc.Toc.LeadOut);
}

TPlayedDisc ReadDisc(TReader& r)
{
    TPlayedDisc disc;
    disc.Path = r.String();
    const quint8 image = r.Int<quint8>();
    if (image > 1)
        r.Fail();
    disc.Image = image == 1;
    disc.Serial = r.Int<quint32>();
    const quint16 tracks = r.Int<quint16>();
    if (tracks > MaxTracks)
        r.Fail();
    for (quint16 i = 0; i < tracks && !r.Failed(); ++i) {
        TDiscToc::TTrack track;
        track.Start = r.Int<qint32>();
        const quint8 audio = r.Int<quint8>();
        if (audio > 1)
            r.Fail();
        track.Audio = audio == 1;
        disc.Toc.Tracks.append(track);
    }
    disc.Toc.LeadOut = r.Int<qint32>();
    return disc;
}

// The bytes the wire carries for a play's state and result. They are fixed for good, whatever
// becomes of the enums the programs keep in memory.
enum class TWireState : quint8
{
    Idle = 0,
    Playing = 1,
    Paused = 2,
    Stopped = 3
};
enum class TWireResult : quint8
{
    Successful = 1,
    Superseded = 2,
    Aborted = 4,
    Failure = 8
};

TWireState ToWire(TDiscPlayer::TState state)
{
    switch (state) {
    case TDiscPlayer::TState::Idle:
        return TWireState::Idle;
    case TDiscPlayer::TState::Playing:
        return TWireState::Playing;
    case TDiscPlayer::TState::Paused:
        return TWireState::Paused;
    case TDiscPlayer::TState::Stopped:
        break;
    }
    return TWireState::Stopped;
}

TWireResult ToWire(TNotifyResult result)
{
    switch (result) {
    case TNotifyResult::Successful:
        return TWireResult::Successful;
    case TNotifyResult::Superseded:
        return TWireResult::Superseded;
    case TNotifyResult::Aborted:
        return TWireResult::Aborted;
    case TNotifyResult::Failure:
        break;
    }
    return TWireResult::Failure;
}

// A byte that is none of the wire's values breaks the stream.
TDiscPlayer::TState ReadState(TReader& r)
{
    switch (TWireState(r.Int<quint8>())) {
    case TWireState::Idle:
        return TDiscPlayer::TState::Idle;
    case TWireState::Playing:
        return TDiscPlayer::TState::Playing;
    case TWireState::Paused:
        return TDiscPlayer::TState::Paused;
    case TWireState::Stopped:
        return TDiscPlayer::TState::Stopped;
    }
    r.Fail();
    return TDiscPlayer::TState::Idle;
}

TNotifyResult ReadResult(TReader& r)
{
    switch (TWireResult(r.Int<quint8>())) {
    case TWireResult::Successful:
        return TNotifyResult::Successful;
    case TWireResult::Superseded:
        return TNotifyResult::Superseded;
    case TWireResult::Aborted:
        return TNotifyResult::Aborted;
    case TWireResult::Failure:
        return TNotifyResult::Failure;
    }
    r.Fail();
    return TNotifyResult::Failure;
}

// Whether [from, to) lies on the disc, from its start to its lead-out, on whole sample frames.
bool OnDisc(const TPlayedDisc& disc, qint64 from, qint64 to)
{
    // A lead-out before the start is no disc at all, not an empty one.
    if (disc.Toc.LeadOut < 0)
        return false;
    const qint64 end = qint64(disc.Toc.LeadOut) * BytesPerSector;
    return from >= 0 && to >= 0 && from <= end && to <= end && from % BytesPerSampleFrame == 0 &&
           to % BytesPerSampleFrame == 0;
}

} // namespace

QByteArray EncodeFrame(const TMessage& m)
{
    TWriter w;
    w.Int(quint16(m.Type));
    switch (m.Type) {
    case TMessageType::Hello:
        w.Int(m.Magic);
        w.Int(m.Version);
        break;
    case TMessageType::Welcome:
        w.Int(m.Magic);
        w.Int(m.Version);
        w.Int(m.Pid);
        break;
    case TMessageType::Retire:
        break;
    case TMessageType::Play:
        w.Int(m.Seq);
        w.Int(m.PlayId);
        WriteDisc(w, m.Disc);
        w.Int(m.From);
        w.Int(m.To);
        break;
    case TMessageType::Stop:
    case TMessageType::Pause:
        w.Int(m.Seq);
        break;
    case TMessageType::Resume:
        w.Int(m.Seq);
        w.Int(m.PlayId);
        break;
    case TMessageType::Forget:
        w.Int(m.Seq);
        w.String(m.Disc.Path);
        break;
    case TMessageType::Status:
        w.Int(m.Seq);
        w.Int(quint8(ToWire(m.State)));
        WriteDisc(w, m.Disc);
        w.Int(m.Position);
        w.Int(m.To);
        w.Int(m.PlayId);
        break;
    case TMessageType::Completion:
        w.Int(m.PlayId);
        w.Int(quint8(ToWire(m.Result)));
        break;
    }
    const QByteArray payload = w.Take();
    TWriter frame;
    frame.Int(quint32(payload.size()));
    return frame.Take() + payload;
}

std::optional<TMessage> DecodeMessage(const QByteArray& payload)
{
    TReader r(payload);
    TMessage m;
    m.Type = TMessageType(r.Int<quint16>());
    switch (m.Type) {
    case TMessageType::Hello:
        m.Magic = r.Int<quint32>();
        m.Version = r.Int<quint16>();
        break;
    case TMessageType::Welcome:
        m.Magic = r.Int<quint32>();
        m.Version = r.Int<quint16>();
        m.Pid = r.Int<qint64>();
        break;
    case TMessageType::Retire:
        break;
    case TMessageType::Play:
        m.Seq = r.Int<quint32>();
        m.PlayId = r.Int<quint32>();
        m.Disc = ReadDisc(r);
        m.From = r.Int<qint64>();
        m.To = r.Int<qint64>();
        break;
    case TMessageType::Stop:
    case TMessageType::Pause:
        m.Seq = r.Int<quint32>();
        break;
    case TMessageType::Resume:
        m.Seq = r.Int<quint32>();
        m.PlayId = r.Int<quint32>();
        break;
    case TMessageType::Forget:
        m.Seq = r.Int<quint32>();
        m.Disc.Path = r.String();
        break;
    case TMessageType::Status:
        m.Seq = r.Int<quint32>();
        m.State = ReadState(r);
        m.Disc = ReadDisc(r);
        m.Position = r.Int<qint64>();
        m.To = r.Int<qint64>();
        m.PlayId = r.Int<quint32>();
        break;
    case TMessageType::Completion:
        m.PlayId = r.Int<quint32>();
        m.Result = ReadResult(r);
        break;
    default:
        return std::nullopt;
    }
    if (!r.Whole())
        return std::nullopt;
    return m;
}

bool Runnable(const TMessage& play)
{
    return OnDisc(play.Disc, play.From, play.To);
}

bool Plausible(const TMessage& status)
{
    // An idle service has no disc to measure by.
    return status.State == TDiscPlayer::TState::Idle ||
           OnDisc(status.Disc, status.Position, status.To);
}

TFrameReader::TResult TFrameReader::Next(TMessage& message)
{
    if (m_broken)
        return TResult::Broken;
    if (m_buffer.size() < 4)
        return TResult::NeedMore;
    const quint32 size = qFromBigEndian<quint32>(m_buffer.constData());
    if (size < 2 || size > quint32(MaxFrameBytes)) {
        m_broken = true;
        return TResult::Broken;
    }
    if (m_buffer.size() - 4 < qsizetype(size))
        return TResult::NeedMore;
    const auto decoded = DecodeMessage(m_buffer.mid(4, qsizetype(size)));
    m_buffer.remove(0, 4 + qsizetype(size));
    if (!decoded) {
        m_broken = true;
        return TResult::Broken;
    }
    message = *decoded;
    return TResult::Message;
}

} // namespace qlnx
