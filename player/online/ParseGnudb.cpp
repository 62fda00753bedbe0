#include "online/OnlineParse.h"

#include "text/TextCodec.h"

namespace qlnx {

namespace {

constexpr int MaxTracks = 99;

// The status code of the first line, or -1.
int StatusOf(const QStringList& lines)
{
    if (lines.isEmpty() || lines.first().size() < 3)
        return -1;
    bool ok = false;
    const int code = lines.first().left(3).toInt(&ok);
    return ok && (lines.first().size() == 3 || lines.first().at(3) == u' ') ? code : -1;
}

std::optional<TGnudbMatch> MatchOf(QStringView line)
{
    const qsizetype first = line.indexOf(u' ');
    const qsizetype second = first < 0 ? -1 : line.indexOf(u' ', first + 1);
    if (first <= 0 || second < 0)
        return std::nullopt;
    TGnudbMatch m;
    m.Category = line.first(first).toString();
    m.DiscId = line.sliced(first + 1, second - first - 1).toString();
    m.Title = line.sliced(second + 1).trimmed().toString();
    // The category and the id go back into a request: they must be plain words.
    for (QChar c : QString(m.Category + m.DiscId)) {
        if (!c.isLetterOrNumber() || c.unicode() > 127)
            return std::nullopt;
    }
    return m;
}

QString Unescaped(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        const QChar next = i + 1 < value.size() ? value[i + 1] : QChar();
        if (c == u'\\' && (next == u'n' || next == u't' || next == u'\\')) {
            text += next == u'n' ? u' ' : next == u't' ? u'\t' : u'\\';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

std::optional<QList<TGnudbMatch>> ParseGnudbQuery(const QByteArray& text)
{
    const QStringList lines = SplitLines(DecodeText(text));
    QList<TGnudbMatch> matches;
    switch (StatusOf(lines)) {
    case 200:
        if (auto m = MatchOf(QStringView(lines.first()).sliced(4)))
            return QList<TGnudbMatch>{*m};
        return std::nullopt;
    case 202:
        return matches;
    case 210:
    case 211:
        for (qsizetype i = 1; i < lines.size() && lines.at(i) != u"."; ++i) {
            if (auto m = MatchOf(lines.at(i)))
                matches.append(*m);
        }
        return matches;
    default:
        return std::nullopt;
    }
}

std::optional<TDiscCandidate> ParseGnudbRead(const QByteArray& text)
{
    const QStringList lines = SplitLines(DecodeText(text));
    if (StatusOf(lines) != 210)
        return std::nullopt;
    QString discTitle;
    QString year;
    QString genre;
    QStringList tracks;
    for (qsizetype i = 1; i < lines.size() && lines.at(i) != u"."; ++i) {
        const QString& line = lines.at(i);
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0)
            continue;
        const QStringView key = QStringView(line).first(equals);
        const QStringView value = QStringView(line).sliced(equals + 1);
        if (key == u"DTITLE") {
            discTitle += value;
        } else if (key == u"DYEAR") {
            year += value;
        } else if (key == u"DGENRE") {
            genre += value;
        } else if (key.startsWith(u"TTITLE") && key.size() > 6 && key.size() <= 8) {
            bool ok = false;
            const int n = key.sliced(6).toInt(&ok);
            if (!ok || n < 0 || n >= MaxTracks || !key.sliced(6).front().isDigit())
                continue;
            while (tracks.size() <= n)
                tracks.append(QString());
            tracks[n] += value;
        }
    }
    TDiscCandidate c;
    c.Source = TCandidateSource::Gnudb;
    const QString title = Unescaped(discTitle);
    const qsizetype separator = title.indexOf(QStringLiteral(" / "));
    c.Artist = separator < 0 ? title : title.first(separator);
    c.Title = separator < 0 ? title : title.sliced(separator + 3);
    c.Date = Unescaped(year).trimmed();
    c.Format = Unescaped(genre).trimmed();
    for (const QString& track : tracks)
        c.Tracks.append(Unescaped(track));
    return c;
}

} // namespace qlnx
