// SPDX-License-Identifier: GPL-3.0-or-later
// The sound module's entry: the sequencer on the speakers and the audio export.
#include "fluid/FluidAudioRenderer.h"
#include "fluid/FluidSequencer.h"
#include "fluid/SoundModule.h"

namespace {

using namespace tabrella;

const fluid::SoundModuleEntry kEntry{
    fluid::kSoundModuleVersion,
    []() -> std::unique_ptr<platform::ISequencer> {
        return std::make_unique<fluid::FluidSequencer>();
    },
    []() -> std::unique_ptr<platform::IAudioRenderer> {
        return std::make_unique<fluid::FluidAudioRenderer>();
    },
    &res::SetLanguage,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const tabrella::fluid::SoundModuleEntry*
tabrella_sound_module() {
    return &kEntry;
}
