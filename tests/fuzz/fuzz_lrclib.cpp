// Lyrics records and search answers: anything reads, and the rows made of a record are timed
// within the day and never empty when the record says it has lyrics.

#include "FuzzTarget.h"

#include <QByteArray>

#include "online/OnlineParse.h"

using namespace qlnx;

namespace {

void CheckRows(const TLyricsRecord& record)
{
    const TFoundLyrics found = LyricsOfRecord(record);
    QLNX_FUZZ_CHECK((found.Kind == TLyricsKind::Timed || found.Kind == TLyricsKind::Untimed) ==
                    !found.Rows.isEmpty());
    for (const TLyricEntry& row : found.Rows)
        QLNX_FUZZ_CHECK(row.Time >= 0 && (found.Kind == TLyricsKind::Timed || row.Time == 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto record = ParseLrclibRecord(json))
        CheckRows(*record);
    if (const auto records = ParseLrclibSearch(json)) {
        for (const TLyricsRecord& r : *records)
            CheckRows(r);
        if (const auto best = PickLyrics(*records, 200))
            CheckRows(*best);
    }
    return 0;
}
