#include "online/NetworkModule.h"

#include <mutex>

#include "base/Log.h"
#include "base/Module.h"

namespace qlnx {

QString NetworkModulePath(const QString& programDir)
{
    return ModulePath(programDir, QLatin1StringView(NetworkModuleFile));
}

TTransportFactory NetworkModuleTransport(const QString& path)
{
    struct TModule
    {
        QString Path;
        std::once_flag Loaded;
        TNetworkModuleEntry Entry = nullptr;
    };
    auto module = std::make_shared<TModule>();
    module->Path = path;
    return [module]() -> std::unique_ptr<THttpTransport> {
        std::call_once(module->Loaded, [&m = *module] {
            QString error;
            m.Entry = reinterpret_cast<TNetworkModuleEntry>(
                ModuleEntry(m.Path, NetworkModuleEntry, &error));
            if (!m.Entry)
                qCWarning(lcOnline, "no online lookups: %s", qPrintable(error));
        });
        return std::unique_ptr<THttpTransport>(module->Entry ? module->Entry() : nullptr);
    };
}

} // namespace qlnx
