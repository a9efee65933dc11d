// SPDX-License-Identifier: GPL-3.0-or-later
// The MusicXML export, read back with pugixml and libzip: over many random scores the
// notation plays exactly the notes the MIDI export sounds (key, start and end on the cell
// grid); examples show the part, the tablature under the notes and the bends; the command
// writes whole files or nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <random>
#include <sstream>

#include "base/Sjis.h"
#include "exchange/Arrangement.h"
#include "exchange/ExchangeModule.h"
#include "exchange/MusicXmlWriter.h"
#include "resources/CommandIds.h"
#include "resources/FileMessage.h"
#include "resources/Texts.h"
#include "score/TuningTable.h"
#include "support/CellPrinting.h"
#include "support/FakePlatform.h"
#include "support/MidiBytes.h"
#include "support/MusicXmlNotes.h"
#include "support/ScriptedDialogHost.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A view with the real MusicXML writer.
struct NotationHarness {
    FakeWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    exchange::MusicXmlWriter writer;
    CTabrellaView v{platform::Services{window, dialogs, sequencer, nullptr, &writer}};

    MidiTrack Midi() const {
        std::ostringstream bytes;
        v.WriteMidiStream(bytes, 1, v.ExportEndCell());
        return ReadMidi(bytes.str());
    }
    MusicXmlScore Xml() const {
        return ReadMusicXml(exchange::MusicXmlDocument(v.NotationOfScore()));
    }
};

struct TempDir {
    fs::path made = [] {
        std::string name = (fs::temp_directory_path() / "tabrella-xml-XXXXXX").string();
        return fs::path(::mkdtemp(name.data()) ? name : "");
    }();
    ~TempDir() { fs::remove_all(made); }
    const fs::path& path() const { return made; }
};

// ---- Random scores ----------------------------------------------------------------------

class RandomScore {
  public:
    explicit RandomScore(unsigned seed) : m_rng(seed) {}

    // Strings with pressing signs, chords, split cells with marks in either half, rests, the
    // repeat sign, technique signs and bare modifiers over held notes, empty hold cells, and
    // now and then a value only a score file holds.
    void Fill(CTabrellaView& v) {
        const int length = Pick({1, 8, 40, 200, 700, 2999});
        for (int k = 1; k <= length; ++k) v.m_cells[static_cast<size_t>(k)] = Cell();
        v.RecomputePitches(true, TuningTable()[static_cast<size_t>(Uniform(0, 7))].name,
                           BaseToneNames()[static_cast<size_t>(Uniform(1, 12))], Uniform(0, 1));
        v.m_tempo = Pick({80, 40, 120, 280, 7});
        v.m_lastCell = v.LastUsedCell();
        // The screen raises the end of the score to a cursor past it; the cursor on cell 1
        // adds a cell of silence.
        if (Chance(20)) v.m_lastCell = std::min(v.m_lastCell + Uniform(1, 60), kLastCellIndex);
        v.m_cursorPos = Chance(50) ? 1 : Uniform(2, 224);
    }

  private:
    ScoreCell Cell() {
        if (Chance(30)) return ScoreCell{};
        ScoreCell c;
        if (Chance(10)) {
            c.first[2] = Pick({500, 600, 700, 800});
        } else if (Chance(8)) {
            c.first[2] = 900;
        } else if (Chance(12)) {
            c.first[2] = Pick({100, 200, 300, 1000, 1100, 1200});
        } else {
            for (int s = 1; s <= 3; ++s) {
                if (Chance(s == 2 ? 80 : 25)) c.first[s] = Note();
            }
        }
        if (Chance(30)) {
            c.split = 1;
            for (int s = 1; s <= 3; ++s) {
                if (Chance(35)) c.second[s] = Chance(50) ? Note() : Mark();
            }
        }
        if (Chance(2)) c.first[Uniform(1, 3)] = Pick({114, 400, 1105, 99999, -3, 905});
        return c;
    }
    int Note() { return 100 * Uniform(0, 3) + Uniform(1, 13); }
    int Mark() { return Pick({100, 200, 500, 600, 900, 1000, 1100, 1200}); }

    bool Chance(int percent) { return Uniform(1, 100) <= percent; }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    int Pick(std::initializer_list<int> values) {
        return *(values.begin() + Uniform(0, static_cast<int>(values.size()) - 1));
    }
    std::mt19937 m_rng;
};

TEST(MusicXmlExport, OverRandomScoresTheNotationPlaysTheNotesOfTheMidiExport) {
    TempDir dir;
    int notesSeen = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        NotationHarness h;
        RandomScore(seed).Fill(h.v);
        const MidiTrack midi = h.Midi();
        ASSERT_TRUE(midi.valid) << midi.error;

        // Every tenth score goes through the export itself, plain or compressed.
        MusicXmlScore xml;
        if (seed % 10 == 0) {
            const bool compressed = seed % 20 == 0;
            const fs::path file = dir.path() / (compressed ? "score.mxl" : "score.musicxml");
            ASSERT_FALSE(h.v.ExportMusicXml(file.string()));
            std::string document = ReadAll(file), error;
            if (compressed) document = ReadMxl(document, error);
            ASSERT_TRUE(error.empty()) << error;
            xml = ReadMusicXml(document);
        } else {
            xml = h.Xml();
        }
        ASSERT_TRUE(xml.valid) << xml.error;
        ASSERT_EQ(xml.notes, midi.GridNotes());
        // Eight cells a measure, the last one filled up, none after the last cell.
        EXPECT_EQ(xml.measures, std::max(1, (h.v.m_lastCell + 7) / 8));
        notesSeen += static_cast<int>(xml.notes.size());
    }
    EXPECT_GT(notesSeen, 10000) << "the random scores must play";
}

// ---- Examples ---------------------------------------------------------------------------

std::string U(const char* utf8) {
    return Utf8ToSjis(utf8);
}

TEST(MusicXmlExport, AScoreIsOneKotoPartOnATrebleStaffWithItsTitleTuningAndTempo) {
    NotationHarness h;
    h.v.m_title = U("六段");
    h.v.RecomputePitches(true, U("雲井調子"), U("黄鐘"), 1);
    h.v.m_tempo = 120;
    h.v.m_cells[1] = Whole(105, 7, 0);  // a chord, ヲ五 and 七, held through empty cells
    h.v.m_cells[9] = Whole(0, 1, 0);
    h.v.m_lastCell = 9;
    h.v.m_cursorPos = 2;
    const MusicXmlScore xml = h.Xml();
    ASSERT_TRUE(xml.valid) << xml.error;
    EXPECT_EQ(xml.title, "六段");
    EXPECT_EQ(xml.partName, "Koto");
    EXPECT_EQ(xml.midiProgram, 108) << "General MIDI koto, counted from 1";
    EXPECT_EQ(xml.clef, "G2");
    EXPECT_EQ(xml.time, "4/4");
    EXPECT_EQ(xml.tempo, 120);
    EXPECT_EQ(xml.direction, "雲井調子　基音黄鐘乙");
    EXPECT_EQ(xml.measures, 2);
    // 雲井調子 on 黄鐘 (A3 = 57), 乙 on: 五 = 69, so ヲ五 = 70; 七 = 74; 一 = 57.
    EXPECT_EQ(xml.notes,
              (std::vector<SoundedNote>{{0, 1920, 70}, {0, 1920, 74}, {1920, 2160, 57}}));
    EXPECT_EQ(xml.lyrics, (std::vector<std::string>{"0:70:1:ヲ五", "0:74:2:七", "1920:57:1:一"}));
    EXPECT_TRUE(xml.bends.empty());
}

// Each case: the cells from cell 1 on (default tuning: 五 = 64, 六 = 65, 七 = 69), and what
// the notation must hold.
struct BendCase {
    const char* name;
    std::vector<ScoreCell> cells;
    std::vector<SoundedNote> notes;
    std::vector<std::string> bends;
    std::vector<std::string> lyrics;
};

TEST(MusicXmlExport, MarksOverASoundingNoteBecomeBendsWithTheirSign) {
    const BendCase cases[] = {
        {"ヲ in the second half bends the first half's note up at its middle",
         {Split(0, 5, 0, 0, 100, 0), Whole(0, 7, 0)},
         {{0, 240, 64}, {240, 480, 69}},
         {"120:64:1"},
         {"0:64:1:五", "120:64:1:ヲ", "240:69:1:七"}},
        {"ハ after a pressed note lets it go back",
         {Split(0, 105, 0, 0, 1000, 0), Whole(0, 7, 0)},
         {{0, 240, 65}, {240, 480, 69}},
         {"120:65:-1r"},
         {"0:65:1:ヲ五", "120:65:1:ハ", "240:69:1:七"}},
        {"ツ goes up and back",
         {Split(0, 5, 0, 0, 1100, 0), Whole(0, 7, 0)},
         {{0, 240, 64}, {240, 480, 69}},
         {"120:64:1", "120:64:-1r"},
         {"0:64:1:五", "120:64:1:ツ", "240:69:1:七"}},
        {"オ alone in a hold cell bends the held note two semitones",
         {Whole(0, 5, 0), Whole(0, 200, 0), Whole(0, 7, 0)},
         {{0, 480, 64}, {480, 720, 69}},
         {"240:64:2"},
         {"0:64:1:五", "240:64:1:オ", "480:69:1:七"}},
        {"ヒ then ヲ over one held note move the wheel from where it stands",
         {Whole(0, 6, 0), Whole(0, 1200, 0), Whole(0, 100, 0), Whole(0, 7, 0)},
         {{0, 720, 65}, {720, 960, 69}},
         {"240:65:-1", "480:65:2"},
         {"0:65:1:六", "240:65:1:ヒ", "480:65:1:ヲ", "720:69:1:七"}},
        {"with a bend mark a split cell sounds its first half only: here nothing",
         {Split(0, 0, 0, 5, 100, 0), Whole(0, 7, 0)},
         {{240, 480, 69}},
         {},
         {"240:69:1:七"}},
    };
    for (const BendCase& c : cases) {
        SCOPED_TRACE(c.name);
        NotationHarness h;
        for (size_t i = 0; i < c.cells.size(); ++i) h.v.m_cells[i + 1] = c.cells[i];
        h.v.m_lastCell = static_cast<int>(c.cells.size());
        h.v.m_cursorPos = 2;
        const MusicXmlScore xml = h.Xml();
        ASSERT_TRUE(xml.valid) << xml.error;
        EXPECT_EQ(xml.notes, h.Midi().GridNotes()) << "the MIDI export sounds the same notes";
        EXPECT_EQ(xml.notes, c.notes);
        EXPECT_EQ(xml.bends, c.bends);
        EXPECT_EQ(xml.lyrics, c.lyrics);
    }
}

// ---- Written as a musician reads it ------------------------------------------------------

using platform::NotationNote;

// A key struck on a cell and sounding on through `cells` cells in all, or a rest.
std::vector<NotationNote> Held(int key, int cells) {
    std::vector<NotationNote> notes(static_cast<size_t>(cells));
    for (int i = 0; i < cells; ++i) {
        notes[i].keys = {key};
        notes[i].tiedFromPrevious = i > 0;
        notes[i].tiedToNext = i + 1 < cells;
    }
    return notes;
}
std::vector<NotationNote> Rests(int cells) {
    return std::vector<NotationNote>(static_cast<size_t>(cells));
}

pugi::xml_document Document(const std::vector<std::vector<NotationNote>>& runs) {
    platform::NotationScore score;
    int length = 0;
    for (const std::vector<NotationNote>& run : runs) {
        for (const NotationNote& n : run) {
            if (length++ % 8 == 0) score.measures.emplace_back();
            score.measures.back().notes.push_back(n);
        }
    }
    pugi::xml_document doc;
    doc.load_string(exchange::MusicXmlDocument(score).c_str());
    return doc;
}

// Each note as "type", a dot, "~" when tied on, "r:" for a rest; measures split by "|".
std::string Values(const pugi::xml_document& doc) {
    std::string out;
    for (pugi::xml_node m : doc.child("score-partwise").child("part").children("measure")) {
        out += out.empty() ? "" : " |";
        for (pugi::xml_node n : m.children("note")) {
            if (n.child("chord")) continue;
            out += std::string(" ") + (n.child("rest") ? "r:" : "") + n.child_value("type") +
                   (n.child("dot") ? "." : "");
            for (pugi::xml_node t : n.children("tie")) {
                if (std::string_view(t.attribute("type").value()) == "start") out += "~";
            }
        }
    }
    return out;
}

TEST(MusicXmlExport, NotesTakeTheLongestValuesTheBarAndItsBeatsAllow) {
    const std::pair<std::vector<std::vector<NotationNote>>, std::string> cases[] = {
        {{Held(69, 8)}, " whole"},
        {{Held(69, 1), Held(71, 3), Rests(4)}, " eighth eighth~ quarter r:half"},
        {{Held(69, 3), Held(71, 5)}, " quarter. eighth~ half"},
        {{Held(69, 2), Rests(3), Held(71, 3)}, " quarter r:quarter r:eighth eighth~ quarter"},
        {{Held(69, 12), Rests(4)}, " whole~ | half r:half"},
    };
    for (const auto& [runs, values] : cases) {
        EXPECT_EQ(Values(Document(runs)), values);
    }
}

// The signature's alteration of a step in the key of `fifths`.
int SignatureAlter(int fifths, char step) {
    const std::string order = "FCGDAEB";
    const size_t at = order.find(step);
    return fifths > 0 && int(at) < fifths ? 1 : fifths < 0 && int(at) >= 7 + fifths ? -1 : 0;
}

TEST(MusicXmlExport, TheKeyIsTheOneOfFifteenThatNeedsTheFewestAccidentals) {
    // 平調子 on five base tones: its notes lie in one major scale, so none needs an accidental.
    for (const int baseTone : {1, 3, 6, 8, 11}) {
        SCOPED_TRACE(baseTone);
        NotationHarness h;
        h.v.RecomputePitches(true, TuningTable()[0].name, BaseToneName(baseTone), 1);
        for (int k = 1; k <= 13; ++k) h.v.m_cells[k] = Whole(0, k, 0);
        h.v.m_lastCell = 13;
        pugi::xml_document doc;
        doc.load_string(exchange::MusicXmlDocument(h.v.NotationOfScore()).c_str());
        const pugi::xml_node part = doc.child("score-partwise").child("part");
        const int fifths =
            part.child("measure").child("attributes").child("key").child("fifths").text().as_int();
        int needless = 0, notes = 0;
        for (pugi::xml_node m : part.children("measure")) {
            for (pugi::xml_node n : m.children("note")) {
                const pugi::xml_node pitch = n.child("pitch");
                if (!pitch) continue;
                ++notes;
                needless += pitch.child("alter").text().as_int(0) !=
                            SignatureAlter(fifths, pitch.child_value("step")[0]);
            }
        }
        EXPECT_EQ(notes, 13);
        EXPECT_EQ(needless, 0) << "in the key of " << fifths;
    }
    // A♭ major comes out in flats.
    std::vector<NotationNote> scale;
    for (int key : {68, 70, 72, 73, 75, 77, 79, 80}) scale.push_back(Held(key, 1)[0]);
    const pugi::xml_document doc = Document({scale});
    const pugi::xml_node measure = doc.child("score-partwise").child("part").child("measure");
    EXPECT_EQ(measure.child("attributes").child("key").child("fifths").text().as_int(), -4);
    std::string spelled;
    for (pugi::xml_node n : measure.children("note")) {
        spelled += std::string(n.child("pitch").child_value("step")) +
                   n.child("pitch").child_value("alter") + " ";
    }
    EXPECT_EQ(spelled, "A-1 B-1 C D-1 E-1 F G A-1 ");
}

// ---- The command ------------------------------------------------------------------------

TEST(MusicXmlExport, TheCommandWritesAWholeFileOrNothingAndSaysWhy) {
    TempDir dir;
    NotationHarness h;
    h.v.m_cells[1] = Whole(0, 5, 0);
    h.v.m_lastCell = 1;
    h.v.m_title = U("曲");
    auto run = [&](std::optional<std::string> answer) {
        h.dialogs.messages.clear();
        h.dialogs.AnswerFile(std::move(answer));
        h.v.OnCommand(cmd::kMusicXmlExport);
    };

    run((dir.path() / "a.mxl").string());
    ASSERT_EQ(h.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(h.dialogs.fileRequests[0].initialName, U("曲.musicxml"));
    EXPECT_TRUE(h.dialogs.fileRequests[0].confirmOverwrite);
    std::string error;
    const MusicXmlScore xml = ReadMusicXml(ReadMxl(ReadAll(dir.path() / "a.mxl"), error));
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(xml.notes, h.Midi().GridNotes());
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(h.window.written, std::vector<std::string>{(dir.path() / "a.mxl").string()});

    run((dir.path() / ".musicxml").string());  // a name the user never typed
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, res::Sjis(res::Txt::EnterFileName));

    run((dir.path() / "b.txt").string());  // no MusicXML extension
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find((dir.path() / "b.txt").string()), std::string::npos);

    run(std::nullopt);  // cancelled
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(h.window.written.size(), 1u) << "only the export that wrote says so";
    // A build without the writer says so rather than writing an empty file.
    EXPECT_TRUE(ViewHarness().v().ExportMusicXml((dir.path() / "d.musicxml").string()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "only a.mxl: no other file and no temporary left";
}

// The program loads the writer and the readers as one module at the first export or
// import: the same bytes through it, and a module that is missing is named in the message,
// changes nothing, and is found when it is back.
TEST(MusicXmlExport, TheExchangeModuleWritesAndReadsTheSameAndIsNamedWhenMissing) {
    TempDir dir;
    NotationHarness direct;
    direct.v.m_cells[1] = Whole(0, 5, 0);
    direct.v.m_lastCell = 1;
    const fs::path module = dir.path() / "tabrella-exchange.so";
    exchange::ModuleNotationWriter loaded(module.string());
    exchange::ModuleMelodyReader reader(module.string());
    ViewHarness h;
    h.view = std::make_unique<CTabrellaView>(
        platform::Services{h.window, h.dialogs, h.sequencer, nullptr, &loaded, &reader});
    h.v().m_cells[1] = Whole(0, 5, 0);
    h.v().m_lastCell = 1;
    const std::string named =
        "MIDI・MusicXML モジュールを読み込めません: " + module.string() + " (";

    const std::optional<FileError> missing = h.v().ExportMusicXml((dir.path() / "a.mxl").string());
    ASSERT_TRUE(missing);
    EXPECT_EQ(SjisToUtf8(ReasonText(*missing)).find(named), 0u) << SjisToUtf8(ReasonText(*missing));
    EXPECT_FALSE(fs::exists(dir.path() / "a.mxl"));
    ASSERT_FALSE(direct.v.ExportMusicXml((dir.path() / "b.musicxml").string()));
    std::string report;
    const std::optional<FileError> unread =
        h.v().ImportFile((dir.path() / "b.musicxml").string(), {}, report);
    ASSERT_TRUE(unread);
    EXPECT_EQ(SjisToUtf8(ReasonText(*unread)).find(named), 0u) << SjisToUtf8(ReasonText(*unread));
    EXPECT_EQ(h.v().m_cells[1], Whole(0, 5, 0)) << "the score is untouched";

    fs::copy_file(exchange::ExchangeModulePath(), module);
    ASSERT_FALSE(h.v().ExportMusicXml((dir.path() / "a.musicxml").string()));
    EXPECT_EQ(ReadAll(dir.path() / "a.musicxml"), ReadAll(dir.path() / "b.musicxml"));
    h.v().m_cells[1] = {};
    ASSERT_FALSE(h.v().ImportFile((dir.path() / "b.musicxml").string(), {}, report));
    EXPECT_EQ(h.v().m_cells[1], Whole(0, 5, 0)) << "the note comes back through the module";
}

}  // namespace
}  // namespace tabrella::test
