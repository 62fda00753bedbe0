#include "audio/SinkModule.h"

#include "base/Log.h"
#include "base/Module.h"

namespace qlnx {

QString SinkModulePath(const QString& programDir)
{
    return ModulePath(programDir, QLatin1StringView(SinkModuleFile));
}

TBackendFactory SinkModuleBackend(const QString& path)
{
    return ModuleFactory<TOutputBackend>(path, SinkModuleEntry, [](const QString& error) {
        qCWarning(lcPlayback, "no sound: %s", qPrintable(error));
    });
}

} // namespace qlnx
