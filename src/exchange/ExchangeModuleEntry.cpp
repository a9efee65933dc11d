// SPDX-License-Identifier: GPL-3.0-or-later
// The exchange module's entry.
#include "exchange/ExchangeModule.h"
#include "exchange/MelodyReader.h"
#include "exchange/MusicXmlWriter.h"

namespace {

using namespace tabrella;

const exchange::ExchangeModuleEntry kEntry{
    exchange::kExchangeModuleVersion,
    []() -> std::unique_ptr<platform::INotationWriter> {
        return std::make_unique<exchange::MusicXmlWriter>();
    },
    []() -> std::unique_ptr<platform::IMelodyReader> {
        return std::make_unique<exchange::MelodyReader>();
    },
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const tabrella::exchange::ExchangeModuleEntry*
tabrella_exchange_module() {
    return &kEntry;
}
