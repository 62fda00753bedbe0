// The WAV and AIFF header reader: any bytes are taken or refused with a reason, and what is
// taken places its samples after the header's start, in a size that is not negative.

#include "FuzzTarget.h"

#include <QByteArray>

#include "image/AudioData.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(AudioHeaderBytes))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const auto header = ParseAudioHeader(bytes, &why);
    QLNX_FUZZ_CHECK(header.has_value() == why.isEmpty());
    if (header)
        QLNX_FUZZ_CHECK(header->DataOffset >= 12 && header->DataBytes >= 0);
    return 0;
}
