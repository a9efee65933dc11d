// SPDX-License-Identifier: GPL-3.0-or-later
// How long the sequencer takes to get ready and to make a sound, each beside bare
// FluidSynth doing the least it can for the same result.
//
// Time to first sound is counted on the sample clock (first_sound_ms: where in the rendered
// audio the output first passes -60 dBFS), so it does not depend on the machine's speed;
// the benchmark's own time is what producing that audio costs.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fluid/FluidSequencer.h"

namespace {

using tabrella::fluid::FluidOptions;
using tabrella::fluid::FluidSequencer;
using tabrella::fluid::Output;
using tabrella::platform::DeviceId;

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

// Where the first audible sample lies after the play command, and that plus the audio
// device's buffer, which delays every sample by its length: the click to sound.
void SetFirstSound(benchmark::State& state, long frames) {
    state.counters["first_sound_ms"] =
        benchmark::Counter(double(frames) * 1000.0 / kRate, benchmark::Counter::kAvgIterations);
    constexpr double kBufferMs =
        1000.0 * FluidSequencer::kPeriodFrames * FluidSequencer::kPeriods / kRate;
    state.counters["buffer_ms"] = kBufferMs;
    state.counters["click_to_sound_ms"] =
        double(frames) * 1000.0 / kRate / double(std::max<int64_t>(state.iterations(), 1)) +
        kBufferMs;
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

// ---- Playing without a crackle ------------------------------------------------------

// 60 s of three-note chords on every sixteenth at 120 bpm, each held a quarter: the
// synthesizer has 12 koto voices and their reverb sounding at any time.
std::string WriteDenseMidi(const std::string& name) {
    std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 107};
    const auto delta = [&track](unsigned ticks) {
        if (ticks >= 128) track.push_back(uint8_t(0x80 | (ticks >> 7)));
        track.push_back(uint8_t(ticks & 0x7F));
    };
    // Note-ons and note-offs in time order: chord i sounds from 120 i to 120 i + 480 ticks.
    constexpr int kChords = 60 * 8;
    unsigned last = 0;
    for (int i = 0; i < kChords + 4; ++i) {
        const unsigned at = 120u * unsigned(i);
        for (int off = i - 4, n = 0; off >= 0 && n < 3; ++n) {
            delta(at - last);
            last = at;
            track.insert(track.end(), {0x80, uint8_t(48 + (off * 5 + n * 7) % 36), 64});
        }
        for (int n = 0; i < kChords && n < 3; ++n) {
            delta(at - last);
            last = at;
            track.insert(track.end(), {0x90, uint8_t(48 + (i * 5 + n * 7) % 36), 100});
        }
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                 0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
    for (int shift : {24, 16, 8, 0}) file.push_back(uint8_t(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    const std::string path = "/tmp/fluidbench-" + std::to_string(getpid()) + "-" + name + ".mid";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Paced {
    long underruns = 0;
    double renderCpuMs = 0;  // per period
    double worstMs = 0;      // the latest a period was written after its place was free
    bool realtime = false;
};

// The dense score played for 60 s as an audio driver plays it: the device starts on a
// buffer of `periods` silent periods and takes one every period; the driver waits for a
// free period, renders it and writes it. A period written after the device needed it is
// an underrun, heard as a crackle. Like FluidSynth's driver, the thread asks for real-time
// scheduling.
Paced PlayPaced(int frames, int periods) {
    Paced out;
    const std::string midi = WriteDenseMidi(std::to_string(frames) + "x" + std::to_string(periods));
    FluidSequencer seq(Offline());
    DeviceId device = 0;
    if (seq.Open(midi, device) != FluidSequencer::kOk || seq.Play(device) != FluidSequencer::kOk) {
        out.underruns = -1;
        return out;
    }
    sched_param realtime{60};
    out.realtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime) == 0;
    const std::int64_t periodNs = std::int64_t(1e9 * frames / kRate);
    const long total = long(60 * kRate / frames);
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    double cpu = 0, worstNs = 0;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const std::int64_t t0 = std::int64_t(start.tv_sec) * 1000000000 + start.tv_nsec;
    for (long k = periods; k < total + periods; ++k) {
        // Period k - periods has been played: its place in the buffer is free.
        const std::int64_t free = t0 + (k - periods + 1) * periodNs;
        const timespec wake{time_t(free / 1000000000), long(free % 1000000000)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
        const double c0 = ThreadCpuSeconds();
        seq.Render(left, right);
        cpu += ThreadCpuSeconds() - c0;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t written = std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
        worstNs = std::max(worstNs, double(written - free));
        if (written > t0 + k * periodNs) ++out.underruns;
    }
    seq.Close(device);
    std::remove(midi.c_str());
    out.renderCpuMs = cpu / double(total) * 1e3;
    out.worstMs = worstNs * 1e-6;
    return out;
}

// The sequencer's buffer against FluidSynth's default one (16 periods of 64 frames, 23 ms),
// played side by side on two threads, so that both meet the same machine. Any other buffer
// must show no more underruns than the default in the same run.
void BM_PacedPlayUnderruns(benchmark::State& state) {
    Paced chosen, fluidDefault;
    for (auto _ : state) {
        std::thread other([&] { fluidDefault = PlayPaced(64, 16); });
        chosen = PlayPaced(FluidSequencer::kPeriodFrames, FluidSequencer::kPeriods);
        other.join();
    }
    if (chosen.underruns < 0 || fluidDefault.underruns < 0) state.SkipWithError("cannot play");
    state.counters["underruns"] = double(chosen.underruns);
    state.counters["default_underruns"] = double(fluidDefault.underruns);
    state.counters["worst_ms"] = chosen.worstMs;
    state.counters["default_worst_ms"] = fluidDefault.worstMs;
    state.counters["render_cpu_ms"] = chosen.renderCpuMs;
    state.counters["realtime"] = chosen.realtime && fluidDefault.realtime ? 1 : 0;
}
BENCHMARK(BM_PacedPlayUnderruns)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
