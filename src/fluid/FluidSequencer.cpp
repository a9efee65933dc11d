// SPDX-License-Identifier: GPL-3.0-or-later
#include "fluid/FluidSequencer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

#include "base/Sjis.h"
#include "fluid/FluidLog.h"
#include "resources/SequencerTexts.h"

namespace tabrella::fluid {

using platform::DeviceId;
using platform::kMaxSeqErrorText;
using platform::SeqError;

namespace {

struct PlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct DriverDeleter {
    void operator()(fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }
};
using PlayerPtr = std::unique_ptr<fluid_player_t, PlayerDeleter>;

}  // namespace

std::vector<std::string> DefaultDrivers() {
    // libpulse's own rule: $PULSE_SERVER, else the socket in the runtime folder.
    bool server = false;
    if (const char* named = std::getenv("PULSE_SERVER"); named != nullptr && *named != '\0') {
        server = true;
    } else {
        const char* runtime = std::getenv("PULSE_RUNTIME_PATH");
        std::filesystem::path folder;
        if (runtime != nullptr && *runtime != '\0') {
            folder = runtime;
        } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg) {
            folder = std::filesystem::path(xdg) / "pulse";
        }
        std::error_code ec;
        server = !folder.empty() && std::filesystem::exists(folder / "native", ec);
    }
    if (server) return {"pulseaudio", "alsa"};
    return {"alsa"};
}

// ---- The engine -----------------------------------------------------------------------

struct FluidSequencer::Impl {
    struct Device {
        std::string path;
        PlayerPtr player;  // deleted only under renderLock
        bool started = false;
        bool looping = false;  // applied to each player as it starts
    };

    explicit Impl(FluidOptions opts) : options(std::move(opts)) {}
    ~Impl();

    SeqError EnsureSynth();
    SeqError EnsureOutput();
    SeqError LoadSoundFont();
    PlayerPtr NewPlayer(const std::string& path);
    SeqError Fail(SeqError code, std::string detailUtf8);
    Device* Find(DeviceId id);
    static int RenderAudio(void* data, int len, int nfx, float* fx[], int nout, float* out[]);

    const FluidOptions options;
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
    bool soundFontLoaded = false;
    std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver;
    // Held by the audio thread while it renders. Players are created, started, stopped and
    // deleted only under it: a player deleted while the synthesizer renders crashes.
    std::mutex renderLock;
    std::map<DeviceId, Device> devices;
    PlayerPtr preview;           // the notes typed last; deleted only under renderLock
    bool previewGaveUp = false;  // previews found no audio device
    DeviceId nextDevice = 1;
    std::map<SeqError, std::string> details;  // UTF-8 reason of the last error per code
};

FluidSequencer::Impl::~Impl() {
    // The driver first: it joins the audio thread, after which nothing renders.
    driver.reset();
    preview.reset();
    devices.clear();
    synth.reset();
    settings.reset();
}

SeqError FluidSequencer::Impl::Fail(SeqError code, std::string detailUtf8) {
    details[code] = std::move(detailUtf8);
    return code;
}

FluidSequencer::Impl::Device* FluidSequencer::Impl::Find(DeviceId id) {
    auto it = devices.find(id);
    return it == devices.end() ? nullptr : &it->second;
}

SeqError FluidSequencer::Impl::EnsureSynth() {
    if (soundFontLoaded) return kOk;
    // No driver exists yet, but an offline Render may already be asking for the synth.
    std::lock_guard lock(renderLock);
    TakeLastError();
    if (!settings) {
        settings.reset(new_fluid_settings());
        if (!settings) return Fail(kSynthFailed, TakeLastError());
        fluid_settings_setnum(settings.get(), "synth.sample-rate", kSampleRate);
        // Samples are read when a preset is first used: about 30 MB and 40 ms instead of
        // 160 MB and 140 ms for the whole General MIDI font.
        fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(settings.get(), "audio.period-size", kPeriodFrames);
        fluid_settings_setint(settings.get(), "audio.periods", kPeriods);
        if (!options.alsaDevice.empty()) {
            fluid_settings_setstr(settings.get(), "audio.alsa.device", options.alsaDevice.c_str());
        }
    }
    if (!synth) {
        synth.reset(new_fluid_synth(settings.get()));
        if (!synth) return Fail(kSynthFailed, TakeLastError());
    }
    return LoadSoundFont();
}

SeqError FluidSequencer::Impl::LoadSoundFont() {
    std::string path = options.soundFont.empty() ? FindSoundFont() : options.soundFont;
    if (path.empty()) return Fail(kSoundFontMissing, {});
    if (!fluid_is_soundfont(path.c_str())) return Fail(kSoundFontUnreadable, path);
    if (fluid_synth_sfload(synth.get(), path.c_str(), 1) == FLUID_FAILED) {
        return Fail(kSoundFontUnreadable, path + " (" + TakeLastError() + ")");
    }
    soundFontLoaded = true;
    return kOk;
}

SeqError FluidSequencer::Impl::EnsureOutput() {
    if (options.output == Output::Offline || driver) return kOk;
    // Every driver tried and why it failed: the user sees which device was meant and what
    // to fix, not only the last fallback's complaint.
    std::string reasons;
    for (const auto& name : options.drivers) {
        TakeLastError();
        std::string reason;
        // Setting a name FluidSynth does not know fails and would leave the previous
        // driver selected, so it must not fall through to creating that one.
        if (fluid_settings_setstr(settings.get(), "audio.driver", name.c_str()) != FLUID_OK) {
            reason = "unknown audio driver";
        } else {
            driver.reset(new_fluid_audio_driver2(settings.get(), &RenderAudio, this));
            if (driver) return kOk;
            reason = TakeLastError();
            // The server's own words are enough: the whole text would not fit the message.
            if (const size_t at = reason.rfind("error: "); at != std::string::npos) {
                reason.erase(0, at + 7);
            }
            if (reason.empty()) reason = "cannot be opened";
        }
        std::string device = name;
        if (name == "alsa" && !options.alsaDevice.empty()) device += " " + options.alsaDevice;
        reasons += (reasons.empty() ? "" : "; ") + device + ": " + reason;
    }
    return Fail(kNoAudioDevice, reasons);
}

int FluidSequencer::Impl::RenderAudio(void* data, int len, int nfx, float* fx[], int nout,
                                      float* out[]) {
    auto* self = static_cast<Impl*>(data);
    std::lock_guard lock(self->renderLock);
    if (nfx == 0 && nout >= 2) {
        // Drivers without effect buffers get reverb and chorus mixed into the dry output.
        float* mixed[4] = {out[0], out[1], out[0], out[1]};
        return fluid_synth_process(self->synth.get(), len, 4, mixed, nout, out);
    }
    return fluid_synth_process(self->synth.get(), len, nfx, fx, nout, out);
}

// Under renderLock.
PlayerPtr FluidSequencer::Impl::NewPlayer(const std::string& path) {
    PlayerPtr player(new_fluid_player(synth.get()));
    // fluid_player_add only records the name; the file is read in the first block rendered
    // after play, which is why the file must outlive the player.
    if (player && fluid_player_add(player.get(), path.c_str()) != FLUID_OK) player.reset();
    return player;
}

// ---- The device -----------------------------------------------------------------------

FluidSequencer::FluidSequencer(FluidOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {
    SilenceLibraries();
}

FluidSequencer::~FluidSequencer() = default;

SeqError FluidSequencer::Open(std::string_view midiPath, DeviceId& device) {
    Impl& m = *m_impl;
    if (SeqError e = m.EnsureSynth()) return e;
    if (SeqError e = m.EnsureOutput()) return e;
    std::string path(midiPath);
    if (!fluid_is_midifile(path.c_str())) return m.Fail(kMidiFileUnreadable, path);

    std::lock_guard lock(m.renderLock);
    TakeLastError();
    PlayerPtr player = m.NewPlayer(path);
    if (!player) return m.Fail(kPlayFailed, TakeLastError());
    DeviceId id = m.nextDevice++;
    if (m.nextDevice == 0) m.nextDevice = 1;  // ids are never 0, even after wrapping
    m.devices.insert_or_assign(id, Impl::Device{path, std::move(player), false});
    device = id;
    return kOk;
}

SeqError FluidSequencer::Play(DeviceId device) {
    Impl& m = *m_impl;
    Impl::Device* d = m.Find(device);
    if (d == nullptr) return m.Fail(kDeviceNotOpen, {});

    std::lock_guard lock(m.renderLock);
    TakeLastError();
    // A player cannot be rewound reliably once it has run to its end; a fresh one on the
    // same file always starts at the beginning.
    if (d->started) {
        d->player = m.NewPlayer(d->path);
        if (!d->player) return m.Fail(kPlayFailed, TakeLastError());
    }
    // Typed notes would go on bending what plays.
    if (m.preview) {
        fluid_player_stop(m.preview.get());
        m.preview.reset();
    }
    // A stopped play may leave bends, held notes or controllers behind; start clean.
    fluid_synth_system_reset(m.synth.get());
    // -1 repeats the file until the player is stopped; 1 plays it once.
    fluid_player_set_loop(d->player.get(), d->looping ? -1 : 1);
    if (fluid_player_play(d->player.get()) != FLUID_OK) {
        return m.Fail(kPlayFailed, TakeLastError());
    }
    d->started = true;
    return kOk;
}

SeqError FluidSequencer::SetLooping(DeviceId device, bool loop) {
    Impl& m = *m_impl;
    Impl::Device* d = m.Find(device);
    if (d == nullptr) return m.Fail(kDeviceNotOpen, {});
    d->looping = loop;
    return kOk;
}

SeqError FluidSequencer::Stop(DeviceId device) {
    Impl& m = *m_impl;
    Impl::Device* d = m.Find(device);
    if (d == nullptr) return m.Fail(kDeviceNotOpen, {});

    std::lock_guard lock(m.renderLock);
    if (d->player) fluid_player_stop(d->player.get());
    // The player only stops sending; notes already sounding would ring on.
    fluid_synth_all_sounds_off(m.synth.get(), -1);
    return kOk;
}

SeqError FluidSequencer::Close(DeviceId device) {
    Impl& m = *m_impl;
    if (m.Find(device) == nullptr) return m.Fail(kDeviceNotOpen, {});

    std::lock_guard lock(m.renderLock);
    m.devices.erase(device);
    fluid_synth_all_sounds_off(m.synth.get(), -1);
    return kOk;
}

void FluidSequencer::Prepare() {
    m_impl->EnsureSynth();
}

void FluidSequencer::Preview(std::string_view midi) {
    Impl& m = *m_impl;
    // A key never waits for the sound font, nor for a device that did not open before.
    if (!m.soundFontLoaded || m.previewGaveUp) return;
    if (m.EnsureOutput() != kOk) {
        m.previewGaveUp = true;
        return;
    }
    std::lock_guard lock(m.renderLock);
    if (m.preview) {
        fluid_player_stop(m.preview.get());
        m.preview.reset();
    }
    // The last typed notes end where the next begin, with their usual release.
    fluid_synth_all_notes_off(m.synth.get(), -1);
    if (midi.empty()) return;
    // The player keeps its own copy of the bytes.
    PlayerPtr player(new_fluid_player(m.synth.get()));
    if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK) {
        return;
    }
    m.preview = std::move(player);
}

std::string FluidSequencer::ErrorText(SeqError code) {
    using res::SeqTxt;
    auto it = m_impl->details.find(code);
    const std::string detail = it == m_impl->details.end() ? "" : Utf8ToSjis(it->second);
    std::string text;
    switch (code) {
        case kOk:
            text = res::Sjis(SeqTxt::NoError);
            break;
        case kSoundFontMissing:
            text = res::Sjis(SeqTxt::SoundFontMissing);
            break;
        case kSoundFontUnreadable:
            text = res::Sjis(SeqTxt::SoundFontUnreadable) + detail;
            break;
        case kNoAudioDevice:
            // The detail names each device tried.
            text = res::Sjis(SeqTxt::NoAudioDevice) + ": " + detail;
            break;
        case kSynthFailed:
            text = res::Sjis(SeqTxt::SynthFailed) + detail;
            break;
        case kMidiFileUnreadable:
            text = res::Sjis(SeqTxt::MidiFileUnreadable) + detail;
            break;
        case kDeviceNotOpen:
            text = res::Sjis(SeqTxt::DeviceNotOpen);
            break;
        case kPlayFailed:
            text = res::Sjis(SeqTxt::PlayFailed) + detail;
            break;
        default: {
            char buf[kMaxSeqErrorText + 1];
            std::snprintf(buf, sizeof buf, res::Sjis(SeqTxt::UnknownFormat).c_str(), code);
            text = buf;
        }
    }
    return ClampSjis(std::move(text), kMaxSeqErrorText);
}

bool FluidSequencer::Render(std::span<float> left, std::span<float> right) {
    Impl& m = *m_impl;
    if (m.options.output != Output::Offline || left.size() != right.size()) return false;
    std::lock_guard lock(m.renderLock);
    if (!m.synth) return false;
    constexpr size_t kChunk = 4096;
    for (size_t done = 0; done < left.size(); done += kChunk) {
        const int n = static_cast<int>(std::min(kChunk, left.size() - done));
        if (fluid_synth_write_float(m.synth.get(), n, left.data() + done, 0, 1, right.data() + done,
                                    0, 1) != FLUID_OK) {
            return false;
        }
    }
    return true;
}

std::string FluidSequencer::FindSoundFont() {
    if (const char* env = std::getenv("TABRELLA_SOUNDFONT"); env != nullptr && *env != '\0') {
        return env;
    }
    static constexpr const char* kPlaces[] = {
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/soundfonts/default.sf2",    "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    for (const char* place : kPlaces) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(place, ec)) return place;
    }
    return {};
}

}  // namespace tabrella::fluid
