// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fluid/ModuleSound.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "base/Sjis.h"
#include "platform/fluid/SoundModule.h"
#include "resources/SequencerTexts.h"

namespace tabrella::platform::fluid {
namespace {

std::mutex g_modulesMutex;
// Loaded modules by path. They are never unloaded: the synthesizer's threads and the
// libraries behind it are not made to be taken out of a running process.
std::map<std::string, const SoundModuleEntry*> g_modules;

// The module's entry, or nothing with the reason (Shift-JIS) in `error`.
const SoundModuleEntry* LoadModule(const std::string& path, std::string& error) {
    std::lock_guard lock(g_modulesMutex);
    if (auto it = g_modules.find(path); it != g_modules.end()) return it->second;
    if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        auto entryOf = reinterpret_cast<SoundModuleFunction>(::dlsym(handle, kSoundModuleSymbol));
        const SoundModuleEntry* entry = entryOf ? entryOf() : nullptr;
        if (entry && entry->version == kSoundModuleVersion) return g_modules[path] = entry;
        ::dlclose(handle);
        error = res::Sjis(res::SeqTxt::SoundModuleWrong) + Utf8ToSjis(path);
        return nullptr;
    }
    // dlerror names the path first; the message names it once.
    std::string reason = ::dlerror();
    if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
    error = res::Sjis(res::SeqTxt::SoundModuleMissing) + Utf8ToSjis(path + " (" + reason + ")");
    return nullptr;
}

}  // namespace

std::string SoundModulePath() {
    if (const char* set = std::getenv("TABRELLA_SOUND_MODULE"); set && *set) return set;
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (program.parent_path() / TABRELLA_SOUND_MODULE_FROM_BINDIR).lexically_normal();
}

bool SoundModuleLoaded() {
    std::lock_guard lock(g_modulesMutex);
    return !g_modules.empty();
}

// ---- The sequencer ------------------------------------------------------------------------

ModuleSequencer::ModuleSequencer(std::string modulePath) : m_modulePath(std::move(modulePath)) {}

ModuleSequencer::~ModuleSequencer() = default;

SeqError ModuleSequencer::Open(std::string_view midiPath, DeviceId& device) {
    if (!m_sequencer) {
        const SoundModuleEntry* module = LoadModule(m_modulePath, m_loadError);
        if (!module) return kModuleUnusable;
        m_sequencer = module->makeSequencer();
    }
    return m_sequencer->Open(midiPath, device);
}

SeqError ModuleSequencer::Play(DeviceId device) {
    return m_sequencer ? m_sequencer->Play(device) : kNothingOpen;
}

SeqError ModuleSequencer::SetLooping(DeviceId device, bool loop) {
    return m_sequencer ? m_sequencer->SetLooping(device, loop) : kNothingOpen;
}

SeqError ModuleSequencer::Stop(DeviceId device) {
    return m_sequencer ? m_sequencer->Stop(device) : kNothingOpen;
}

SeqError ModuleSequencer::Close(DeviceId device) {
    return m_sequencer ? m_sequencer->Close(device) : kNothingOpen;
}

std::string ModuleSequencer::ErrorText(SeqError code) {
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
        const SoundModuleEntry* module = LoadModule(m_modulePath, error);
        if (!module) return error;
        m_renderer = module->makeAudioRenderer();
    }
    return m_renderer->Render(midi, nativePath, format, progress);
}

}  // namespace tabrella::platform::fluid
