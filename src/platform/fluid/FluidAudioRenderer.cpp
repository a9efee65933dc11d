// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fluid/FluidAudioRenderer.h"

#include <fluidsynth.h>

#include <memory>

#include "platform/fluid/FluidLog.h"
#include "platform/fluid/FluidSequencer.h"
#include "resources/ExportTexts.h"
#include "resources/SequencerTexts.h"
#include "resources/Sjis.h"

namespace tabrella::platform::fluid {
namespace {

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
struct RendererDeleter {
    void operator()(fluid_file_renderer_t* r) const { delete_fluid_file_renderer(r); }
};

const char* FileType(AudioFormat format) {
    switch (format) {
        case AudioFormat::Flac:
            return "flac";
        case AudioFormat::OggVorbis:
            return "oga";  // libsndfile's Ogg container; FluidSynth gives it Vorbis
        case AudioFormat::Wav:
            break;
    }
    return "wav";
}

// A sequencer text with FluidSynth's reason after it.
std::string Reason(res::SeqTxt text, const std::string& detailUtf8) {
    return res::Sjis(text) + Utf8ToSjis(detailUtf8);
}

}  // namespace

FluidAudioRenderer::FluidAudioRenderer() {
    SilenceLibraries();
}

std::optional<std::string> FluidAudioRenderer::Render(std::string_view midi,
                                                      const std::string& nativePath,
                                                      AudioFormat format, IProgress& progress) {
    TakeLastError();
    // 1. A synthesizer set up as playback's, whose file renderer writes the target.
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    if (!settings) return Reason(res::SeqTxt::SynthFailed, TakeLastError());
    fluid_settings_t* s = settings.get();
    fluid_settings_setnum(s, "synth.sample-rate", kSampleRate);
    fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(s, "player.timing-source", "sample");
    fluid_settings_setstr(s, "audio.file.name", nativePath.c_str());
    fluid_settings_setstr(s, "audio.file.type", FileType(format));
    fluid_settings_setstr(s, "audio.file.format", "s16");
    fluid_settings_setint(s, "audio.period-size", kBlockFrames);
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(s));
    if (!synth) return Reason(res::SeqTxt::SynthFailed, TakeLastError());

    // 2. The sound font playback finds.
    const std::string font = FluidSequencer::FindSoundFont();
    if (font.empty()) return res::Sjis(res::SeqTxt::SoundFontMissing);
    if (!fluid_is_soundfont(font.c_str()) ||
        fluid_synth_sfload(synth.get(), font.c_str(), 1) == FLUID_FAILED) {
        return Reason(res::SeqTxt::SoundFontUnreadable, font);
    }

    // 3. The MIDI bytes, played on the rendered samples' clock.
    std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK) {
        return Reason(res::SeqTxt::MidiFileUnreadable, TakeLastError());
    }
    std::unique_ptr<fluid_file_renderer_t, RendererDeleter> renderer(
        new_fluid_file_renderer(synth.get()));
    if (!renderer) return Utf8ToSjis(TakeLastError());
    if (fluid_player_play(player.get()) != FLUID_OK) {
        return Reason(res::SeqTxt::PlayFailed, TakeLastError());
    }

    // 4. Blocks until the music's last tick (the player itself idles two seconds longer),
    // then until the last note has died away. The total is known once the first block has
    // loaded the file; asking again walks every event of every track, on each block.
    int total = 0;
    for (;;) {
        if (total == 0) total = fluid_player_get_total_ticks(player.get());
        const int tick = fluid_player_get_current_tick(player.get());
        if (fluid_player_get_status(player.get()) != FLUID_PLAYER_PLAYING ||
            (total > 0 && tick >= total)) {
            break;
        }
        if (fluid_file_renderer_process_block(renderer.get()) != FLUID_OK) {
            return Utf8ToSjis(TakeLastError());
        }
        if (!progress.Continue(tick, total)) return res::Sjis(res::ExportTxt::Cancelled);
    }
    for (int tail = 0; tail < kLongestTailFrames; tail += kBlockFrames) {
        if (fluid_synth_get_active_voice_count(synth.get()) == 0) break;
        if (fluid_file_renderer_process_block(renderer.get()) != FLUID_OK) {
            return Utf8ToSjis(TakeLastError());
        }
    }
    return std::nullopt;
}

}  // namespace tabrella::platform::fluid
