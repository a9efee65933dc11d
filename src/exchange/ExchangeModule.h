// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exchange module: the MusicXML writer and the MIDI, MusicXML and recording readers,
// with pugixml, libzip, libsndfile and aubio (and the libraries behind them), as a library of its
// own that is loaded at the first MusicXML export or import (base/Module.h). ModuleNotationWriter
// and ModuleMelodyReader are what the program holds instead.
#include <memory>
#include <string>

#include "platform/Melody.h"
#include "platform/Notation.h"

namespace tabrella::exchange {

// Raised whenever this entry changes, so that a module of another build is refused.
inline constexpr int kExchangeModuleVersion = 5;
inline constexpr const char* kExchangeModuleSymbol = "tabrella_exchange_module";

struct ExchangeModuleEntry {
    int version;
    std::unique_ptr<platform::INotationWriter> (*makeWriter)();
    std::unique_ptr<platform::IMelodyReader> (*makeReader)();
};

// Where the program's installation puts the module.
std::string ExchangeModulePath();

// Loads the module at the first MusicXml and hands that call on; a module that is missing
// or of another build is the failure, in words, and tried again by the next call.
class ModuleNotationWriter final : public platform::INotationWriter {
  public:
    // Empty: ExchangeModulePath().
    explicit ModuleNotationWriter(std::string modulePath = {});
    ~ModuleNotationWriter() override;

    std::optional<std::string> MusicXml(const platform::NotationScore& score,
                                        bool compressed) override;
    std::string Failure() const override;

  private:
    const std::string m_modulePath;
    std::string m_loadError;  // Shift-JIS, of the last failed load
    std::unique_ptr<platform::INotationWriter> m_writer;
};

// The same for the readers: a failed load reads as MelodyFault::NotLoaded.
class ModuleMelodyReader final : public platform::IMelodyReader {
  public:
    explicit ModuleMelodyReader(std::string modulePath = {});
    ~ModuleMelodyReader() override;

    platform::MelodyRead Read(std::string_view bytes, std::string_view track,
                              platform::TaskState* task = nullptr) override;
    platform::MelodyRead ReadRecording(const std::string& nativePath, double tempo,
                                       const std::function<bool(long, long)>& progress) override;
    std::string Failure() const override { return m_loadError; }

  private:
    // The module's reader, loaded at the first call; null with m_loadError when it fails.
    platform::IMelodyReader* Reader();

    const std::string m_modulePath;
    std::string m_loadError;
    std::unique_ptr<platform::IMelodyReader> m_reader;
};

}  // namespace tabrella::exchange
