// The timed lyrics reader: any bytes read without harm into lines in time order, none before
// the start, each one line of text.

#include "FuzzTarget.h"

#include <QByteArray>

#include "lyrics/Lrc.h"
#include "text/TextCodec.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TLrcText text = ReadLrcText(DecodeText(bytes));
    QLNX_FUZZ_CHECK(text.Lyrics.isEmpty() || text.PlainLines.isEmpty());
    int previous = 0;
    bool writable = true;
    for (const TLyricEntry& entry : text.Lyrics) {
        QLNX_FUZZ_CHECK(entry.Time >= previous);
        QLNX_FUZZ_CHECK(!entry.Text.contains(u'\n') && !entry.Text.contains(u'\r'));
        previous = entry.Time;
        // A huge negative offset gives times with more minute digits than a tag may have.
        writable = writable && entry.Time / 60 < 1000000;
    }
    // What is written reads back to as many lines.
    const QByteArray written = WriteLrc(text.Lyrics, QString(), QString());
    if (writable)
        QLNX_FUZZ_CHECK(ParseLrc(QString::fromUtf8(written)).size() == text.Lyrics.size());
    return 0;
}
