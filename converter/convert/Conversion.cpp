#include "convert/Conversion.h"

#include <algorithm>

#include <QFile>

#include "convert/CddbSource.h"
#include "convert/OutputFile.h"
#include "text/TextCodec.h"

namespace qlnxdc {

namespace {

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsFileHeader(QStringView text)
{
    for (const QLatin1StringView header :
         {QLatin1StringView("[Artist]"), QLatin1StringView("[Title]"),
          QLatin1StringView("[Order]")}) {
        if (text.compare(header, Qt::CaseInsensitive) == 0)
            return true;
    }
    if (text.size() != 9 || !text.startsWith(QLatin1StringView("[Track"), Qt::CaseInsensitive) ||
        !IsAsciiDigit(text[6]) || !IsAsciiDigit(text[7]) || text[8] != u']')
        return false;
    return text.sliced(6, 2) != QLatin1StringView("00");
}

// A value as the player can read it back: one line, never taken for a header.
QString StoredValue(const QString& value)
{
    QString line = value;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    qsizetype blanks = 0;
    while (blanks < line.size() && line[blanks] == u' ')
        ++blanks;
    if (IsFileHeader(QStringView(line).sliced(blanks)))
        line.prepend(u' ');
    return line;
}

bool IsAllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!IsAsciiDigit(c))
            return false;
    }
    return true;
}

// Letter case is ignored for A-Z only, so that no other character can stand in for a letter
// of a key.
bool IsKey(QStringView key, QLatin1StringView name)
{
    if (key.size() != name.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        char16_t c = key[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != char16_t(name[i].unicode()))
            return false;
    }
    return true;
}

// The value of a run of digits; anything above 9999 counts as 9999, which is out of every range
// the callers test, so no length of digits can overflow.
int NumberOf(QStringView digits)
{
    int n = 0;
    for (QChar c : digits) {
        n = n * 10 + (c.unicode() - u'0');
        if (n > 9999)
            return 9999;
    }
    return n;
}

// Digits and single spaces between numbers, optionally one space at the end; empty is usable.
bool IsUsableOrder(QStringView value)
{
    if (value.startsWith(u' '))
        return false;
    QChar previous;
    for (QChar c : value) {
        if (c == u' ' && previous == u' ')
            return false;
        if (c != u' ' && !IsAsciiDigit(c))
            return false;
        previous = c;
    }
    return true;
}

bool IsHeader(const QString& line)
{
    return line.startsWith(u'[') && line.indexOf(u']') == line.size() - 1;
}

class TRun
{
public:
    TRun(const QString& destDir, TSourceFormat format, TConversionLog& log, TTrackZeroAsker& asker)
        : m_destDir(destDir), m_format(format), m_log(log), m_asker(asker)
    {
    }

    // False when the run must end: Result() then tells why.
    bool Take(const QString& line);
    bool WriteDisc();
    const TConversionResult& Result() const { return m_result; }

private:
    // True when the run is to stop.
    bool AskTrackZero();
    // The track a number of the source stands for; 0 or above 99 when there is none.
    int TrackOf(int n) const { return m_format == TSourceFormat::WinStandard ? n + 1 : n; }
    bool TakeOrder(QStringView value);
    void RaiseHighest(int n) { m_record.HighestTrack = std::max(m_record.HighestTrack, n); }

    const QString m_destDir;
    const TSourceFormat m_format;
    TConversionLog& m_log;
    TTrackZeroAsker& m_asker;
    TDiscRecord m_record;
    bool m_questionAnswered = false;
    TConversionResult m_result;
};

bool TRun::AskTrackZero()
{
    if (m_format != TSourceFormat::Kvt || m_questionAnswered)
        return false;
    m_questionAnswered = true;
    if (!m_asker.AskTrackZero())
        return false;
    m_result.Outcome = TConversionResult::TOutcome::Stopped;
    return true;
}

bool TRun::TakeOrder(QStringView value)
{
    if (!IsUsableOrder(value))
        return true;
    QString order;
    int count = 0;
    for (QStringView part : value.split(u' ')) {
        if (part.isEmpty())
            continue;
        int n = NumberOf(part);
        if (n == 0 && AskTrackZero())
            return false;
        n = TrackOf(n);
        // The player's order holds 100 entries of tracks 1..99; anything beyond is dropped
        // rather than written into a line the player would have to cut.
        if (n < 1 || n > TDiscRecord::MaxTrack || count >= TDiscRecord::MaxOrder)
            continue;
        order += u'-';
        order += TwoDigits(n);
        ++count;
        RaiseHighest(n);
    }
    if (!order.isEmpty())
        order.remove(0, 1);
    m_record.Order = order;
    m_record.OrderCount = count;
    return true;
}

bool TRun::Take(const QString& line)
{
    if (IsHeader(line)) {
        if (!WriteDisc())
            return false;
        m_record.Reset(DiscIdentity(line.mid(1, line.size() - 2)));
        return true;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return true;
    const QStringView key = QStringView(line).first(equals);
    const QStringView value = UpToNul(QStringView(line).sliced(equals + 1));
    if (IsKey(key, QLatin1StringView("artist"))) {
        m_record.Artist = value.toString();
    } else if (IsKey(key, QLatin1StringView("title"))) {
        m_record.Title = value.toString();
    } else if (IsKey(key, QLatin1StringView("order"))) {
        return TakeOrder(value);
    } else if (IsAllDigits(key)) {
        int n = NumberOf(key);
        if (n == 0 && AskTrackZero())
            return false;
        n = TrackOf(n);
        if (n >= 1 && n <= TDiscRecord::MaxTrack) {
            m_record.Names[std::size_t(n)] = value.toString();
            RaiseHighest(n);
        }
    }
    return true;
}

bool TRun::WriteDisc()
{
    if (m_record.Identity.isEmpty())
        return true;
    const QList<TLogLine> lines = DiscLogLines(m_record);
    const bool plain = IsPlainFileName(m_record.Identity);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The note that nothing was written goes before the closing blank line.
        if (!plain && i == lines.size() - 1)
            m_log.AppendLine(NotWrittenLine(), TLogStyle::Red);
        m_log.AppendLine(lines.at(i).Text, lines.at(i).Style);
    }
    if (!plain)
        return true;

    const QString fileName = ConvertedFileName(m_destDir, m_record.Identity);
    if (!WriteFileReplacing(fileName, DiscFileBytes(m_record))) {
        m_result.Outcome = TConversionResult::TOutcome::Failed;
        m_result.Message = CannotCreateMessage(fileName);
        return false;
    }
    return true;
}

} // namespace

QStringView UpToNul(QStringView value)
{
    const qsizetype nul = value.indexOf(QChar(u'\0'));
    return nul < 0 ? value : value.first(nul);
}

void TDiscRecord::Reset(const QString& identity)
{
    Identity = identity;
    Artist.clear();
    Title.clear();
    Order.clear();
    OrderCount = 0;
    // Names are only ever set up to the highest track.
    for (int n = 1; n <= HighestTrack; ++n)
        Names[std::size_t(n)].clear();
    HighestTrack = 0;
}

QStringList DiscFileLines(const TDiscRecord& record)
{
    QStringList lines;
    if (!record.Artist.isEmpty())
        lines << QStringLiteral("[Artist]") << StoredValue(record.Artist) << QString();
    if (!record.Title.isEmpty())
        lines << QStringLiteral("[Title]") << StoredValue(record.Title) << QString();
    if (!record.Order.isEmpty())
        lines << QStringLiteral("[Order]") << record.Order << QString();
    for (int n = 1; n <= record.HighestTrack; ++n) {
        const QString& name = record.Names[std::size_t(n)];
        if (!name.isEmpty())
            lines << QStringLiteral("[Track%1]").arg(TwoDigits(n)) << StoredValue(name)
                  << QString();
    }
    return lines;
}

QByteArray DiscFileBytes(const TDiscRecord& record)
{
    QString text;
    for (const QString& line : DiscFileLines(record)) {
        text += line;
        text += QLatin1StringView("\r\n");
    }
    return text.toUtf8();
}

QList<TLogLine> DiscLogLines(const TDiscRecord& record)
{
    const auto item = [](QLatin1StringView label, const QString& value) {
        return value.isEmpty() ? TLogLine{label + QLatin1StringView("<Not found>"), TLogStyle::Red}
                               : TLogLine{label + value, TLogStyle::Normal};
    };
    QList<TLogLine> lines;
    lines.append({record.Identity, TLogStyle::Bold});
    lines.append(item(QLatin1StringView("Artist : "), record.Artist));
    lines.append(item(QLatin1StringView("Title  : "), record.Title));
    lines.append(item(QLatin1StringView("Order  : "), record.Order));
    if (record.HighestTrack == 0) {
        lines.append({QStringLiteral("Tracks : <Not found>"), TLogStyle::Red});
    } else {
        QString missing;
        for (int n = 1; n <= record.HighestTrack; ++n) {
            if (!record.Names[std::size_t(n)].isEmpty())
                continue;
            if (!missing.isEmpty())
                missing += u',';
            missing += QString::number(n);
        }
        if (missing.isEmpty())
            lines.append(
                {QStringLiteral("Tracks : %1").arg(record.HighestTrack), TLogStyle::Normal});
        else
            lines.append({QStringLiteral("Tracks : %1 (Track %2 not found)")
                              .arg(record.HighestTrack)
                              .arg(missing),
                          TLogStyle::Red});
    }
    lines.append({QString(), TLogStyle::Normal});
    return lines;
}

QString DiscIdentity(const QString& sectionName)
{
    return sectionName.rightJustified(8, u'0');
}

bool IsPlainFileName(const QString& identity)
{
    if (identity.isEmpty() || identity == u"." || identity == u"..")
        return false;
    for (QChar c : identity) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u'\\' || u < 0x20 || (u >= 0x7f && u <= 0x9f))
            return false;
    }
    return true;
}

QString ConvertedFileName(const QString& destDir, const QString& identity)
{
    QString name = identity;
    for (QChar& c : name) {
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - u'a' + u'A'));
    }
    const QLatin1StringView separator(destDir.endsWith(u'/') ? "" : "/");
    return destDir + separator + name + QLatin1StringView(".dat");
}

QString CannotOpenMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 は開けません").arg(fileName);
}

QString CannotCreateMessage(const QString& fileName)
{
    return QStringLiteral("ファイル %1 を作成できません").arg(fileName);
}

QString NotWrittenLine()
{
    return QStringLiteral("Not written: the section name cannot be a file name");
}

TConversionResult ConvertLines(const QStringList& lines, const QString& destDir,
                               TSourceFormat format, TConversionLog& log, TTrackZeroAsker& asker)
{
    TRun run(destDir, format, log, asker);
    for (const QString& line : lines) {
        if (!run.Take(line))
            return run.Result();
    }
    if (!run.WriteDisc())
        return run.Result();
    log.MoveCaretToStart();
    return run.Result();
}

TConversionResult ConvertFile(const QString& sourcePath, const QString& destDir,
                              TSourceFormat format, TConversionLog& log, TTrackZeroAsker& asker)
{
    log.Clear();
    if (format == TSourceFormat::Cddb)
        return ConvertCddbSource(sourcePath, destDir, log);
    QFile file(sourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return {TConversionResult::TOutcome::Failed, CannotOpenMessage(sourcePath)};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {TConversionResult::TOutcome::Failed, CannotOpenMessage(sourcePath)};
    return ConvertLines(qlnx::SplitLines(qlnx::DecodeText(bytes)), destDir, format, log, asker);
}

} // namespace qlnxdc
