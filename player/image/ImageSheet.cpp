#include "image/ImageSheet.h"

#include <algorithm>

namespace qlnx {

namespace {

// Disc addresses reach 99:59:74, counted from the 150 sectors of the lead-in.
constexpr qint64 MaxDiscSectors = 100 * 60 * 75 - 150;

struct TCueMode
{
    const char* Name;
    bool Audio;
    int SectorBytes;
    int UserOffset;
};

constexpr TCueMode CueModes[] = {
    {"AUDIO", true, 2352, 0},        {"MODE1/2048", false, 2048, 0},
    {"MODE1/2352", false, 2352, 16}, {"MODE2/2336", false, 2336, 8},
    {"MODE2/2352", false, 2352, 24}, {"CDI/2336", false, 2336, 8},
    {"CDI/2352", false, 2352, 24},
};

struct TCueTrack
{
    int Number = 0;
    TCueMode Mode{};
    qint32 Pregap = 0;
    std::optional<qint32> Index0;
    std::optional<qint32> Index1;
    QString Title;
    QString Performer;
};

// The words of a sheet's line; a quoted word runs to its closing quote (or the line's end).
QList<QString> CueWords(QStringView line)
{
    QList<QString> words;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line.at(i).isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        if (line.at(i) == u'"') {
            end = line.indexOf(u'"', i + 1);
            if (end < 0)
                end = line.size();
            words.append(line.mid(i + 1, end - i - 1).toString());
            i = end + 1;
            continue;
        }
        while (end < line.size() && !line.at(end).isSpace())
            ++end;
        words.append(line.mid(i, end - i).toString());
        i = end;
    }
    return words;
}

// A number of one to three digits.
std::optional<int> SmallNumber(QStringView text, int max)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n <= max ? std::optional<int>(n) : std::nullopt;
}

// The extents of a single-file sheet's tracks: each track's data runs from its first index to
// the next track's first index (the first track's from the file's start), after the silence
// of its PREGAP.
TImageSheet CueLayout(const QString& file, const QList<TCueTrack>& tracks, QString title,
                      QString performer)
{
    TImageSheet sheet;
    sheet.DataFile = file;
    sheet.Title = std::move(title);
    sheet.Performer = std::move(performer);
    qint32 shift = 0;
    qint64 offset = 0;
    qint32 previous = 0;
    for (qsizetype k = 0; k < tracks.size(); ++k) {
        const TCueTrack& track = tracks.at(k);
        const qint32 first = k == 0 ? 0 : track.Index0.value_or(*track.Index1);
        if (k > 0) {
            sheet.Extents.back().Sectors = first - previous;
            offset += qint64(first - previous) * tracks.at(k - 1).Mode.SectorBytes;
            if (first == previous)
                sheet.Extents.removeLast();
        }
        shift += track.Pregap;
        if (track.Pregap > 0)
            sheet.Extents.append({first + shift - track.Pregap, track.Pregap, -1, 2352, 0});
        sheet.Extents.append(
            {first + shift, -1, offset, track.Mode.SectorBytes, track.Mode.UserOffset});
        sheet.Tracks.append(
            {*track.Index1 + shift, track.Mode.Audio, track.Title, track.Performer});
        previous = first;
    }
    return sheet;
}

} // namespace

std::optional<qint32> ParseMsf(QStringView text)
{
    const qsizetype a = text.indexOf(u':');
    const qsizetype b = a < 0 ? -1 : text.indexOf(u':', a + 1);
    if (b < 0)
        return std::nullopt;
    const auto m = SmallNumber(text.left(a), 99);
    const auto s = SmallNumber(text.mid(a + 1, b - a - 1), 59);
    const auto f = SmallNumber(text.mid(b + 1), 74);
    if (!m || !s || !f)
        return std::nullopt;
    return (*m * 60 + *s) * 75 + *f;
}

std::optional<TImageSheet> ParseCueSheet(const QString& text)
{
    std::optional<QString> file;
    QList<TCueTrack> tracks;
    QString title;
    QString performer;
    qint32 last = 0; // indexes never go back
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QList<QString> words = CueWords(line);
        if (words.isEmpty())
            continue;
        const QString keyword = words.front().toUpper();
        TCueTrack* track = tracks.isEmpty() ? nullptr : &tracks.back();
        if (keyword == QLatin1String("FILE")) {
            if (file || track || words.size() < 3 ||
                words.at(2).compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0 ||
                words.at(1).isEmpty())
                return std::nullopt;
            file = words.at(1);
        } else if (keyword == QLatin1String("TRACK")) {
            const auto number = words.size() < 3 ? std::nullopt : SmallNumber(words.at(1), 99);
            if (!file || !number || *number < 1 ||
                (track && (*number <= track->Number || !track->Index1)))
                return std::nullopt;
            const QString mode = words.at(2).toUpper();
            const auto known =
                std::find_if(std::begin(CueModes), std::end(CueModes),
                             [&mode](const TCueMode& m) { return mode == QLatin1String(m.Name); });
            if (known == std::end(CueModes))
                return std::nullopt;
            tracks.append({*number, *known, 0, {}, {}, {}, {}});
        } else if (keyword == QLatin1String("INDEX")) {
            const auto number = words.size() < 3 ? std::nullopt : SmallNumber(words.at(1), 99);
            const auto at = words.size() < 3 ? std::nullopt : ParseMsf(words.at(2));
            if (!track || !number || !at || *at < last)
                return std::nullopt;
            if (*number == 0 && !track->Index0 && !track->Index1)
                track->Index0 = at;
            else if (*number == 1 && !track->Index1)
                track->Index1 = at;
            else if (*number < 2 || !track->Index1)
                return std::nullopt;
            last = *at;
        } else if (keyword == QLatin1String("PREGAP")) {
            const auto length = words.size() < 2 ? std::nullopt : ParseMsf(words.at(1));
            if (!track || !length || track->Pregap > 0 || track->Index0 || track->Index1)
                return std::nullopt;
            track->Pregap = *length;
        } else if (keyword == QLatin1String("POSTGAP")) {
            return std::nullopt;
        } else if (keyword == QLatin1String("TITLE") && words.size() >= 2) {
            (track ? track->Title : title) = words.at(1);
        } else if (keyword == QLatin1String("PERFORMER") && words.size() >= 2) {
            (track ? track->Performer : performer) = words.at(1);
        }
    }
    if (!file || tracks.isEmpty() || !tracks.back().Index1)
        return std::nullopt;
    return CueLayout(*file, tracks, std::move(title), std::move(performer));
}

std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, qint64 fileBytes)
{
    if (sheet.Tracks.isEmpty() || sheet.Extents.isEmpty() || fileBytes < 0)
        return std::nullopt;
    TImageLayout layout;
    qint64 end = 0;
    for (qsizetype i = 0; i < sheet.Extents.size(); ++i) {
        TSheetExtent extent = sheet.Extents.at(i);
        if (extent.Start != end || extent.SectorBytes <= 0 ||
            (extent.Sectors < 0 && (i + 1 != sheet.Extents.size() || extent.FileOffset < 0)))
            return std::nullopt;
        if (extent.FileOffset >= 0 && extent.FileOffset >= fileBytes)
            return std::nullopt;
        if (extent.Sectors < 0)
            extent.Sectors = qint32(std::min<qint64>(
                (fileBytes - extent.FileOffset) / extent.SectorBytes, MaxDiscSectors + 1));
        end += extent.Sectors;
        if (end > MaxDiscSectors)
            return std::nullopt;
        if (extent.Sectors > 0)
            layout.Extents.append(extent);
    }
    for (const TSheetTrack& track : sheet.Tracks)
        layout.Toc.Tracks.append({track.Start, track.Audio});
    layout.Toc.LeadOut = qint32(end);
    if (!IsValidToc(layout.Toc))
        return std::nullopt;
    return layout;
}

const TSheetExtent* ExtentAt(const QList<TSheetExtent>& extents, qint32 lsn)
{
    const auto after =
        std::upper_bound(extents.begin(), extents.end(), lsn,
                         [](qint32 sector, const TSheetExtent& e) { return sector < e.Start; });
    if (after == extents.begin())
        return nullptr;
    const TSheetExtent& extent = *(after - 1);
    return lsn - extent.Start < extent.Sectors ? &extent : nullptr;
}

} // namespace qlnx
