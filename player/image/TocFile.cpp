// cdrdao TOC files: ParseTocFile (declared in ImageSheet.h).

#include <algorithm>

#include "image/ImageSheet.h"

namespace qlnx {

namespace {

// Lengths beyond a whole disc make no disc either.
constexpr qint64 MaxSectors = 100 * 60 * 75;

struct TTocMode
{
    const char* Name;
    bool Audio;
    int SectorBytes;
    int UserOffset;
};

constexpr TTocMode TocModes[] = {
    {"AUDIO", true, 2352, 0},           {"MODE0", false, 2336, 0},
    {"MODE1", false, 2048, 0},          {"MODE1_RAW", false, 2352, 16},
    {"MODE2", false, 2336, 8},          {"MODE2_RAW", false, 2352, 24},
    {"MODE2_FORM1", false, 2048, 0},    {"MODE2_FORM2", false, 2324, 0},
    {"MODE2_FORM_MIX", false, 2336, 8},
};

const TTocMode* FindMode(const QString& word)
{
    const auto it =
        std::find_if(std::begin(TocModes), std::end(TocModes),
                     [&word](const TTocMode& m) { return word == QLatin1String(m.Name); });
    return it == std::end(TocModes) ? nullptr : it;
}

struct TToken
{
    enum class TKind
    {
        Word,
        String,
        Open,
        Close
    };
    TKind Kind = TKind::Word;
    QString Text;
};
using TKind = TToken::TKind;

// Words, strings (with \" and \\ escaped), braces; // starts a comment to the line's end.
std::optional<QList<TToken>> Tokens(QStringView text)
{
    QList<TToken> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isSpace() || c == u',') {
            ++i;
        } else if (c == u'/' && i + 1 < text.size() && text.at(i + 1) == u'/') {
            const qsizetype end = text.indexOf(u'\n', i);
            i = end < 0 ? text.size() : end;
        } else if (c == u'{' || c == u'}') {
            tokens.append({c == u'{' ? TKind::Open : TKind::Close, {}});
            ++i;
        } else if (c == u'"') {
            QString value;
            for (++i; i < text.size() && text.at(i) != u'"'; ++i) {
                if (text.at(i) == u'\\' && i + 1 < text.size() &&
                    (text.at(i + 1) == u'"' || text.at(i + 1) == u'\\'))
                    ++i;
                value += text.at(i);
            }
            if (i >= text.size())
                return std::nullopt;
            ++i;
            tokens.append({TKind::String, value});
        } else {
            const qsizetype start = i;
            while (i < text.size() && !text.at(i).isSpace() && text.at(i) != u'{' &&
                   text.at(i) != u'}' && text.at(i) != u'"' && text.at(i) != u',')
                ++i;
            tokens.append({TKind::Word, text.mid(start, i - start).toString()});
        }
    }
    return tokens;
}

// A count of up to twelve digits.
std::optional<qint64> Count(QStringView text)
{
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    qint64 n = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

class TTocParser
{
public:
    explicit TTocParser(QList<TToken> tokens) : m_tokens(std::move(tokens)) {}

    std::optional<TImageSheet> Parse()
    {
        while (m_at < m_tokens.size()) {
            if (!Statement())
                return std::nullopt;
        }
        if (!CloseTrack() || m_sheet.Tracks.isEmpty() || m_sheet.DataFile.isEmpty())
            return std::nullopt;
        return m_sheet;
    }

private:
    const TToken* Peek() const { return m_at < m_tokens.size() ? &m_tokens.at(m_at) : nullptr; }
    bool PeekWord() const { return Peek() && Peek()->Kind == TKind::Word; }

    std::optional<QString> Take(TKind kind)
    {
        if (!Peek() || Peek()->Kind != kind)
            return std::nullopt;
        return m_tokens.at(m_at++).Text;
    }

    // A time in bytes of the current track's sectors: MM:SS:FF, or samples (audio) or bytes.
    std::optional<qint64> Time()
    {
        if (!PeekWord())
            return std::nullopt;
        const QString& word = Peek()->Text;
        const int bytes = m_mode->SectorBytes;
        std::optional<qint64> value;
        if (word.contains(u':')) {
            if (const auto msf = ParseMsf(word))
                value = qint64(*msf) * bytes;
        } else if (const auto n = Count(word)) {
            value = m_mode->Audio ? *n * 4 : *n;
        }
        if (value && *value > MaxSectors * bytes)
            return std::nullopt;
        if (value)
            ++m_at;
        return value;
    }

    bool PeekTime() const
    {
        return PeekWord() && (Peek()->Text.contains(u':') || Count(Peek()->Text));
    }

    // A run of the current track: silence (offset -1) or data of the data file.
    bool Append(qint64 offset, std::optional<qint64> bytes)
    {
        if (!m_mode || m_openEnded || (bytes && *bytes <= 0))
            return false;
        const int size = m_mode->SectorBytes;
        const qint32 sectors = bytes ? qint32((*bytes + size - 1) / size) : -1;
        m_sheet.Extents.append({qint32(m_discPos), sectors, offset, size, m_mode->UserOffset});
        if (!bytes) {
            m_openEnded = true;
            return true;
        }
        m_trackLength += sectors;
        m_discPos += sectors;
        return m_discPos <= MaxSectors;
    }

    bool CloseTrack()
    {
        if (!m_mode)
            return true;
        m_sheet.Tracks.back().Start = qint32(m_trackStart + m_startOffset.value_or(0));
        return true;
    }

    bool File(bool data)
    {
        const auto name = Take(TKind::String);
        if (!name || name->isEmpty() || *name == QLatin1String("-") ||
            name->endsWith(QLatin1String(".wav"), Qt::CaseInsensitive) ||
            (!m_sheet.DataFile.isEmpty() && *name != m_sheet.DataFile))
            return false;
        m_sheet.DataFile = *name;
        qint64 offset = 0;
        if (PeekWord() && Peek()->Text.startsWith(u'#')) {
            const auto n = Count(QStringView(Peek()->Text).mid(1));
            if (!n)
                return false;
            offset = *n;
            ++m_at;
        }
        if (!data) {
            const auto start = Time();
            if (!start)
                return false;
            offset += *start;
        }
        std::optional<qint64> length;
        if (PeekTime()) {
            length = Time();
            if (!length)
                return false;
        }
        return Append(offset, length);
    }

    // CD_TEXT { ... }: the first TITLE and PERFORMER strings inside.
    bool CdText()
    {
        if (!Take(TKind::Open))
            return false;
        QString& title = m_mode ? m_sheet.Tracks.back().Title : m_sheet.Title;
        QString& performer = m_mode ? m_sheet.Tracks.back().Performer : m_sheet.Performer;
        for (int depth = 1; depth > 0;) {
            const TToken* token = Peek();
            if (!token)
                return false;
            ++m_at;
            if (token->Kind == TKind::Open) {
                ++depth;
            } else if (token->Kind == TKind::Close) {
                --depth;
            } else if (token->Kind == TKind::Word && Peek() && Peek()->Kind == TKind::String) {
                QString* field = token->Text == QLatin1String("TITLE")       ? &title
                                 : token->Text == QLatin1String("PERFORMER") ? &performer
                                                                             : nullptr;
                if (field && field->isEmpty())
                    *field = Peek()->Text;
            }
        }
        return true;
    }

    bool Statement()
    {
        const auto word = Take(TKind::Word);
        if (!word)
            return false;
        static const QStringList ignored = {QStringLiteral("CD_DA"),
                                            QStringLiteral("CD_ROM"),
                                            QStringLiteral("CD_ROM_XA"),
                                            QStringLiteral("CD_I"),
                                            QStringLiteral("COPY"),
                                            QStringLiteral("NO"),
                                            QStringLiteral("PRE_EMPHASIS"),
                                            QStringLiteral("TWO_CHANNEL_AUDIO"),
                                            QStringLiteral("FOUR_CHANNEL_AUDIO")};
        if (ignored.contains(*word))
            return true;
        if (*word == QLatin1String("CATALOG") || *word == QLatin1String("ISRC"))
            return bool(Take(TKind::String));
        if (*word == QLatin1String("CD_TEXT"))
            return CdText();
        if (*word == QLatin1String("TRACK")) {
            const auto mode = Take(TKind::Word);
            if (!mode || !FindMode(*mode) || m_openEnded || m_sheet.Tracks.size() >= 99 ||
                !CloseTrack())
                return false;
            if (PeekWord() && Peek()->Text.startsWith(QLatin1String("RW")))
                return false; // sub-channel data in the file
            m_mode = FindMode(*mode);
            m_sheet.Tracks.append({0, m_mode->Audio, {}, {}});
            m_trackStart = m_discPos;
            m_trackLength = 0;
            m_startOffset.reset();
            return true;
        }
        if (!m_mode)
            return false;
        if (*word == QLatin1String("FILE") || *word == QLatin1String("AUDIOFILE"))
            return File(false);
        if (*word == QLatin1String("DATAFILE"))
            return File(true);
        if (*word == QLatin1String("SILENCE") || *word == QLatin1String("ZERO")) {
            if (*word == QLatin1String("ZERO") && PeekWord() && FindMode(Peek()->Text))
                ++m_at;
            const auto length = Time();
            return length && Append(-1, length);
        }
        if (*word == QLatin1String("PREGAP")) {
            const auto length = Time();
            if (!length || m_trackLength > 0 || m_startOffset || !Append(-1, length))
                return false;
            m_startOffset = m_trackLength;
            return true;
        }
        if (*word == QLatin1String("START")) {
            qint64 at = m_trackLength;
            if (PeekTime()) {
                const auto time = Time();
                if (!time)
                    return false;
                at = *time / m_mode->SectorBytes;
            }
            if (m_startOffset || at > m_trackLength || m_openEnded)
                return false;
            m_startOffset = at;
            return true;
        }
        if (*word == QLatin1String("INDEX"))
            return bool(Time());
        return false;
    }

    QList<TToken> m_tokens;
    qsizetype m_at = 0;
    TImageSheet m_sheet;
    const TTocMode* m_mode = nullptr; // of the current track
    qint64 m_discPos = 0;
    qint64 m_trackStart = 0;
    qint64 m_trackLength = 0;
    std::optional<qint64> m_startOffset;
    bool m_openEnded = false; // a run without a length reaches to the file's end: nothing follows
};

} // namespace

std::optional<TImageSheet> ParseTocFile(const QString& text)
{
    auto tokens = Tokens(text);
    if (!tokens)
        return std::nullopt;
    return TTocParser(std::move(*tokens)).Parse();
}

} // namespace qlnx
