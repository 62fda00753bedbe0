#include "online/NetworkModule.h"

#include "base/Log.h"
#include "base/Module.h"

namespace qlnx {

QString NetworkModulePath(const QString& programDir)
{
    return ModulePath(programDir, QLatin1StringView(NetworkModuleFile));
}

TTransportFactory NetworkModuleTransport(const QString& path)
{
    return ModuleFactory<THttpTransport>(path, NetworkModuleEntry, [](const QString& error) {
        qCWarning(lcOnline, "no online lookups: %s", qPrintable(error));
    });
}

} // namespace qlnx
