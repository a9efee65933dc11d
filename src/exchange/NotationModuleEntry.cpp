// SPDX-License-Identifier: GPL-3.0-or-later
// The notation module's entry.
#include "exchange/MusicXmlWriter.h"
#include "exchange/NotationModule.h"

namespace {

using namespace tabrella;

const exchange::NotationModuleEntry kEntry{
    exchange::kNotationModuleVersion,
    []() -> std::unique_ptr<platform::INotationWriter> {
        return std::make_unique<exchange::MusicXmlWriter>();
    },
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const tabrella::exchange::NotationModuleEntry*
tabrella_notation_module() {
    return &kEntry;
}
