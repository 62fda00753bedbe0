#include "convert/Cddb.h"

#include "discid/DiscIdentity.h"

namespace qlnxdc {

namespace {

constexpr qint32 LeadInFrames = 150;
constexpr qint32 FramesPerSecond = 75;
constexpr qint32 FramesPerMinute = 60 * FramesPerSecond;
// Addresses on a disc have two digits of minutes.
constexpr qint32 FrameLimit = 100 * FramesPerMinute;

bool IsAllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The value of a run of digits, or -1 above limit (so no length of digits can overflow).
qint32 NumberOf(QStringView digits, qint32 limit)
{
    qint64 n = 0;
    for (QChar c : digits) {
        n = n * 10 + (c.unicode() - u'0');
        if (n > limit)
            return -1;
    }
    return qint32(n);
}

// The digits at the start of text, as a number; -1 when there are none.
qint32 LeadingNumber(QStringView text, qint32 limit)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    return end == 0 ? -1 : NumberOf(text.first(end), limit);
}

// The value of a keyword once all its lines are joined: cut at a NUL, escapes undone. The
// format's escapes are \n, \t and \\; a line break becomes a space here, since the disc data
// file holds one line per value. A backslash before anything else stays as it is.
QString FinishedValue(const QString& joined)
{
    const QStringView value = UpToNul(joined);
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            text += c;
            continue;
        }
        const QChar next = value[i + 1];
        if (next == u'n')
            text += u' ';
        else if (next == u't')
            text += u'\t';
        else if (next == u'\\')
            text += u'\\';
        else {
            text += c;
            continue;
        }
        ++i;
    }
    return text;
}

QString Hex8(quint32 n)
{
    return QStringLiteral("%1").arg(n, 8, 16, QLatin1Char('0'));
}

bool IsHexId(QStringView id)
{
    if (id.size() != 8)
        return false;
    for (QChar c : id) {
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
            return false;
    }
    return true;
}

// Whether one of the comma-separated ids of a DISCID value is the expected one. Without the
// disc length only the parts of the id the offsets give can be compared: the checksum of the
// track starts and the number of tracks.
bool DiscIdAgrees(const QString& ids, quint32 expected, quint32 mask)
{
    for (QStringView id : QStringView(ids).split(u',')) {
        id = id.trimmed();
        if (IsHexId(id) && (id.toUInt(nullptr, 16) & mask) == (expected & mask))
            return true;
    }
    return false;
}

QString TracksText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(count);
}

// PLAYORDER numbers the disc's tracks from 1, separated by commas (blanks around a number
// allowed). The order is taken when every entry is a track of the disc; like the other formats,
// it keeps the first 100 entries.
void TakePlayOrder(const QString& value, int trackCount, TDiscRecord& record)
{
    QString order;
    int count = 0;
    for (QStringView part : QStringView(value).split(u',')) {
        part = part.trimmed();
        const qint32 n = IsAllDigits(part) ? NumberOf(part, trackCount) : -1;
        if (n < 1)
            return;
        if (count == TDiscRecord::MaxOrder)
            continue;
        if (count > 0)
            order += u'-';
        order += QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
        ++count;
    }
    record.Order = order;
    record.OrderCount = count;
}

} // namespace

bool IsCddbEntryStart(const QByteArray& head)
{
    return head.startsWith("# xmcd") || head.startsWith("\xef\xbb\xbf# xmcd");
}

TCddbEntry ParseCddbEntry(const QStringList& lines)
{
    enum class TOffsetList
    {
        NotYet,
        Reading,
        Done,
    };
    TCddbEntry entry;
    TOffsetList offsetList = TOffsetList::NotYet;
    bool offsetsUsable = true;
    QString discId;
    QString discTitle;
    QStringList trackTitles;
    QString playOrder;

    for (const QString& line : lines) {
        if (line.startsWith(u'#')) {
            const QStringView comment = QStringView(line).sliced(1).trimmed();
            if (offsetList == TOffsetList::Reading) {
                if (IsAllDigits(comment)) {
                    const qint32 offset = NumberOf(comment, FrameLimit - 1);
                    if (offset < 0 || entry.FrameOffsets.size() == TCddbEntry::MaxTracks ||
                        (!entry.FrameOffsets.isEmpty() && offset <= entry.FrameOffsets.last()))
                        offsetsUsable = false;
                    else
                        entry.FrameOffsets.append(offset);
                    continue;
                }
                offsetList = TOffsetList::Done;
            }
            if (offsetList == TOffsetList::NotYet && comment == u"Track frame offsets:") {
                offsetList = TOffsetList::Reading;
            } else if (!entry.DiscLengthSeconds && comment.startsWith(u"Disc length:")) {
                const qint32 seconds = LeadingNumber(comment.sliced(12).trimmed(), 999999);
                if (seconds >= 0)
                    entry.DiscLengthSeconds = seconds;
            }
            continue;
        }
        if (offsetList == TOffsetList::Reading)
            offsetList = TOffsetList::Done;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QStringView key = QStringView(line).first(equals);
        const QStringView value = QStringView(line).sliced(equals + 1);
        if (key == u"DTITLE") {
            discTitle += value;
        } else if (key.startsWith(u"TTITLE") && IsAllDigits(key.sliced(6))) {
            const qint32 n = NumberOf(key.sliced(6), TCddbEntry::MaxTracks - 1);
            if (n < 0)
                continue;
            while (trackTitles.size() <= n)
                trackTitles.append(QString());
            trackTitles[n] += value;
        } else if (key == u"PLAYORDER") {
            entry.HasPlayOrder = true;
            playOrder += value;
        } else if (key == u"DISCID") {
            discId += value;
        }
    }

    if (!offsetsUsable)
        entry.FrameOffsets.clear();
    entry.DiscId = FinishedValue(discId).trimmed();
    entry.DiscTitle = FinishedValue(discTitle);
    for (QString& title : trackTitles)
        title = FinishedValue(title);
    entry.TrackTitles = trackTitles;
    entry.PlayOrder = FinishedValue(playOrder);
    return entry;
}

quint32 DiscIdentityFromOffsets(const QList<qint32>& frameOffsets)
{
    // The serial takes starts without the lead-in; from 3 tracks on it needs no lead-out.
    QList<qint32> starts;
    starts.reserve(frameOffsets.size());
    for (qint32 offset : frameOffsets)
        starts.append(offset - LeadInFrames);
    return qlnx::AudioDiscSerial(starts, starts.isEmpty() ? 0 : starts.back());
}

QString CddbRefusal(const TCddbEntry& entry)
{
    const qsizetype tracks = entry.FrameOffsets.size();
    if (tracks == 0)
        return QStringLiteral("Not written: no usable list of track frame offsets");
    // Below 3 tracks the identity adds the frames up to the lead-out, which the entry gives
    // only in whole seconds: any guess would name the file of another disc.
    if (tracks < 3)
        return QStringLiteral("Not written: the identity of a disc of %1 cannot be derived "
                              "(its lead-out is given in whole seconds only)")
            .arg(TracksText(tracks));
    if (!entry.DiscId.isEmpty()) {
        const quint32 expected =
            qlnx::CddbDiscId(entry.FrameOffsets, entry.DiscLengthSeconds.value_or(0));
        const quint32 mask = entry.DiscLengthSeconds ? 0xffffffffu : 0xff0000ffu;
        if (!DiscIdAgrees(entry.DiscId, expected, mask)) {
            QString shown = Hex8(expected);
            if (!entry.DiscLengthSeconds)
                shown.replace(2, 4, QStringLiteral("...."));
            return QStringLiteral("Not written: DISCID %1 does not match the track frame "
                                  "offsets (%2)")
                .arg(entry.DiscId, shown);
        }
    }
    return QString();
}

void FillDiscRecord(const TCddbEntry& entry, TDiscRecord& record)
{
    record.Reset(Hex8(DiscIdentityFromOffsets(entry.FrameOffsets)).toUpper());
    const qsizetype separator = entry.DiscTitle.indexOf(QStringLiteral(" / "));
    if (separator < 0) {
        record.Artist = entry.DiscTitle;
        record.Title = entry.DiscTitle;
    } else {
        record.Artist = entry.DiscTitle.first(separator);
        record.Title = entry.DiscTitle.sliced(separator + 3);
    }
    const auto tracks = int(entry.FrameOffsets.size());
    for (int n = 1; n <= tracks; ++n)
        record.Names[std::size_t(n)] = entry.TrackTitles.value(n - 1);
    record.HighestTrack = tracks;
    if (entry.HasPlayOrder)
        TakePlayOrder(entry.PlayOrder, tracks, record);
}

} // namespace qlnxdc
