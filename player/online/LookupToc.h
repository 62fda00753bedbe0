#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace qlnx {

class TDiscModel;

// The audio tracks of a disc as the lookup services know it: each start and the lead-out as
// sector addresses without the 150-sector lead-in.
struct TLookupToc
{
    int FirstTrack = 1;
    QList<qint32> Starts;
    qint32 LeadOut = 0;

    int TrackCount() const { return int(Starts.size()); }
    // The length of track i (0-based) in milliseconds.
    qint64 TrackLengthMs(int i) const;
    bool operator==(const TLookupToc&) const = default;
};

// The table of the loaded disc, rebuilt from its track lengths (each track runs up to the next
// one's start, the last up to the lead-out) with the first track at sector 0, where nearly
// every disc starts it. Empty when no disc is loaded.
TLookupToc LookupTocOf(const TDiscModel& model);

// Whether the table can be looked up: 1..99 tracks rising from sector 0, the lead-out after
// the last start, all within 100 minutes.
bool IsUsableToc(const TLookupToc& toc);

// The disc id of the first service, as a drive read gives it; empty for an unusable table.
QString MusicBrainzDiscId(const TLookupToc& toc);

// The classic 32-bit disc id: the digit sums of the starts in seconds, the playing time in
// seconds and the track count. 0 for an unusable table.
quint32 FreedbDiscId(const TLookupToc& toc);

} // namespace qlnx
