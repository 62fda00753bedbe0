#include "base/Module.h"

#include <QFileInfo>
#include <QLibrary>

namespace qlnx {

QString ModulePath(const QString& programDir, const QString& fileName)
{
    const QString installed =
        QFileInfo(programDir + QStringLiteral("/../lib/qlnx/") + fileName).absoluteFilePath();
    if (QFileInfo::exists(installed))
        return installed;
    return programDir + u'/' + fileName;
}

void* ModuleEntry(const QString& path, const char* entry, QString* error)
{
    QLibrary library(path);
    void* function = library.load() ? reinterpret_cast<void*>(library.resolve(entry)) : nullptr;
    if (!function && error)
        *error = library.errorString();
    return function;
}

} // namespace qlnx
