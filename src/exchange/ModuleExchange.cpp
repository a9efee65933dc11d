// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Module.h"
#include "base/Sjis.h"
#include "exchange/ExchangeModule.h"
#include "resources/ExportTexts.h"

namespace tabrella::exchange {
namespace {

// The module's entry, or nothing with `error` (Shift-JIS) saying why.
const ExchangeModuleEntry* LoadEntry(const std::string& path, std::string& error) {
    const ModuleLoad load = LoadModule(path, kExchangeModuleSymbol, kExchangeModuleVersion);
    if (!load.entry) {
        error = load.otherVersion
                    ? res::Sjis(res::ExportTxt::ExchangeModuleOther) + Utf8ToSjis(path)
                    : res::Sjis(res::ExportTxt::NoExchangeModule) +
                          Utf8ToSjis(path + " (" + load.reason + ")");
        return nullptr;
    }
    error.clear();
    return static_cast<const ExchangeModuleEntry*>(load.entry);
}

}  // namespace

std::string ExchangeModulePath() {
    return ModulePath("tabrella-exchange.so");
}

ModuleNotationWriter::ModuleNotationWriter(std::string modulePath)
    : m_modulePath(modulePath.empty() ? ExchangeModulePath() : std::move(modulePath)) {}

ModuleNotationWriter::~ModuleNotationWriter() = default;

std::optional<std::string> ModuleNotationWriter::MusicXml(const platform::NotationScore& score,
                                                          bool compressed) {
    if (!m_writer) {
        const ExchangeModuleEntry* entry = LoadEntry(m_modulePath, m_loadError);
        if (!entry) return std::nullopt;
        m_writer = entry->makeWriter();
    }
    return m_writer->MusicXml(score, compressed);
}

std::string ModuleNotationWriter::Failure() const {
    return m_writer ? m_writer->Failure() : m_loadError;
}

ModuleMelodyReader::ModuleMelodyReader(std::string modulePath)
    : m_modulePath(modulePath.empty() ? ExchangeModulePath() : std::move(modulePath)) {}

ModuleMelodyReader::~ModuleMelodyReader() = default;

platform::IMelodyReader* ModuleMelodyReader::Reader() {
    if (!m_reader) {
        const ExchangeModuleEntry* entry = LoadEntry(m_modulePath, m_loadError);
        if (entry) m_reader = entry->makeReader();
    }
    return m_reader.get();
}

platform::MelodyRead ModuleMelodyReader::Read(std::string_view bytes, std::string_view track,
                                              platform::TaskState* task) {
    platform::IMelodyReader* reader = Reader();
    if (!reader) return {platform::MelodyFault::NotLoaded, {}};
    return reader->Read(bytes, track, task);
}

platform::MelodyRead ModuleMelodyReader::ReadRecording(
    const std::string& nativePath, double tempo, const std::function<bool(long, long)>& progress) {
    platform::IMelodyReader* reader = Reader();
    if (!reader) return {platform::MelodyFault::NotLoaded, {}};
    return reader->ReadRecording(nativePath, tempo, progress);
}

}  // namespace tabrella::exchange
