#include "settings/IniFile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "fileio/AtomicFile.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

// The name of a section header line, or no value for any other line.
std::optional<QString> SectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// The key of a "key=value" line; comments and lines without "=" have none.
std::optional<QString> KeyName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith(u';') || t.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

QString ValueOf(const QString& line)
{
    QString v = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<qint32> ParseProfileInteger(const QString& text)
{
    QStringView s(text);
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(u'$')) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (QChar c : s) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - u'0'
                          : base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                              ? c.toLower().unicode() - u'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        const quint32 bits = negative ? quint32(0u - quint32(value)) : quint32(value);
        return qint32(bits);
    }
    if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull)
        return std::nullopt;
    return negative ? qint32(-qint64(value)) : qint32(value);
}

QString CannotWriteSettingsMessage(const QString& fileName)
{
    return QStringLiteral("%1 に書き込めません").arg(fileName);
}

TIniFile::TIniFile(const QString& fileName) : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    m_crlf = bytes.contains("\r\n");
    m_lines = SplitLines(DecodeText(bytes));
}

qsizetype TIniFile::FindSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = SectionName(m_lines.at(i));
        if (name && SameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype TIniFile::FindKey(qsizetype sectionLine, const QString& key) const
{
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        if (SectionName(line))
            break;
        const auto name = KeyName(line);
        if (name && SameName(*name, key))
            return i;
    }
    return -1;
}

qsizetype TIniFile::SectionEnd(qsizetype sectionLine) const
{
    qsizetype end = sectionLine + 1;
    for (qsizetype i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        if (SectionName(line))
            break;
        if (!line.trimmed().isEmpty())
            end = i + 1;
    }
    return end;
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    const qsizetype s = FindSection(section);
    if (s < 0)
        return std::nullopt;
    const qsizetype k = FindKey(s, key);
    if (k < 0)
        return std::nullopt;
    return ValueOf(m_lines.at(k));
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return Value(section, key).value_or(def);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const auto text = Value(section, key);
    if (!text)
        return def;
    return ParseProfileInteger(*text).value_or(def);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QStringList TIniFile::Keys(const QString& section) const
{
    QStringList keys;
    const qsizetype s = FindSection(section);
    if (s < 0)
        return keys;
    for (qsizetype i = s + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i);
        if (SectionName(line))
            break;
        const auto name = KeyName(line);
        if (!name)
            continue;
        const bool seen = std::any_of(keys.cbegin(), keys.cend(),
                                      [&](const QString& k) { return SameName(k, *name); });
        if (!seen)
            keys.append(*name);
    }
    return keys;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString line = key + u'=' + value;
    qsizetype s = FindSection(section);
    if (s < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return;
    }
    if (const qsizetype k = FindKey(s, key); k >= 0) {
        m_lines[k] = line;
        return;
    }
    m_lines.insert(SectionEnd(s), line);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

std::optional<QString> TIniFile::Save() const
{
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : m_lines)
        text += line + eol;
    const QByteArray bytes = text.toUtf8();
    const QString failed = CannotWriteSettingsMessage(QFileInfo(m_fileName).absoluteFilePath());
    // Replaced only once the new text is whole on the disk, so a failed save leaves the old
    // file as it was.
    if (!WriteFileAtomically(m_fileName, bytes))
        return failed;
    return std::nullopt;
}

} // namespace qlnx
