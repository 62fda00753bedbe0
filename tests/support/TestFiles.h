#pragma once

#include <QByteArray>
#include <QString>

namespace qlnx {

// Writes bytes as the whole content of path, creating its directory; returns whether it did.
bool WriteFile(const QString& path, const QByteArray& bytes);

// The content of path, or "<unreadable>" when it cannot be read (so that it never equals an
// empty file).
QByteArray ReadFile(const QString& path);

} // namespace qlnx
