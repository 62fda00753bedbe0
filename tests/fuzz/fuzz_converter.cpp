// The converter in each of its source formats: any source converts or is refused, never harms.

#include "FuzzTarget.h"

#include <QDir>
#include <QTemporaryDir>

#include "convert/Cddb.h"
#include "convert/Conversion.h"
#include "text/TextCodec.h"

using namespace qlnxdc;

namespace {

class TNullLog final : public TConversionLog
{
public:
    void Clear() override {}
    void AppendLine(const QString&, TLogStyle) override {}
    void MoveCaretToStart() override {}
};

class TGoOn final : public TTrackZeroAsker
{
public:
    bool AskTrackZero() override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString text = qlnx::DecodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split(u'\n');
    TNullLog log;
    TGoOn asker;
    for (const TSourceFormat format : {TSourceFormat::Kvt, TSourceFormat::WinStandard}) {
        const TConversionResult result = ConvertLines(lines, dir.path(), format, log, asker);
        QLNX_FUZZ_CHECK(result.Outcome != TConversionResult::TOutcome::Stopped);
    }
    const TCddbEntry entry =
        ParseCddbEntry(qlnx::DecodeText(bytes, qlnx::TTextFallback::Latin1).split(u'\n'));
    if (CddbRefusal(entry).isEmpty()) {
        TDiscRecord record;
        FillDiscRecord(entry, record);
        (void)DiscFileBytes(record);
    }
    // Nothing the source says may write outside the destination.
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QLNX_FUZZ_CHECK(!name.contains(u'/'));
    return 0;
}
