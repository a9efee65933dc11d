// SPDX-License-Identifier: GPL-3.0-or-later
// How long the sequencer takes to get ready and to make a sound, each beside bare
// FluidSynth doing the least it can for the same result.
//
// Time to first sound is counted on the sample clock (first_sound_ms: where in the rendered
// audio the output first passes -60 dBFS), so it does not depend on the machine's speed;
// the benchmark's own time is what producing that audio costs.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fluid/FluidSequencer.h"

namespace {

using tabrella::platform::DeviceId;
using tabrella::platform::fluid::FluidOptions;
using tabrella::platform::fluid::FluidSequencer;
using tabrella::platform::fluid::Output;

constexpr double kRate = FluidSequencer::kSampleRate;
constexpr float kAudible = 0.001f;  // -60 dBFS
constexpr int kBlock = 64;          // FluidSynth's own block
constexpr std::size_t kOneSecond = std::size_t(kRate);

FluidOptions Offline() {
    FluidOptions options;
    options.output = Output::Offline;
    return options;
}

// One koto note (program 107, A4) held for a quarter at 120 bpm, format 0.
std::string WriteOneNoteMidi() {
    static const uint8_t kFile[] = {
        'M',  'T',  'h',  'd',  0,    0,  0,   6,    0,    0,    0,  1, 0x01, 0xE0,  // header
        'M',  'T',  'r',  'k',  0,    0,  0,   16,                                   // track
        0x00, 0xC0, 107,  0x00, 0x90, 69, 100, 0x83, 0x60, 0x80, 69,                 //
        64,   0x00, 0xFF, 0x2F, 0x00,                                                //
    };
    // The track length above counts the bytes after it.
    static_assert(sizeof kFile - 22 == 16);
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/fluidbench-" +
                       std::to_string(getpid()) + ".mid";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(kFile), sizeof kFile);
    return path;
}

// Renders block by block until the output is audible; returns the frames rendered.
template <typename RenderBlock>
long FramesToSound(RenderBlock render) {
    std::vector<float> left(kBlock), right(kBlock);
    for (long frames = 0; frames < long(kRate); frames += kBlock) {
        render(left.data(), right.data());
        for (int i = 0; i < kBlock; ++i) {
            if (std::fabs(left[i]) > kAudible || std::fabs(right[i]) > kAudible) {
                return frames + i;
            }
        }
    }
    return long(kRate);
}

// ---- Getting ready: settings, synthesizer and the General MIDI sound font -------------

void BM_SequencerFirstOpen(benchmark::State& state) {
    const std::string midi = WriteOneNoteMidi();
    for (auto _ : state) {
        FluidSequencer seq(Offline());
        DeviceId device = 0;
        if (seq.Open(midi, device) != FluidSequencer::kOk) state.SkipWithError("open failed");
        seq.Close(device);
    }
    std::remove(midi.c_str());
}
BENCHMARK(BM_SequencerFirstOpen)->Unit(benchmark::kMillisecond);

// Baseline: the bare library loading the same font; the argument is
// synth.dynamic-sample-loading (1 as the sequencer uses it, 0 reads every sample).
void BM_BareSynthSoundFontLoad(benchmark::State& state) {
    const std::string font = FluidSequencer::FindSoundFont();
    for (auto _ : state) {
        fluid_settings_t* settings = new_fluid_settings();
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", int(state.range(0)));
        fluid_synth_t* synth = new_fluid_synth(settings);
        if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
            state.SkipWithError("no sound font");
        }
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
}
BENCHMARK(BM_BareSynthSoundFontLoad)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// ---- From play to first sound -------------------------------------------------------

void SetFirstSound(benchmark::State& state, long frames) {
    state.counters["first_sound_ms"] =
        benchmark::Counter(double(frames) * 1000.0 / kRate, benchmark::Counter::kAvgIterations);
}

void BM_SequencerPlayToFirstSound(benchmark::State& state) {
    const std::string midi = WriteOneNoteMidi();
    FluidSequencer seq(Offline());
    DeviceId device = 0;
    if (seq.Open(midi, device) != FluidSequencer::kOk) state.SkipWithError("open failed");
    std::vector<float> left(kOneSecond), right(kOneSecond);
    long frames = 0;
    for (auto _ : state) {
        seq.Play(device);
        frames += FramesToSound([&](float* l, float* r) {
            seq.Render({l, std::size_t(kBlock)}, {r, std::size_t(kBlock)});
        });
        state.PauseTiming();
        seq.Stop(device);
        seq.Render(left, right);  // let the reverb die away before the next play
        state.ResumeTiming();
    }
    SetFirstSound(state, frames);
    seq.Close(device);
    std::remove(midi.c_str());
}
BENCHMARK(BM_SequencerPlayToFirstSound)->Unit(benchmark::kMicrosecond);

// Baseline: the same note played straight into the synthesizer, no file, no player.
void BM_BareNoteOnToFirstSound(benchmark::State& state) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, FluidSequencer::FindSoundFont().c_str(), 1);
    fluid_synth_program_change(synth, 0, 107);
    std::vector<float> left(kOneSecond), right(kOneSecond);
    long frames = 0;
    for (auto _ : state) {
        fluid_synth_noteon(synth, 0, 69, 100);
        frames += FramesToSound(
            [&](float* l, float* r) { fluid_synth_write_float(synth, kBlock, l, 0, 1, r, 0, 1); });
        state.PauseTiming();
        fluid_synth_all_sounds_off(synth, -1);
        fluid_synth_write_float(synth, int(left.size()), left.data(), 0, 1, right.data(), 0, 1);
        state.ResumeTiming();
    }
    SetFirstSound(state, frames);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}
BENCHMARK(BM_BareNoteOnToFirstSound)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
