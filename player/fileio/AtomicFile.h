#pragma once

#include <QByteArray>
#include <QString>

namespace qlnx {

// Writes bytes as the whole content of fileName, creating its directory when missing. The new
// content goes to a temporary file beside the old one, every write is checked, the file is
// forced to the disk and only then renamed over the old one; on any failure (a full disk, a
// directory that takes no files) the old file stays byte for byte and no temporary file is
// left. Returns whether the new content is in place.
bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes);

} // namespace qlnx
