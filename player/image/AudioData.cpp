#include "image/AudioData.h"

#include <cmath>
#include <cstring>

#include <QFile>
#include <QFileInfo>

namespace qlnx {

namespace {

quint32 Le32(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 Le16(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint16(u[0] | u[1] << 8);
}

quint32 Be32(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

quint16 Be16(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint16(u[0] << 8 | u[1]);
}

// The 80-bit extended float of an AIFF sample rate, as a whole number of hertz.
double Extended(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    const int exponent = ((u[0] & 0x7F) << 8 | u[1]) - 16383 - 63;
    quint64 mantissa = 0;
    for (int i = 2; i < 10; ++i)
        mantissa = mantissa << 8 | u[i];
    if (exponent < -64 || exponent > 64)
        return 0;
    return std::ldexp(double(mantissa), exponent) * ((u[0] & 0x80) ? -1 : 1);
}

bool Fail(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

QString Format(qint64 rate, int bits, int channels)
{
    return QStringLiteral("%1 Hz, %2 bits, %3 channel(s)").arg(rate).arg(bits).arg(channels);
}

bool CheckFormat(qint64 rate, int bits, int channels, QString* why)
{
    if (rate == 44100 && bits == 16 && channels == 2)
        return true;
    return Fail(why, QStringLiteral("the audio is %1, not 44100 Hz, 16 bits, 2 channels")
                         .arg(Format(rate, bits, channels)));
}

// Chunks of a RIFF or AIFF file from pos on, each an id, a size and its content padded to an
// even size; the sample chunk ends the walk, since a large file has it last beyond the head.
std::optional<TAudioHeader> ParseWave(const QByteArray& head, QString* why)
{
    bool format = false;
    for (qint64 pos = 12; pos + 8 <= head.size();) {
        const char* chunk = head.constData() + pos;
        const qint64 size = Le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || pos + 8 + 16 > head.size())
                break;
            const char* f = chunk + 8;
            const quint16 tag = Le16(f);
            // WAVE_FORMAT_EXTENSIBLE carries its format as a GUID whose first two bytes are it.
            const quint16 sub = size >= 40 && pos + 8 + 26 <= head.size() ? Le16(f + 24) : 0;
            if (tag != 1 && !(tag == 0xFFFE && sub == 1)) {
                Fail(why, QStringLiteral("the WAV file holds no PCM (format %1)").arg(tag));
                return std::nullopt;
            }
            if (!CheckFormat(Le32(f + 4), Le16(f + 14), Le16(f + 2), why))
                return std::nullopt;
            format = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!format) {
                Fail(why, QStringLiteral("the WAV file has no format before its data"));
                return std::nullopt;
            }
            return TAudioHeader{pos + 8, size, false};
        }
        pos += 8 + size + (size & 1);
    }
    Fail(why, QStringLiteral("the WAV file has no readable format and data"));
    return std::nullopt;
}

std::optional<TAudioHeader> ParseAiff(const QByteArray& head, QString* why)
{
    bool format = false;
    for (qint64 pos = 12; pos + 8 <= head.size();) {
        const char* chunk = head.constData() + pos;
        const qint64 size = Be32(chunk + 4);
        if (std::memcmp(chunk, "COMM", 4) == 0) {
            if (size < 18 || pos + 8 + 18 > head.size())
                break;
            const char* c = chunk + 8;
            // A rate past any real one (or not a number) is kept out of the integer range.
            const double rate = Extended(c + 8);
            const qint64 hz = rate >= 0 && rate < 1e9 ? qint64(rate) : 0;
            if (!CheckFormat(hz, Be16(c + 6), Be16(c), why))
                return std::nullopt;
            format = true;
        } else if (std::memcmp(chunk, "SSND", 4) == 0) {
            if (!format || size < 8 || pos + 16 > head.size()) {
                Fail(why, QStringLiteral("the AIFF file has no format before its samples"));
                return std::nullopt;
            }
            const qint64 offset = Be32(chunk + 8);
            if (offset > size - 8)
                break;
            return TAudioHeader{pos + 16 + offset, size - 8 - offset, true};
        }
        pos += 8 + size + (size & 1);
    }
    Fail(why, QStringLiteral("the AIFF file has no readable format and samples"));
    return std::nullopt;
}

void SwapSamples(char* data, qint64 bytes)
{
    for (qint64 i = 0; i + 1 < bytes; i += 2)
        std::swap(data[i], data[i + 1]);
}

// Sectors straight from the file, from a byte offset on.
class TFileData final : public TAudioData
{
public:
    TFileData(const QString& path, qint64 offset, qint64 bytes, bool swapped)
        : m_file(path), m_offset(offset), m_bytes(bytes), m_swapped(swapped)
    {
    }
    bool Open() { return m_file.open(QIODevice::ReadOnly); }

    qint64 Bytes() const override { return m_bytes; }

    bool Read(qint64 offset, char* out, qint64 bytes) override
    {
        std::memset(out, 0, std::size_t(bytes));
        const qint64 wanted = std::min(bytes, m_bytes - offset);
        // What is not read (the file's end, an error) stays zeros.
        if (wanted > 0 && m_file.seek(m_offset + offset))
            m_file.read(out, wanted);
        if (m_swapped)
            SwapSamples(out, bytes);
        return true;
    }

private:
    QFile m_file;
    qint64 m_offset;
    qint64 m_bytes;
    bool m_swapped;
};

} // namespace

std::optional<TAudioHeader> ParseAudioHeader(const QByteArray& head, QString* why)
{
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return ParseWave(head, why);
    if (head.size() >= 12 && head.startsWith("FORM") && head.mid(8, 4) == "AIFF")
        return ParseAiff(head, why);
    if (head.startsWith("RIFF") || head.startsWith("FORM"))
        Fail(why, QStringLiteral("the file is neither WAV nor AIFF"));
    else
        Fail(why, QStringLiteral("the file is no WAV, AIFF or FLAC file"));
    return std::nullopt;
}

std::unique_ptr<TAudioData> OpenAudioData(const QString& path, TFileKind kind, QString* why)
{
    // A device or a FIFO named by a sheet is never read: it may never end.
    const QFileInfo info(path);
    if (!info.exists()) {
        Fail(why, QStringLiteral("%1 is missing").arg(path));
        return nullptr;
    }
    if (!info.isFile()) {
        Fail(why, QStringLiteral("%1 is not a regular file").arg(path));
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(why, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
        return nullptr;
    }
    const QByteArray head = file.read(AudioHeaderBytes);
    const qint64 size = file.size();
    file.close();
    const bool container = head.startsWith("RIFF") || head.startsWith("FORM");
    const bool flac = head.startsWith("fLaC");
    std::unique_ptr<TFileData> data;
    if (kind == TFileKind::Raw || kind == TFileKind::Swapped ||
        (kind == TFileKind::RawOrAudio && !container && !flac)) {
        data = std::make_unique<TFileData>(path, 0, size, kind == TFileKind::Swapped);
    } else if (flac) {
        return OpenFlacData(path, why);
    } else {
        QString reason;
        const auto header = ParseAudioHeader(head, &reason);
        if (!header) {
            Fail(why, QStringLiteral("%1: %2").arg(path, reason));
            return nullptr;
        }
        // A header claiming more than the file holds (a file cut short) is taken at the
        // file's size; the size of a stream written without knowing it (0 or all ones) too.
        qint64 bytes = std::min(header->DataBytes, size - header->DataOffset);
        if (header->DataBytes == 0 || header->DataBytes == 0xFFFFFFFF)
            bytes = size - header->DataOffset;
        data = std::make_unique<TFileData>(path, header->DataOffset, std::max<qint64>(bytes, 0),
                                           header->BigEndian);
    }
    if (!data->Open()) {
        Fail(why, QStringLiteral("%1 cannot be read").arg(path));
        return nullptr;
    }
    return data;
}

} // namespace qlnx
