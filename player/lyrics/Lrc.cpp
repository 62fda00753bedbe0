#include "lyrics/Lrc.h"

#include <algorithm>

#include <QFile>
#include <QRegularExpression>

#include "disc/DiscDataFile.h"
#include "fileio/AtomicFile.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

// Anything shaped like a time tag; well-formed ones have minutes of up to six digits (a long
// track passes 99), two-digit seconds below 60, and an optional fraction of one to three
// digits after "." or ":" (both are found in the wild).
const QRegularExpression TimeTag(QStringLiteral("^\\[(\\d+):(\\d+)(?:[.:](\\d*))?\\]"));
const QRegularExpression IdTag(QStringLiteral("^\\[([A-Za-z]+):(.*)\\]\\s*$"));
// The word times of the word-timed form, and time tags inside the text.
const QRegularExpression
    WordTime(QStringLiteral("<\\d+:\\d+(?:[.:]\\d*)?>|\\[\\d+:\\d+(?:[.:]\\d*)?\\]"));

// Far beyond any track, and small enough that no time minus it can overflow.
constexpr qint64 MaxOffsetMs = qint64(1) << 48;

struct TTimedLine
{
    qint64 Ms = 0;
    QString Text;
};

qint64 FractionMs(const QString& digits)
{
    if (digits.isEmpty())
        return 0;
    // ".5" is half a second, ".05" five hundredths, ".005" five thousandths.
    qint64 ms = digits.toLongLong();
    for (qsizetype i = digits.size(); i < 3; ++i)
        ms *= 10;
    return ms;
}

std::optional<qint64> TagMs(const QRegularExpressionMatch& m)
{
    const QString minutes = m.captured(1);
    const QString seconds = m.captured(2);
    const QString fraction = m.captured(3);
    // A separator without digits after it ("[00:10.]") is malformed too.
    const bool emptyFraction = m.capturedStart(3) >= 0 && fraction.isEmpty();
    if (minutes.size() > 6 || seconds.size() != 2 || seconds.toInt() > 59 || fraction.size() > 3 ||
        emptyFraction)
        return std::nullopt;
    return (minutes.toLongLong() * 60 + seconds.toLongLong()) * 1000 + FractionMs(fraction);
}

bool HasControlCharacter(QStringView line)
{
    for (const QChar c : line) {
        if (c.category() == QChar::Other_Control && c != u'\t')
            return true;
    }
    return false;
}

} // namespace

TLyricList ParseLrc(const QString& text)
{
    return ReadLrcText(text).Lyrics;
}

TLrcText ReadLrcText(const QString& text)
{
    QList<TTimedLine> lines;
    QStringList plain;
    bool binary = false;
    qint64 offset = 0;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    for (const QString& raw : SplitLines(body)) {
        QStringView line = QStringView(raw).trimmed();
        binary = binary || HasControlCharacter(line);
        QList<qint64> times;
        bool tagged = false;
        for (;;) {
            const QRegularExpressionMatch m = TimeTag.match(line);
            if (!m.hasMatch())
                break;
            tagged = true;
            if (const auto ms = TagMs(m))
                times.append(*ms);
            line = line.mid(m.capturedLength());
        }
        if (!times.isEmpty()) {
            // The text as it stands after the tags; the file line's outer blanks are dropped.
            // Word times go, and with them the blanks they leave at either end.
            QString lyric = line.toString();
            // Removing one tag can join the pieces around it into another ("[0<00:01>0:05]"),
            // so remove until none is left.
            bool worded = false;
            while (lyric.contains(WordTime)) {
                lyric.remove(WordTime);
                worded = true;
            }
            if (worded)
                lyric = lyric.trimmed();
            for (const qint64 ms : times)
                lines.append({ms, lyric});
            continue;
        }
        const QRegularExpressionMatch id = IdTag.match(line);
        if (id.hasMatch()) {
            if (id.captured(1).compare(QStringLiteral("offset"), Qt::CaseInsensitive) == 0) {
                bool ok = false;
                const qint64 value = id.captured(2).trimmed().toLongLong(&ok);
                if (ok)
                    offset = std::clamp(value, -MaxOffsetMs, MaxOffsetMs);
            }
        } else if (!tagged && !line.isEmpty()) {
            plain.append(line.toString());
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const TTimedLine& a, const TTimedLine& b) { return a.Ms < b.Ms; });
    TLrcText result;
    for (const TTimedLine& line : lines) {
        const qint64 ms = std::max<qint64>(0, line.Ms - offset);
        result.Lyrics.append(TLyricEntry{line.Text, int(std::min<qint64>(ms / 1000, 0x7fffffff))});
    }
    if (result.Lyrics.isEmpty() && !binary)
        result.PlainLines = plain;
    return result;
}

QByteArray WriteLrc(const TLyricList& lyrics, const QString& artist, const QString& title)
{
    QString text;
    text += QStringLiteral("[ar:") + artist + QStringLiteral("]\r\n");
    text += QStringLiteral("[ti:") + title + QStringLiteral("]\r\n");
    for (const TLyricEntry& entry : lyrics) {
        const int time = std::max(0, entry.Time);
        text += QStringLiteral("[%1:%2.00]")
                    .arg(time / 60, 2, 10, QLatin1Char('0'))
                    .arg(time % 60, 2, 10, QLatin1Char('0'));
        text += entry.Text + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

std::optional<QString> LoadLrcFile(const QString& fileName, TLrcText& text)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return CannotOpenMessage(fileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return CannotOpenMessage(fileName);
    text = ReadLrcText(DecodeText(bytes));
    return std::nullopt;
}

std::optional<QString> LoadLrcFile(const QString& fileName, TLyricList& lyrics)
{
    TLrcText text;
    const auto message = LoadLrcFile(fileName, text);
    if (!message)
        lyrics = text.Lyrics;
    return message;
}

std::optional<QString> SaveLrcFile(const QString& fileName, const TLyricList& lyrics,
                                   const QString& artist, const QString& title)
{
    if (!WriteFileAtomically(fileName, WriteLrc(lyrics, artist, title), {.CreateDirectory = false}))
        return CannotCreateMessage(fileName);
    return std::nullopt;
}

} // namespace qlnx
