// An exported file rendered offline through FluidSynth with the General MIDI sound font: the
// notes and a bend sound at the pitches the score names.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

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

}  // namespace
}  // namespace tabrella::test
