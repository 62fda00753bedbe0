#pragma once

#include <QByteArray>
#include <QString>

namespace qlnxdc {

// Writes bytes as the whole content of fileName, replacing any file of that name. The bytes go
// to a new file in the same directory that is renamed over the old one once it is complete, so
// a failed write never leaves half a file and never damages what was there. Nothing is forced
// to the disk: a conversion writes thousands of small files, and waiting for each one would
// make it many times slower. Returns false when the file cannot be written.
bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes);

} // namespace qlnxdc
