#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include "disc/DiscToc.h"

namespace qlnx {

// A disc as the lookup services know it: each track's start, data tracks included, and the
// disc's lead-out as sector addresses without the 150-sector lead-in. An enhanced disc ends
// in data tracks of a session of their own: the audio session ends 11400 sectors (its lead-out
// and the next session's lead-in) before the first of them.
struct TLookupToc
{
    int FirstTrack = 1;
    QList<qint32> Starts;
    qint32 LeadOut = 0;
    int TrailingDataTracks = 0;

    int TrackCount() const { return int(Starts.size()); }
    int AudioTrackCount() const { return TrackCount() - TrailingDataTracks; }
    // Where the audio session ends: the lead-out, or before the trailing data tracks (at their
    // start when the table leaves no room for the gap between the sessions).
    qint32 AudioLeadOut() const;
    // The length of track i (0-based) in milliseconds; the last audio track ends with its
    // session.
    qint64 TrackLengthMs(int i) const;
    bool operator==(const TLookupToc&) const = default;
};

// The table the drive (or the image) read, for the lookups.
TLookupToc LookupTocOf(const TDiscToc& toc);

// Whether the table can be looked up: 1..99 tracks rising from sector 0 on, the lead-out after
// the last start, all within 100 minutes, and an audio session that ends after its last start.
bool IsUsableToc(const TLookupToc& toc);

// The disc id of the first service, as a drive read gives it: of the audio session only.
// Empty for an unusable table.
QString MusicBrainzDiscId(const TLookupToc& toc);

// The classic 32-bit disc id: the digit sums of the starts in seconds, the playing time in
// seconds and the track count, data tracks and the disc's lead-out included. 0 for an
// unusable table.
quint32 FreedbDiscId(const TLookupToc& toc);

} // namespace qlnx
