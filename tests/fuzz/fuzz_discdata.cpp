// The disc data file reader: any bytes load without harm, and what is saved from a load loads
// again to the same disc unless a value reads as a section header.

#include "FuzzTarget.h"

#include <QByteArray>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "disc/TrackSource.h"
#include "text/TextCodec.h"

using namespace qlnx;

namespace {

class TFakeSource final : public TTrackSource
{
public:
    quint32 TrackStart(int track) override { return quint32(track); }
    quint32 TrackLength(int) override { return 0x00000203; }
};

void LoadDefaults(TDiscModel& model, int tracks)
{
    TFakeSource source;
    model.SetDiscID(0x1234);
    model.SetTrackCount(tracks);
    model.FillTracks(source);
    model.ResetOrders();
    model.SetArtist(QStringLiteral("Artist"));
    model.SetTitle(QStringLiteral("Title"));
}

// A saved file is ambiguous when a value reads as a section header (an artist "[Title]"): the
// reader takes such a value for its header when no other line is that header.
bool Ambiguous(const QStringList& saved, int tracks)
{
    QStringList headers{QStringLiteral("[Artist]"), QStringLiteral("[Title]"),
                        QStringLiteral("[Order]")};
    for (int n = 1; n <= tracks; ++n)
        headers.append(QStringLiteral("[Track%1]").arg(n, 2, 10, QLatin1Char('0')));
    qsizetype found = 0;
    for (const QString& line : saved)
        found += headers.contains(line, Qt::CaseInsensitive) ? 1 : 0;
    return found != headers.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int tracks = size > 0 ? 1 + data[0] % TDiscModel::MaxTracks : 12;
    TDiscModel first;
    LoadDefaults(first, tracks);
    ApplyDiscDataLines(first, SplitLines(DecodeText(bytes)));
    const QStringList saved = DiscDataLines(first);

    TDiscModel second;
    LoadDefaults(second, tracks);
    ApplyDiscDataLines(second, saved);
    if (!Ambiguous(saved, tracks))
        QLNX_FUZZ_CHECK(DiscDataLines(second) == saved);
    return 0;
}
