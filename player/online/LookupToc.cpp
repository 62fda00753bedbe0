#include "online/LookupToc.h"

#include <discid/discid.h>

#include "disc/DiscModel.h"
#include "discid/DiscIdentity.h"

namespace qlnx {

namespace {

constexpr qint32 LeadIn = 150;
constexpr qint32 FramesPerSecond = 75;
constexpr qint32 SectorLimit = 100 * 60 * FramesPerSecond;

} // namespace

qint64 TLookupToc::TrackLengthMs(int i) const
{
    if (i < 0 || i >= Starts.size())
        return 0;
    const qint32 end = i + 1 < Starts.size() ? Starts.at(i + 1) : LeadOut;
    return qint64(end - Starts.at(i)) * 1000 / FramesPerSecond;
}

TLookupToc LookupTocOf(const TDiscModel& model)
{
    TLookupToc toc;
    if (model.DiscID() == 0)
        return toc;
    qint32 sector = 0;
    for (int n = 1; n <= model.TrackCount(); ++n) {
        const TTrackData& track = model.Tracks(n);
        toc.Starts.append(sector);
        sector += (track.LengthMin * 60 + track.LengthSec) * FramesPerSecond + track.LengthFrame;
    }
    toc.LeadOut = sector;
    return toc;
}

bool IsUsableToc(const TLookupToc& toc)
{
    if (toc.Starts.isEmpty() || toc.FirstTrack < 1 || toc.FirstTrack + toc.TrackCount() - 1 > 99)
        return false;
    qint32 previous = -1;
    for (qint32 start : toc.Starts) {
        if (start <= previous)
            return false;
        previous = start;
    }
    return toc.Starts.first() >= 0 && toc.LeadOut > previous && toc.LeadOut <= SectorLimit;
}

QString MusicBrainzDiscId(const TLookupToc& toc)
{
    if (!IsUsableToc(toc))
        return QString();
    // offsets[0] is the lead-out, then one start per track, each counted with the lead-in.
    int offsets[100] = {};
    offsets[0] = toc.LeadOut + LeadIn;
    for (int i = 0; i < toc.TrackCount(); ++i)
        offsets[toc.FirstTrack + i] = toc.Starts.at(i) + LeadIn;
    DiscId* disc = discid_new();
    QString id;
    if (discid_put(disc, toc.FirstTrack, toc.FirstTrack + toc.TrackCount() - 1, offsets))
        id = QString::fromLatin1(discid_get_id(disc));
    discid_free(disc);
    return id;
}

quint32 FreedbDiscId(const TLookupToc& toc)
{
    if (!IsUsableToc(toc))
        return 0;
    QList<qint32> offsets;
    for (qint32 start : toc.Starts)
        offsets.append(start + LeadIn);
    return CddbDiscId(offsets, (toc.LeadOut + LeadIn) / FramesPerSecond);
}

} // namespace qlnx
