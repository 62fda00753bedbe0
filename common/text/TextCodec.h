#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qlnx {

// What a file that is not valid UTF-8 was written in: code page 932 for the files of Windows
// programs (data files, settings, lyrics, INI-like databases), ISO-8859-1 for CDDB entries,
// whose old format is ISO-8859-1.
enum class TTextFallback
{
    Cp932,
    Latin1,
};

// Text files are written as UTF-8 without a byte-order mark. Valid UTF-8 is read as UTF-8 (an
// initial byte-order mark is dropped), anything else in the fallback encoding.
QString DecodeText(const QByteArray& bytes, TTextFallback fallback = TTextFallback::Cp932);

// Splits text into lines at CR, LF or CR LF. A line break at the very end starts no further
// line, and empty text has no lines.
QStringList SplitLines(const QString& text);

} // namespace qlnx
