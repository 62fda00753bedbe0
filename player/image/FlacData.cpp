// FLAC files behind sheets, decoded by libFLAC: OpenFlacData (declared in AudioData.h).

#include <cstring>
#include <vector>

#include <QFile>

#include <FLAC/stream_decoder.h>

#include "image/AudioData.h"

namespace qlnx {

namespace {

struct TDecoderDelete
{
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

// Decodes on demand: a read goes on from where the last one ended, and any other read first
// seeks to its sample (libFLAC hands over the frame holding it from that very sample on).
class TFlacData final : public TAudioData
{
public:
    bool Open(const QString& path, QString* why)
    {
        m_decoder.reset(FLAC__stream_decoder_new());
        if (!m_decoder)
            return Fail(why, QStringLiteral("no FLAC decoder"));
        const QByteArray local = QFile::encodeName(path);
        if (FLAC__stream_decoder_init_file(m_decoder.get(), local.constData(), &TFlacData::Write,
                                           &TFlacData::Metadata, &TFlacData::Error,
                                           this) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
            return Fail(why, QStringLiteral("%1 cannot be read").arg(path));
        if (!FLAC__stream_decoder_process_until_end_of_metadata(m_decoder.get()) || !m_info)
            return Fail(why, QStringLiteral("%1 is a broken FLAC file").arg(path));
        if (m_rate != 44100 || m_bits != 16 || m_channels != 2)
            return Fail(why, QStringLiteral("%1: the audio is %2 Hz, %3 bits, %4 channel(s), "
                                            "not 44100 Hz, 16 bits, 2 channels")
                                 .arg(path)
                                 .arg(m_rate)
                                 .arg(m_bits)
                                 .arg(m_channels));
        if (m_samples <= 0)
            return Fail(why, QStringLiteral("%1: the FLAC file does not say its length").arg(path));
        return true;
    }

    qint64 Bytes() const override { return m_samples * 4; }

    bool Read(qint64 offset, char* out, qint64 bytes) override
    {
        std::memset(out, 0, std::size_t(bytes));
        qint64 sample = offset / 4;
        qint64 wanted = std::min(bytes / 4, m_samples - sample);
        while (wanted > 0) {
            if (m_broken)
                return false;
            const qint64 buffered = qint64(m_buffer.size()) / 4;
            if (sample >= m_bufferStart && sample < m_bufferStart + buffered) {
                const qint64 n = std::min(wanted, m_bufferStart + buffered - sample);
                std::memcpy(out, m_buffer.data() + (sample - m_bufferStart) * 4,
                            std::size_t(n * 4));
                out += n * 4;
                sample += n;
                wanted -= n;
                continue;
            }
            if (sample != m_bufferStart + buffered) {
                // Anywhere else than right after what was decoded last: seek there.
                m_buffer.clear();
                m_bufferStart = sample;
                if (!FLAC__stream_decoder_seek_absolute(m_decoder.get(), quint64(sample))) {
                    m_broken = true;
                    continue;
                }
            } else {
                m_bufferStart += buffered;
                m_buffer.clear();
                if (!FLAC__stream_decoder_process_single(m_decoder.get()))
                    m_broken = true;
            }
            // The end of the stream before its length: the file is cut short.
            if (m_buffer.empty() && FLAC__stream_decoder_get_state(m_decoder.get()) ==
                                        FLAC__STREAM_DECODER_END_OF_STREAM)
                m_broken = true;
        }
        return true;
    }

private:
    static bool Fail(QString* why, const QString& reason)
    {
        if (why)
            *why = reason;
        return false;
    }

    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*,
                                                const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* client)
    {
        auto* self = static_cast<TFlacData*>(client);
        if (frame->header.channels != 2 || frame->header.bits_per_sample != 16) {
            self->m_broken = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        const std::size_t n = frame->header.blocksize;
        const std::size_t at = self->m_buffer.size();
        self->m_buffer.resize(at + n * 4);
        char* out = self->m_buffer.data() + at;
        for (std::size_t i = 0; i < n; ++i) {
            for (int c = 0; c < 2; ++c) {
                const auto v = quint16(qint16(buffer[c][i]));
                *out++ = char(v & 0xFF);
                *out++ = char(v >> 8);
            }
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                         void* client)
    {
        auto* self = static_cast<TFlacData*>(client);
        if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO)
            return;
        const auto& info = metadata->data.stream_info;
        self->m_info = true;
        self->m_rate = info.sample_rate;
        self->m_bits = int(info.bits_per_sample);
        self->m_channels = int(info.channels);
        self->m_samples = qint64(info.total_samples);
    }

    // A frame that fails its check is handed on as silence: the file is broken from there.
    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status,
                      void* client)
    {
        qCInfo(lcImage) << "FLAC decoding failed:" << FLAC__StreamDecoderErrorStatusString[status];
        static_cast<TFlacData*>(client)->m_broken = true;
    }

    std::unique_ptr<FLAC__StreamDecoder, TDecoderDelete> m_decoder;
    bool m_info = false;
    qint64 m_rate = 0;
    int m_bits = 0;
    int m_channels = 0;
    qint64 m_samples = 0;
    bool m_broken = false;
    std::vector<char> m_buffer; // decoded samples from m_bufferStart on
    qint64 m_bufferStart = 0;
};

} // namespace

std::unique_ptr<TAudioData> OpenFlacData(const QString& path, QString* why)
{
    auto data = std::make_unique<TFlacData>();
    if (!data->Open(path, why))
        return nullptr;
    return data;
}

} // namespace qlnx
