// The playback service's protocol: any stream of bytes gives whole messages and then, at the
// first thing that is not a frame of ours, a broken stream; every message read is written back
// to the same bytes and read again as itself.

#include "FuzzTarget.h"

#include <QByteArray>

#include "playd/Protocol.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Fed in two pieces, as a socket may hand them over.
    TFrameReader reader;
    reader.Append(bytes.left(bytes.size() / 2));
    TMessage message;
    TFrameReader::TResult result = TFrameReader::TResult::Message;
    bool second = false;
    for (;;) {
        result = reader.Next(message);
        if (result == TFrameReader::TResult::NeedMore && !second) {
            reader.Append(bytes.mid(bytes.size() / 2));
            second = true;
            continue;
        }
        if (result != TFrameReader::TResult::Message)
            break;
        const QByteArray frame = EncodeFrame(message);
        const auto again = DecodeMessage(frame.mid(4));
        QLNX_FUZZ_CHECK(again && *again == message);
        QLNX_FUZZ_CHECK(EncodeFrame(*again) == frame);
        // Whatever the numbers, a play the service would run stays on its disc.
        if (message.Type == TMessageType::Play && Runnable(message))
            QLNX_FUZZ_CHECK(message.From >= 0 && message.To >= 0 && message.From % 4 == 0 &&
                            message.To / 2352 <= message.Disc.Toc.LeadOut);
        if (message.Type == TMessageType::Status)
            (void)Plausible(message);
    }
    if (result == TFrameReader::TResult::Broken)
        QLNX_FUZZ_CHECK(reader.Next(message) == TFrameReader::TResult::Broken);
    return 0;
}
