// SPDX-License-Identifier: GPL-3.0-or-later
// File speed: the MIDI writer, the score file and the audio and MusicXML exports on a full
// score of 2999 cells, each beside plain buffered I/O (stdio) writing or reading the same
// number of bytes to a file in the same folder, or beside the least its library does.
//
// Every iteration times the measured operation and what it is compared with one after the
// other, in turns, so all see the same state of a busy machine. The reported time is the
// operation's; each comparison's mean is a counter (NAME_us) beside the ratio of the
// operation to it (x_NAME):
//   base     plain stdio: a new file written, or the file read back;
//   durable  the same with what the program adds to keep the old file safe when saving and
//            exporting: the new file flushed to disk, renamed over the old, folder flushed;
//   memory   the operation's own work on bytes in memory (no file), to see where time goes;
//   bare     the audio export's library alone: FluidSynth rendering the same MIDI bytes
//            into a WAV file with the same settings, in the fewest calls;
//   dry      the same without reverb and chorus, to see what the effects cost;
//   midi     the MIDI export of the same score, beside the MusicXML export.
// The import of a 3000-note MIDI file is timed beside reading its bytes (base).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Sjis.h"
#include "exchange/Arrangement.h"
#include "exchange/MelodyReader.h"
#include "exchange/MusicXmlWriter.h"
#include "files/ScoreFile.h"
#include "fluid/FluidAudioRenderer.h"
#include "fluid/FluidSequencer.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/KeyCodes.h"
#include "score/CTabrellaView.h"
#include "score/RangeDialogs.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One folder for the run's files, removed at exit.
class TempFolder {
  public:
    TempFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/filebench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string File(const char* name) const { return (m_path / name).string(); }

  private:
    fs::path m_path;
};

const TempFolder& Folder() {
    static const TempFolder folder;
    return folder;
}

// A score that uses all 2999 cells in the mix a real piece has: single notes and chords
// with pressing signs, split cells (with bends and ツ in their second half), held notes,
// rests of one and two cells, repeats.
void FillFullScore(CTabrellaView& view) {
    for (int k = 1; k <= kLastCellIndex; ++k) {
        ScoreCell& c = view.m_cells[k];
        const int s = (k * 7) % 13 + 1;      // a string 1..13
        const int t = (k * 5) % 13 + 1;      // another string
        const int mod = (k / 16) % 4 * 100;  // none, ヲ, オ, ォ by phrase
        switch ((k - 1) % 16) {
            case 0:
                c.first[2] = s;
                break;
            case 1:
                c.first[1] = s;
                c.first[3] = 100 + t;
                break;
            case 2:
                c.split = 1;
                c.first[2] = mod + s;
                c.second[2] = t;
                break;
            case 3:
                c.first[2] = 200 + s;
                break;
            case 4:
                break;  // the note before is held
            case 5:
                c.first[2] = mod + t;
                break;
            case 6:
                c.split = 1;
                c.first[2] = s;
                c.second[2] = 1000 + (k / 16) % 3 * 100;  // ハ, ツ, ヒ
                break;
            case 7:
                c.first[2] = 900;
                break;  // ゝ
            case 8:
                c.first[1] = s;
                c.first[2] = 300 + t;
                c.first[3] = (s + 4) % 13 + 1;
                break;
            case 9:
                c.first[2] = (k / 16) % 2 ? 600 : 800;
                break;  // △
            case 10:
                c.first[2] = 100 + s;
                break;
            case 11:
                break;
            case 12:
                c.split = 1;
                c.first[2] = 200;
                c.second[2] = t;
                break;  // bend of a held note
            case 13:
                c.split = 1;
                c.first[1] = s;
                c.first[3] = t;
                c.second[2] = mod + s;
                break;
            case 14:
                c.first[2] = (k / 16) % 2 ? 500 : 700;
                break;  // ○ over two cells
            case 15:
                break;  // covered by the ○
        }
    }
    view.m_lastCell = kLastCellIndex;
    view.m_title = Utf8ToSjis("六段の調　全曲");
}

struct FullScore {
    test::ViewHarness harness;
    CTabrellaView& view = harness.v();
    FullScore() { FillFullScore(view); }
};

std::string MidiBytes(const CTabrellaView& view) {
    std::ostringstream out;
    view.WriteMidiStream(out, 1, view.m_lastCell + 1);
    return out.str();
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- Baselines ------------------------------------------------------------------------

void PlainWrite(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// What it takes to replace a file so that a crash leaves either the old or the new one:
// a new file, flushed to disk, renamed over the old, and the folder flushed.
void PlainDurableReplace(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".new";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
    ::fsync(::fileno(f));
    std::fclose(f);
    std::rename(temp.c_str(), path.c_str());
    const int dir = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dir);
    ::close(dir);
}

void PlainRead(const std::string& path, std::string& buffer) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) std::abort();
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(n);
}

// ---- Timing beside a baseline ------------------------------------------------------------

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Wall time of `work`; its CPU time is added to `cpu`.
double TimeOf(const std::function<void()>& work, double& cpu) {
    const double cpu0 = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    work();
    const double wall = Seconds(Clock::now() - start);
    cpu += ThreadCpuSeconds() - cpu0;
    return wall;
}

struct Beside {
    const char* name;  // counter prefix
    std::function<void()> work;
    double total = 0;
    double cpu = 0;
};

// Runs `work` and each comparison once per iteration, alternating which goes first;
// `reset` runs before each of them, untimed (to remove the file the last one wrote).
void TimeBeside(
    benchmark::State& state, const std::function<void()>& work, std::vector<Beside> baselines,
    size_t bytes, const std::function<void()>& reset = [] {}) {
    double total = 0, cpu = 0;
    bool workFirst = true;
    for (auto _ : state) {
        double spent = 0;
        if (!workFirst) {
            for (Beside& b : baselines) reset(), b.total += TimeOf(b.work, b.cpu);
        }
        reset();
        spent = TimeOf(work, cpu);
        if (workFirst) {
            for (Beside& b : baselines) reset(), b.total += TimeOf(b.work, b.cpu);
        }
        workFirst = !workFirst;
        total += spent;
        state.SetIterationTime(spent);
    }
    const double n = double(state.iterations());
    state.counters["bytes"] = double(bytes);
    state.counters["cpu_us"] = cpu / n * 1e6;
    for (const Beside& b : baselines) {
        state.counters[std::string(b.name) + "_us"] = b.total / n * 1e6;
        state.counters[std::string(b.name) + "_cpu_us"] = b.cpu / n * 1e6;
        state.counters[std::string("x_") + b.name] = total / b.total;
    }
}

// ---- MIDI --------------------------------------------------------------------------------

// The writer straight into a file stream, as its interface allows.
void BM_WriteMidiStreamToFile(benchmark::State& state) {
    FullScore score;
    const std::string bytes = MidiBytes(score.view);
    const std::string path = Folder().File("stream.mid");
    const std::string plain = Folder().File("plain.mid");
    TimeBeside(
        state,
        [&] {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            if (!score.view.WriteMidiStream(out, 1, score.view.m_lastCell + 1)) std::abort();
        },
        {{"base", [&] { PlainWrite(plain, bytes); }}}, bytes.size(),
        [&] {
            std::remove(path.c_str());
            std::remove(plain.c_str());
        });
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    score.view.WriteMidiStream(out, 1, score.view.m_lastCell + 1);
    out.close();
    if (FileBytes(path) != bytes) state.SkipWithError("the file differs from the stream");
}
BENCHMARK(BM_WriteMidiStreamToFile)->UseManualTime()->Unit(benchmark::kMicrosecond);

// What Play writes: the score as MIDI into memory, then into a fresh temporary file.
void BM_PlayFileWrite(benchmark::State& state) {
    FullScore score;
    const std::string bytes = MidiBytes(score.view);
    const std::string plain = Folder().File("plain-play.mid");
    std::string written;
    TimeBeside(
        state,
        [&] {
            std::ostringstream midi;
            score.view.WriteMidiStream(midi, score.view.CursorCell(), score.view.m_lastCell + 1);
            if (WriteFreshTempFile(".mid", midi.str(), written)) std::abort();
        },
        {{"base", [&] { PlainWrite(plain, bytes); }},
         {"memory", [&] { benchmark::DoNotOptimize(MidiBytes(score.view)); }}},
        bytes.size(),
        [&] {
            if (!written.empty()) std::remove(written.c_str());
            written.clear();
            std::remove(plain.c_str());
        });
    std::remove(written.c_str());
}
BENCHMARK(BM_PlayFileWrite)->UseManualTime()->Unit(benchmark::kMicrosecond);

// MIDI export: the whole file replaces the old one only once it is on disk.
void BM_ExportMidi(benchmark::State& state) {
    FullScore score;
    const std::string path = Folder().File("export.mid");
    const std::string plain = Folder().File("plain-export.mid");
    const std::string durable = Folder().File("durable-export.mid");
    if (score.view.ExportMidi(Utf8ToSjis(path))) state.SkipWithError("export failed");
    const std::string bytes = FileBytes(path);
    TimeBeside(
        state, [&] { score.view.ExportMidi(path); },
        {{"base", [&] { PlainWrite(plain, bytes); }},
         {"durable", [&] { PlainDurableReplace(durable, bytes); }}},
        bytes.size(), [&] { std::remove(plain.c_str()); });
}
BENCHMARK(BM_ExportMidi)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- Score files -------------------------------------------------------------------------

void BM_WriteScoreFile(benchmark::State& state) {
    FullScore score;
    const std::string path = Folder().File("score.tbr");
    const std::string plain = Folder().File("plain.tbr");
    const std::string durable = Folder().File("durable.tbr");
    const std::string bytes = FormatScoreFile(score.view.ScoreFileFields());
    TimeBeside(
        state, [&] { score.view.WriteScoreFile(path); },
        {{"base", [&] { PlainWrite(plain, bytes); }},
         {"durable", [&] { PlainDurableReplace(durable, bytes); }},
         {"memory",
          [&] { benchmark::DoNotOptimize(FormatScoreFile(score.view.ScoreFileFields())); }}},
        bytes.size(), [&] { std::remove(plain.c_str()); });
    if (FileBytes(path) != bytes) state.SkipWithError("the file differs from the format");
}
BENCHMARK(BM_WriteScoreFile)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_ReadScoreFile(benchmark::State& state) {
    FullScore score;
    const std::string path = Folder().File("read.tbr");
    if (score.view.WriteScoreFile(path)) state.SkipWithError("cannot write the score");
    const std::string bytes = FileBytes(path);
    std::string buffer(bytes.size(), '\0');
    ScoreFileRead read;
    TimeBeside(
        state, [&] { read = ReadScoreFile(path); },
        {{"base", [&] { PlainRead(path, buffer); }},
         {"memory", [&] { benchmark::DoNotOptimize(ParseScoreFile(bytes)); }}},
        buffer.size());
    ScoreFileContent expected = score.view.ScoreFileFields();
    expected.records = static_cast<int>(expected.cells.size());
    if (read.error || read.content != expected) {
        state.SkipWithError("the score did not read back");
    }
}
BENCHMARK(BM_ReadScoreFile)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- Undo ---------------------------------------------------------------------------------

// Undo and redo of a cut of all 2999 cells, the largest step there is, beside a plain copy
// of the whole score's cells (copy_us).
void BM_UndoRedoWholeCut(benchmark::State& state) {
    FullScore score;
    score.harness.dialogs.Expect(res::kDlgRange,
                                 {test::UserAction::TypeText(CRangeDialog::kFromEdit, "1"),
                                  test::UserAction::TypeText(CRangeDialog::kToEdit, "2999"),
                                  test::UserAction::Press(CRangeDialog::kDecideButton)});
    score.view.OnCommand(cmd::kCut);
    if (!score.view.CanUndo()) state.SkipWithError("the cut was not recorded");
    auto copy = score.view.m_cells;
    double redoSeconds = 0, copySeconds = 0, undoCpu = 0, redoCpu = 0;
    for (auto _ : state) {
        const double c0 = ThreadCpuSeconds();
        const auto t0 = Clock::now();
        score.view.OnUndo();
        const auto t1 = Clock::now();
        const double c1 = ThreadCpuSeconds();
        score.view.OnRedo();
        const auto t2 = Clock::now();
        undoCpu += c1 - c0;
        redoCpu += ThreadCpuSeconds() - c1;
        copy = score.view.m_cells;
        benchmark::DoNotOptimize(copy);
        const auto t3 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        redoSeconds += std::chrono::duration<double>(t2 - t1).count();
        copySeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["redo_us"] = redoSeconds / n * 1e6;
    state.counters["copy_us"] = copySeconds / n * 1e6;
    state.counters["undo_cpu_us"] = undoCpu / n * 1e6;
    state.counters["redo_cpu_us"] = redoCpu / n * 1e6;
}
BENCHMARK(BM_UndoRedoWholeCut)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The memory of a history of 10 000 keystroke steps, each a string typed over the last.
void BM_KeystrokeHistory(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        test::ViewHarness h;
        for (int i = 0; i < 10000; ++i) {
            h.v().OnKeyDown(i % 2 ? vk::kDigit0 + 1 + i % 9 : vk::kDown);
            if (i % 400 == 399) h.v().OnGoToTop();
        }
        bytes = h.v().m_history.Bytes();
        if (h.v().m_history.Size() < 5000) state.SkipWithError("too few steps recorded");
    }
    state.counters["history_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_KeystrokeHistory)->Unit(benchmark::kMillisecond)->Iterations(3);
// ---- Audio and MusicXML exports ------------------------------------------------------------

struct ExportingScore {
    test::FakeWindow window;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    fluid::FluidAudioRenderer audio;
    exchange::MusicXmlWriter musicXml;
    CTabrellaView view{platform::Services{window, dialogs, sequencer, &audio, &musicXml}};
    ExportingScore() { FillFullScore(view); }
};

// FluidSynth alone: the MIDI bytes into a WAV file, rendered to the music's last tick and on
// until the synthesizer is silent (at most two seconds), as the export does.
void BareFluidRender(const std::string& midi, const std::string& path, bool effects = true) {
    using R = fluid::FluidAudioRenderer;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.reverb.active", effects ? 1 : 0);
    fluid_settings_setint(settings, "synth.chorus.active", effects ? 1 : 0);
    fluid_settings_setnum(settings, "synth.sample-rate", R::kSampleRate);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setstr(settings, "audio.file.name", path.c_str());
    fluid_settings_setstr(settings, "audio.file.type", "wav");
    fluid_settings_setstr(settings, "audio.file.format", "s16");
    fluid_settings_setint(settings, "audio.period-size", R::kBlockFrames);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, fluid::FluidSequencer::FindSoundFont().c_str(), 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, midi.data(), midi.size());
    fluid_file_renderer_t* renderer = new_fluid_file_renderer(synth);
    fluid_player_play(player);
    // The total ticks cost a walk over every event: asked once they are known.
    for (int total = 0; fluid_player_get_status(player) == FLUID_PLAYER_PLAYING &&
                        (total == 0 || fluid_player_get_current_tick(player) < total);) {
        fluid_file_renderer_process_block(renderer);
        if (total == 0) total = fluid_player_get_total_ticks(player);
    }
    for (int tail = 0;
         tail < R::kLongestTailFrames && fluid_synth_get_active_voice_count(synth) > 0;
         tail += R::kBlockFrames) {
        fluid_file_renderer_process_block(renderer);
    }
    delete_fluid_file_renderer(renderer);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// The whole score, about 19 minutes of music at tempo 80, into a WAV file.
void BM_ExportAudioWav(benchmark::State& state) {
    ExportingScore score;
    const std::string path = Folder().File("export.wav");
    const std::string bare = Folder().File("bare.wav");
    std::ostringstream midi;
    score.view.WriteMidiStream(midi, 1, score.view.ExportEndCell());
    struct ToTheEnd : platform::IProgress {
        bool Continue(long, long) override { return true; }
    } toTheEnd;
    TimeBeside(
        state,
        [&] {
            if (score.view.ExportAudio(path, toTheEnd)) std::abort();
        },
        {{"bare", [&] { BareFluidRender(midi.str(), bare); }},
         {"dry", [&] { BareFluidRender(midi.str(), bare, false); }}},
        0, [&] { std::remove(bare.c_str()); });
    state.counters["bytes"] = double(fs::file_size(path));
    // 16-bit stereo at 44.1 kHz after a 44-byte header.
    state.counters["audio_s"] = double(fs::file_size(path) - 44) / (4 * 44100);
    std::remove(path.c_str());
}
BENCHMARK(BM_ExportAudioWav)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// The whole score as MusicXML, beside its MIDI export.
void BM_ExportMusicXml(benchmark::State& state) {
    ExportingScore score;
    const std::string path = Folder().File("export.musicxml");
    const std::string midi = Folder().File("beside.mid");
    if (score.view.ExportMusicXml(path)) state.SkipWithError("export failed");
    const size_t bytes = fs::file_size(path);
    TimeBeside(
        state, [&] { score.view.ExportMusicXml(path); },
        {{"midi", [&] { score.view.ExportMidi(midi); }}}, bytes);
}
BENCHMARK(BM_ExportMusicXml)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Import -------------------------------------------------------------------------------

// A melody of 3000 notes as another program writes it (format 1, 480 ticks a quarter): runs
// of eighths and sixteenths over two octaves and a half, a chord on every fifth onset, a
// rest now and then, with a drum track beside it.
std::string ThreeThousandNoteMidi() {
    const auto big = [](unsigned v, int n) {
        std::string b;
        for (int i = n - 1; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    const auto delta = [](unsigned d) {
        std::string b(1, static_cast<char>(d & 0x7F));
        for (d >>= 7; d > 0; d >>= 7) b.insert(0, 1, static_cast<char>(0x80 | (d & 0x7F)));
        return b;
    };
    std::string melody, drums;
    unsigned notes = 0, step = 0, silence = 0;
    for (; notes < 3000; ++step) {
        const int key = 55 + static_cast<int>((step * 7 + step / 16 * 5) % 30);
        const unsigned length = step % 3 == 0 ? 60 : 120;  // sixteenths and eighths
        const bool chord = step % 5 == 0;
        melody += delta(silence) + std::string{'\x90', char(key), '\x50'};
        if (chord) melody += delta(0) + std::string{'\x90', char(key - 5), '\x50'};
        melody += delta(length * 2) + std::string{'\x80', char(key), '\0'};
        if (chord) melody += delta(0) + std::string{'\x80', char(key - 5), '\0'};
        silence = step % 11 == 0 ? 240 : 0;
        notes += chord ? 2 : 1;
        drums += delta(step == 0 ? 0 : 240) + std::string{'\x99', '\x24', '\x64'} + delta(0) +
                 std::string{'\x89', '\x24', '\0'};
    }
    const std::string end("\0\xFF\x2F\0", 4);
    melody += end;
    drums += end;
    return "MThd" + big(6, 4) + big(1, 2) + big(2, 2) + big(480, 2) + "MTrk" +
           big(static_cast<unsigned>(melody.size()), 4) + melody + "MTrk" +
           big(static_cast<unsigned>(drums.size()), 4) + drums;
}

// The whole import as the menu runs it after its dialog: the file read, the notes placed
// on strings in the best of the 192 tunings, the score replaced.
// Times the import of a MIDI file's bytes into a view beside a plain read of the file;
// gives the import's report.
std::string TimeImport(benchmark::State& state, const char* name, const std::string& bytes) {
    test::FakeWindow window;
    test::ScriptedDialogHost dialogs;
    test::FakeSequencer sequencer;
    exchange::MelodyReader reader;
    CTabrellaView view(platform::Services{window, dialogs, sequencer, nullptr, nullptr, &reader});
    const std::string path = Folder().File(name);
    if (WriteFileAtomically(path, bytes)) state.SkipWithError("cannot write the melody");
    std::string buffer(bytes.size(), '\0');
    std::string report;
    TimeBeside(
        state,
        [&] {
            if (view.ImportFile(path, {}, report)) std::abort();
        },
        {{"base", [&] { PlainRead(path, buffer); }}}, bytes.size());
    return report;
}

void BM_ImportMidi(benchmark::State& state) {
    const std::string report = TimeImport(state, "import.mid", ThreeThousandNoteMidi());
    if (report.find(Utf8ToSjis("3000音を配置しました")) != 0) {
        state.SkipWithError("not every note was placed");
    }
}
BENCHMARK(BM_ImportMidi)->UseManualTime()->Unit(benchmark::kMillisecond);

// The worst a MIDI file does within the readers' limits: as many notes as they take, one
// on every tick, all of one key and sounding to the end, so that they overlap and each
// sixteenth folds 120 of them into one chord.
void BM_ImportMidiWorstCase(benchmark::State& state) {
    const auto notes = static_cast<std::size_t>(exchange::ReadLimits{}.notes);
    std::string track("\0\x90\x45\x50", 4);
    for (std::size_t i = 1; i < notes; ++i) track += std::string("\x01\x45\x50", 3);
    track += std::string("\0\xFF\x2F\0", 4);
    const auto big = [](std::size_t v, int n) {
        std::string b;
        for (int i = n - 1; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    const std::string bytes = "MThd" + big(6, 4) + big(0, 2) + big(1, 2) + big(480, 2) + "MTrk" +
                              big(track.size(), 4) + track;
    TimeImport(state, "worst.mid", bytes);
}
BENCHMARK(BM_ImportMidiWorstCase)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace
}  // namespace tabrella

BENCHMARK_MAIN();
