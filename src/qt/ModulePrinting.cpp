// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the print module; nothing here touches Qt's print support.
#include "base/Module.h"
#include "qt/PrintModule.h"
#include "qt/QtText.h"
#include "resources/Texts.h"

namespace tabrella::qt {

const PrintModuleEntry* LoadPrintModule(QString& error, const std::string& path) {
    const std::string module = path.empty() ? ModulePath("tabrella-print.so") : path;
    const ModuleLoad load = LoadModule(module, kPrintModuleSymbol, kPrintModuleVersion);
    if (load.entry) return static_cast<const PrintModuleEntry*>(load.entry);
    error = load.otherVersion
                ? FromSjis(res::Sjis(res::Txt::PrintModuleWrong)) + FromNativePath(module)
                : FromSjis(res::Sjis(res::Txt::PrintModuleMissing)) + FromNativePath(module) +
                      " (" + QString::fromLocal8Bit(load.reason) + ")";
    return nullptr;
}

}  // namespace tabrella::qt
