#include "disc/DiscDataFile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "disc/DiscModel.h"
#include "fileio/AtomicFile.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

const QString ArtistHeader = QStringLiteral("[Artist]");
const QString TitleHeader = QStringLiteral("[Title]");
const QString OrderHeader = QStringLiteral("[Order]");

QString TrackHeader(int n)
{
    return QStringLiteral("[Track%1]").arg(n, 2, 10, QLatin1Char('0'));
}

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Index of the line that follows the first line equal to header (ignoring letter case), or -1
// when the header is missing or is the last line. A match right under another header is that
// header's value (a title "[Track04]" written by an older program): a later match is the real
// section then, and the value counts as the header only when there is no other.
qsizetype LineAfterHeader(const QStringList& lines, const QString& header)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).compare(header, Qt::CaseInsensitive) != 0)
            continue;
        if (found < 0)
            found = i;
        if (i == 0 || !ReadsAsSectionHeader(lines.at(i - 1))) {
            found = i;
            break;
        }
    }
    return found >= 0 && found + 1 < lines.size() ? found + 1 : -1;
}

bool HasLineBreak(const QString& value)
{
    return value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(u'\0'));
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsLyricLine(const QString& line)
{
    return line.size() >= 6 && IsAsciiDigit(line[0]) && IsAsciiDigit(line[1]) && line[2] == u':' &&
           IsAsciiDigit(line[3]) && IsAsciiDigit(line[4]) && line[5] == u':';
}

} // namespace

QString CannotOpenMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 は開けません").arg(fileName);
}

QString CannotCreateMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 を作成できません").arg(fileName);
}

QString LineBreakMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 に改行を含む値は書けません").arg(fileName);
}

QString UnreadFileMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 は読めなかったので上書きしません").arg(fileName);
}

QString OneLineValue(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return line;
}

bool ReadsAsSectionHeader(const QString& value)
{
    for (const QString& header : {ArtistHeader, TitleHeader, OrderHeader}) {
        if (value.compare(header, Qt::CaseInsensitive) == 0)
            return true;
    }
    const QString track = QStringLiteral("[Track");
    if (value.size() != track.size() + 3 || !value.startsWith(track, Qt::CaseInsensitive) ||
        !value.endsWith(u']'))
        return false;
    const int n = value.mid(track.size(), 2).toInt();
    return IsAsciiDigit(value[track.size()]) && IsAsciiDigit(value[track.size() + 1]) && n >= 1 &&
           n <= TDiscModel::MaxTracks;
}

QString HeaderValueMessage(const QString& field, const QString& value)
{
    return QStringLiteral("%1 の「%2」はファイルの見出しと同じなので保存できません")
        .arg(field, value);
}

QString DiscDataFileName(quint32 discID, const QString& dataDir, const QString& programDir)
{
    return ResolveDataDir(dataDir, programDir) +
           QStringLiteral("%1").arg(discID, 8, 16, QLatin1Char('0')).toUpper() +
           QStringLiteral(".dat");
}

QString DiscDataFileName(const TDiscModel& model, const QString& programDir)
{
    return DiscDataFileName(model.DiscID(), model.DataDir(), programDir);
}

std::optional<QList<int>> ParseOrderLine(const QString& line, int trackCount)
{
    if (line.startsWith(u'-') || line.contains(QStringLiteral("--")))
        return std::nullopt;
    for (QChar c : line) {
        if (!IsAsciiDigit(c) && c != u'-')
            return std::nullopt;
    }
    QList<int> order;
    for (const QString& part : line.split(u'-')) {
        if (order.size() >= TDiscModel::MaxOrder)
            break;
        bool ok = false;
        const qlonglong n = part.toLongLong(&ok);
        if (ok && n >= 1 && n <= trackCount)
            order.append(int(n));
    }
    return order;
}

void ApplyDiscDataLines(TDiscModel& model, const QStringList& lines)
{
    if (const qsizetype i = LineAfterHeader(lines, ArtistHeader); i >= 0)
        model.SetArtist(lines.at(i));
    if (const qsizetype i = LineAfterHeader(lines, TitleHeader); i >= 0)
        model.SetTitle(lines.at(i));
    if (const qsizetype i = LineAfterHeader(lines, OrderHeader); i >= 0) {
        if (const auto order = ParseOrderLine(lines.at(i), model.TrackCount())) {
            QList<quint8> entries;
            for (const int track : *order)
                entries.append(quint8(track));
            model.SetProgramOrder(entries);
        }
    }
    for (int n = 1; n <= model.TrackCount(); ++n) {
        const qsizetype nameLine = LineAfterHeader(lines, TrackHeader(n));
        if (nameLine < 0)
            continue;
        TTrackData& track = model.Tracks(n);
        track.Name = lines.at(nameLine);
        bool taken = false;
        for (qsizetype i = nameLine + 1; i < lines.size(); ++i) {
            const QString& line = lines.at(i);
            if (line.startsWith(u'['))
                break;
            if (!IsLyricLine(line))
                continue;
            if (!taken) {
                track.Lyrics.clear();
                taken = true;
            }
            const int minutes = line.left(2).toInt();
            const int seconds = line.mid(3, 2).toInt();
            track.Lyrics.append(TLyricEntry{line.mid(6), minutes * 60 + seconds});
        }
    }
}

std::optional<QString> LoadDiscData(TDiscModel& model, TTrackSource& source,
                                    const QString& programDir, const TDiscText& defaults)
{
    model.FillTracks(source);
    model.ResetOrders();
    model.SetDataUnread(false);

    const QString fileName = DiscDataFileName(model, programDir);
    QFile file(fileName);
    const bool own = !file.exists();
    const auto text = [own](const QString& given, const QString& plain) {
        return own && !given.isEmpty() ? given : plain;
    };
    model.SetArtist(text(defaults.Artist, QStringLiteral("Artist")));
    model.SetTitle(text(defaults.Title, QStringLiteral("Title")));
    if (own) {
        for (int n = 1; n <= model.TrackCount() && n <= defaults.TrackTitles.size(); ++n) {
            if (!defaults.TrackTitles.at(n - 1).isEmpty())
                model.Tracks(n).Name = defaults.TrackTitles.at(n - 1);
        }
        return std::nullopt;
    }
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        model.SetDataUnread(true);
        return CannotOpenMessage(fileName);
    }
    // A NUL byte ends the text.
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    ApplyDiscDataLines(model, SplitLines(DecodeText(bytes)));
    return std::nullopt;
}

QStringList DiscDataLines(const TDiscModel& model)
{
    QStringList lines;
    lines << ArtistHeader << model.Artist() << QString();
    lines << TitleHeader << model.Title() << QString();
    QString order;
    for (int i = 0; i < model.OrderCount(); ++i) {
        if (i > 0)
            order += u'-';
        order += TwoDigits(model.ProgramOrder()[std::size_t(i)]);
    }
    lines << OrderHeader << order << QString();
    for (int n = 1; n <= model.TrackCount(); ++n) {
        const TTrackData& track = model.Tracks(n);
        lines << TrackHeader(n) << track.Name << QString();
        if (IsNoLyrics(track.Lyrics))
            continue;
        for (const TLyricEntry& entry : track.Lyrics) {
            // Two digits each way cannot hold 100 minutes or more; such a time is kept as the
            // latest one the form can hold rather than written as a line no reader accepts.
            const int time = std::clamp(entry.Time, 0, 99 * 60 + 59);
            lines << TwoDigits(time / 60) + u':' + TwoDigits(time % 60) + u':' + entry.Text;
        }
        lines << QString();
    }
    return lines;
}

std::optional<QString> SaveDiscData(const TDiscModel& model, const QString& programDir)
{
    if (!model.Loaded())
        return std::nullopt;
    const QString fileName = DiscDataFileName(model, programDir);
    // A file gone since is the new-disc case again; one still there holds what we never read.
    if (model.DataUnread() && QFileInfo::exists(fileName))
        return UnreadFileMessage(fileName);

    QByteArray bytes;
    for (const QString& line : DiscDataLines(model)) {
        if (HasLineBreak(line))
            return LineBreakMessage(fileName);
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    // Replaced only once the new text is whole on the disk: a failed save (a full disk) keeps
    // what was saved before.
    if (!WriteFileAtomically(fileName, bytes))
        return CannotCreateMessage(fileName);
    return std::nullopt;
}

} // namespace qlnx
