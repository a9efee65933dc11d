// SPDX-License-Identifier: GPL-3.0-or-later
// The transcription of a recording: its speed against real time on a 3-minute recording
// (44.1 kHz stereo WAV), beside libsndfile decoding the same file and nothing else (base);
// and the peak memory of a process that transcribes a 3-minute and a 20-minute recording,
// beside one that only decodes it (decode_MB). The recordings are tones of four harmonics,
// a melody of eighths, made here and removed after.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/AudioMelody.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A recording of `seconds` written a block at a time (no whole copy in memory).
std::string Recording(int seconds, int rate, int channels) {
    const fs::path path = fs::temp_directory_path() /
                          ("tabrella-bench-" + std::to_string(seconds) + "s-" +
                           std::to_string(rate) + "-" + std::to_string(channels) + ".wav");
    SF_INFO info{0, rate, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) std::abort();
    const int scale[] = {62, 64, 65, 69, 70, 74, 76, 77, 81};
    const long noteFrames = rate * 3 / 8;  // an eighth at 80
    std::vector<float> block(4096 * static_cast<std::size_t>(channels));
    for (long at = 0, total = static_cast<long>(seconds) * rate; at < total;) {
        const long count = std::min<long>(4096, total - at);
        for (long i = 0; i < count; ++i, ++at) {
            const long note = at / noteFrames;
            const double hz = 440 * std::pow(2, (scale[note * 5 % 9] - 69) / 12.0);
            const double t = static_cast<double>(at % noteFrames) / rate;
            double v = 0;
            for (int h = 1; h <= 4; ++h) v += std::sin(2 * M_PI * hz * h * t) / h;
            for (int c = 0; c < channels; ++c) {
                block[static_cast<std::size_t>(i * channels + c)] =
                    static_cast<float>(0.3 * v * std::exp(-3 * t));
            }
        }
        sf_writef_float(file, block.data(), count);
    }
    sf_close(file);
    return path;
}

void Decode(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> block(8192 * static_cast<std::size_t>(info.channels));
    while (sf_readf_float(file, block.data(), 8192) > 0) {
    }
    sf_close(file);
}

void BM_TranscribeRecording(benchmark::State& state) {
    const int seconds = static_cast<int>(state.range(0));
    const std::string path = Recording(seconds, 44100, 2);
    double base = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const auto read = tabrella::exchange::ReadAudioMelody(path, 0, {});
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        benchmark::DoNotOptimize(read.melody.notes.data());
        start = Clock::now();
        Decode(path);
        base += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["base_us"] = base / static_cast<double>(state.iterations()) * 1e6;
    state.counters["audio_s"] = seconds;
    fs::remove(path);
}
BENCHMARK(BM_TranscribeRecording)
    ->Arg(180)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The peak resident memory of a child process that runs `work`, in megabytes.
template <typename Work>
double PeakMegabytes(Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_TranscriptionMemory(benchmark::State& state) {
    const int seconds = static_cast<int>(state.range(0));
    // Mono at 22.05 kHz keeps the 20-minute file at 53 MB on disk.
    const std::string path = Recording(seconds, 22050, 1);
    for (auto _ : state) {
        state.counters["rss_MB"] =
            PeakMegabytes([&] { tabrella::exchange::ReadAudioMelody(path, 0, {}); });
        state.counters["decode_MB"] = PeakMegabytes([&] { Decode(path); });
    }
    fs::remove(path);
}
BENCHMARK(BM_TranscriptionMemory)->Arg(180)->Arg(1200)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
