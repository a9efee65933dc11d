// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sequencer device on FluidSynth: one synthesizer with the General MIDI sound font and
// one audio driver for the program's life, one MIDI file player per open device.
//
// Both are made on the first Open, not at start-up, so that the program starts without
// touching the sound card; a failed attempt (no sound font, no audio device) is retried by
// the next Open. All ISequencer calls come from one thread; the audio thread only renders.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Sequencer.h"

namespace tabrella::fluid {

enum class Output {
    Speakers,  // a real audio driver, the first of FluidOptions::drivers that opens
    Offline,   // no driver at all: sound is made only by Render (tests, benchmarks)
};

// The sound server's driver when a server runs (PipeWire desktops serve pulseaudio), then
// plain ALSA; ALSA alone when none runs, so that no server is started for us nor waited for.
std::vector<std::string> DefaultDrivers();

struct FluidOptions {
    Output output = Output::Speakers;
    // FluidSynth audio driver names, tried in this order: DefaultDrivers() unless set.
    std::vector<std::string> drivers = DefaultDrivers();
    // ALSA's PCM name when the alsa driver is tried; empty keeps FluidSynth's "default".
    std::string alsaDevice;
    // Empty: FindSoundFont() decides on the first Open.
    std::string soundFont;
};

class FluidSequencer final : public platform::ISequencer {
  public:
    enum Error : platform::SeqError {
        kOk = 0,
        kSoundFontMissing,     // no General MIDI sound font installed
        kSoundFontUnreadable,  // the named sound font is missing or not a sound font
        kNoAudioDevice,        // no audio driver could be opened
        kSynthFailed,          // FluidSynth could not make its settings or synthesizer
        kMidiFileUnreadable,   // the file to open is missing or not a MIDI file
        kDeviceNotOpen,        // the device id names no open device
        kPlayFailed,           // the player refused the file or the play
    };

    explicit FluidSequencer(FluidOptions options = {});
    ~FluidSequencer() override;
    FluidSequencer(const FluidSequencer&) = delete;
    FluidSequencer& operator=(const FluidSequencer&) = delete;

    platform::SeqError Open(std::string_view midiPath, platform::DeviceId& device) override;
    platform::SeqError Play(platform::DeviceId device) override;
    platform::SeqError SetLooping(platform::DeviceId device, bool loop) override;
    platform::SeqError Stop(platform::DeviceId device) override;
    platform::SeqError Close(platform::DeviceId device) override;
    std::string ErrorText(platform::SeqError code) override;
    // Makes the synthesizer and loads the sound font, on the calling thread.
    void Prepare() override;
    // Plays on the synthesizer Prepare or an Open made, opening the audio device if no
    // Open has yet; a device that fails to open is not tried again by previews.
    void Preview(std::string_view midi) override;

    // Offline output only: renders left.size() frames (right must be as long) on the
    // sample clock, which also drives the players. May run on another thread than the
    // device calls, like an audio driver. False when there is nothing to render with.
    bool Render(std::span<float> left, std::span<float> right);

    // The synthesizer's rate, also asked of the audio driver.
    static constexpr double kSampleRate = 44100.0;
    // The audio device's buffer: FluidSynth's own sixteen periods of 64 frames, 23 ms
    // between the synthesizer and the speaker. Two of 128 (5.8 ms) underran on a loaded
    // machine where this never did, and a crackle is heard where 17 ms more is not.
    static constexpr int kPeriodFrames = 64;
    static constexpr int kPeriods = 16;

    // The sound font to load: $TABRELLA_SOUNDFONT when set (whether or not it exists, so
    // that a wrong setting is reported rather than silently replaced), else the first
    // installed General MIDI font among the usual Debian places; empty when none.
    static std::string FindSoundFont();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tabrella::fluid
