// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Modules: libraries of the program's own that it loads only when a command first needs
// them (sound, printing), so that start-up and batch work do not load what they do not
// use. Each exports one function returning its entry, a struct whose first member is the
// int version of the entry it was built with.
#include <string>

namespace tabrella {

struct ModuleLoad {
    const void* entry = nullptr;  // set on success
    bool otherVersion = false;    // loaded, but not a module of this build
    std::string reason;           // the loader's words when it could not be loaded (UTF-8)
};

// Loads the module at `path` once per process (modules stay loaded) and gives its entry
// when the entry's version is `version`. A failure is tried again by the next call.
ModuleLoad LoadModule(const std::string& path, const char* symbol, int version);

// Where the program's installation puts its module `fileName`, found from the program's own
// place (bin/ -> lib/.../tabrella/, which the build tree mirrors); $TABRELLA_MODULE_DIR
// names another folder.
std::string ModulePath(const std::string& fileName);

}  // namespace tabrella
