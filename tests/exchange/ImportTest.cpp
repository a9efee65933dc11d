// SPDX-License-Identifier: GPL-3.0-or-later
// The import of MIDI and MusicXML files. Over many random scores our own exports come back
// note for note, and so does a foreign melody beside a drum track; the tuning chosen is the
// best by a plain count of its own. Tables show the rules for strings, chords and time, and
// what the readers take and refuse; the command changes nothing when it cannot import.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <sstream>
#include <tuple>

#include "exchange/Arrangement.h"
#include "exchange/MelodyReader.h"
#include "exchange/MusicXmlWriter.h"
#include "files/FileDialogs.h"
#include "files/FileTestSupport.h"
#include "files/ImportDialog.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FileMessage.h"
#include "resources/Language.h"
#include "score/TuningTable.h"
#include "support/CellPrinting.h"
#include "support/MidiBytes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using platform::Melody;
using platform::MelodyFault;

struct ImportHarness {
    FakeWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    exchange::MusicXmlWriter writer;
    exchange::MelodyReader reader;
    CTabrellaView v{platform::Services{window, dialogs, sequencer, nullptr, &writer, &reader}};
    std::string report;

    std::optional<FileError> Import(const std::string& path, const ImportChoice& choice = {}) {
        return v.ImportFile(path, choice, report);
    }
    std::vector<SoundedNote> Sounded() const {
        std::ostringstream out;
        v.WriteMidiStream(out, 1, v.ExportEndCell());
        return ReadMidi(out.str()).GridNotes();
    }
};

struct Random {
    std::mt19937 rng;
    int operator()(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
};

// A Standard MIDI File as other programs write it: running status, note offs as note ons
// of velocity 0. Each event is its tick and its bytes; each track ends after its last.
using Track = std::vector<std::pair<long, std::string>>;
std::string Smf(int format, int division, std::vector<Track> tracks) {
    const auto big = [](long v, int n) {
        std::string b;
        for (int i = n - 1; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    std::string file =
        "MThd" + big(6, 4) + big(format, 2) + big(long(tracks.size()), 2) + big(division, 2);
    for (Track& t : tracks) {
        std::stable_sort(t.begin(), t.end(), [](auto& a, auto& b) { return a.first < b.first; });
        std::string bytes;
        long tick = 0;
        char running = 0;
        for (const auto& [at, event] : t) {
            std::string delta(1, static_cast<char>((at - tick) & 0x7F));
            for (long d = (at - tick) >> 7; d > 0; d >>= 7)
                delta.insert(0, 1, char(0x80 | (d & 0x7F)));
            tick = at;
            const bool channel = static_cast<unsigned char>(event[0]) < 0xF0;
            bytes += delta + (channel && event[0] == running ? event.substr(1) : event);
            running = channel ? event[0] : running;
        }
        bytes += std::string("\0\xFF\x2F\0", 4);
        file += "MTrk" + big(long(bytes.size()), 4) + bytes;
    }
    return file;
}

std::string Ev(int status, int key, int velocity) {
    return {char(status), char(key), char(velocity)};
}
std::string Meta(int type, std::string data) {
    return std::string{'\xFF', char(type), char(data.size())} + data;
}

// ---- Random scores and melodies ---------------------------------------------------------

// Up to three different strings as one hand plays them: one pressed at most, ォ alone.
void Strike(std::int32_t* half, Random& r, int least) {
    std::array<int, 13> strings{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    bool pressed = false;
    for (int i = 0, n = r(least, 3); i < n; ++i) {
        std::swap(strings[i], strings[r(i, 12)]);
        const int pressing = pressed ? 0 : r(0, n == 1 ? 3 : 2);
        pressed = pressed || pressing > 0;
        half[i + 1] = 100 * pressing + strings[i];
    }
}

// Whole and split cells, chords, repeat signs, rests and hold cells, in any tuning.
void FillPlain(CTabrellaView& v, Random& r) {
    const int length = std::array{1, 12, 60, 400, 2999}[r(0, 4)];
    for (int k = 1; k <= length; ++k) {
        ScoreCell& c = v.m_cells[k];
        const int roll = r(1, 100);
        if (roll <= 25) continue;
        if (roll <= 33) {
            const bool pair = k % 2 == 1 && k < length;
            c.first[2] = pair ? slot::kPairRest : slot::kRest;
            k += pair ? 1 : 0;  // the covered cell stays empty
        } else if (roll <= 38 && k > 1) {
            c.first[2] = slot::kRepeat;
        } else {
            c.split = r(1, 100) <= 30 ? 1 : 0;
            Strike(c.first, r, 1 - c.split);
            if (c.split) Strike(c.second, r, 0);
        }
    }
    v.m_tuningName = TuningTable()[r(0, 7)].name;
    v.m_baseTone = r(1, 12);
    v.m_otsuFlag = r(0, 1);
    v.RecomputePitchesForLoad();  // as a file opens it
    v.m_lastCell = v.LastUsedCell();
}

TEST(Import, OurOwnExportsComeBackNoteForNoteInTheirTuning) {
    TempDir dir;
    size_t notes = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random r{std::mt19937(seed)};
        ImportHarness original;
        FillPlain(original.v, r);
        const std::vector<SoundedNote> sounded = original.Sounded();
        // Every third score goes through the MusicXML export, plain or compressed.
        const std::string file = dir / (seed % 3 ? "s.mid" : seed % 2 ? "s.musicxml" : "s.mxl");
        ASSERT_FALSE(seed % 3 ? original.v.ExportMidi(file) : original.v.ExportMusicXml(file));

        ImportHarness imported;
        const CTabrellaView& o = original.v;
        const std::optional<FileError> error =
            imported.Import(file, {o.m_tuningIndex, o.m_baseTone, o.m_otsuFlag == 0, ""});
        if (sounded.empty()) {
            EXPECT_EQ(error, (FileError{file, FileFault::NoNotes}));
            continue;
        }
        ASSERT_FALSE(error) << ReasonText(*error);
        EXPECT_EQ(imported.Sounded(), sounded);
        EXPECT_EQ(imported.report.find(S(std::to_string(sounded.size()) +
                                         "音を配置しました（うちオクターブを移した音 0）。配置で"
                                         "きなかった音: 0。")),
                  0u)
            << SjisToUtf8(imported.report);
        notes += sounded.size();
    }
    EXPECT_GT(notes, 30000u) << "the random scores must play";
}

TEST(Import, AForeignMelodyBesideADrumTrackComesInNoteForNote) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random r{std::mt19937(seed)};
        const int division = std::array{96, 480, 960}[r(0, 2)], sixteenth = division / 4;
        Track conductor = {{0, Meta(3, "Song")}, {0, Meta(0x51, "\x09\x27\xC0")}};  // 100
        Track melody, drums;
        std::vector<std::pair<long, int>> expected;  // onset in cells' ticks, key
        int at = r(0, 3);                            // in sixteenths
        while (at < 1200) {
            const int key = r(57, 86), length = r(1, 8);
            melody.push_back({long(at) * sixteenth, Ev(0x90, key, r(1, 127))});
            melody.push_back({long(at + length) * sixteenth, Ev(0x90, key, 0)});
            expected.emplace_back(at * 120L, key);
            at += length + (r(1, 4) == 1 ? r(1, 6) : 0);
        }
        for (long t = 0; t < long(at) * sixteenth; t += 2 * sixteenth) {
            drums.push_back({t, Ev(0x99, r(35, 50), 100)});
            drums.push_back({t + sixteenth / 2, Ev(0x89, 0, 0)});  // a stray note off, too
        }
        WriteBytes(dir / "song.mid", Smf(1, division, {conductor, melody, drums}));
        ImportHarness h;
        ASSERT_FALSE(h.Import(dir / "song.mid"));
        std::vector<std::pair<long, int>> sounded;
        for (const SoundedNote& n : h.Sounded()) sounded.emplace_back(n.onset, n.key);
        EXPECT_EQ(sounded, expected);
        EXPECT_EQ(h.v.m_title, "Song");
        EXPECT_EQ(h.v.m_tempo, 100);
    }
}

TEST(Import, OlderExportsWithRestsTwoTicksShortStayOnTheCellGrid) {
    // Our export once wrote a rest cell as 238 ticks, each closed by a note off of key 0.
    TempDir dir;
    Random r{std::mt19937(7)};
    Track old;
    std::vector<std::pair<long, int>> expected;
    long tick = 1, cell = 0;
    for (int i = 0; i < 400; ++i) {
        const int key = std::array{64, 65, 69, 71, 72}[r(0, 4)];
        old.push_back({tick, Ev(0x90, key, 100)});
        old.push_back({tick + 240, Ev(0x80, key, 0)});
        expected.emplace_back(cell++ * 240, key);
        tick += 240;
        for (int rests = r(0, 1) ? r(1, 6) : 0; rests > 0; --rests, ++cell) {
            tick += 238;
            old.push_back({tick, Ev(0x80, 0, 0)});
        }
    }
    WriteBytes(dir / "old.mid", Smf(0, 480, {old}));
    ImportHarness h;
    ASSERT_FALSE(h.Import(dir / "old.mid"));
    std::vector<std::pair<long, int>> sounded;
    for (const SoundedNote& n : h.Sounded()) sounded.emplace_back(n.onset, n.key);
    EXPECT_EQ(sounded, expected);
}

// For melodies every one of whose notes 平調子 on 平調 reaches, counted plainly over all
// 192 settings: the fewest notes no string reaches with a pressing up to ォ, then the
// fewest no open string sounds; ties to 平調子, the base tone nearest 平調, 乙 off.
TEST(Import, TheTuningChosenMovesThenPressesTheFewestNotes) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Random r{std::mt19937(seed)};
        Melody m;
        m.ticksPerQuarter = 4;
        const int low = r(57, 80), high = r(low, 86);
        for (int i = 0, n = r(1, 40); i < n; ++i)
            m.notes.push_back({2 * i, 2 * i + 2, r(low, high)});
        std::tuple<int, int, bool, int, int, int, bool> best{INT_MAX, 0, 0, 0, 0, 0, 0};
        for (int row = 0; row < kTuningCount; ++row) {
            for (int b = 1; b <= kBaseToneCount; ++b) {
                for (bool otsu : {false, true}) {
                    const std::array<int, 14> pitch = LoadedPitches(row, b, otsu ? 0 : 1);
                    int unreached = 0, pressed = 0;
                    for (const platform::MelodyNote& n : m.notes) {
                        const auto by = [&](int most) {
                            return std::any_of(&pitch[1], &pitch[14], [&](int p) {
                                return n.key >= p && n.key <= p + most;
                            });
                        };
                        unreached += !by(3);
                        pressed += by(3) && !by(0);
                    }
                    best = std::min(best, decltype(best){unreached, pressed, row != 0,
                                                         std::abs(b - 3), row, b, otsu});
                }
            }
        }
        const Arrangement a = Arrange(m, {});
        EXPECT_EQ(std::make_tuple(a.tuning, a.baseTone, a.otsu),
                  std::make_tuple(std::get<4>(best), std::get<5>(best), std::get<6>(best)))
            << "seed " << seed;
        EXPECT_EQ(a.moved, 0);
    }
}

// ---- The rules, by example ----------------------------------------------------------------

// 平調子 on 平調, 乙 off: 一 64 二 57 三 59 四 60 五 64 六 65 七 69 八 71 九 72 十 76 斗 77
// 為 81 巾 83. Notes are (onset, end, key) in ticks, four to a quarter unless said.
struct ArrangeCase {
    const char* name;
    std::vector<platform::MelodyNote> notes;
    std::vector<ScoreCell> cells;
    std::array<int, 3> placedMovedDropped;
    int ticksPerQuarter = 4;
};

TEST(Import, NotesTakeStringsPressingsAndCellsByTheRules) {
    const ArrangeCase cases[] = {
        {"an open string, then ヲ, then オ; ォ only where nothing else reaches",
         {{0, 2, 57}, {2, 4, 58}, {4, 6, 61}, {6, 8, 62}, {8, 10, 80}},
         {Whole(0, 2, 0), Whole(0, 102, 0), Whole(0, 104, 0), Whole(0, 204, 0), Whole(0, 311, 0)},
         {5, 0, 0}},
        {"of two open strings, the one nearest the string played before",
         {{0, 2, 69}, {2, 4, 64}, {4, 6, 57}, {6, 8, 64}},
         {Whole(0, 7, 0), Whole(0, 5, 0), Whole(0, 2, 0), Whole(0, 1, 0)},
         {4, 0, 0}},
        {"a chord on different strings, three at most, its highest notes kept",
         {{0, 2, 57}, {0, 2, 72}, {0, 2, 65}, {0, 2, 69}, {2, 4, 64}, {2, 4, 64}},
         {Whole(6, 7, 9), Whole(1, 0, 5)},
         {5, 0, 1}},
        {"a chord keeps the notes one hand plays: one pressed string, never ォ",
         {{0, 2, 84}, {0, 2, 84}, {0, 2, 84}, {2, 4, 80}, {2, 4, 69}},
         {Whole(0, 113, 0), Whole(0, 311, 0)},
         {2, 0, 3}},
        {"a low part moves as a whole by the octaves that bring it all in reach",
         {{0, 2, 40}, {2, 4, 43}, {4, 6, 45}, {6, 8, 47}, {8, 10, 48}},
         {Whole(0, 5, 0), Whole(0, 206, 0), Whole(0, 7, 0), Whole(0, 8, 0), Whole(0, 9, 0)},
         {5, 5, 0}},
        {"a note out of reach moves by octaves",
         {{0, 2, 40}, {2, 4, 100}},
         {Whole(0, 5, 0), Whole(0, 10, 0)},
         {2, 2, 0}},
        {"the odd sixteenth strikes in the second half; a note over it leaves the first empty",
         {{0, 1, 64}, {1, 2, 69}, {2, 5, 64}, {5, 6, 69}},
         {Split(0, 5, 0, 0, 7, 0), Whole(0, 5, 0), Split(0, 0, 0, 0, 7, 0)},
         {4, 0, 0}},
        {"silences take △ and ○, long notes hold empty cells, the last one closes with a rest",
         {{0, 1, 64}, {4, 10, 69}, {16, 22, 64}},
         {Split(0, 5, 0, 0, 0, 0),
          Whole(0, 600, 0),
          Whole(0, 7, 0),
          {},
          {},
          Whole(0, 600, 0),
          Whole(0, 500, 0),
          {},
          Whole(0, 5, 0),
          {},
          {},
          Whole(0, 600, 0)},
         {3, 0, 0}},
        {"a note shorter than a sixteenth keeps its onset",
         {{250, 260, 64}, {480, 720, 69}},
         {Whole(0, 600, 0), Split(0, 5, 0, 0, 0, 0), Whole(0, 7, 0)},
         {2, 0, 0},
         480},
    };
    for (const ArrangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Melody m;
        m.ticksPerQuarter = c.ticksPerQuarter;
        m.notes = c.notes;
        const Arrangement a = Arrange(m, {0, 3, false, ""});
        EXPECT_EQ(a.cells, c.cells);
        EXPECT_EQ((std::array{a.placed, a.moved, a.dropped}), c.placedMovedDropped);
        EXPECT_EQ(std::make_tuple(a.tuning, a.baseTone, a.otsu), std::make_tuple(0, 3, false));
    }
}

// Over wide random lines in 平調子 on 平調: a note moved alone never turns the step into it
// the other way when an octave of it within reach keeps its direction.
TEST(Import, ANoteMovedAloneKeepsTheDirectionOfItsStepWhereItCan) {
    const std::array<int, 14> pitch = LoadedPitches(0, 3, 1);
    const auto reached = [&](int key) {
        return std::any_of(&pitch[1], &pitch[14], [&](int p) { return key >= p && key <= p + 3; });
    };
    const auto sign = [](int d) { return (d > 0) - (d < 0); };
    int turnsKept = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random r{std::mt19937(seed)};
        Melody m;
        m.ticksPerQuarter = 4;
        const int n = r(2, 80);
        for (int i = 0; i < n; ++i) m.notes.push_back({2 * i, 2 * i + 2, r(30, 110)});
        const Arrangement a = Arrange(m, {0, 3, false, ""});
        ASSERT_EQ(a.cells.size(), size_t(n));
        std::vector<int> heard;
        for (const ScoreCell& c : a.cells)
            heard.push_back(pitch[c.first[2] % 100] + c.first[2] / 100);
        for (int i = 1; i < n; ++i) {
            const int wanted = sign(m.notes[i].key - m.notes[i - 1].key);
            int shifted = m.notes[i].key + 12 * a.octaveShift;
            while (shifted > 127) shifted -= 12;
            while (shifted < 0) shifted += 12;
            if (sign(heard[i] - heard[i - 1]) == wanted) {
                turnsKept += heard[i] != shifted;
                continue;
            }
            if (heard[i] == shifted) continue;  // not moved alone: the file's own step
            for (int k = shifted % 12; k < 128; k += 12) {
                EXPECT_FALSE(reached(k) && sign(k - heard[i - 1]) == wanted)
                    << "note " << i << " heard at " << heard[i] << ", could be " << k;
            }
        }
    }
    EXPECT_GT(turnsKept, 100) << "the lines must move notes alone";
}

TEST(Import, APieceLongerThanTheScoreIsCutAtABarLine) {
    Melody m;
    m.ticksPerQuarter = 4;
    for (int i = 0; i < 3100; ++i) m.notes.push_back({2 * i, 2 * i + 2, 69});
    const Arrangement a = Arrange(m, {});
    EXPECT_EQ(a.cells.size(), 2992u) << "374 bars of eight cells";
    EXPECT_EQ(std::make_tuple(a.cutAtBar, a.cutNotes, a.placed, a.dropped),
              std::make_tuple(375, 3100 - 2992, 2992, 3100 - 2992));
}

// ---- The readers --------------------------------------------------------------------------

TEST(Import, TheReadersRefuseBrokenAndUnsupportedFiles) {
    const std::string note = std::string("\0\x90\x40\x64\x81\x70\x80\x40\0\0\xFF\x2F\0", 13);
    const auto file = [](std::string header, std::string track) {
        return "MThd" + std::string("\0\0\0\x06", 4) + header + "MTrk" + std::string("\0\0\0", 3) +
               char(track.size()) + track;
    };
    const std::string format0 = std::string("\0\0\0\x01\x01\xE0", 6);
    const std::pair<MelodyFault, std::string> cases[] = {
        {MelodyFault::None, file(format0, note)},
        {MelodyFault::None, file(format0, std::string("\0\x90\x40\x64\x10\x40\0", 7))},  // running
        {MelodyFault::Damaged, file(format0, note).substr(0, 20)},
        {MelodyFault::Damaged, file(format0, note).substr(0, 30)},  // track past the end
        {MelodyFault::Damaged, file(format0, std::string("\0\x90\x40", 3))},
        {MelodyFault::Damaged, file(format0, std::string("\xFF\xFF\xFF\xFF\x7F\x90\x40\x64", 8))},
        {MelodyFault::Damaged, file(format0, std::string("\0\x90\xC0\x64", 4))},
        {MelodyFault::Damaged, file(format0, std::string("\0\x40\x64", 3))},
        {MelodyFault::Damaged, file(format0, std::string("\0\xF8", 2))},
        {MelodyFault::Damaged, file(std::string("\0\0\0\x02\x01\xE0", 6), note)},
        {MelodyFault::Unsupported, file(std::string("\0\x02\0\x01\x01\xE0", 6), note)},
        {MelodyFault::Unsupported, file(std::string("\0\0\0\x01\xE7\x28", 6), note)},
        {MelodyFault::UnknownKind, "RIFF\x10\0\0\0RMIDdata"},
        {MelodyFault::Unsupported, "<score-timewise/>"},
        {MelodyFault::UnknownKind, "\xEF\xBB\xBF <html/>"},
        {MelodyFault::Damaged, "<score-partwise><part>"},
        {MelodyFault::Damaged, "PK\x03\x04 not an archive"},
    };
    for (const auto& [fault, bytes] : cases) {
        SCOPED_TRACE(Hex(bytes));
        const platform::MelodyRead read = exchange::MelodyReader().Read(bytes, "");
        EXPECT_EQ(read.fault, fault);
        EXPECT_EQ(read.melody.notes.size(), fault == MelodyFault::None ? 1u : 0u);
    }
}

TEST(Import, TheMidiReaderTakesTheTrackAskedForAndReadsTheirNames) {
    const std::string bytes =
        Smf(1, 480,
            {{{0, Meta(3, "さくら")}, {0, Meta(0x51, "\x09\x27\xC0")}},  // UTF-8, 100 a minute
             {{0, Meta(3, "Melody")},
              {0, Ev(0x90, 64, 90)},
              {240, Ev(0x80, 60, 0)},
              {480, Ev(0x80, 64, 0)}},
             {{0, Meta(3, "Bass")}, {0, Ev(0x91, 40, 90)}, {960, Meta(1, "x")}},
             {{0, Ev(0x99, 36, 90)}, {10, Ev(0x99, 36, 0)}},
             {{0, Meta(3, "BASS")}, {0, Ev(0x92, 50, 90)}, {120, Ev(0x82, 50, 0)}}});
    const auto keys = [&](std::string_view track) {
        const platform::MelodyRead read = exchange::MelodyReader().Read(bytes, S(track));
        std::vector<std::pair<long, int>> notes;
        for (const platform::MelodyNote& n : read.melody.notes) notes.emplace_back(n.end, n.key);
        return std::make_pair(read.fault, notes);
    };
    using Notes = std::vector<std::pair<long, int>>;
    const auto ok = MelodyFault::None;
    EXPECT_EQ(keys(""), std::make_pair(ok, Notes{{480, 64}})) << "the first pitched track";
    EXPECT_EQ(keys("2"), std::make_pair(ok, Notes{{480, 64}}));
    EXPECT_EQ(keys("mELODY"), std::make_pair(ok, Notes{{480, 64}})) << "in either case";
    EXPECT_EQ(keys("3"), std::make_pair(ok, Notes{{960, 40}})) << "sounding to its end";
    EXPECT_EQ(keys("ch10"), std::make_pair(ok, Notes{{10, 36}}));
    EXPECT_EQ(keys("6").first, MelodyFault::NoSuchTrack);
    EXPECT_EQ(keys("Piano").first, MelodyFault::NoSuchTrack);
    const platform::MelodyRead twoBasses = exchange::MelodyReader().Read(bytes, "bass");
    EXPECT_EQ(
        std::make_tuple(twoBasses.fault, twoBasses.melody.ambiguousTrack, twoBasses.melody.parts),
        std::make_tuple(MelodyFault::NoSuchTrack, true,
                        std::vector<std::string>{"2 Melody", "3 Bass", "4", "5 BASS"}));
    const platform::MelodyRead read = exchange::MelodyReader().Read(bytes, "");
    EXPECT_EQ(read.melody.title, S("さくら"));
    EXPECT_EQ(read.melody.silentEvents, std::vector<std::int64_t>{240});
    EXPECT_EQ(read.melody.taken, "2 Melody");
    EXPECT_EQ(exchange::ForeignText(S(" さくら\t")), S("さくら")) << "Shift-JIS kept";
    EXPECT_EQ(exchange::ForeignText("Caf\xE9 1"), "Caf 1");
    // A title's characters Shift-JIS lacks are named for the report.
    EXPECT_EQ(exchange::CharactersOutsideSjis("さくら\xF0\x9F\x8E\xB5 \xC3\xA9"), "U+1F3B5 U+00E9");
    EXPECT_EQ(exchange::CharactersOutsideSjis("さくら"), "");
}

TEST(Import, TheMusicXmlReaderJoinsTiesMergesVoicesAndLeavesGraceNotesOut) {
    const std::string document = R"(<?xml version="1.0" encoding="UTF-8"?>
<score-partwise version="4.0"><work><work-title>春の海</work-title></work>
<part-list><score-part id="D"><part-name>Drums</part-name></score-part>
<score-part id="K"><part-name>Koto</part-name></score-part></part-list>
<part id="D"><measure><attributes><divisions>1</divisions></attributes><note><unpitched>
<display-step>C</display-step><display-octave>5</display-octave></unpitched><duration>4</duration>
</note></measure></part>
<part id="K"><measure><attributes><divisions>6</divisions></attributes>
<direction><sound tempo="96"/></direction>
<note><grace/><pitch><step>D</step><octave>5</octave></pitch></note>
<note><pitch><step>E</step><octave>4</octave></pitch><duration>6</duration></note>
<note><chord/><pitch><step>B</step><octave>4</octave></pitch><duration>6</duration></note>
<note><pitch><step>F</step><alter>1</alter><octave>4</octave></pitch><duration>2</duration></note>
<note><rest/><duration>2</duration></note>
<note><pitch><step>A</step><octave>4</octave></pitch><duration>2</duration></note>
<note><pitch><step>C</step><octave>5</octave></pitch><duration>12</duration><tie type="start"/></note>
<backup><duration>24</duration></backup>
<note><cue/><pitch><step>C</step><octave>4</octave></pitch><duration>12</duration></note>
<note><pitch><step>G</step><octave>3</octave></pitch><duration>12</duration></note></measure>
<measure><note><pitch><step>C</step><octave>5</octave></pitch><duration>6</duration><tie type="stop"/></note>
<note><pitch><step>E</step><octave>5</octave></pitch><duration>18</duration></note></measure></part>
</score-partwise>)";
    const std::vector<platform::MelodyNote> expected = {
        {0, 480, 64},    {0, 480, 71},    {480, 640, 66},  {800, 960, 69},
        {960, 2400, 72}, {960, 1920, 55}, {2400, 3840, 76}};
    for (const std::string& bytes : {document, *exchange::MxlArchive(document)}) {
        const platform::MelodyRead read = exchange::MelodyReader().Read(bytes, "");
        ASSERT_EQ(read.fault, MelodyFault::None);
        EXPECT_EQ(read.melody.notes, expected);
        EXPECT_EQ(read.melody.leftOut, 1);
        EXPECT_EQ(read.melody.tempo, 96);
        EXPECT_EQ(read.melody.title, S("春の海"));
    }
    EXPECT_EQ(exchange::MelodyReader().Read(document, "KOTO").melody.notes, expected);
    EXPECT_TRUE(exchange::MelodyReader().Read(document, "1").melody.notes.empty()) << "drums";
    EXPECT_EQ(exchange::MelodyReader().Read(document, "3").fault, MelodyFault::NoSuchTrack);
}

// A B♭ trumpet part with a pickup, a repeat with two endings and no tempo; then D.C. al Fine.
TEST(Import, MusicXmlComesInAtConcertPitchWithItsPickupPaddedAndItsRepeatsPlayedOut) {
    const auto measure = [](std::string attributes, std::string step, std::string barlines) {
        return "<measure" + attributes + "><note><pitch><step>" + step +
               "</step><octave>5</octave></pitch><duration>" + (attributes.empty() ? "4" : "1") +
               "</duration></note>" + barlines + "</measure>";
    };
    const std::string trumpet =
        "<score-partwise><part-list><score-part id=\"T\"><part-name>Trumpet</part-name>"
        "</score-part></part-list><part id=\"T\"><measure implicit=\"yes\"><attributes>"
        "<divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
        "<transpose><diatonic>-1</diatonic><chromatic>-2</chromatic></transpose></attributes>"
        "<note><pitch><step>D</step><octave>5</octave></pitch><duration>1</duration></note>"
        "</measure>" +
        measure("", "E", "<barline location=\"left\"><repeat direction=\"forward\"/></barline>") +
        measure("", "F",
                "<barline><ending number=\"1\" type=\"start\"/></barline><barline><ending "
                "number=\"1\" type=\"stop\"/><repeat direction=\"backward\"/></barline>") +
        measure("", "G",
                "<barline><ending number=\"2\" type=\"start\"/></barline><barline><ending "
                "number=\"2\" type=\"discontinue\"/></barline>") +
        "</part></score-partwise>";
    const platform::MelodyRead read = exchange::MelodyReader().Read(trumpet, "");
    EXPECT_EQ(read.melody.notes, (std::vector<platform::MelodyNote>{{1440, 1920, 72},
                                                                    {1920, 3840, 74},
                                                                    {3840, 5760, 75},
                                                                    {5760, 7680, 74},
                                                                    {7680, 9600, 77}}));
    TempDir dir;
    WriteBytes(dir / "trumpet.musicxml", trumpet);
    ImportHarness h;
    ASSERT_FALSE(h.Import(dir / "trumpet.musicxml"));
    EXPECT_EQ(h.v.m_tempo, 120) << "as a MIDI file without a tempo";
    EXPECT_NE(
        h.report.find(S("\n弱起の小節の前を休符で埋めました。\n繰り返しを展開しました（1か所）。")),
        std::string::npos)
        << SjisToUtf8(h.report);

    const std::string fine = "<score-partwise><part id=\"P\">" + measure("", "A", "") +
                             measure("", "B", "<direction><sound fine=\"yes\"/></direction>") +
                             measure("", "C", "<sound dacapo=\"yes\"/>") +
                             "</part></score-partwise>";
    std::vector<int> keys;
    for (const auto& n : exchange::MelodyReader().Read(fine, "").melody.notes)
        keys.push_back(n.key);
    EXPECT_EQ(keys, (std::vector<int>{81, 83, 72, 81, 83}));
}

// ---- The command --------------------------------------------------------------------------

TEST(Import, TheCommandReplacesTheScoreAsOpenDoesOrChangesNothing) {
    TempDir dir;
    WriteBytes(dir / "broken.mid", "MThd\0\0\0\x06\0");
    WriteBytes(dir / "song.mid", Smf(0, 480, {{{0, Ev(0x90, 69, 90)}, {480, Ev(0x90, 69, 0)}}}));
    ImportHarness h;
    h.v.m_cells[1] = Whole(0, 5, 0);
    h.v.m_lastCell = 1;
    h.v.m_title = S("前の曲");
    h.v.m_filePath = dir / "old.tbr";
    h.v.SetDocumentFile(h.v.m_filePath, false);
    const auto cellsBefore = h.v.m_cells;

    h.dialogs.Expect(res::kDlgSavePrompt, {UserAction::Press(CSavePromptDialog::kCancel)});
    h.v.OnCommand(cmd::kImport);
    EXPECT_TRUE(h.dialogs.fileRequests.empty()) << "the save prompt comes first";

    h.dialogs.Expect(res::kDlgSavePrompt, {UserAction::Press(CSavePromptDialog::kNo)});
    h.dialogs.AnswerFile(dir / "broken.mid");
    h.v.OnCommand(cmd::kImport);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, S("インポートできませんでした。\n") +
                                              (dir / "broken.mid") +
                                              S("\nファイルが壊れているか、途中で切れています。"));
    EXPECT_EQ(h.v.m_cells, cellsBefore);
    EXPECT_EQ(std::make_tuple(h.v.m_title, h.v.m_filePath, h.v.Modified()),
              std::make_tuple(S("前の曲"), dir / "old.tbr", 1));

    // The settings asked for after the file: cancelled, nothing happens.
    h.dialogs.Expect(res::kDlgSavePrompt, {UserAction::Press(CSavePromptDialog::kNo)});
    h.dialogs.AnswerFile(dir / "song.mid");
    h.dialogs.Expect(res::kDlgImport, {UserAction::PressEscape()});
    h.v.OnCommand(cmd::kImport);
    EXPECT_EQ(h.v.m_cells, cellsBefore);

    h.dialogs.Expect(res::kDlgSavePrompt, {UserAction::Press(CSavePromptDialog::kNo)});
    h.dialogs.AnswerFile(dir / "song.mid");
    h.dialogs.Expect(res::kDlgImport, {UserAction::Choose(CImportDialog::kTuningBox, 1),
                                       UserAction::Choose(CImportDialog::kOtsuBox, 2),
                                       UserAction::Choose(CImportDialog::kPartBox, 1),
                                       UserAction::Press(platform::kIdOk)});
    h.v.OnCommand(cmd::kImport);
    ASSERT_EQ(h.dialogs.messages.size(), 2u);
    EXPECT_EQ(h.dialogs.messages[1].text,
              S("1音を配置しました（うちオクターブを移した音 0）。配置できなかった音: 0。調子: "
                "平調子　基音平調乙"));
    EXPECT_EQ(std::vector(&h.v.m_cells[1], &h.v.m_cells[4]),
              (std::vector{Whole(0, 7, 0), ScoreCell{}, Whole(0, 600, 0)}))
        << "held to its end";
    EXPECT_EQ(std::make_tuple(h.v.m_title, h.v.m_filePath, h.v.m_tempo, h.v.Modified()),
              std::make_tuple(std::string(), std::string(), 120, 1));
    EXPECT_EQ(h.window.caption, S("無題"));
    EXPECT_FALSE(h.v.CanUndo());
    // In English the tuning and base tone are read out, as Shift-JIS holds them.
    res::SetLanguage(res::Language::English);
    std::string english;
    EXPECT_FALSE(h.v.ImportFile(dir / "song.mid", {{}, {}, true, ""}, english));
    res::SetLanguage(res::Language::Japanese);
    EXPECT_EQ(SjisToUtf8(english),
              "Placed 1 notes (0 of them moved by an octave). Notes that could not be placed: 0. "
              "Tuning: Hirajoshi (平調子)  base tone Hyojo (平調), otsu");
    h.dialogs.Expect(res::kDlgSavePrompt, {UserAction::Press(CSavePromptDialog::kCancel)});
    h.v.OnCommand(cmd::kNew);
    EXPECT_EQ(h.v.m_cells[1], Whole(0, 7, 0)) << "an imported score is asked about before it goes";
    EXPECT_TRUE(h.dialogs.AllScriptsUsed());
}

}  // namespace
}  // namespace tabrella::test
