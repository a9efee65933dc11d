// SPDX-License-Identifier: GPL-3.0-or-later
#include "fluid/ModuleSound.h"

#include <cstdio>

#include "base/Module.h"
#include "base/Sjis.h"
#include "fluid/SoundModule.h"
#include "resources/Language.h"
#include "resources/SequencerTexts.h"

namespace tabrella::fluid {

using platform::AudioFormat;
using platform::DeviceId;
using platform::IProgress;
using platform::kMaxSeqErrorText;
using platform::SeqError;

namespace {

// The module's entry, or nothing with the reason (Shift-JIS) in `error`.
const SoundModuleEntry* LoadEntry(const std::string& path, std::string& error) {
    const ModuleLoad load = LoadModule(path, kSoundModuleSymbol, kSoundModuleVersion);
    if (load.entry) {
        const auto* entry = static_cast<const SoundModuleEntry*>(load.entry);
        entry->setLanguage(res::CurrentLanguage());
        return entry;
    }
    error = load.otherVersion ? res::Sjis(res::SeqTxt::SoundModuleWrong) + Utf8ToSjis(path)
                              : res::Sjis(res::SeqTxt::SoundModuleMissing) +
                                    Utf8ToSjis(path + " (" + load.reason + ")");
    return nullptr;
}

}  // namespace

std::string SoundModulePath() {
    return ModulePath("tabrella-sound.so");
}

// ---- The sequencer ------------------------------------------------------------------------

ModuleSequencer::ModuleSequencer(std::string modulePath) : m_modulePath(std::move(modulePath)) {}

ModuleSequencer::~ModuleSequencer() {
    WaitPrepared();
}

void ModuleSequencer::Prepare() {
    if (m_sequencer || m_preparing.joinable()) return;
    m_preparing = std::thread([this] {
        if (const SoundModuleEntry* module = LoadEntry(m_modulePath, m_loadError)) {
            m_sequencer = module->makeSequencer();
            m_sequencer->Prepare();
        }
        m_prepared = true;
    });
}

void ModuleSequencer::Preview(std::string_view midi) {
    if (m_preparing.joinable()) {
        if (!m_prepared) return;
        m_preparing.join();  // it has ended: no wait
    }
    if (m_sequencer) m_sequencer->Preview(midi);
}

// No device is open while the module is being prepared: only Open makes one, after it.
bool ModuleSequencer::Preparing() const {
    return m_preparing.joinable();
}

void ModuleSequencer::WaitPrepared() {
    if (m_preparing.joinable()) m_preparing.join();
}

SeqError ModuleSequencer::Open(std::string_view midiPath, DeviceId& device) {
    WaitPrepared();
    if (!m_sequencer) {
        const SoundModuleEntry* module = LoadEntry(m_modulePath, m_loadError);
        if (!module) return kModuleUnusable;
        m_sequencer = module->makeSequencer();
    }
    return m_sequencer->Open(midiPath, device);
}

SeqError ModuleSequencer::Play(DeviceId device) {
    if (Preparing()) return kNothingOpen;
    return m_sequencer ? m_sequencer->Play(device) : kNothingOpen;
}

SeqError ModuleSequencer::SetLooping(DeviceId device, bool loop) {
    if (Preparing()) return kNothingOpen;
    return m_sequencer ? m_sequencer->SetLooping(device, loop) : kNothingOpen;
}

SeqError ModuleSequencer::Stop(DeviceId device) {
    if (Preparing()) return kNothingOpen;
    return m_sequencer ? m_sequencer->Stop(device) : kNothingOpen;
}

SeqError ModuleSequencer::Close(DeviceId device) {
    if (Preparing()) return kNothingOpen;
    return m_sequencer ? m_sequencer->Close(device) : kNothingOpen;
}

std::string ModuleSequencer::ErrorText(SeqError code) {
    WaitPrepared();
    if (code == kModuleUnusable) return ClampSjis(m_loadError, kMaxSeqErrorText);
    if (code == kNothingOpen) return res::Sjis(res::SeqTxt::DeviceNotOpen);
    if (m_sequencer) return m_sequencer->ErrorText(code);
    if (code == 0) return res::Sjis(res::SeqTxt::NoError);
    char text[kMaxSeqErrorText + 1];
    std::snprintf(text, sizeof text, res::Sjis(res::SeqTxt::UnknownFormat).c_str(), code);
    return text;
}

// ---- The audio export --------------------------------------------------------------------

ModuleAudioRenderer::ModuleAudioRenderer(std::string modulePath)
    : m_modulePath(std::move(modulePath)) {}

ModuleAudioRenderer::~ModuleAudioRenderer() = default;

std::optional<std::string> ModuleAudioRenderer::Render(std::string_view midi,
                                                       const std::string& nativePath,
                                                       AudioFormat format, IProgress& progress) {
    if (!m_renderer) {
        std::string error;
        const SoundModuleEntry* module = LoadEntry(m_modulePath, error);
        if (!module) return error;
        m_renderer = module->makeAudioRenderer();
    }
    return m_renderer->Render(midi, nativePath, format, progress);
}

}  // namespace tabrella::fluid
