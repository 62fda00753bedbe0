#include "online/LookupToc.h"

#include <discid/discid.h>

#include "discid/DiscIdentity.h"

namespace qlnx {

namespace {

constexpr qint32 LeadIn = 150;
constexpr qint32 FramesPerSecond = 75;
constexpr qint32 SectorLimit = 100 * 60 * FramesPerSecond;
// The lead-out of the audio session (6750 sectors) and the lead-in of the next one (4500).
constexpr qint32 SessionGap = 11400;

} // namespace

qint32 TLookupToc::AudioLeadOut() const
{
    if (TrailingDataTracks <= 0 || TrailingDataTracks >= TrackCount())
        return LeadOut;
    // An image may put the data track right after the audio, without the sessions' gap: its
    // audio then ends where the data begins.
    const qint32 data = Starts.at(AudioTrackCount());
    return data - SessionGap > Starts.at(AudioTrackCount() - 1) ? data - SessionGap : data;
}

qint64 TLookupToc::TrackLengthMs(int i) const
{
    if (i < 0 || i >= Starts.size())
        return 0;
    qint32 end = i + 1 < Starts.size() ? Starts.at(i + 1) : LeadOut;
    if (i + 1 == AudioTrackCount())
        end = AudioLeadOut();
    return qint64(end - Starts.at(i)) * 1000 / FramesPerSecond;
}

TLookupToc LookupTocOf(const TDiscToc& disc)
{
    TLookupToc toc;
    for (const TDiscToc::TTrack& track : disc.Tracks)
        toc.Starts.append(track.Start);
    toc.LeadOut = disc.LeadOut;
    for (auto t = disc.Tracks.crbegin(); t != disc.Tracks.crend() && !t->Audio; ++t)
        ++toc.TrailingDataTracks;
    // A disc of data only is one session: nothing to leave out.
    if (toc.TrailingDataTracks == toc.TrackCount())
        toc.TrailingDataTracks = 0;
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
    if (toc.TrailingDataTracks < 0 || toc.TrailingDataTracks >= toc.TrackCount())
        return false;
    const qint32 audioLast = toc.Starts.at(toc.AudioTrackCount() - 1);
    return toc.Starts.first() >= 0 && toc.LeadOut > previous && toc.LeadOut <= SectorLimit &&
           toc.AudioLeadOut() > audioLast;
}

QString MusicBrainzDiscId(const TLookupToc& toc)
{
    if (!IsUsableToc(toc))
        return QString();
    // offsets[0] is the lead-out, then one start per track, each counted with the lead-in.
    int offsets[100] = {};
    offsets[0] = toc.AudioLeadOut() + LeadIn;
    for (int i = 0; i < toc.AudioTrackCount(); ++i)
        offsets[toc.FirstTrack + i] = toc.Starts.at(i) + LeadIn;
    DiscId* disc = discid_new();
    QString id;
    if (discid_put(disc, toc.FirstTrack, toc.FirstTrack + toc.AudioTrackCount() - 1, offsets))
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
