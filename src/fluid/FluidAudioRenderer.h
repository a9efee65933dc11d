// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio export on FluidSynth: a synthesizer of its own, made for each render with the
// playback's sound font and settings, played from the MIDI bytes on the sample clock and
// written with libsndfile as FluidSynth's file renderer writes, byte for byte, but on a
// second thread. Nothing is loaded before a render.
#include "platform/AudioRenderer.h"

namespace tabrella::fluid {

class FluidAudioRenderer final : public platform::IAudioRenderer {
  public:
    FluidAudioRenderer();

    std::optional<std::string> Render(std::string_view midi, const std::string& nativePath,
                                      platform::AudioFormat format,
                                      platform::IProgress& progress) override;

    static constexpr int kSampleRate = 44100;
    // Frames per block: about 93 ms, between two looks at the progress. The music's timing
    // does not depend on it (the player runs on the synthesizer's own 64-frame steps).
    static constexpr int kBlockFrames = 4096;
    // How long the last notes may ring on after the music's end.
    static constexpr int kLongestTailFrames = 2 * kSampleRate;
};

}  // namespace tabrella::fluid
