#include "lyrics/LyricsEditRules.h"

#include <limits>

#include "disc/DiscDataFile.h"

namespace qlnx {

std::optional<int> ParseTimeNumber(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value =
            std::min<qint64>(value * 10 + (c.unicode() - u'0'), std::numeric_limits<int>::max());
    }
    return int(value);
}

QString CorrectTimeText(const QString& text, int maximum)
{
    if (text.isEmpty())
        return QStringLiteral("00");
    const std::optional<int> value = ParseTimeNumber(text);
    if (!value)
        return text;
    QString corrected = text;
    if (*value > maximum)
        corrected = QString::number(maximum);
    if (corrected.size() == 1 && *value <= 9)
        corrected.prepend(u'0');
    return corrected;
}

int StepTimeValue(int value, int step, int maximum, bool wrap)
{
    const int next = value + step;
    if (next < 0)
        return wrap ? maximum : 0;
    if (next > maximum)
        return wrap ? 0 : maximum;
    return next;
}

int OverwritePosition(int caret)
{
    return std::min(caret, 1);
}

QString TwoDigitText(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

TLyricRow RowFromEntry(const TLyricEntry& entry)
{
    return {TwoDigitText(entry.Time / 60), TwoDigitText(entry.Time % 60), entry.Text};
}

int ClampToEditorTimes(TLyricList& lyrics)
{
    int moved = 0;
    for (TLyricEntry& entry : lyrics) {
        if (entry.Time > LatestEditorTime) {
            entry.Time = LatestEditorTime;
            ++moved;
        }
    }
    return moved;
}

TRowsToLyrics LyricsFromRows(const QList<TLyricRow>& rows)
{
    QList<int> times;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const std::optional<int> minutes = ParseTimeNumber(rows.at(r).Minutes);
        const std::optional<int> seconds = ParseTimeNumber(rows.at(r).Seconds);
        // A three-digit minute cell is at most what a 99:99 data file line gives; anything
        // beyond that cannot come from the editor and would overflow the seconds.
        if (!minutes || !seconds || *minutes > 999 || *seconds > 999)
            return {{}, int(r)};
        times.append(*minutes * 60 + *seconds);
    }
    TRowsToLyrics result;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString text = OneLineValue(rows.at(r).Text);
        if (r > 0 && text.isEmpty() && times.at(r) <= result.Lyrics.last().Time)
            continue;
        result.Lyrics.append(TLyricEntry{text, times.at(r)});
    }
    return result;
}

} // namespace qlnx
