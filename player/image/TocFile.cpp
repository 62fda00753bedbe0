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

// The character an escape in a string stands for, from just after its backslash; i is left
// on its last character. Up to three octal digits are a byte of CD-Text's Latin-1.
QChar Escape(QStringView text, qsizetype& i)
{
    int value = 0;
    int digits = 0;
    while (digits < 3 && i + digits < text.size() && text.at(i + digits) >= u'0' &&
           text.at(i + digits) <= u'7')
        value = value * 8 + (text.at(i + digits++).unicode() - u'0');
    if (digits == 0)
        return text.at(i);
    i += digits - 1;
    return QChar(value & 0xFF);
}

// Words, strings (with their escapes), braces; // starts a comment to the line's end.
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
                if (text.at(i) == u'\\' && i + 1 < text.size())
                    value += Escape(text, ++i);
                else
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
    TTocParser(QList<TToken> tokens, const TFileBytes& fileBytes)
        : m_tokens(std::move(tokens)), m_fileBytes(fileBytes)
    {
    }

    std::optional<TImageSheet> Parse()
    {
        while (m_at < m_tokens.size()) {
            if (!Statement())
                return std::nullopt;
        }
        if (!CloseTrack() || m_sheet.Tracks.isEmpty() || m_sheet.Files.isEmpty())
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

    // A run without a length, followed by more: it reaches to its file's end.
    bool CloseOpenEnded()
    {
        if (!m_openEnded)
            return true;
        TSheetExtent& open = m_sheet.Extents.back();
        const auto bytes = m_fileBytes ? m_fileBytes(m_sheet.Files.at(open.File)) : std::nullopt;
        if (!bytes || *bytes <= open.FileOffset)
            return false;
        open.Sectors = qint32(std::min((*bytes - open.FileOffset) / open.SectorBytes, MaxSectors));
        m_openEnded = false;
        m_trackLength += open.Sectors;
        m_discPos += open.Sectors;
        return open.Sectors > 0 && m_discPos <= MaxSectors;
    }

    // A run of the current track: silence (offset -1) or data of a file.
    bool Append(qint64 offset, std::optional<qint64> bytes, int file = 0)
    {
        if (!m_mode || !CloseOpenEnded() || (bytes && *bytes <= 0))
            return false;
        const int size = m_mode->SectorBytes;
        const qint32 sectors = bytes ? qint32((*bytes + size - 1) / size) : -1;
        m_sheet.Extents.append(
            {qint32(m_discPos), sectors, offset, size, m_mode->UserOffset, file});
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
        if (!name || name->isEmpty() || *name == QLatin1String("-"))
            return false;
        qsizetype file = 0;
        while (file < m_sheet.Files.size() && m_sheet.Files.at(file).Name != *name)
            ++file;
        if (file == m_sheet.Files.size())
            m_sheet.Files.append({*name, data ? TFileKind::Raw : TFileKind::RawOrAudio});
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
        return Append(offset, length, int(file));
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
            if (!mode || !FindMode(*mode) || !CloseOpenEnded() || m_sheet.Tracks.size() >= 99 ||
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
            if (!CloseOpenEnded())
                return false;
            qint64 at = m_trackLength;
            if (PeekTime()) {
                const auto time = Time();
                if (!time)
                    return false;
                at = *time / m_mode->SectorBytes;
            }
            if (m_startOffset || at > m_trackLength)
                return false;
            m_startOffset = at;
            return true;
        }
        if (*word == QLatin1String("INDEX"))
            return bool(Time());
        return false;
    }

    QList<TToken> m_tokens;
    const TFileBytes& m_fileBytes;
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

std::optional<TImageSheet> ParseTocFile(const QString& text, const TFileBytes& fileBytes)
{
    auto tokens = Tokens(text);
    if (!tokens)
        return std::nullopt;
    return TTocParser(std::move(*tokens), fileBytes).Parse();
}

} // namespace qlnx
