// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notation module: the MusicXML writer with pugixml and libzip (and the libraries
// behind them) as a library of its own, loaded at the first MusicXML export
// (base/Module.h). ModuleNotationWriter is what the program holds instead.
#include <memory>
#include <string>

#include "platform/Notation.h"

namespace tabrella::exchange {

// Raised whenever this entry changes, so that a module of another build is refused.
inline constexpr int kNotationModuleVersion = 1;
inline constexpr const char* kNotationModuleSymbol = "tabrella_notation_module";

struct NotationModuleEntry {
    int version;
    std::unique_ptr<platform::INotationWriter> (*makeWriter)();
};

// Loads the module at the first MusicXml and hands that call on; a module that is missing
// or of another build is the failure, in words, and tried again by the next call.
class ModuleNotationWriter final : public platform::INotationWriter {
  public:
    // Empty: where the program's installation puts it.
    explicit ModuleNotationWriter(std::string modulePath = {});
    static std::string DefaultPath();
    ~ModuleNotationWriter() override;

    std::optional<std::string> MusicXml(const platform::NotationScore& score,
                                        bool compressed) override;
    std::string Failure() const override;

  private:
    const std::string m_modulePath;
    std::string m_loadError;  // Shift-JIS, of the last failed load
    std::unique_ptr<platform::INotationWriter> m_writer;
};

}  // namespace tabrella::exchange
