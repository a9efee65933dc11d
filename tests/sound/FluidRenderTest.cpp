// SPDX-License-Identifier: GPL-3.0-or-later
// An exported file rendered offline through FluidSynth with the General MIDI sound font: the
// notes and a bend sound at the pitches the score names. The audio export renders those same
// bytes; read back with libsndfile, each format sounds the score's notes and ends when they
// have died away, byte for byte what FluidSynth's own file renderer writes, and a cancelled
// or failed render leaves no file.
#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "fluid/FluidAudioRenderer.h"
#include "resources/CommandIds.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr double kRate = 44100.0;
constexpr int kFrame = 2048;

// YIN: the period whose cumulative-mean-normalised difference first dips below the
// threshold, refined by a parabola. 0 when the frame has no clear period.
double YinPitch(const float* x) {
    const int window = kFrame / 2;
    const int tauMin = static_cast<int>(kRate / 1000.0);
    const int tauMax = static_cast<int>(kRate / 80.0);
    std::vector<double> d(tauMax + 2, 0.0);
    for (int tau = 1; tau <= tauMax + 1; ++tau) {
        for (int j = 0; j < window; ++j) {
            const double diff = x[j] - x[j + tau];
            d[tau] += diff * diff;
        }
    }
    std::vector<double> cmnd(tauMax + 2, 1.0);
    double running = 0.0;
    for (int tau = 1; tau <= tauMax + 1; ++tau) {
        running += d[tau];
        cmnd[tau] = running > 0 ? d[tau] * tau / running : 1.0;
    }
    for (int tau = tauMin; tau <= tauMax; ++tau) {
        if (cmnd[tau] >= 0.15) continue;
        while (tau + 1 <= tauMax && cmnd[tau + 1] < cmnd[tau]) ++tau;
        const double a = cmnd[tau - 1], b = cmnd[tau], c = cmnd[tau + 1];
        const double denom = a - 2 * b + c;
        const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0.0;
        return kRate / (tau + shift);
    }
    return 0.0;
}

// The median pitch of the frames between two times, in Hz.
double MedianPitch(const std::vector<float>& audio, double fromSec, double toSec) {
    std::vector<double> pitches;
    const size_t end = std::min(audio.size(), static_cast<size_t>(toSec * kRate));
    for (size_t at = static_cast<size_t>(fromSec * kRate); at + kFrame <= end; at += kFrame / 2) {
        if (const double f = YinPitch(&audio[at]); f > 0) pitches.push_back(f);
    }
    if (pitches.empty()) return 0.0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

double CentsFrom(double hz, int midiNote) {
    const double expected = 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
    return 1200.0 * std::log2(hz / expected);
}

void Quiet(int, const char*, void*) {}

// Renders a MIDI file to mono samples, driving the player by the rendered sample clock.
std::vector<float> Render(const std::string& midiPath) {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, Quiet, nullptr);
    }
    std::unique_ptr<fluid_settings_t, decltype(&delete_fluid_settings)> settings(
        new_fluid_settings(), &delete_fluid_settings);
    fluid_settings_setnum(settings.get(), "synth.sample-rate", kRate);
    fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
    fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    std::unique_ptr<fluid_synth_t, decltype(&delete_fluid_synth)> synth(
        new_fluid_synth(settings.get()), &delete_fluid_synth);
    EXPECT_NE(fluid_synth_sfload(synth.get(), kSoundFont, 1), FLUID_FAILED);
    std::unique_ptr<fluid_player_t, decltype(&delete_fluid_player)> player(
        new_fluid_player(synth.get()), &delete_fluid_player);
    EXPECT_EQ(fluid_player_add(player.get(), midiPath.c_str()), FLUID_OK);
    EXPECT_EQ(fluid_player_play(player.get()), FLUID_OK);

    std::vector<float> audio;
    std::vector<float> left(512), right(512);
    while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING &&
           audio.size() < 20 * kRate) {
        fluid_synth_write_float(synth.get(), 512, left.data(), 0, 1, right.data(), 0, 1);
        for (size_t i = 0; i < left.size(); ++i) audio.push_back(0.5f * (left[i] + right[i]));
    }
    return audio;
}

TEST(FluidRender, AnExportedScoreSoundsItsNotesAndItsBend) {
    ASSERT_TRUE(fs::exists(kSoundFont)) << "the General MIDI sound font is not installed";
    ViewHarness h;
    // At tempo 40 a cell lasts 750 ms: 五 (E4), 七 (A4), then 五 held into a cell with
    // オ alone, which bends it up two semitones (F#4).
    h.v().m_tempo = 40;
    h.Cell(1).first[2] = 5;
    h.Cell(2).first[2] = 7;
    h.Cell(3).first[2] = 5;
    h.Cell(4).first[2] = 200;
    h.v().m_lastCell = 4;
    std::string dir = (fs::temp_directory_path() / "tabrella-render-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string file = dir + "/score.mid";
    ASSERT_FALSE(h.v().ExportMidi(file).has_value());

    const std::vector<float> audio = Render(file);
    fs::remove_all(dir);
    ASSERT_GT(audio.size(), static_cast<size_t>(3.0 * kRate));

    // Each window starts after the attack and ends before the next event.
    const double e4 = MedianPitch(audio, 0.10, 0.70);
    const double a4 = MedianPitch(audio, 0.85, 1.45);
    const double bent = MedianPitch(audio, 2.33, 2.95);
    EXPECT_NEAR(CentsFrom(e4, 64), 0.0, 25.0) << e4 << " Hz";
    EXPECT_NEAR(CentsFrom(a4, 69), 0.0, 25.0) << a4 << " Hz";
    EXPECT_NEAR(CentsFrom(bent, 66), 0.0, 25.0) << bent << " Hz";
}

// ---- The audio export -----------------------------------------------------------------

struct AudioFile {
    int channels = 0, rate = 0, format = 0;
    std::vector<float> mono;
    std::vector<float> samples;  // every channel's, interleaved
    float Peak() const {
        float peak = 0;
        for (float x : mono) peak = std::max(peak, std::fabs(x));
        return peak;
    }
    double Seconds() const { return double(mono.size()) / kRate; }
};

AudioFile ReadAudio(const std::string& path) {
    AudioFile a;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info),
                                                       &sf_close);
    if (!file) return a;
    a.channels = info.channels;
    a.rate = info.samplerate;
    a.format = info.format;
    std::vector<float> frames(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(file.get(), frames.data(), info.frames);
    a.samples.assign(frames.begin(), frames.begin() + read * info.channels);
    for (sf_count_t i = 0; i < read; ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c) sum += frames[size_t(i * info.channels + c)];
        a.mono.push_back(sum / float(info.channels));
    }
    return a;
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// FluidSynth's file renderer on its own: the MIDI bytes rendered into a file of the given
// type in the export's blocks, to the music's last tick and on while notes sound (at most
// the export's two seconds).
void RenderWithFileRenderer(const std::string& midi, const std::string& path, const char* type) {
    using Renderer = fluid::FluidAudioRenderer;
    std::unique_ptr<fluid_settings_t, decltype(&delete_fluid_settings)> settings(
        new_fluid_settings(), &delete_fluid_settings);
    fluid_settings_t* s = settings.get();
    fluid_settings_setnum(s, "synth.sample-rate", kRate);
    fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(s, "player.timing-source", "sample");
    fluid_settings_setstr(s, "audio.file.name", path.c_str());
    fluid_settings_setstr(s, "audio.file.type", type);
    fluid_settings_setstr(s, "audio.file.format", "s16");
    fluid_settings_setint(s, "audio.period-size", Renderer::kBlockFrames);
    std::unique_ptr<fluid_synth_t, decltype(&delete_fluid_synth)> synth(new_fluid_synth(s),
                                                                        &delete_fluid_synth);
    ASSERT_NE(fluid_synth_sfload(synth.get(), kSoundFont, 1), FLUID_FAILED);
    std::unique_ptr<fluid_player_t, decltype(&delete_fluid_player)> player(
        new_fluid_player(synth.get()), &delete_fluid_player);
    ASSERT_EQ(fluid_player_add_mem(player.get(), midi.data(), midi.size()), FLUID_OK);
    std::unique_ptr<fluid_file_renderer_t, decltype(&delete_fluid_file_renderer)> renderer(
        new_fluid_file_renderer(synth.get()), &delete_fluid_file_renderer);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(fluid_player_play(player.get()), FLUID_OK);
    while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING &&
           (fluid_player_get_total_ticks(player.get()) == 0 ||
            fluid_player_get_current_tick(player.get()) <
                fluid_player_get_total_ticks(player.get()))) {
        ASSERT_EQ(fluid_file_renderer_process_block(renderer.get()), FLUID_OK);
    }
    for (int tail = 0;
         tail < Renderer::kLongestTailFrames && fluid_synth_get_active_voice_count(synth.get()) > 0;
         tail += Renderer::kBlockFrames) {
        ASSERT_EQ(fluid_file_renderer_process_block(renderer.get()), FLUID_OK);
    }
}

class AudioExport : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kSoundFont)) << "the General MIDI sound font is not installed";
        std::string name = (fs::temp_directory_path() / "tabrella-audio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
        // At tempo 40 a cell lasts 750 ms: 五 (E4), 七 (A4), and with the cursor on cell 1
        // a cell of silence; then the notes ring out.
        v().m_tempo = 40;
        v().m_cells[1].first[2] = 5;
        v().m_cells[2].first[2] = 7;
        v().m_lastCell = 2;
    }
    void TearDown() override { fs::remove_all(dir); }
    CTabrellaView& v() { return *view; }
    size_t FilesInDir() const {
        return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fluid::FluidAudioRenderer renderer;
    ViewHarness h;
    std::unique_ptr<CTabrellaView> view = std::make_unique<CTabrellaView>(
        platform::Services{h.window, h.dialogs, h.sequencer, &renderer});
    fs::path dir;
    // The music: 1 + 240 + 240 + 240 ticks at 1.5 s a quarter (480 ticks).
    const double musicSeconds = 721.0 / 480.0 * 1.5;
};

TEST_F(AudioExport, EachFormatSoundsTheScoresNotesAndEndsWhenTheyHaveDiedAway) {
    const struct {
        const char* name;
        int format;
    } formats[] = {{"score.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                   {"score.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                   {"score.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        h.dialogs.AnswerFile((dir / f.name).string());
        v().OnCommand(cmd::kAudioExport);
        EXPECT_TRUE(h.dialogs.messages.empty());
        EXPECT_EQ(h.window.written.back(), (dir / f.name).string());
        EXPECT_EQ(h.dialogs.progressTexts.size(), 1u) << "a progress to stop the render by";
        h.dialogs.progressTexts.clear();

        const AudioFile audio = ReadAudio((dir / f.name).string());
        EXPECT_EQ(audio.format, f.format);
        EXPECT_EQ(audio.channels, 2);
        EXPECT_EQ(audio.rate, 44100);
        EXPECT_GT(audio.Peak(), 0.01f) << "not silent";
        float peak = 0;
        for (float x : audio.samples) peak = std::max(peak, std::fabs(x));
        // -1 dBFS; Vorbis rounds the waveform a little either way, never to clipping.
        EXPECT_NEAR(peak, 0.891f, f.format & SF_FORMAT_VORBIS ? 0.05f : 0.001f);
        // The whole music, then at most two seconds of ringing (in whole blocks).
        const double block = double(fluid::FluidAudioRenderer::kBlockFrames) / kRate;
        EXPECT_GE(audio.Seconds(), musicSeconds);
        EXPECT_LE(audio.Seconds(), musicSeconds + 2.0 + 2 * block);
        EXPECT_NEAR(CentsFrom(MedianPitch(audio.mono, 0.10, 0.70), 64), 0.0, 25.0);
        EXPECT_NEAR(CentsFrom(MedianPitch(audio.mono, 0.85, 1.45), 69), 0.0, 25.0);
    }
    EXPECT_EQ(FilesInDir(), 3u) << "no temporary file left beside them";
}

// The export writes on a thread of its own what the file renderer would have, every sample
// raised by the one gain that brings the loudest to -1 dBFS.
TEST_F(AudioExport, EachLosslessFileIsWhatFluidSynthsFileRendererWritesAtOneGain) {
    std::ostringstream midi;
    ASSERT_TRUE(v().WriteMidiStream(midi, 1, v().ExportEndCell()));
    for (const char* type : {"wav", "flac"}) {
        SCOPED_TRACE(type);
        const fs::path exported = dir / (std::string("score.") + type);
        const fs::path reference = dir / (std::string("reference.") + type);
        ASSERT_FALSE(v().ExportAudio(exported.string(), *h.dialogs.ShowProgress({})));
        RenderWithFileRenderer(midi.str(), reference.string(), type);
        const AudioFile ours = ReadAudio(exported.string()), theirs = ReadAudio(reference.string());
        EXPECT_GE(ours.Seconds(), musicSeconds);
        ASSERT_EQ(ours.samples.size(), theirs.samples.size());
        float peak = 0;
        for (float x : theirs.samples) peak = std::max(peak, std::fabs(x));
        ASSERT_GT(peak, 0.001f);
        const float gain = 0.891f / peak;
        size_t differ = 0;
        for (size_t i = 0; i < ours.samples.size(); ++i) {
            // Both are 16 bits: each rounds once, the reference before the gain.
            differ += std::fabs(ours.samples[i] - gain * theirs.samples[i]) > (gain + 1) / 32768.0f;
        }
        EXPECT_EQ(differ, 0u) << "gain " << gain;
    }
}

TEST_F(AudioExport, ACancelledOrFailedRenderLeavesTheOldFileAndNothingElse) {
    const fs::path target = dir / "keep.wav";
    std::ofstream(target, std::ios::binary) << "the old file";

    // Cancelled in the dialog: no message, the old file as it was.
    h.dialogs.cancelAtStep = 3;
    h.dialogs.AnswerFile(target.string());
    v().OnCommand(cmd::kAudioExport);
    EXPECT_EQ(h.dialogs.progressSteps, 3);
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_TRUE(h.window.written.empty()) << "a stopped render wrote nothing";
    EXPECT_EQ(Bytes(target), "the old file");

    // A sound font that is not there: the reason in a message, nothing written.
    h.dialogs.cancelAtStep = 0;
    ::setenv("TABRELLA_SOUNDFONT", (dir / "missing.sf2").c_str(), 1);
    h.dialogs.AnswerFile(target.string());
    v().OnCommand(cmd::kAudioExport);
    ::unsetenv("TABRELLA_SOUNDFONT");
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find("missing.sf2"), std::string::npos);
    EXPECT_EQ(Bytes(target), "the old file");

    // The disk full after a few blocks, in each format: the render ends with the system's
    // reason (Vorbis's encoder has none of its own to give).
    const rlimit unlimited = [] {
        rlimit l{};
        ::getrlimit(RLIMIT_FSIZE, &l);
        return l;
    }();
    const auto ignoredBefore = std::signal(SIGXFSZ, SIG_IGN);
    for (const char* name : {"keep.wav", "full.flac", "full.ogg"}) {
        SCOPED_TRACE(name);
        rlimit small = unlimited;
        small.rlim_cur = 20000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const auto full = v().ExportAudio((dir / name).string(), *h.dialogs.ShowProgress({}));
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        ASSERT_TRUE(full);
        EXPECT_NE(full->detail.find("too large"), std::string::npos) << full->detail;
    }
    std::signal(SIGXFSZ, ignoredBefore);
    EXPECT_EQ(Bytes(target), "the old file");
    // A full disk as /dev/full is one: the system's reason.
    if (fs::is_character_file("/dev/full")) {
        std::ostringstream midi;
        ASSERT_TRUE(v().WriteMidiStream(midi, 1, v().ExportEndCell()));
        const auto full = renderer.Render(midi.str(), "/dev/full", platform::AudioFormat::OggVorbis,
                                          *h.dialogs.ShowProgress({}));
        ASSERT_TRUE(full);
        EXPECT_NE(full->find("No space left"), std::string::npos) << *full;
    }

    // An extension that names no format, a folder as the target, a folder that is not there.
    for (const fs::path& bad : {dir / "score.mp3", dir, dir / "no" / "score.wav"}) {
        const auto error = v().ExportAudio(bad.string(), *h.dialogs.ShowProgress({}));
        EXPECT_TRUE(error) << bad;
    }
    EXPECT_EQ(FilesInDir(), 1u) << "only the old file";
}

}  // namespace
}  // namespace tabrella::test
