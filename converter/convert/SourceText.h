#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qlnxdc {

// Old data files come from Windows in code page 932; newer ones may be UTF-8. A source that is
// valid UTF-8 is read as UTF-8 (an initial byte-order mark is dropped), any other as CP932.
QString DecodeSourceText(const QByteArray& bytes);

// CDDB entries are ISO-8859-1 by their old format and UTF-8 by later practice: valid UTF-8 is
// read as UTF-8 (an initial byte-order mark is dropped), anything else as ISO-8859-1.
QString DecodeUtf8OrLatin1(const QByteArray& bytes);

// Splits text into lines at CR, LF or CR LF. A break at the very end starts no further line;
// empty text has no lines.
QStringList SplitSourceLines(const QString& text);

} // namespace qlnxdc
