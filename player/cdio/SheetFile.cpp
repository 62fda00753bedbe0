#include "cdio/SheetFile.h"

#include <QRegularExpression>

namespace qlnx {

namespace {

// A TOC file's strings escape quotes and backslashes; other escapes are kept as written.
QString UnescapeTocString(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size() &&
            (text.at(i + 1) == u'\\' || text.at(i + 1) == u'"'))
            plain += text.at(++i);
        else
            plain += c;
    }
    return plain;
}

QString EscapeTocString(QString text)
{
    return text.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
}

} // namespace

QList<TCueFile> CueSheetFiles(const QString& text)
{
    static const QRegularExpression fileLine(
        QString::fromLatin1(R"re(^\s*FILE\s+(?:"([^"]*)"|(\S+))\s+(\S+))re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    QList<TCueFile> files;
    auto it = fileLine.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        files.append(
            {m.captured(1).isEmpty() ? m.captured(2) : m.captured(1), m.captured(3).toUpper()});
    }
    return files;
}

std::optional<QString> ImpliedCueDataPath(const QString& sheetPath)
{
    if (sheetPath.endsWith(QLatin1String(".cue")))
        return sheetPath.chopped(3) + QStringLiteral("bin");
    if (sheetPath.endsWith(QLatin1String(".CUE")))
        return sheetPath.chopped(3) + QStringLiteral("BIN");
    return std::nullopt;
}

std::optional<QString> RewriteTocFileNames(const QString& text,
                                           const std::function<QString(const QString&)>& resolve)
{
    static const QRegularExpression fileLine(
        QString::fromLatin1(R"re(^(\s*(?:FILE|AUDIOFILE|DATAFILE)\s+)"((?:[^"\\]|\\.)*)")re"),
        QRegularExpression::MultilineOption);
    QString rewritten;
    qsizetype last = 0;
    bool changed = false;
    auto it = fileLine.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString name = UnescapeTocString(m.captured(2));
        if (name.startsWith(u'/') || name == QLatin1String("-"))
            continue;
        rewritten += text.mid(last, m.capturedStart(2) - last) + EscapeTocString(resolve(name));
        last = m.capturedEnd(2);
        changed = true;
    }
    if (!changed)
        return std::nullopt;
    return rewritten + text.mid(last);
}

} // namespace qlnx
