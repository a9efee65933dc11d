// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound module: FluidSynth's sequencer and audio export built as a library of their
// own, which the program loads only when it first makes sound. FluidSynth and the forty
// libraries behind it are then not loaded at start-up, nor by batch work that plays
// nothing. This header is all the program and the module share.
#include <memory>

#include "platform/AudioRenderer.h"
#include "platform/Sequencer.h"
#include "resources/Language.h"

namespace tabrella::fluid {

// Raised whenever this entry or the interfaces it hands out change, so that a module of
// another build is refused rather than called.
inline constexpr int kSoundModuleVersion = 4;

struct SoundModuleEntry {
    int version;
    std::unique_ptr<platform::ISequencer> (*makeSequencer)();
    std::unique_ptr<platform::IAudioRenderer> (*makeAudioRenderer)();
    // The module holds its own copy of the program's settings: its messages speak the
    // language it is given here, once, as it is loaded.
    void (*setLanguage)(res::Language);
};

// The one symbol the module exports: a function returning its entry.
inline constexpr const char* kSoundModuleSymbol = "tabrella_sound_module";

}  // namespace tabrella::fluid
