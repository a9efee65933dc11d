// SPDX-License-Identifier: GPL-3.0-or-later
// The print module's entry.
#include "qt/PrintModule.h"
#include "qt/QtPrinting.h"

namespace {

const tabrella::qt::PrintModuleEntry kEntry{
    tabrella::qt::kPrintModuleVersion,
    tabrella::qt::RunPrintJob,
    tabrella::qt::PrintToPdf,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const tabrella::qt::PrintModuleEntry*
tabrella_print_module() {
    return &kEntry;
}
