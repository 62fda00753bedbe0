#pragma once

#include <functional>
#include <memory>
#include <mutex>

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

// A factory of what a module makes through entry, a function returning a new T the caller
// owns. The first call loads the module; when that fails, failed hears why, once, and the
// factory makes nothing.
template <typename T>
std::function<std::unique_ptr<T>()> ModuleFactory(const QString& path, const char* entry,
                                                  std::function<void(const QString&)> failed)
{
    struct TModule
    {
        QString Path;
        const char* Entry = nullptr;
        std::function<void(const QString&)> Failed;
        std::once_flag Loaded;
        T* (*Make)() = nullptr;
    };
    auto module = std::make_shared<TModule>();
    module->Path = path;
    module->Entry = entry;
    module->Failed = std::move(failed);
    return [module]() -> std::unique_ptr<T> {
        std::call_once(module->Loaded, [&m = *module] {
            QString error;
            m.Make = reinterpret_cast<T* (*)()>(ModuleEntry(m.Path, m.Entry, &error));
            if (!m.Make && m.Failed)
                m.Failed(error);
        });
        return std::unique_ptr<T>(module->Make ? module->Make() : nullptr);
    };
}

} // namespace qlnx
