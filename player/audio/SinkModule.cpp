#include "audio/SinkModule.h"

#include <mutex>

#include "base/Log.h"
#include "base/Module.h"

namespace qlnx {

QString SinkModulePath(const QString& programDir)
{
    return ModulePath(programDir, QLatin1StringView(SinkModuleFile));
}

TBackendFactory SinkModuleBackend(const QString& path)
{
    struct TModule
    {
        QString Path;
        std::once_flag Loaded;
        TSinkModuleEntry Entry = nullptr;
    };
    auto module = std::make_shared<TModule>();
    module->Path = path;
    return [module]() -> std::unique_ptr<TOutputBackend> {
        std::call_once(module->Loaded, [&m = *module] {
            QString error;
            m.Entry =
                reinterpret_cast<TSinkModuleEntry>(ModuleEntry(m.Path, SinkModuleEntry, &error));
            if (!m.Entry)
                qCWarning(lcPlayback, "no sound: %s", qPrintable(error));
        });
        return std::unique_ptr<TOutputBackend>(module->Entry ? module->Entry() : nullptr);
    };
}

} // namespace qlnx
