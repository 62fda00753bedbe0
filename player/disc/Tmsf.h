#pragma once

#include <QString>
#include <QtGlobal>

namespace qlnx {

// Positions travel between the player and the drive as TMSF: one byte each for track, minutes
// (counted from the start of that track), seconds and frames, track in the lowest byte.
// Lengths travel as MSF: minutes in the lowest byte, then seconds, then frames.
// Callers compare the bytes one by one, never the packed integers.

constexpr int FramesPerSecond = 75;

constexpr quint32 PackTmsf(int track, int minutes, int seconds, int frames)
{
    return quint32(track & 0xFF) | quint32(minutes & 0xFF) << 8 | quint32(seconds & 0xFF) << 16 |
           quint32(frames & 0xFF) << 24;
}
constexpr int TmsfTrack(quint32 tmsf)
{
    return int(tmsf & 0xFF);
}
constexpr int TmsfMinutes(quint32 tmsf)
{
    return int(tmsf >> 8 & 0xFF);
}
constexpr int TmsfSeconds(quint32 tmsf)
{
    return int(tmsf >> 16 & 0xFF);
}
constexpr int TmsfFrames(quint32 tmsf)
{
    return int(tmsf >> 24 & 0xFF);
}

constexpr quint32 PackMsf(int minutes, int seconds, int frames)
{
    return quint32(minutes & 0xFF) | quint32(seconds & 0xFF) << 8 | quint32(frames & 0xFF) << 16;
}
constexpr int MsfMinutes(quint32 msf)
{
    return int(msf & 0xFF);
}
constexpr int MsfSeconds(quint32 msf)
{
    return int(msf >> 8 & 0xFF);
}
constexpr int MsfFrames(quint32 msf)
{
    return int(msf >> 16 & 0xFF);
}

// Frame counts and the packed forms, for layers that address the disc linearly.
constexpr quint32 MsfFromFrames(qint64 frames)
{
    return PackMsf(int(frames / (60 * FramesPerSecond)), int(frames / FramesPerSecond % 60),
                   int(frames % FramesPerSecond));
}
constexpr qint64 FramesFromMsf(quint32 msf)
{
    return (qint64(MsfMinutes(msf)) * 60 + MsfSeconds(msf)) * FramesPerSecond + MsfFrames(msf);
}
// The offset part of a TMSF value (everything but the track) as a frame count.
constexpr qint64 TmsfOffsetFrames(quint32 tmsf)
{
    return (qint64(TmsfMinutes(tmsf)) * 60 + TmsfSeconds(tmsf)) * FramesPerSecond +
           TmsfFrames(tmsf);
}
constexpr quint32 TmsfFromOffsetFrames(int track, qint64 frames)
{
    return PackTmsf(track, int(frames / (60 * FramesPerSecond)), int(frames / FramesPerSecond % 60),
                    int(frames % FramesPerSecond));
}

// A position as text for logs and tools: "T:MM:SS:FF", the track without leading zero.
QString FormatTmsf(quint32 tmsf);

} // namespace qlnx
