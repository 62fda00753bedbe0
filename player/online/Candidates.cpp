#include "online/OnlineParse.h"

#include <algorithm>
#include <cstdlib>

#include "online/LookupToc.h"

namespace qlnx {

namespace {

// Releases of one recording differ by a few seconds of silence now and then; more than this is
// another edit of the album.
constexpr qint64 FitSlackMs = 5000;

} // namespace

int MarkCandidates(QList<TDiscCandidate>& candidates, const TLookupToc& toc)
{
    for (TDiscCandidate& c : candidates) {
        c.Fits = true;
        c.Misfit.clear();
        // A release may list the data tracks of an enhanced disc or leave them out.
        if (c.Tracks.size() != toc.TrackCount() && c.Tracks.size() != toc.AudioTrackCount()) {
            c.Fits = false;
            c.Misfit = QStringLiteral("%1 tracks, the disc has %2")
                           .arg(c.Tracks.size())
                           .arg(toc.TrackCount());
            continue;
        }
        for (int i = 0; i < c.Lengths.size() && i < toc.TrackCount(); ++i) {
            if (std::abs(c.Lengths.at(i) - toc.TrackLengthMs(i)) > FitSlackMs) {
                c.Fits = false;
                c.Misfit = QStringLiteral("track %1 is %2 s long, on the disc %3 s")
                               .arg(i + 1)
                               .arg(c.Lengths.at(i) / 1000)
                               .arg(toc.TrackLengthMs(i) / 1000);
                break;
            }
        }
    }
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const TDiscCandidate& c) { return c.Fits; });
    return !candidates.isEmpty() && candidates.first().Fits ? 0 : -1;
}

} // namespace qlnx
