// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

namespace tabrella {
namespace {

std::mutex g_mutex;
// Entries by path. Modules are never unloaded: threads and libraries behind them (the
// synthesizer's, the print system's) are not made to be taken out of a running process.
std::map<std::string, const void*> g_loaded;

}  // namespace

ModuleLoad LoadModule(const std::string& path, const char* symbol, int version) {
    std::lock_guard lock(g_mutex);
    if (auto it = g_loaded.find(path); it != g_loaded.end()) return {it->second, false, {}};
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        // dlerror names the path first; the caller names it once.
        std::string reason = ::dlerror();
        if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
        return {nullptr, false, reason};
    }
    using EntryFunction = const void* (*)();
    const auto entryOf = reinterpret_cast<EntryFunction>(::dlsym(handle, symbol));
    const void* entry = entryOf ? entryOf() : nullptr;
    if (!entry || *static_cast<const int*>(entry) != version) {
        ::dlclose(handle);
        return {nullptr, true, {}};
    }
    g_loaded.emplace(path, entry);
    return {entry, false, {}};
}

std::string ModulePath(const std::string& fileName) {
    if (const char* folder = std::getenv("TABRELLA_MODULE_DIR"); folder && *folder) {
        return (std::filesystem::path(folder) / fileName).string();
    }
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (program.parent_path() / TABRELLA_MODULE_DIR_FROM_BINDIR / fileName)
        .lexically_normal()
        .string();
}

}  // namespace tabrella
