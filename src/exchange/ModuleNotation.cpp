// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Module.h"
#include "base/Sjis.h"
#include "exchange/NotationModule.h"
#include "resources/ExportTexts.h"

namespace tabrella::exchange {

ModuleNotationWriter::ModuleNotationWriter(std::string modulePath)
    : m_modulePath(modulePath.empty() ? DefaultPath() : std::move(modulePath)) {}

std::string ModuleNotationWriter::DefaultPath() {
    return ModulePath("tabrella-exchange.so");
}

ModuleNotationWriter::~ModuleNotationWriter() = default;

std::optional<std::string> ModuleNotationWriter::MusicXml(const platform::NotationScore& score,
                                                          bool compressed) {
    if (!m_writer) {
        const ModuleLoad load =
            LoadModule(m_modulePath, kNotationModuleSymbol, kNotationModuleVersion);
        if (!load.entry) {
            m_loadError =
                load.otherVersion
                    ? res::Sjis(res::ExportTxt::NotationModuleOther) + Utf8ToSjis(m_modulePath)
                    : res::Sjis(res::ExportTxt::NoNotationModule) +
                          Utf8ToSjis(m_modulePath + " (" + load.reason + ")");
            return std::nullopt;
        }
        m_loadError.clear();
        m_writer = static_cast<const NotationModuleEntry*>(load.entry)->makeWriter();
    }
    return m_writer->MusicXml(score, compressed);
}

std::string ModuleNotationWriter::Failure() const {
    return m_writer ? m_writer->Failure() : m_loadError;
}

}  // namespace tabrella::exchange
