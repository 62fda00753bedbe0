// CUE sheets of several files: with every file measured (its size made from its name), what is
// read lays out into a valid table of contents or is refused.

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
    const TFileBytes measure = [](const TSheetFile& file) -> std::optional<qint64> {
        if (file.Name.startsWith(u'x'))
            return std::nullopt;
        return qint64(file.Name.size()) * 2352 * 37 + file.Name.size() % 3;
    };
    if (const auto sheet = ParseCueSheet(DecodeText(bytes), measure))
        CheckSheetLayouts(*sheet);
    return 0;
}
