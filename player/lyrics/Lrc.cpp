#include "lyrics/Lrc.h"

#include <algorithm>

#include <QFile>
#include <QRegularExpression>

#include "disc/DiscDataFile.h"
#include "fileio/AtomicFile.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

// Minutes of any length (a long track passes 99), two-digit seconds, and an optional fraction
// of one to three digits after "." or ":" (both are found in the wild).
const QRegularExpression TimeTag(QStringLiteral("^\\[(\\d{1,6}):([0-5]\\d)(?:[.:](\\d{1,3}))?\\]"));
const QRegularExpression IdTag(QStringLiteral("^\\[([A-Za-z]+):(.*)\\]\\s*$"));

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

} // namespace

TLyricList ParseLrc(const QString& text)
{
    QList<TTimedLine> lines;
    qint64 offset = 0;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    for (const QString& raw : SplitLines(body)) {
        QStringView line = QStringView(raw).trimmed();
        QList<qint64> times;
        for (;;) {
            const QRegularExpressionMatch m = TimeTag.match(line);
            if (!m.hasMatch())
                break;
            times.append((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 1000 +
                         FractionMs(m.captured(3)));
            line = line.mid(m.capturedLength());
        }
        if (!times.isEmpty()) {
            // The text as it stands after the tags; the file line's outer blanks are dropped.
            const QString lyric = line.toString();
            for (const qint64 ms : times)
                lines.append({ms, lyric});
            continue;
        }
        const QRegularExpressionMatch id = IdTag.match(line);
        if (id.hasMatch() &&
            id.captured(1).compare(QStringLiteral("offset"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 value = id.captured(2).trimmed().toLongLong(&ok);
            if (ok)
                offset = value;
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const TTimedLine& a, const TTimedLine& b) { return a.Ms < b.Ms; });
    TLyricList lyrics;
    for (const TTimedLine& line : lines) {
        const qint64 ms = std::max<qint64>(0, line.Ms - offset);
        lyrics.append(TLyricEntry{line.Text, int(std::min<qint64>(ms / 1000, 0x7fffffff))});
    }
    return lyrics;
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

std::optional<QString> LoadLrcFile(const QString& fileName, TLyricList& lyrics)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return CannotOpenMessage(fileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return CannotOpenMessage(fileName);
    lyrics = ParseLrc(DecodeText(bytes));
    return std::nullopt;
}

std::optional<QString> SaveLrcFile(const QString& fileName, const TLyricList& lyrics,
                                   const QString& artist, const QString& title)
{
    if (!WriteFileAtomically(fileName, WriteLrc(lyrics, artist, title), {.CreateDirectory = false}))
        return CannotCreateMessage(fileName);
    return std::nullopt;
}

} // namespace qlnx
