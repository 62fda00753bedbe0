// Release answers of the disc id service: anything reads, and every candidate read from it
// can be marked against a disc.

#include "FuzzTarget.h"

#include <QByteArray>

#include "online/LookupToc.h"
#include "online/OnlineParse.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    auto candidates = ParseMusicBrainzReleases(json, QStringLiteral("ID-1"));
    if (!candidates)
        return 0;
    TLookupToc toc;
    toc.Starts = {0, 4500};
    toc.LeadOut = 9000;
    const int preselect = MarkCandidates(*candidates, toc);
    QLNX_FUZZ_CHECK(preselect == -1 || candidates->at(preselect).Fits);
    for (const TDiscCandidate& c : *candidates)
        QLNX_FUZZ_CHECK(c.Lengths.isEmpty() || c.Lengths.size() == c.Tracks.size());
    return 0;
}
