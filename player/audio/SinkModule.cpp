#include "audio/SinkModule.h"

#include <mutex>

#include <QFileInfo>
#include <QLibrary>

#include "base/Log.h"

namespace qlnx {

QString SinkModulePath(const QString& programDir)
{
    const QString installed =
        QFileInfo(programDir + QStringLiteral("/../lib/qlnx/") + QLatin1StringView(SinkModuleFile))
            .absoluteFilePath();
    if (QFileInfo::exists(installed))
        return installed;
    return programDir + u'/' + QLatin1StringView(SinkModuleFile);
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
            // Never unloaded: backends made by it may outlive any one owner of the factory.
            QLibrary library(m.Path);
            if (library.load())
                m.Entry = reinterpret_cast<TSinkModuleEntry>(library.resolve(SinkModuleEntry));
            if (!m.Entry)
                qCWarning(lcPlayback, "no sound: %s", qPrintable(library.errorString()));
        });
        return std::unique_ptr<TOutputBackend>(module->Entry ? module->Entry() : nullptr);
    };
}

} // namespace qlnx
