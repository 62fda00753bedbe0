#pragma once

#include <QtGlobal>

#include "disc/DiscToc.h"

namespace qlnx {

// The arithmetic between a table of contents, sector addresses and TMSF positions.

// Tracks 1..99 in rising order from sector 0 on, all before the lead-out.
bool IsValidToc(const TDiscToc& toc);
// The first sector after track n (1-based): the next track's start, or the lead-out. A track
// so takes in the pregap of the track after it.
qint32 TrackEndSector(const TDiscToc& toc, int track);
// The position of a sector: within the last track starting at or before it. The lead-out and
// anything after it are the end of the last track; a sector before the first track is the
// first track's start.
quint32 TmsfAtSector(const TDiscToc& toc, qint32 lsn);
// The sector a position names: its track brought into the disc's range, its offset counted
// from that track's start, no further than the lead-out.
qint32 SectorAtTmsf(const TDiscToc& toc, quint32 tmsf);
// Whether a sector belongs to an audio track (the first track's pregap counts to the first
// track). Nothing before sector 0 or from the lead-out on is audio.
bool IsAudioSector(const TDiscToc& toc, qint32 lsn);
// The freedb (CDDB) id of the disc: what rippers write into a CUE sheet as REM DISCID.
quint32 FreedbId(const TDiscToc& toc);

} // namespace qlnx
