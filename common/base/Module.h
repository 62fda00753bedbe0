#pragma once

#include <QString>

namespace qlnx {

// Parts of the player built as modules and loaded when first wanted (the sound output, the
// network client), so that a start pays for none of their libraries.

// Where a module is: in lib/qlnx of the installation the program is in, else beside it (the
// build tree).
QString ModulePath(const QString& programDir, const QString& fileName);

// The function a module exports, loading the module when it is not loaded yet; null, with why
// in error, when the module or the function cannot be had. Modules are never unloaded: what
// they made may outlive whoever asked for it.
void* ModuleEntry(const QString& path, const char* entry, QString* error);

} // namespace qlnx
