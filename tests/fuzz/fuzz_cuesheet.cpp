// The CUE sheet reader: any bytes read or are refused, and what is read lays out into a valid
// table of contents or is refused.

#include "FuzzTarget.h"
#include "SheetCheck.h"

#include <QByteArray>

#include "image/ImageSheet.h"
#include "text/TextCodec.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(MaxSheetBytes))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto sheet = ParseCueSheet(DecodeText(bytes)))
        CheckSheetLayouts(*sheet);
    return 0;
}
