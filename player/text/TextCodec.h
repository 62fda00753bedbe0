#pragma once

#include <QByteArray>
#include <QString>

namespace qlnx {

// Text files are written as UTF-8 without a byte-order mark. Files written on Windows are in
// code page 932, so a file that is not valid UTF-8 is read as CP932 instead.
QString DecodeText(const QByteArray& bytes);

// Splits text into lines at CR, LF or CR LF. A line break at the very end starts no further
// line, and empty text has no lines.
QStringList SplitLines(const QString& text);

} // namespace qlnx
