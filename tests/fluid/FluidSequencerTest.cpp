// SPDX-License-Identifier: GPL-3.0-or-later
// The FluidSynth sequencer for real: the General MIDI sound font, real players, real
// rendering. This machine may have no sound card, so sound is checked on the offline
// output, and the speaker output is checked for whatever it finds.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Sjis.h"
#include "fluid/FluidSequencer.h"
#include "fluid/ModuleSound.h"
#include "resources/Language.h"
#include "sound/PracticeFile.h"

namespace tabrella::fluid {
namespace {

namespace fs = std::filesystem;
using platform::AudioFormat;
using platform::DeviceId;
using platform::IProgress;
using platform::kMaxSeqErrorText;
using platform::SeqError;
using Seq = FluidSequencer;

constexpr double kRate = FluidSequencer::kSampleRate;

// ---- Files --------------------------------------------------------------------------

class TempDir {
  public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/fluidtest.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    fs::path operator/(const std::string& name) const { return m_path / name; }

  private:
    fs::path m_path;
};

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

constexpr int kFirstKey = 69;   // A4, 440 Hz
constexpr int kSecondKey = 76;  // E5, 659.26 Hz

// Format 0, 480 ticks a quarter, 120 bpm: program 107 (koto), A4 for a quarter, then E5
// for a quarter. One second in all.
std::vector<uint8_t> TwoNoteMidi() {
    const std::vector<uint8_t> track = {
        0x00, 0xFF, 0x51,       0x03,       0x07, 0xA1, 0x20,  // tempo 500000 us a quarter
        0x00, 0xC0, 107,                                       // program change: koto
        0x00, 0x90, kFirstKey,  100,                           // note on
        0x83, 0x60, 0x80,       kFirstKey,  64,                // 480 ticks later, note off
        0x00, 0x90, kSecondKey, 100,                           //
        0x83, 0x60, 0x80,       kSecondKey, 64,                //
        0x00, 0xFF, 0x2F,       0x00,                          // end of track
    };
    const uint8_t header[] = {'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
                              1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(track.size())};
    std::vector<uint8_t> file(std::size(header) + track.size());
    std::copy(track.begin(), track.end(),
              std::copy(std::begin(header), std::end(header), file.begin()));
    return file;
}

std::string SoundFontOrFail() {
    std::string font = FluidSequencer::FindSoundFont();
    if (font.empty()) ADD_FAILURE() << "no General MIDI sound font installed";
    return font;
}

FluidOptions Offline() {
    FluidOptions options;
    options.output = Output::Offline;
    return options;
}

// ---- Sound --------------------------------------------------------------------------

// Mono (left + right) / 2 of the next `seconds` of the sequencer's output.
std::vector<float> RenderSeconds(Seq& seq, double seconds) {
    const size_t n = size_t(seconds * kRate);
    std::vector<float> left(n), right(n), mono(n);
    EXPECT_TRUE(seq.Render(left, right));
    for (size_t i = 0; i < n; ++i) mono[i] = 0.5f * (left[i] + right[i]);
    return mono;
}

double Rms(const std::vector<float>& s, double from, double to) {
    const size_t a = size_t(from * kRate), b = std::min(s.size(), size_t(to * kRate));
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(s[i]) * s[i];
    return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

// YIN: the first dip of the cumulative-mean-normalised difference below the threshold.
// Unlike a spectrum peak it does not mistake a strong harmonic for the pitch.
std::optional<double> YinPitch(const float* x, size_t frame) {
    const size_t half = frame / 2;
    std::vector<double> d(half, 0.0);
    for (size_t tau = 1; tau < half; ++tau) {
        for (size_t j = 0; j < half; ++j) {
            const double diff = double(x[j]) - x[j + tau];
            d[tau] += diff * diff;
        }
    }
    double running = 0;
    d[0] = 1;
    for (size_t tau = 1; tau < half; ++tau) {
        running += d[tau];
        d[tau] = running > 0 ? d[tau] * double(tau) / running : 1;
    }
    const size_t minTau = size_t(kRate / 2000);
    for (size_t tau = minTau; tau + 1 < half; ++tau) {
        if (d[tau] >= 0.15) continue;
        while (tau + 1 < half && d[tau + 1] < d[tau]) ++tau;
        const double a = d[tau - 1], b = d[tau], c = tau + 1 < half ? d[tau + 1] : b;
        const double denom = a - 2 * b + c;
        const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0;
        return kRate / (double(tau) + shift);
    }
    return std::nullopt;
}

// Median YIN pitch over 2048-sample frames in [from, to) seconds; 0 when none voiced.
double MedianPitch(const std::vector<float>& s, double from, double to) {
    constexpr size_t kFrame = 2048;
    std::vector<double> pitches;
    const size_t end = std::min(s.size(), size_t(to * kRate));
    for (size_t at = size_t(from * kRate); at + kFrame <= end; at += kFrame / 2) {
        if (auto p = YinPitch(s.data() + at, kFrame)) pitches.push_back(*p);
    }
    if (pitches.empty()) return 0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

double KeyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}
double Cents(double hz, double reference) {
    return 1200 * std::log2(hz / reference);
}

// ---- Texts --------------------------------------------------------------------------

// A message the user can read: within the message buffer, whole Shift-JIS characters,
// and containing `expected` (UTF-8).
void ExpectReadable(const std::string& sjis, const std::string& expected) {
    EXPECT_FALSE(sjis.empty());
    EXPECT_LE(sjis.size(), 128u);
    const std::string utf8 = SjisToUtf8(sjis);
    EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find(expected), std::string::npos) << utf8;
}

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// ---- Playing ------------------------------------------------------------------------

class FluidSequencerPlay : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(m_midi, TwoNoteMidi());
        SoundFontOrFail();
    }
    TempDir m_dir;
    fs::path m_midi = m_dir / "two-notes.mid";
};

TEST_F(FluidSequencerPlay, PlaysTheNotesOfTheFileAtTheirPitch) {
    Seq seq(Offline());
    DeviceId device = 0;
    ASSERT_EQ(seq.Open(m_midi.string(), device), Seq::kOk) << seq.ErrorText(seq.kOk);
    EXPECT_NE(device, 0u);
    ASSERT_EQ(seq.Play(device), Seq::kOk);

    const auto sound = RenderSeconds(seq, 1.0);
    EXPECT_GT(Rms(sound, 0.0, 0.1), 1e-3) << "the first note sounds at once";
    EXPECT_NEAR(Cents(MedianPitch(sound, 0.05, 0.48), KeyHz(kFirstKey)), 0, 25);
    EXPECT_NEAR(Cents(MedianPitch(sound, 0.55, 0.98), KeyHz(kSecondKey)), 0, 25);
    EXPECT_EQ(seq.Close(device), Seq::kOk);
}

TEST_F(FluidSequencerPlay, StopSilencesAtOnceAndPlayStartsAgainFromTheBeginning) {
    Seq seq(Offline());
    DeviceId device = 0;
    ASSERT_EQ(seq.Open(m_midi.string(), device), Seq::kOk);
    ASSERT_EQ(seq.Play(device), Seq::kOk);
    const auto playing = RenderSeconds(seq, 0.55);  // into the second note

    ASSERT_EQ(seq.Stop(device), Seq::kOk);
    const auto afterStop = RenderSeconds(seq, 0.3);
    // What remains is the reverb's tail, some 30 dB down and fading; the note itself
    // would ring on at about the level it had.
    const double level = Rms(playing, 0.5, 0.55);
    EXPECT_GT(level, 1e-3);
    EXPECT_LT(Rms(afterStop, 0.05, 0.3), level / 10) << "stopped sound rings on";

    // The device stayed open; playing it again starts with the first note.
    ASSERT_EQ(seq.Play(device), Seq::kOk);
    const auto again = RenderSeconds(seq, 0.5);
    EXPECT_NEAR(Cents(MedianPitch(again, 0.05, 0.48), KeyHz(kFirstKey)), 0, 25);

    // Played to its end, it starts from the beginning too.
    RenderSeconds(seq, 2.0);
    ASSERT_EQ(seq.Play(device), Seq::kOk);
    const auto third = RenderSeconds(seq, 0.5);
    EXPECT_NEAR(Cents(MedianPitch(third, 0.05, 0.48), KeyHz(kFirstKey)), 0, 25);
    EXPECT_EQ(seq.Close(device), Seq::kOk);
}

// Typed notes sound only on what Prepare readied, at once and at their pitch, until the
// next typed notes cut them off; a Play takes over from them.
TEST_F(FluidSequencerPlay, PreviewSoundsOnThePreparedSynthUntilTheNextCutsItOff) {
    const std::vector<uint8_t> bytes = TwoNoteMidi();
    const std::string_view notes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Seq seq(Offline());
    seq.Preview(notes);
    std::vector<float> left(64), right(64);
    EXPECT_FALSE(seq.Render(left, right)) << "a preview made the synthesizer";

    seq.Prepare();
    seq.Preview(notes);
    const auto first = RenderSeconds(seq, 0.3);
    EXPECT_GT(Rms(first, 0.0, 0.03), 1e-3) << "the note does not sound at once";
    EXPECT_NEAR(Cents(MedianPitch(first, 0.05, 0.3), KeyHz(kFirstKey)), 0, 25);
    const double level = Rms(first, 0.25, 0.3);
    seq.Preview({});
    const auto cut = RenderSeconds(seq, 0.6);
    EXPECT_LT(Rms(cut, 0.4, 0.6), level / 10) << "the cut note rings on";
    EXPECT_LT(Rms(cut, 0.4, 0.6), 1e-3) << "its second note came";

    seq.Preview(notes);
    RenderSeconds(seq, 0.2);
    DeviceId device = 0;
    ASSERT_EQ(seq.Open(m_midi.string(), device), Seq::kOk);
    ASSERT_EQ(seq.Play(device), Seq::kOk);
    // The preview's second note would come at 0.3 s into the play's first.
    const auto played = RenderSeconds(seq, 0.48);
    EXPECT_NEAR(Cents(MedianPitch(played, 0.05, 0.48), KeyHz(kFirstKey)), 0, 25);
}

// A looping device starts the file again at its end; a practice loop at half speed sounds
// on time across its own passes.
TEST_F(FluidSequencerPlay, LoopsSoundEveryPassOnTime) {
    const std::vector<uint8_t> two = TwoNoteMidi();
    const std::string practice =
        MakePracticeFile(std::string(two.begin(), two.end()), {1, 4, 50, false, false}, 120)
            .value_or("");
    WriteBytes(m_dir / "practice.mid", std::vector<uint8_t>(practice.begin(), practice.end()));
    Seq seq(Offline());
    DeviceId device = 0;
    EXPECT_EQ(seq.SetLooping(device, true), Seq::kDeviceNotOpen);
    for (const auto& [file, pass] : {std::pair{m_midi, 1.0}, {m_dir / "practice.mid", 2.0}}) {
        ASSERT_EQ(seq.Open(file.string(), device), Seq::kOk);
        ASSERT_EQ(seq.SetLooping(device, true), Seq::kOk);
        ASSERT_EQ(seq.Play(device), Seq::kOk);
        const auto sound = RenderSeconds(seq, 2 * pass);
        for (double at : {0.0, pass}) {
            const double first = MedianPitch(sound, at + 0.05 * pass, at + 0.45 * pass);
            const double second = MedianPitch(sound, at + 0.55 * pass, at + 0.95 * pass);
            EXPECT_NEAR(Cents(first, KeyHz(kFirstKey)), 0, 25) << file << " " << at;
            EXPECT_NEAR(Cents(second, KeyHz(kSecondKey)), 0, 25) << file << " " << at;
        }
        EXPECT_EQ(seq.Close(device), Seq::kOk);
    }
}

// The render thread stands in for the audio driver's thread: closing a player while the
// synthesizer renders is what crashes without the render lock.
TEST_F(FluidSequencerPlay, OpenPlayStopCloseManyTimesWhileAnotherThreadRenders) {
    Seq seq(Offline());
    DeviceId warmup = 0;  // makes the synthesizer before the render thread starts
    ASSERT_EQ(seq.Open(m_midi.string(), warmup), Seq::kOk);
    ASSERT_EQ(seq.Close(warmup), Seq::kOk);

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::thread renderer([&] {
        std::vector<float> left(64), right(64);
        while (!done) {
            seq.Render(left, right);
            ++blocks;
        }
    });
    auto waitBlocks = [&](long count) {
        const long target = blocks + count;
        while (blocks < target) std::this_thread::yield();
    };

    DeviceId previous = warmup;
    for (int round = 0; round < 60; ++round) {
        const fs::path file = m_dir / ("round" + std::to_string(round) + ".mid");
        WriteBytes(file, TwoNoteMidi());
        DeviceId device = 0;
        ASSERT_EQ(seq.Open(file.string(), device), Seq::kOk) << round;
        EXPECT_GT(device, previous) << "device ids increase and are never 0";
        previous = device;
        ASSERT_EQ(seq.Play(device), Seq::kOk);
        waitBlocks(4);  // the player reads the file and sounds
        if (round % 2 == 0) {
            ASSERT_EQ(seq.Stop(device), Seq::kOk);
            waitBlocks(1);
        }
        ASSERT_EQ(seq.Close(device), Seq::kOk);
        fs::remove(file);  // the file is free once the device is closed
        waitBlocks(1);
    }
    done = true;
    renderer.join();
    EXPECT_EQ(seq.Stop(previous), Seq::kDeviceNotOpen);
}

// ALSA's "null" device takes audio as fast as it is made, so the driver's thread renders
// all the time: every Close lands while the synthesizer is rendering.
TEST_F(FluidSequencerPlay, AlsaDriverSurvivesManyOpenPlayStopCloseWhileRendering) {
    FluidOptions options;
    options.drivers = {"alsa"};
    options.alsaDevice = "null";
    Seq seq(options);
    DeviceId device = 0;
    for (int round = 0; round < 60; ++round) {
        const fs::path file = m_dir / ("round" + std::to_string(round) + ".mid");
        WriteBytes(file, TwoNoteMidi());
        ASSERT_EQ(seq.Open(file.string(), device), Seq::kOk)
            << SjisToUtf8(seq.ErrorText(Seq::kNoAudioDevice));
        ASSERT_EQ(seq.Play(device), Seq::kOk);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (round % 2 == 0) {
            ASSERT_EQ(seq.Stop(device), Seq::kOk);
        }
        ASSERT_EQ(seq.Close(device), Seq::kOk);
        fs::remove(file);
    }
}

TEST_F(FluidSequencerPlay, SpeakersOpenPlayStopCloseManyTimesOrReportTheMissingDevice) {
    Seq seq;  // pulseaudio, then alsa
    DeviceId device = 0;
    const SeqError first = seq.Open(m_midi.string(), device);
    if (first == Seq::kNoAudioDevice) {
        // A machine without sound: every Open tries again and says why it cannot.
        for (int round = 0; round < 5; ++round) {
            EXPECT_EQ(seq.Open(m_midi.string(), device), Seq::kNoAudioDevice);
        }
        ExpectReadable(seq.ErrorText(first), "音声出力装置を開けません: ");
        ExpectReadable(seq.ErrorText(first), DefaultDrivers().back() + ": ");
        EXPECT_EQ(seq.Play(device), Seq::kDeviceNotOpen);
        return;
    }
    ASSERT_EQ(first, Seq::kOk) << SjisToUtf8(seq.ErrorText(first));
    ASSERT_EQ(seq.Close(device), Seq::kOk);
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(seq.Open(m_midi.string(), device), Seq::kOk);
        ASSERT_EQ(seq.Play(device), Seq::kOk);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        if (round % 2 == 0) {
            ASSERT_EQ(seq.Stop(device), Seq::kOk);
        }
        ASSERT_EQ(seq.Close(device), Seq::kOk);
    }
}

// ---- Errors -------------------------------------------------------------------------

TEST(FluidSequencerErrors, DevicesNotOpenAreRefusedHarmlessly) {
    Seq seq(Offline());
    // Before any Open: the view's Stop before its first Play goes to device 0.
    EXPECT_EQ(seq.Stop(0), Seq::kDeviceNotOpen);
    EXPECT_EQ(seq.Play(0), Seq::kDeviceNotOpen);
    EXPECT_EQ(seq.Close(0), Seq::kDeviceNotOpen);
    ExpectReadable(seq.ErrorText(Seq::kDeviceNotOpen), "デバイスは開かれていません");

    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    DeviceId device = 0;
    ASSERT_EQ(seq.Open((dir / "a.mid").string(), device), Seq::kOk);
    ASSERT_EQ(seq.Close(device), Seq::kOk);
    EXPECT_EQ(seq.Close(device), Seq::kDeviceNotOpen);
    EXPECT_EQ(seq.Play(device), Seq::kDeviceNotOpen);
    EXPECT_EQ(seq.Stop(device + 1), Seq::kDeviceNotOpen);
}

TEST(FluidSequencerErrors, MissingSoundFontIsReportedAndTriedAgain) {
    const std::string installed = SoundFontOrFail();
    TempDir dir;
    const fs::path missing = dir / "gone.sf2";
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const std::string midi = (dir / "a.mid").string();

    Seq seq(Offline());
    DeviceId device = 0;
    {
        ScopedEnv env("TABRELLA_SOUNDFONT", missing.string());
        EXPECT_EQ(FluidSequencer::FindSoundFont(), missing.string());
        EXPECT_EQ(seq.Open(midi, device), Seq::kSoundFontUnreadable);
        EXPECT_EQ(device, 0u);
        ExpectReadable(seq.ErrorText(Seq::kSoundFontUnreadable),
                       "音色ファイルを読み込めません: " + missing.string());
        std::vector<float> left(64), right(64);
        EXPECT_EQ(seq.Render(left, right), true) << "a synthesizer without a font is silent";
    }
    {
        ScopedEnv env("TABRELLA_SOUNDFONT", midi);  // exists, but is no sound font
        EXPECT_EQ(seq.Open(midi, device), Seq::kSoundFontUnreadable);
    }
    ScopedEnv env("TABRELLA_SOUNDFONT", installed);
    EXPECT_EQ(seq.Open(midi, device), Seq::kOk) << "the next Open tries again";
    EXPECT_NE(device, 0u);

    // With nothing installed the text says where to point instead.
    ExpectReadable(seq.ErrorText(Seq::kSoundFontMissing), "TABRELLA_SOUNDFONT");
}

TEST(FluidSequencerErrors, PrepareLoadsTheSoundFontAheadAndLeavesItsFailureToOpen) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const std::string midi = (dir / "a.mid").string(), missing = (dir / "gone.sf2").string();
    DeviceId device = 0;
    Seq failed(Offline());
    {
        ScopedEnv env("TABRELLA_SOUNDFONT", missing);
        failed.Prepare();
        EXPECT_EQ(failed.Open(midi, device), Seq::kSoundFontUnreadable);
    }
    // The font loaded by Prepare is the one played, whatever is installed by the Open.
    Seq prepared(Offline());
    {
        ScopedEnv env("TABRELLA_SOUNDFONT", SoundFontOrFail());
        prepared.Prepare();
    }
    ScopedEnv env("TABRELLA_SOUNDFONT", missing);
    EXPECT_EQ(prepared.Open(midi, device), Seq::kOk);
}

TEST(FluidSequencerErrors, MissingAudioDeviceIsReportedAndTriedAgain) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    FluidOptions options;
    options.drivers = {"no-such-driver", "alsa"};
    options.alsaDevice = "hw:99";
    Seq seq(options);
    DeviceId device = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(seq.Open((dir / "a.mid").string(), device), Seq::kNoAudioDevice);
    }
    EXPECT_EQ(device, 0u);
    // Every device tried is named with its own reason.
    const std::string text = SjisToUtf8(seq.ErrorText(Seq::kNoAudioDevice));
    EXPECT_NE(text.find("音声出力装置を開けません: no-such-driver: Couldn't find "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("; alsa hw:99: "), std::string::npos) << text;
}

TEST(FluidSequencerErrors, TheSoundServersDriverIsTriedFirstOnlyWhenAServerRuns) {
    TempDir dir;
    fs::create_directories(dir / "pulse");
    const std::string folder = (dir / "").parent_path().string();
    struct Case {
        std::string server, runtimePath, xdg;
        bool socket;
        std::vector<std::string> drivers;
    };
    const std::vector<std::string> both{"pulseaudio", "alsa"}, alsa{"alsa"};
    for (const Case& c : {Case{"", "", folder, false, alsa}, Case{"", "", folder, true, both},
                          Case{"", folder + "/pulse", "", true, both},
                          Case{"", folder + "/none", folder, true, alsa},
                          Case{"tcp:elsewhere", "", "", false, both}}) {
        if (c.socket) WriteBytes(dir / "pulse" / "native", {});
        if (!c.socket) fs::remove(dir / "pulse" / "native");
        ScopedEnv server("PULSE_SERVER", c.server), path("PULSE_RUNTIME_PATH", c.runtimePath),
            xdg("XDG_RUNTIME_DIR", c.xdg);
        EXPECT_EQ(DefaultDrivers(), c.drivers) << c.server << c.runtimePath << c.xdg << c.socket;
    }
}

TEST(FluidSequencerErrors, FileThatIsMissingOrNotMidiIsRefused) {
    TempDir dir;
    Seq seq(Offline());
    DeviceId device = 0;
    const fs::path missing = dir / "none.mid";
    EXPECT_EQ(seq.Open(missing.string(), device), Seq::kMidiFileUnreadable);
    ExpectReadable(seq.ErrorText(Seq::kMidiFileUnreadable),
                   "MIDI ファイルを開けません: " + missing.string());

    WriteBytes(dir / "text.mid", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(seq.Open((dir / "text.mid").string(), device), Seq::kMidiFileUnreadable);
    EXPECT_EQ(device, 0u);
}

TEST(FluidSequencerErrors, TextsFitTheMessageBufferWithoutSplittingACharacter) {
    TempDir dir;
    // A long Japanese name pushes the text past 128 bytes at an odd offset.
    std::string name = "x";
    for (int i = 0; i < 60; ++i) name += "音";
    const fs::path missing = dir / (name + ".mid");
    Seq seq(Offline());
    DeviceId device = 0;
    ASSERT_EQ(seq.Open(missing.string(), device), Seq::kMidiFileUnreadable);
    const std::string text = seq.ErrorText(Seq::kMidiFileUnreadable);
    EXPECT_GE(text.size(), 127u);
    ExpectReadable(text, "MIDI ファイルを開けません");

    ExpectReadable(seq.ErrorText(999), "999");
    ExpectReadable(seq.ErrorText(Seq::kOk), "エラーはありません");
}

// FluidSynth and libasound write their complaints to stderr unless told otherwise.
TEST(FluidSequencerErrors, LibraryMessagesDoNotReachTheTerminal) {
    TempDir dir;
    const fs::path captured = dir / "stderr.txt";
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    {
        std::FILE* sink = std::fopen(captured.c_str(), "w");
        ASSERT_NE(sink, nullptr);
        dup2(fileno(sink), STDERR_FILENO);
        std::fclose(sink);
    }
    {
        DeviceId device = 0;
        Seq speakers;  // on a machine without sound, both drivers fail noisily
        speakers.Open((dir / "a.mid").string(), device);
        speakers.Close(device);
        FluidOptions bogus;
        bogus.drivers = {"no-such-driver"};
        Seq(bogus).Open((dir / "a.mid").string(), device);
        ScopedEnv env("TABRELLA_SOUNDFONT", (dir / "a.mid").string());
        Seq(Offline()).Open((dir / "a.mid").string(), device);
    }
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::ifstream in(captured);
    const std::string spilled((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(spilled, "");
}

// ---- The sound module the program loads at its first sound --------------------------

bool SoundModuleMapped() {
    std::ifstream maps("/proc/self/maps");
    const std::string all((std::istreambuf_iterator<char>(maps)), {});
    return all.find("tabrella-sound.so") != std::string::npos;
}

TEST(SoundModule, LoadedOnlyByTheFirstOpenThenPlaysOnTheSpeakers) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    // ALSA's null device stands in for the sound card this machine may lack.
    WriteBytes(dir / "asound.conf", {'p', 'c', 'm', '.', '!', 'd', 'e', 'f', 'a', 'u', 'l', 't',
                                     '{', 't', 'y', 'p', 'e', ' ', 'n', 'u', 'l', 'l', '}'});
    ScopedEnv alsa("ALSA_CONFIG_PATH", (dir / "asound.conf").string());
    ModuleSequencer seq;
    // The view's Stop before its first Play loads nothing and is refused as before.
    EXPECT_EQ(seq.Stop(0), ModuleSequencer::kNothingOpen);
    ExpectReadable(seq.ErrorText(ModuleSequencer::kNothingOpen), "デバイスは開かれていません");
    // Nor does a typed note: nothing was prepared for it (batch work, tests).
    const std::vector<uint8_t> notes = TwoNoteMidi();
    seq.Preview({reinterpret_cast<const char*>(notes.data()), notes.size()});
    EXPECT_FALSE(SoundModuleMapped());

    DeviceId device = 0;
    const SeqError opened = seq.Open((dir / "a.mid").string(), device);
    ASSERT_EQ(opened, Seq::kOk) << SjisToUtf8(seq.ErrorText(opened));
    EXPECT_TRUE(SoundModuleMapped());
    EXPECT_EQ(seq.Play(device), Seq::kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(seq.Stop(device), Seq::kOk);
    EXPECT_EQ(seq.Close(device), Seq::kOk);
    // Codes now come from the module's sequencer, texts too.
    EXPECT_EQ(seq.Close(device), Seq::kDeviceNotOpen);
    ExpectReadable(seq.ErrorText(Seq::kMidiFileUnreadable), "MIDI ファイルを開けません");
}

TEST(SoundModule, MissingModuleIsReportedInWordsAndTriedAgain) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const fs::path module = dir / "tabrella-sound.so";
    ModuleSequencer seq(module.string());
    DeviceId device = 0;
    EXPECT_EQ(seq.Open((dir / "a.mid").string(), device), ModuleSequencer::kModuleUnusable);
    EXPECT_EQ(device, 0u);
    const std::string text = seq.ErrorText(ModuleSequencer::kModuleUnusable);
    ExpectReadable(text, "音声モジュールを読み込めません: " + module.string() +
                             " (cannot open shared object file");
    EXPECT_LE(text.size(), kMaxSeqErrorText);
    EXPECT_EQ(seq.Play(device), ModuleSequencer::kNothingOpen);

    struct ToTheEnd : IProgress {
        bool Continue(long, long) override { return true; }
    } toTheEnd;
    const std::optional<std::string> rendered =
        ModuleAudioRenderer(module.string())
            .Render("", (dir / "a.wav").string(), AudioFormat::Wav, toTheEnd);
    ASSERT_TRUE(rendered.has_value());
    EXPECT_NE(SjisToUtf8(*rendered).find("音声モジュールを読み込めません: " + module.string()),
              std::string::npos);

    // Once it is installed, the next Open takes it.
    fs::copy_file(SoundModulePath(), module);
    const SeqError opened = seq.Open((dir / "a.mid").string(), device);
    EXPECT_NE(opened, ModuleSequencer::kModuleUnusable) << SjisToUtf8(seq.ErrorText(opened));
}

TEST(SoundModule, ItsMessagesSpeakTheProgramsLanguage) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const std::string missing = (dir / "none.sf2").string();
    ScopedEnv env("TABRELLA_SOUNDFONT", missing);
    DeviceId device = 0;
    for (const auto& [language, text] :
         {std::pair{res::Language::English, "Cannot read the sound font: " + missing},
          std::pair{res::Language::Japanese, "音色ファイルを読み込めません: " + missing}}) {
        res::SetLanguage(language);
        ModuleSequencer seq;
        EXPECT_EQ(seq.Open((dir / "a.mid").string(), device), Seq::kSoundFontUnreadable);
        ExpectReadable(seq.ErrorText(Seq::kSoundFontUnreadable), text);
    }
}

TEST(SoundModule, PreparedInTheBackgroundItsFirstOpenWaitsAndReportsWhatFailed) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const std::string missing = (dir / "none.sf2").string();
    ScopedEnv env("TABRELLA_SOUNDFONT", missing);
    ModuleSequencer seq;
    seq.Prepare();
    seq.Prepare();  // once is enough
    EXPECT_EQ(seq.Stop(0), ModuleSequencer::kNothingOpen);
    DeviceId device = 0;
    EXPECT_EQ(seq.Open((dir / "a.mid").string(), device), Seq::kSoundFontUnreadable);
    ExpectReadable(seq.ErrorText(Seq::kSoundFontUnreadable), missing);
}

TEST(SoundModule, ALibraryThatIsNoSoundModuleIsRefused) {
    TempDir dir;
    WriteBytes(dir / "a.mid", TwoNoteMidi());
    const std::string other = "libm.so.6";  // loads, but has no entry of ours
    ModuleSequencer seq(other);
    DeviceId device = 0;
    EXPECT_EQ(seq.Open((dir / "a.mid").string(), device), ModuleSequencer::kModuleUnusable);
    ExpectReadable(seq.ErrorText(ModuleSequencer::kModuleUnusable),
                   "音声モジュールの版がこのプログラムと合いません: " + other);
}

}  // namespace
}  // namespace tabrella::fluid
