#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace qlnx {

// A settings file in the private-profile layout: "[Section]" lines open sections, "key=value"
// lines follow. Section and key names compare without regard to letter case; the first section
// and the first key of a name count. Writing a key replaces its line in place or adds it at the
// end of its section (the section at the end of the file); every other line, comments and
// unknown sections included, stays as it was.
//
// The file is read as UTF-8 when it is valid UTF-8, otherwise as CP932 (files written on
// Windows), and written as UTF-8 without a byte-order mark, keeping its line ends (LF for a new
// file). Reads and writes work on the text held in memory; Save writes it out.
class TIniFile
{
public:
    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return m_fileName; }

    // The value of a key, blanks around it removed and one pair of enclosing quotes taken off;
    // no value when the section or the key is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "$" or "0x"; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // An integer; any value other than 0 is true.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // The key names of a section in file order (the first of each name).
    QStringList Keys(const QString& section) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // The lines as they would be written.
    const QStringList& Lines() const { return m_lines; }
    // Writes the file (creating its directory when missing) through a temporary file that
    // replaces the old one only once the new text is complete on disk. Returns the message to
    // show when the file cannot be written (any write error counts); the file then stays as it
    // was.
    std::optional<QString> Save() const;

private:
    // Index of the header line of a section, or -1.
    qsizetype FindSection(const QString& section) const;
    // Index of a key's line within the section whose header is at sectionLine, or -1.
    qsizetype FindKey(qsizetype sectionLine, const QString& key) const;
    // Index just after the last line of the section that is not blank.
    qsizetype SectionEnd(qsizetype sectionLine) const;

    QString m_fileName;
    QStringList m_lines;
    bool m_crlf = false;
};

// Integers as the settings file holds them: optional sign, then decimal digits, or "$", "0x"
// or "0X" and up to eight hexadecimal digits (taken as a 32-bit pattern, so $80000005 reads
// as a negative number). No value for anything else, or for a decimal out of range.
std::optional<qint32> ParseProfileInteger(const QString& text);

QString CannotWriteSettingsMessage(const QString& fileName);

} // namespace qlnx
