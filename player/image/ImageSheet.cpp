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

// A CUE sheet read line by line into extents. Each track's data runs from its first index
// (the first track's from its file's start) to the next track's first index or its file's
// end, after the silence of its PREGAP and before that of its POSTGAP. Times count within the
// file they are given for; a file begins on the disc where the one before it ends.
class TCueParser
{
public:
    explicit TCueParser(const TFileBytes& fileBytes) : m_fileBytes(fileBytes) {}

    std::optional<TImageSheet> Parse(const QString& text)
    {
        for (QStringView line : QStringView(text).split(u'\n')) {
            const QList<QString> words = CueWords(line);
            if (!words.isEmpty() && !Line(words))
                return std::nullopt;
        }
        if (m_sheet.Tracks.isEmpty() || !m_track.Index1)
            return std::nullopt;
        if (m_track.Postgap > 0 && (!CloseAtFileEnd() || !Silence(m_track.Postgap)))
            return std::nullopt;
        return m_sheet;
    }

private:
    struct TTrack
    {
        int Number = 0;
        TCueMode Mode{"AUDIO", true, 2352, 0};
        qint32 Pregap = 0;
        qint32 Postgap = 0;
        bool Index0 = false;
        bool Index1 = false;
    };

    TSheetExtent& Open() { return m_sheet.Extents.back(); }

    bool Silence(qint32 sectors)
    {
        if (sectors > 0)
            m_sheet.Extents.append({m_disc, sectors, -1, 2352, 0, 0});
        m_disc += sectors;
        return m_disc <= MaxDiscSectors;
    }

    // The open extent ends with `sectors` sectors.
    void Close(qint32 sectors)
    {
        Open().Sectors = sectors;
        m_disc = Open().Start + sectors;
        if (sectors == 0)
            m_sheet.Extents.removeLast();
        m_open = false;
    }

    bool CloseAtFileEnd()
    {
        if (!m_open)
            return true;
        const auto bytes = m_fileBytes ? m_fileBytes(m_sheet.Files.back()) : std::nullopt;
        // A file ending before a time the sheet gives within it makes no disc.
        if (!bytes || *bytes < Open().FileOffset ||
            (*bytes - Open().FileOffset) / Open().SectorBytes < m_last - m_at)
            return false;
        Close(qint32(
            std::min<qint64>((*bytes - Open().FileOffset) / Open().SectorBytes, MaxDiscSectors)));
        return m_disc <= MaxDiscSectors;
    }

    // The current track's data begins at sector `at` of the current file.
    bool Boundary(qint32 at)
    {
        if (!m_open)
            return false;
        const TSheetExtent open = Open();
        Close(at - m_at);
        if (!Silence(m_postgap) || !Silence(m_track.Pregap))
            return false;
        m_postgap = 0;
        m_sheet.Extents.append({m_disc, -1, open.FileOffset + qint64(at - m_at) * open.SectorBytes,
                                m_track.Mode.SectorBytes, m_track.Mode.UserOffset, open.File});
        m_open = true;
        m_at = at;
        return true;
    }

    bool File(const QList<QString>& words)
    {
        static const std::pair<const char*, TFileKind> kinds[] = {{"BINARY", TFileKind::Raw},
                                                                  {"MOTOROLA", TFileKind::Swapped},
                                                                  {"WAVE", TFileKind::Audio},
                                                                  {"AIFF", TFileKind::Audio}};
        if (words.size() < 3 || words.at(1).isEmpty())
            return false;
        const QString type = words.at(2).toUpper();
        const auto kind = std::find_if(std::begin(kinds), std::end(kinds), [&type](const auto& k) {
            return type == QLatin1String(k.first);
        });
        if (kind == std::end(kinds) || !CloseAtFileEnd())
            return false;
        m_sheet.Files.append({words.at(1), kind->second});
        m_sheet.Extents.append({m_disc, -1, 0, m_track.Mode.SectorBytes, m_track.Mode.UserOffset,
                                int(m_sheet.Files.size() - 1)});
        m_open = true;
        m_at = 0;
        m_last = 0;
        return true;
    }

    bool Track(const QList<QString>& words)
    {
        const auto number = words.size() < 3 ? std::nullopt : SmallNumber(words.at(1), 99);
        const bool first = m_sheet.Tracks.isEmpty();
        if (m_sheet.Files.isEmpty() || !number || *number < 1 ||
            (!first && (*number <= m_track.Number || !m_track.Index1)))
            return false;
        const QString mode = words.at(2).toUpper();
        const auto known =
            std::find_if(std::begin(CueModes), std::end(CueModes),
                         [&mode](const TCueMode& m) { return mode == QLatin1String(m.Name); });
        if (known == std::end(CueModes))
            return false;
        m_postgap = m_track.Postgap;
        m_track = TTrack{*number, *known};
        m_sheet.Tracks.append({0, known->Audio, {}, {}});
        return true;
    }

    bool Index(const QList<QString>& words)
    {
        const auto number = words.size() < 3 ? std::nullopt : SmallNumber(words.at(1), 99);
        const auto at = words.size() < 3 ? std::nullopt : ParseMsf(words.at(2));
        if (m_sheet.Tracks.isEmpty() || !number || !at || *at < m_last || m_track.Postgap > 0)
            return false;
        m_last = *at;
        const bool first = m_sheet.Tracks.size() == 1;
        if (*number == 0 && !m_track.Index0 && !m_track.Index1) {
            m_track.Index0 = true;
            return Boundary(first ? 0 : *at);
        }
        if (*number == 1 && !m_track.Index1) {
            if (!m_track.Index0 && !Boundary(first ? 0 : *at))
                return false;
            m_track.Index1 = true;
            m_sheet.Tracks.back().Start = Open().Start + (*at - m_at);
            return true;
        }
        return *number >= 2 && m_track.Index1;
    }

    bool Line(const QList<QString>& words)
    {
        const QString keyword = words.front().toUpper();
        const bool inTrack = !m_sheet.Tracks.isEmpty();
        if (keyword == QLatin1String("FILE"))
            return File(words);
        if (keyword == QLatin1String("TRACK"))
            return Track(words);
        if (keyword == QLatin1String("INDEX"))
            return Index(words);
        if (keyword == QLatin1String("PREGAP") || keyword == QLatin1String("POSTGAP")) {
            const bool pre = keyword == QLatin1String("PREGAP");
            const auto length = words.size() < 2 ? std::nullopt : ParseMsf(words.at(1));
            qint32& gap = pre ? m_track.Pregap : m_track.Postgap;
            if (!inTrack || !length || gap > 0 ||
                (pre ? m_track.Index0 || m_track.Index1 : !m_track.Index1))
                return false;
            gap = *length;
            return true;
        }
        if (words.size() < 2)
            return true;
        if (keyword == QLatin1String("TITLE"))
            (inTrack ? m_sheet.Tracks.back().Title : m_sheet.Title) = words.at(1);
        else if (keyword == QLatin1String("PERFORMER"))
            (inTrack ? m_sheet.Tracks.back().Performer : m_sheet.Performer) = words.at(1);
        else if (keyword == QLatin1String("REM") && words.size() >= 3 &&
                 words.at(1).compare(QLatin1String("DISCID"), Qt::CaseInsensitive) == 0)
            m_sheet.DiscId = words.at(2);
        return true;
    }

    const TFileBytes& m_fileBytes;
    TImageSheet m_sheet;
    TTrack m_track;
    qint32 m_postgap = 0; // of the track before the current one, placed at its end
    qint32 m_disc = 0;    // the disc sector after the last closed extent
    bool m_open = false;  // the last extent runs on in the current file
    qint32 m_at = 0;      // the sector of the current file the open extent starts at
    qint32 m_last = 0;    // the latest time given within the current file: times never go back
};

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

std::optional<TImageSheet> ParseCueSheet(const QString& text, const TFileBytes& fileBytes)
{
    return TCueParser(fileBytes).Parse(text);
}

std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, const QList<qint64>& fileBytes)
{
    if (sheet.Tracks.isEmpty() || sheet.Extents.isEmpty())
        return std::nullopt;
    TImageLayout layout;
    qint64 end = 0;
    for (qsizetype i = 0; i < sheet.Extents.size(); ++i) {
        TSheetExtent extent = sheet.Extents.at(i);
        if (extent.Start != end || extent.SectorBytes <= 0 ||
            (extent.Sectors < 0 && (i + 1 != sheet.Extents.size() || extent.FileOffset < 0)))
            return std::nullopt;
        if (extent.FileOffset >= 0) {
            if (extent.File < 0 || extent.File >= fileBytes.size() ||
                extent.FileOffset >= fileBytes.at(extent.File))
                return std::nullopt;
            if (extent.Sectors < 0)
                extent.Sectors = qint32(std::min<qint64>(
                    (fileBytes.at(extent.File) - extent.FileOffset) / extent.SectorBytes,
                    MaxDiscSectors + 1));
        }
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

std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, qint64 fileBytes)
{
    return LayOutImage(sheet, QList<qint64>{fileBytes});
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
