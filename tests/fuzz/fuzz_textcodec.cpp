// Text decoding of files: any bytes decode, and valid UTF-8 comes back as it was.

#include "FuzzTarget.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

#include "text/TextCodec.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = DecodeText(bytes);
    const QStringList lines = SplitLines(text);
    for (const QString& line : lines)
        QLNX_FUZZ_CHECK(!line.contains(u'\n'));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString strict = utf8(bytes);
    if (!utf8.hasError())
        QLNX_FUZZ_CHECK(text == strict);
    return 0;
}
