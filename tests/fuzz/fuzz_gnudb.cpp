// Query and read answers of the CDDB protocol: anything reads; a match's category and id,
// which go back into a request, are plain words; an entry has at most 99 tracks.

#include "FuzzTarget.h"

#include <QByteArray>

#include "online/OnlineParse.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto matches = ParseGnudbQuery(text)) {
        for (const TGnudbMatch& m : *matches) {
            for (QChar c : QString(m.Category + m.DiscId))
                QLNX_FUZZ_CHECK(c.unicode() < 128 && c.isLetterOrNumber());
        }
    }
    if (const auto entry = ParseGnudbRead(text))
        QLNX_FUZZ_CHECK(entry->Tracks.size() <= 99);
    return 0;
}
