// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The print module: QtPrinting.h built as a library of its own with Qt's print support,
// loaded at the first print, preview, printer set-up or PDF (base/Module.h).
#include <QString>

#include "platform/ViewWindow.h"

class QWidget;

namespace tabrella::qt {

// Raised whenever this entry changes, so that a module of another build is refused.
inline constexpr int kPrintModuleVersion = 2;
inline constexpr const char* kPrintModuleSymbol = "tabrella_print_module";

struct PrintModuleEntry {
    int version;
    QString (*runPrintJob)(QWidget* parent, platform::PrintJob job,
                           const platform::PrintPages& pages);
    QString (*printToPdf)(const platform::PrintPages& pages, const QString& path);
};

// The module's entry, loaded on the first call; nothing with the reason, in words, in
// `error` when it cannot be loaded (tried again by the next call). `path` empty: where the
// program's installation puts it.
const PrintModuleEntry* LoadPrintModule(QString& error, const std::string& path = {});

}  // namespace tabrella::qt
