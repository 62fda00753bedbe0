#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>

#include "base/Log.h"

namespace qlnx {

// How a sheet says a file behind it holds its sectors.
enum class TFileKind
{
    Raw,       // the sectors as they are on the disc (audio little-endian)
    Swapped,   // raw audio with its samples big-endian
    Audio,     // an audio file (WAV, AIFF or FLAC), told apart by its content
    RawOrAudio // an audio file when its content says so, raw sectors otherwise
};

// Where the samples of a WAV or AIFF file lie, from the first bytes of the file.
struct TAudioHeader
{
    qint64 DataOffset = 0; // of the first sample in the file
    qint64 DataBytes = 0;  // of samples, as the header gives them
    bool BigEndian = false;
};

// The header of a WAV (RIFF/WAVE, chunks in any order) or AIFF file: only 44.1 kHz 16-bit
// stereo PCM is taken, as a disc holds it. Otherwise why says why not (when given).
std::optional<TAudioHeader> ParseAudioHeader(const QByteArray& head, QString* why = nullptr);

// Bytes of a WAV or AIFF file read to find its samples; the sample chunk must begin within.
constexpr qint64 AudioHeaderBytes = 64 * 1024;

// A file behind a sheet as the bytes of disc sectors: 16-bit little-endian stereo samples
// for audio. Used by one thread at a time.
class TAudioData
{
public:
    virtual ~TAudioData() = default;
    // Bytes of sector data the file holds.
    virtual qint64 Bytes() const = 0;
    // Reads bytes from offset on (a multiple of 4); what lies beyond the file's end, or went
    // missing since it was opened, reads as zeros. False when the file turns out to be broken
    // (a corrupt compressed frame): what it holds from there on cannot be played.
    virtual bool Read(qint64 offset, char* out, qint64 bytes) = 0;
};

// Opens a regular file as the sheet's kind says; none with why set when it cannot be read or
// holds no audio a disc could hold.
std::unique_ptr<TAudioData> OpenAudioData(const QString& path, TFileKind kind, QString* why);

// A FLAC file decoded (44.1 kHz 16-bit stereo only); none with why set otherwise.
std::unique_ptr<TAudioData> OpenFlacData(const QString& path, QString* why);

} // namespace qlnx
