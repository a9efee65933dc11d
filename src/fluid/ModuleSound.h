// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sequencer and the audio export as the program holds them: nothing is loaded until
// the sequencer's Prepare (in the background) or the first Open or Render, which loads the sound
// module (SoundModule.h) and hands every call on to what it makes. A module that is missing or of
// another build is reported by that call, in words, and tried again by the next.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/AudioRenderer.h"
#include "platform/Sequencer.h"

namespace tabrella::fluid {

// Where the program looks for the sound module (base/Module.h).
std::string SoundModulePath();

class ModuleSequencer final : public platform::ISequencer {
  public:
    // Beyond the module's own codes.
    enum Error : platform::SeqError {
        kModuleUnusable = 0x100,  // the module could not be loaded
        kNothingOpen,             // a call before any device could be opened
    };

    explicit ModuleSequencer(std::string modulePath = SoundModulePath());
    ~ModuleSequencer() override;

    platform::SeqError Open(std::string_view midiPath, platform::DeviceId& device) override;
    platform::SeqError Play(platform::DeviceId device) override;
    platform::SeqError SetLooping(platform::DeviceId device, bool loop) override;
    platform::SeqError Stop(platform::DeviceId device) override;
    platform::SeqError Close(platform::DeviceId device) override;
    std::string ErrorText(platform::SeqError code) override;
    // Loads the module and its synthesizer and sound font on a thread of their own. Open
    // and ErrorText wait for it to end; the other calls, which need an open device, do not.
    void Prepare() override;
    // Plays only once the preparation has ended; a key pressed before that, or with nothing
    // prepared at all, makes no sound and never waits.
    void Preview(std::string_view midi) override;

  private:
    bool Preparing() const;
    void WaitPrepared();

    const std::string m_modulePath;
    std::string m_loadError;  // Shift-JIS, of the last failed load
    std::unique_ptr<platform::ISequencer> m_sequencer;
    std::thread m_preparing;              // owns the members above while it runs
    std::atomic<bool> m_prepared{false};  // set by the thread as its last step
};

class ModuleAudioRenderer final : public platform::IAudioRenderer {
  public:
    explicit ModuleAudioRenderer(std::string modulePath = SoundModulePath());
    ~ModuleAudioRenderer() override;

    std::optional<std::string> Render(std::string_view midi, const std::string& nativePath,
                                      platform::AudioFormat format,
                                      platform::IProgress& progress) override;

  private:
    const std::string m_modulePath;
    std::unique_ptr<platform::IAudioRenderer> m_renderer;
};

}  // namespace tabrella::fluid
