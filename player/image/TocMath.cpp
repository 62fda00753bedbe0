#include "image/TocMath.h"

#include <algorithm>

#include "disc/Tmsf.h"
#include "discid/DiscIdentity.h"

namespace qlnx {

namespace {

// The last track (1-based) starting at or before the sector; 0 when the sector comes before
// the first track.
int TrackAtSector(const TDiscToc& toc, qint32 lsn)
{
    for (int t = int(toc.Tracks.size()); t >= 1; --t) {
        if (lsn >= toc.Tracks.at(t - 1).Start)
            return t;
    }
    return 0;
}

} // namespace

bool IsValidToc(const TDiscToc& toc)
{
    if (toc.Tracks.isEmpty() || toc.Tracks.size() > 99 || toc.Tracks.front().Start < 0)
        return false;
    for (qsizetype i = 1; i < toc.Tracks.size(); ++i) {
        if (toc.Tracks.at(i).Start <= toc.Tracks.at(i - 1).Start)
            return false;
    }
    return toc.LeadOut > toc.Tracks.back().Start;
}

qint32 TrackEndSector(const TDiscToc& toc, int track)
{
    return track >= 1 && track < toc.Tracks.size() ? toc.Tracks.at(track).Start : toc.LeadOut;
}

quint32 TmsfAtSector(const TDiscToc& toc, qint32 lsn)
{
    const int count = int(toc.Tracks.size());
    if (count == 0)
        return PackTmsf(1, 0, 0, 0);
    if (lsn >= toc.LeadOut)
        return TmsfFromOffsetFrames(count, toc.LeadOut - toc.Tracks.back().Start);
    const int track = TrackAtSector(toc, lsn);
    if (track == 0)
        return PackTmsf(1, 0, 0, 0);
    return TmsfFromOffsetFrames(track, lsn - toc.Tracks.at(track - 1).Start);
}

qint32 SectorAtTmsf(const TDiscToc& toc, quint32 tmsf)
{
    if (toc.Tracks.isEmpty())
        return 0;
    const int track = std::clamp(TmsfTrack(tmsf), 1, int(toc.Tracks.size()));
    const qint64 sector = toc.Tracks.at(track - 1).Start + TmsfOffsetFrames(tmsf);
    return qint32(std::min<qint64>(sector, toc.LeadOut));
}

bool IsAudioSector(const TDiscToc& toc, qint32 lsn)
{
    if (lsn < 0 || lsn >= toc.LeadOut || toc.Tracks.isEmpty())
        return false;
    return toc.Tracks.at(std::max(TrackAtSector(toc, lsn), 1) - 1).Audio;
}

quint32 FreedbId(const TDiscToc& toc)
{
    QList<qint32> offsets;
    for (const TDiscToc::TTrack& track : toc.Tracks)
        offsets.append(track.Start + 150);
    return CddbDiscId(offsets, (toc.LeadOut + 150) / 75);
}

} // namespace qlnx
