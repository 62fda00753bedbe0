#pragma once

#include "FuzzTarget.h"

#include "image/ImageSheet.h"

namespace qlnx {

// A sheet as read lays out on files of several sizes into a valid table of contents whose
// extents cover the disc without gaps, or is refused.
inline void CheckSheetLayouts(const TImageSheet& sheet)
{
    for (const qint64 bytes : {qint64(0), qint64(2352), qint64(2352) * 1000 + 7,
                               qint64(2352) * 300000, qint64(1) << 40}) {
        const auto layout = LayOutImage(sheet, QList<qint64>(sheet.Files.size(), bytes));
        if (!layout)
            continue;
        QLNX_FUZZ_CHECK(IsValidToc(layout->Toc));
        QLNX_FUZZ_CHECK(layout->Toc.Tracks.size() == sheet.Tracks.size());
        qint64 end = 0;
        for (const TSheetExtent& extent : layout->Extents) {
            QLNX_FUZZ_CHECK(extent.Start == end && extent.Sectors > 0);
            QLNX_FUZZ_CHECK(extent.FileOffset < bytes);
            QLNX_FUZZ_CHECK(ExtentAt(layout->Extents, extent.Start) == &extent);
            end += extent.Sectors;
        }
        QLNX_FUZZ_CHECK(end == layout->Toc.LeadOut);
        QLNX_FUZZ_CHECK(!ExtentAt(layout->Extents, layout->Toc.LeadOut));
    }
}

} // namespace qlnx
