// The cost of FLAC images: a FLAC file is encoded from generated audio, then read through the
// image reader sector by sector, as the read-ahead does during a play, and the CPU time of
// that per minute of audio is reported. The decoded audio is compared with what was encoded.

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include <FLAC/stream_encoder.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Bench.h"
#include "image/ImageFile.h"

using namespace qlnx;

namespace {

constexpr int SampleRate = 44100;
constexpr int SectorsPerSecond = 75;
constexpr int SectorBytes = 2352;

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Stereo 16-bit audio that compresses as music does, not as silence: two drifting tones, a
// slow beat and a little noise, different in each channel.
QByteArray GeneratedAudio(int seconds)
{
    const qsizetype frames = qsizetype(seconds) * SampleRate;
    QByteArray pcm(frames * 4, '\0');
    quint32 noise = 12345;
    for (qsizetype i = 0; i < frames; ++i) {
        const double t = double(i) / SampleRate;
        const double beat = 0.5 + 0.5 * std::sin(2 * M_PI * 2 * t);
        noise = noise * 1664525u + 1013904223u;
        const double hiss = double(qint32(noise >> 16) - 32768) / 32768.0;
        const double left = 0.45 * std::sin(2 * M_PI * (220 + 3 * t) * t) * beat + 0.03 * hiss;
        const double right = 0.4 * std::sin(2 * M_PI * (331 - 2 * t) * t) + 0.03 * hiss;
        const qint16 l = qint16(std::lround(left * 32767));
        const qint16 r = qint16(std::lround(right * 32767));
        char* out = pcm.data() + i * 4;
        out[0] = char(l & 0xFF);
        out[1] = char((l >> 8) & 0xFF);
        out[2] = char(r & 0xFF);
        out[3] = char((r >> 8) & 0xFF);
    }
    return pcm;
}

struct TEncoderDelete
{
    void operator()(FLAC__StreamEncoder* e) const { FLAC__stream_encoder_delete(e); }
};

// Encodes 16-bit little-endian stereo PCM as a FLAC file at the usual level 5.
bool EncodeFlac(const QByteArray& pcm, const QString& path)
{
    std::unique_ptr<FLAC__StreamEncoder, TEncoderDelete> encoder(FLAC__stream_encoder_new());
    if (!encoder)
        return false;
    FLAC__StreamEncoder* e = encoder.get();
    const qsizetype frames = pcm.size() / 4;
    FLAC__stream_encoder_set_channels(e, 2);
    FLAC__stream_encoder_set_bits_per_sample(e, 16);
    FLAC__stream_encoder_set_sample_rate(e, SampleRate);
    FLAC__stream_encoder_set_compression_level(e, 5);
    FLAC__stream_encoder_set_total_samples_estimate(e, FLAC__uint64(frames));
    if (FLAC__stream_encoder_init_file(e, QFile::encodeName(path).constData(), nullptr, nullptr) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        return false;
    constexpr qsizetype Chunk = 4096;
    std::vector<FLAC__int32> samples(Chunk * 2);
    const auto* bytes = reinterpret_cast<const uchar*>(pcm.constData());
    for (qsizetype at = 0; at < frames; at += Chunk) {
        const qsizetype n = std::min(Chunk, frames - at);
        for (qsizetype i = 0; i < n * 2; ++i) {
            const uchar* s = bytes + (at * 2 + i) * 2;
            samples[std::size_t(i)] = qint16(quint16(s[0] | s[1] << 8));
        }
        if (!FLAC__stream_encoder_process_interleaved(e, samples.data(), unsigned(n)))
            return false;
    }
    return FLAC__stream_encoder_finish(e);
}

} // namespace

void BenchFlacDecode(int seconds)
{
    QTemporaryDir dir;
    const QByteArray pcm = GeneratedAudio(seconds);
    const QString flac = dir.filePath(QStringLiteral("bench.flac"));
    if (!EncodeFlac(pcm, flac)) {
        std::printf("flac: the FLAC file could not be written\n");
        return;
    }
    QFile cue(dir.filePath(QStringLiteral("bench.cue")));
    if (!cue.open(QIODevice::WriteOnly) ||
        cue.write("FILE \"bench.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n") < 0) {
        std::printf("flac: the sheet could not be written\n");
        return;
    }
    cue.close();
    QString why;
    const auto image = TImageFile::Open(cue.fileName(), &why);
    if (!image) {
        std::printf("flac: the image does not open: %s\n", qPrintable(why));
        return;
    }
    // One second of sectors at a time, as the read-ahead asks for them.
    const qint32 sectors = seconds * SectorsPerSecond;
    QByteArray decoded(qsizetype(sectors) * SectorBytes, '\0');
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = ThreadCpuSeconds();
    bool ok = true;
    for (qint32 lsn = 0; ok && lsn < sectors; lsn += SectorsPerSecond) {
        const int count = std::min(SectorsPerSecond, sectors - lsn);
        ok = image->ReadRaw(lsn, count, decoded.data() + qsizetype(lsn) * SectorBytes);
    }
    const double cpu = ThreadCpuSeconds() - cpu0;
    const double minutes = seconds / 60.0;
    const bool identical = ok && decoded.left(pcm.size()) == pcm;
    std::printf("flac: %d s of audio, %.0f%% of its PCM size; decoding through the image "
                "reader: %.3f s CPU per minute of audio (%.0f ms wall in all)%s\n",
                seconds, 100.0 * double(QFileInfo(flac).size()) / double(pcm.size()), cpu / minutes,
                double(wall.elapsed()),
                identical ? ", bit-identical" : ", NOT IDENTICAL to what was encoded");
}
