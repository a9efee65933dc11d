// SPDX-License-Identifier: GPL-3.0-or-later
// A long run of random events on one view: keys of every code, clicks, every command with
// dialogs answered at random (valid, invalid, cancelled, Esc), zoom, scrolling, timer ticks,
// paint passes and window sizes. After every event the view's state must be one the rest of
// the program can use, and from time to time what it writes must read back.
//
// TABRELLA_SOAK_EVENTS sets the number of events (default 20000, a fifth of it in the
// sanitized build: support/RunLength.h), TABRELLA_SOAK_SEED the random seed (default 1),
// TABRELLA_SOAK_CHECK_EVERY how often the files are checked.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "files/FileDialogs.h"
#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FileMessage.h"
#include "score/CommandTable.h"
#include "score/RangeDialogs.h"
#include "score/TuningTable.h"
#include "sound/PlaySpeedDialog.h"
#include "sound/TempoDialog.h"
#include "sound/TuningDialog.h"
#include "support/OpenPathCheck.h"
#include "support/RunLength.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;
namespace fs = std::filesystem;

long long EnvNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoll(text) : fallback;
}

// The keys the view knows, weighted towards entry and movement; other codes come as well.
constexpr std::array<int, 38> kKnownKeys = {
    0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xDE, 0xDC,
    0x20, 0x2D, 0x4F, 0xBA, 0xC0, 0xDD, 0xDB, 0xBE, 0xBB, 0x4C, 0x4B, 0x28, 0x28,
    0x28, 0x26, 0x27, 0x25, 0x22, 0x21, 0x5A, 0x24, 0x58, 0x0D, 0x43, 0x28,
};

constexpr std::array<int, 7> kZooms = {80, 90, 100, 120, 150, 200, 300};

// Sets TMPDIR for the run, so that the play files land in the test's folder.
class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const std::string& dir) {
        if (const char* old = std::getenv("TMPDIR")) m_old = old;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (m_old.empty()) {
            ::unsetenv("TMPDIR");
        } else {
            ::setenv("TMPDIR", m_old.c_str(), 1);
        }
    }

  private:
    std::string m_old;
};

// Cells a MIDI pass from `first` to `end` covers: none past the one after the last cell.
int CellsBetween(int first, int end) {
    return std::max(0, std::min(end, kLastCellIndex + 1) - std::max(first, 1) + 1);
}

class Soak {
  public:
    Soak(const std::string& dir, std::uint64_t seed) : m_dir(dir), m_random(seed) {
        h.dialogs.onDialog = [this](int id) { return DialogAnswer(id); };
        h.dialogs.onMessage = [this](const ScriptedDialogHost::Message& m) {
            return m.kind != platform::MessageBoxKind::YesNoQuestion ? platform::kIdOk
                   : Chance(2)                                       ? platform::kIdYes
                                                                     : platform::kIdNo;
        };
        h.dialogs.onFile = [this](const platform::FileDialogRequest& r) { return FileAnswer(r); };
        h.dialogs.onFont = [this] { return FontAnswer(); };
        h.sequencer.onCall = [this](const FakeSequencer::Call& call) {
            if (call.op != "open") return;
            if (!call.fileExisted) Fail("the play file is missing");
            // Play writes from the cursor cell to one cell past the end; a loop, a count-in,
            // clicks or a slower speed make a file of another length.
            const CTabrellaView& v = h.v();
            const bool practice = m_looping || v.m_countIn || v.m_metronome || v.m_playSpeed != 100;
            const std::string fault = MidiFileFault(
                call.fileBytes, practice ? -1 : CellsBetween(v.CursorCell(), v.m_lastCell + 1));
            if (!fault.empty()) Fail("play file: " + fault);
        };
    }

    // Runs one random event and checks the state after it; false once a check failed.
    bool Step(long long index) {
        m_event.clear();
        const int invalidations = h.window.invalidations;
        Event();
        if (m_lastSavePath) CheckSavedFile();
        // The window's loop paints an invalidated window before the user's next input.
        if (h.window.invalidations != invalidations) {
            DrawLog log;
            RecordingSurface surface(log);
            h.v().OnPaint(surface);
        }
        CheckState();
        // Save and play stop at the end of the score: no used cell may lie past it.
        if (h.v().m_lastCell < h.v().LastUsedCell()) {
            Fail("cell " + std::to_string(h.v().LastUsedCell()) + " lies past the end " +
                 std::to_string(h.v().m_lastCell));
        }
        ForgetRecords();
        if (!m_failure.empty()) {
            ADD_FAILURE() << "after event " << index << " (" << m_event << "): " << m_failure;
            return false;
        }
        return !::testing::Test::HasFailure();
    }

    // What the view writes now must read back: the score file as the same score, the MIDI
    // file of an export and of a play from the cursor as well-formed files.
    void CheckFiles() {
        CTabrellaView& v = h.v();
        const std::string path = m_dir + "/check.tbr";
        if (auto error = v.WriteScoreFile(path)) return Fail("cannot save: " + ReasonText(*error));
        const ScoreFileRead read = ReadScoreFile(path);
        if (read.error) return Fail("cannot read the saved file");
        ExpectSameScore(read.content, v.ScoreFileFields(), "saved file");
        for (const auto& [first, end] :
             {std::pair{1, v.m_lastCell + 1}, std::pair{v.CursorCell(), v.m_lastCell + 1}}) {
            std::ostringstream out;
            if (!v.WriteMidiStream(out, first, end)) Fail("the MIDI writer failed");
            const std::string fault = MidiFileFault(out.str(), CellsBetween(first, end));
            if (!fault.empty()) Fail("MIDI from cell " + std::to_string(first) + ": " + fault);
        }
        ++m_fileChecks;
    }

    void Finish() {
        h.v().OnDestroy();
        CheckState();
    }

    ViewHarness h;
    long long m_fileChecks = 0;
    std::string m_failure;
    // How far the run got, to see that it reached the places that matter.
    struct Reach {
        long long saves = 0, plays = 0, dialogs = 0, refusals = 0, messages = 0;
        int longestScore = 0, farthestPage = 0, farthestCursor = 0, largestClip = 0;
    } m_reach;

  private:
    // ---- randomness ----
    int Below(int n) { return static_cast<int>(m_random() % static_cast<std::uint64_t>(n)); }
    bool Chance(int oneIn) { return Below(oneIn) == 0; }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    template <typename T, size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(N)))];
    }

    void Fail(const std::string& what) {
        if (m_failure.empty()) m_failure = what;
    }
    void Note(const std::string& what) { m_event += m_event.empty() ? what : "; " + what; }

    // ---- events ----
    void Event() {
        CTabrellaView& v = h.v();
        if (m_repeatsLeft > 0) {
            --m_repeatsLeft;
            Note("repeated key " + std::to_string(m_repeatKey));
            return v.OnKeyDown(m_repeatKey);
        }
        const int kind = Below(100);
        if (kind < 45) {
            const int key = Chance(4) ? Below(256) : Pick(kKnownKeys);
            Note("key " + std::to_string(key));
            v.OnKeyDown(key);
            // A held key repeats: this is how the far pages and cells are reached.
            if (Chance(30)) {
                m_repeatKey = key;
                m_repeatsLeft = Between(1, 80);
            }
        } else if (kind < 55) {
            const auto mouse = static_cast<platform::MouseEvent>(Below(4));
            Note("mouse " + std::to_string(static_cast<int>(mouse)));
            v.OnMouse(mouse);
        } else if (kind < 67) {
            Command();
        } else if (kind < 77) {
            Scroll();
        } else if (kind < 85) {
            Note("timer");
            v.OnTimer(Chance(10) ? Below(5) : 1);
        } else if (kind < 95) {
            Note("paint");
            DrawLog log;
            RecordingSurface surface(log);
            v.OnPaint(surface);
        } else if (kind < 98) {
            Note("update commands");
            for (const CommandEntry& e : CommandTable()) v.OnUpdateCommand(e.id);
        } else {
            Resize();
        }
    }

    void Command() {
        CTabrellaView& v = h.v();
        const auto table = CommandTable();
        int id = table[static_cast<size_t>(Below(static_cast<int>(table.size())))].id;
        if (Chance(40))
            id = Pick(std::array{cmd::kEditUndo, cmd::kNextPane, cmd::kPrevPane, 0, -1});
        Note("command " + std::to_string(id));
        const bool saving = id == cmd::kSave || id == cmd::kFileSave || id == cmd::kSaveAs;
        m_looping = id == cmd::kPlayLoop;
        const bool known = v.OnCommand(id);
        m_looping = false;
        if (known != (FindCommand(id) != nullptr)) Fail("OnCommand answered wrongly");
        // The saved notice shows only once the file is written; it holds the state's score.
        bool saved = false;
        for (const auto& shown : h.dialogs.shown) saved |= shown.resourceId == res::kDlgSavedNotice;
        if (saving && saved) m_lastSavePath = v.m_filePath;
    }

    void Scroll() {
        const auto bar =
            Chance(2) ? platform::ScrollBar::Vertical : platform::ScrollBar::Horizontal;
        const auto request = static_cast<platform::ScrollRequest>(Below(9));
        const platform::ScrollInfo info = h.window.GetScrollInfo(bar);
        // The platform reports the thumb within the bar's range.
        const int track = Between(info.min, std::max(info.min, info.max));
        Note("scroll " + std::to_string(static_cast<int>(bar)) + "/" +
             std::to_string(static_cast<int>(request)) + " at " + std::to_string(track));
        h.v().OnScroll(bar, request, track);
    }

    void Resize() {
        static constexpr std::array<platform::ClientSize, 6> kSizes = {
            platform::ClientSize{800, 600}, {1, 1}, {0, 0}, {1920, 1080}, {300, 2000}, {640, 0}};
        h.window.client =
            Chance(3) ? platform::ClientSize{Between(0, 3000), Between(0, 3000)} : Pick(kSizes);
        Note("resize " + std::to_string(h.window.client.width) + "x" +
             std::to_string(h.window.client.height));
    }

    // ---- dialog answers ----
    std::string Number(int lo, int hi) {
        switch (Below(8)) {
            case 0:
                return Pick(std::array<std::string, 8>{"", "abc", "-1", "0", "3000", "99999999999",
                                                       " 12 ", "+7"});
            case 1:
                return std::to_string(Between(lo - 5, lo + 5));
            case 2:
                return std::to_string(Between(hi - 5, hi + 5));
            default:
                return std::to_string(Between(lo, hi));
        }
    }

    // Ends with Esc, so a dialog that refused its input still closes.
    std::vector<UA> DialogAnswer(int id) {
        std::vector<UA> actions;
        auto close = [&](int confirm, int cancel) {
            const int how = Below(10);
            if (how < 6) {
                actions.push_back(UA::Press(confirm));
            } else if (how < 8) {
                actions.push_back(UA::Press(cancel));
            } else if (how < 9) {
                actions.push_back(UA::PressEnter());
            }
            actions.push_back(UA::PressEscape());
        };
        switch (id) {
            case res::kDlgRange: {
                Note("range dialog");
                if (Chance(2)) actions.push_back(UA::TypeText(CRangeDialog::kFromEdit, Range()));
                if (Chance(2)) actions.push_back(UA::TypeText(CRangeDialog::kToEdit, Range()));
                if (Chance(5)) actions.push_back(UA::Up(CRangeDialog::kFromSpin));
                if (Chance(5)) actions.push_back(UA::Down(CRangeDialog::kToSpin));
                close(CRangeDialog::kDecideButton, CRangeDialog::kCancelButton);
                break;
            }
            case res::kDlgPaste:
                Note("paste dialog");
                if (Chance(2)) actions.push_back(UA::TypeText(CPasteDialog::kTargetEdit, Range()));
                if (Chance(5)) actions.push_back(UA::Up(CPasteDialog::kTargetSpin));
                close(CPasteDialog::kRunButton, CPasteDialog::kCancelButton);
                break;
            case res::kDlgTempo:
                Note("tempo dialog");
                if (Chance(3)) {
                    actions.push_back(UA::TypeText(CTempoDialog::kTempoEdit, Number(10, 999)));
                } else if (Chance(2)) {
                    actions.push_back(Chance(2) ? UA::Up(CTempoDialog::kTempoSpin)
                                                : UA::Down(CTempoDialog::kTempoSpin));
                }
                close(platform::kIdOk, platform::kIdCancel);
                break;
            case res::kDlgTuning:
                Note("tuning dialog");
                if (Chance(2)) actions.push_back(UA::Choose(CTuningDialog::kTuningBox, Below(8)));
                if (Chance(2))
                    actions.push_back(UA::Choose(CTuningDialog::kBaseToneBox, Below(12)));
                if (Chance(6)) actions.push_back(UA::TypeText(CTuningDialog::kTuningBox, Text()));
                if (Chance(6)) actions.push_back(UA::TypeText(CTuningDialog::kBaseToneBox, Text()));
                if (Chance(3)) actions.push_back(UA::Check(CTuningDialog::kOtsuBox, Below(2)));
                close(platform::kIdOk, platform::kIdCancel);
                break;
            case res::kDlgPlaySpeed:
                Note("play speed dialog");
                if (Chance(2)) {
                    actions.push_back(UA::Choose(CPlaySpeedDialog::kSpeedBox, Below(11)));
                } else if (Chance(2)) {
                    actions.push_back(UA::TypeText(CPlaySpeedDialog::kSpeedBox, Number(50, 100)));
                }
                close(platform::kIdOk, platform::kIdCancel);
                break;
            case res::kDlgTitle:
                Note("title dialog");
                if (!Chance(4)) actions.push_back(UA::TypeText(CTitleDialog::kTitleEdit, Text()));
                close(platform::kIdOk, platform::kIdCancel);
                break;
            case res::kDlgSavePrompt: {
                Note("save prompt");
                const int answer = Below(5);
                if (answer < 3) {
                    actions.push_back(
                        UA::Press(Pick(std::array{CSavePromptDialog::kYes, CSavePromptDialog::kNo,
                                                  CSavePromptDialog::kCancel})));
                } else if (answer == 3) {
                    actions.push_back(UA::PressEnter());
                }
                actions.push_back(UA::PressEscape());
                break;
            }
            case res::kDlgSavedNotice:
                Note("saved notice");
                actions.push_back(Chance(3) ? UA::PressEnter() : UA::Tick(1));
                actions.push_back(UA::PressEscape());
                break;
            default:
                Fail("an unknown dialog opened: " + std::to_string(id));
                actions.push_back(UA::PressEscape());
                break;
        }
        return actions;
    }

    // Page positions: near the cursor, small, large, or not a number at all.
    std::string Range() {
        const int pos = h.v().m_cursorPos;
        switch (Below(6)) {
            case 0:
                return std::to_string(Between(std::max(1, pos - 40), pos + 40));
            case 1:
                return std::to_string(Between(1, 64));
            case 2:
                return std::to_string(Between(2900, 2999));
            case 3:
                return std::to_string(Between(1, 2999));
            default:
                return Number(1, 2999);
        }
    }

    // Texts a user might type: names of the lists, Japanese with blanks, words of the file.
    std::string Text() {
        switch (Below(8)) {
            case 0:
                return TuningTable()[static_cast<size_t>(Below(kTuningCount))].name;
            case 1:
                return BaseToneNames()[static_cast<size_t>(Below(kBaseToneCount + 1))];
            case 2:
                return Pick(std::array<std::string, 4>{"NULL", "Title", "", " "});
            case 3:
                return S("さくら さくら\t弥生の空は");
            case 4:
                return std::string(static_cast<size_t>(Between(1, 300)), 'x');
            case 5:
                return S("春の海") + "\r\n" + S("宮城");
            case 6:
                return std::string("\x81", 1) + " odd";
            default:
                return S("六段の調");
        }
    }

    std::optional<std::string> FileAnswer(const platform::FileDialogRequest& r) {
        const bool midi = r.defaultExtension == "mid";
        Note(r.save ? (midi ? "MIDI file dialog" : "save dialog") : "open dialog");
        switch (Below(10)) {
            case 0:
                return std::nullopt;
            case 1:
                return std::string();
            case 2:
                return m_dir + "/missing-folder/x." + r.defaultExtension;
            case 3:
                return m_dir;  // a folder
            case 4:
                return midi ? m_dir + "/.mid" : m_dir + "/" + S("曲.tbr");
            case 5:
                return m_dir + "/export.mid";
            case 6:
                return m_dir + "/second.txt";
            default:
                return midi ? m_dir + "/export.mid" : m_dir + "/score.tbr";
        }
    }

    std::optional<std::string> FontAnswer() {
        Note("font dialog");
        switch (Below(5)) {
            case 0:
                return std::nullopt;
            case 1:
                return std::string();
            case 2:
                return S("ＭＳ 明朝");
            case 3:
                return std::string(40, 'F');
            default:
                return std::string("DejaVu Sans");
        }
    }

    // ---- checks ----
    void CheckState() {
        const CTabrellaView& v = h.v();
        auto in = [](int x, int lo, int hi) { return x >= lo && x <= hi; };
        if (!(v.m_cells[0] == ScoreCell{})) Fail("cell 0 was written");
        if (!(v.m_clip[0] == ScoreCell{})) Fail("clipboard entry 0 was written");
        if (!in(v.m_cursorHalf, 1, 2)) Fail("m_cursorHalf " + std::to_string(v.m_cursorHalf));
        if (!in(v.m_cursorSlot, 1, 3)) Fail("m_cursorSlot " + std::to_string(v.m_cursorSlot));
        if (!in(v.m_topColumn, 0, kMaxTopColumn))
            Fail("m_topColumn " + std::to_string(v.m_topColumn));
        // Go to end may put the cursor one row past the last cell, never further.
        if (!in(v.m_cursorPos, 1, kLastCellIndex + 2))
            Fail("m_cursorPos " + std::to_string(v.m_cursorPos));
        if (!in(v.m_lastCell, 0, kLastCellIndex))
            Fail("m_lastCell " + std::to_string(v.m_lastCell));
        if (!in(v.m_clipCount, 0, kLastCellIndex))
            Fail("m_clipCount " + std::to_string(v.m_clipCount));
        if (v.m_rangeStart != 0 &&
            !in(v.m_rangeStart, 1, kLastCellIndex + kCellsPerColumn * kMaxTopColumn))
            Fail("m_rangeStart " + std::to_string(v.m_rangeStart));
        if (v.m_tempo < 1) Fail("m_tempo " + std::to_string(v.m_tempo));
        if (!in(v.m_baseTone, 0, kBaseToneCount))
            Fail("m_baseTone " + std::to_string(v.m_baseTone));
        if (!in(v.m_tuningIndex, 0, kTuningCount - 1)) Fail("m_tuningIndex");
        if (v.m_otsuFlag > 1) Fail("m_otsuFlag");
        for (int p : v.m_pitch) {
            if (!in(p, 0, 127)) Fail("pitch " + std::to_string(p));
        }
        if (std::find(kZooms.begin(), kZooms.end(), v.m_zoom) == kZooms.end()) Fail("m_zoom");
        if (v.m_playing == 1 && v.m_timerInterval <= 0) Fail("play timer interval");
        if (v.m_playSpeed < 50 || v.m_playSpeed > 100 || v.m_playSpeed % 5 != 0)
            Fail("m_playSpeed " + std::to_string(v.m_playSpeed));
        if (v.m_tuningName.empty()) Fail("empty tuning name");
    }

    // Right after a save the file holds exactly what the state gives.
    void CheckSavedFile() {
        const std::string path = *m_lastSavePath;
        m_lastSavePath.reset();
        if (ReadBytes(path) != FormatScoreFile(h.v().ScoreFileFields())) {
            Fail("the saved file differs from the state");
        }
    }

    void ExpectSameScore(const ScoreFileContent& read, const ScoreFileContent& state,
                         const std::string& what) {
        if (read.cells != state.cells) Fail(what + ": cells differ");
        // A title that is the word NULL stands for no title in the file.
        if (read.settings.m_title != state.settings.m_title &&
            !(read.settings.m_title.empty() && state.settings.m_title == "NULL"))
            Fail(what + ": title differs");
        if (read.settings.m_tuningName != state.settings.m_tuningName)
            Fail(what + ": tuning name differs");
        if (read.settings.m_otsuFlag != state.settings.m_otsuFlag ||
            read.settings.m_baseTone != state.settings.m_baseTone ||
            read.settings.m_tempo != state.settings.m_tempo) {
            Fail(what + ": settings differ");
        }
    }

    // The fakes keep a record of every call; a million events would fill the memory.
    void ForgetRecords() {
        const CTabrellaView& v = h.v();
        m_reach.dialogs += static_cast<long long>(h.dialogs.shown.size());
        for (const auto& shown : h.dialogs.shown) {
            m_reach.refusals += static_cast<long long>(shown.controlsAtEnd.refusals.size());
            m_reach.saves += shown.resourceId == res::kDlgSavedNotice;
        }
        m_reach.messages += static_cast<long long>(h.dialogs.messages.size());
        for (const auto& call : h.sequencer.calls) m_reach.plays += call.op == "open";
        m_reach.longestScore = std::max(m_reach.longestScore, v.LastUsedCell());
        m_reach.farthestPage = std::max(m_reach.farthestPage, v.m_topColumn);
        m_reach.farthestCursor = std::max(m_reach.farthestCursor, v.CursorCell());
        m_reach.largestClip = std::max(m_reach.largestClip, v.m_clipCount);
        h.dialogs.shown.clear();
        h.dialogs.messages.clear();
        h.dialogs.fileRequests.clear();
        h.dialogs.fontRequests.clear();
        h.sequencer.calls.clear();
        h.window.printJobs.clear();
        h.window.printed.Clear();
    }

    std::string m_dir;
    std::mt19937_64 m_random;
    std::string m_event;
    std::optional<std::string> m_lastSavePath;
    int m_repeatKey = 0;
    int m_repeatsLeft = 0;
    bool m_looping = false;  // the command running is the loop
};

TEST(Soak, RandomEventsKeepTheViewUsableAndItsFilesReadable) {
    const long long events = EnvNumber("TABRELLA_SOAK_EVENTS", RunLength(20000));
    const auto seed = static_cast<std::uint64_t>(EnvNumber("TABRELLA_SOAK_SEED", 1));
    const long long checkEvery = std::max(1LL, EnvNumber("TABRELLA_SOAK_CHECK_EVERY", 1000));
    TempDir dir;
    ScopedTmpDir tmp(dir.path());
    Soak soak(dir.path(), seed);

    long long done = 0;
    for (; done < events; ++done) {
        if (!soak.Step(done)) break;
        if ((done + 1) % checkEvery == 0) soak.CheckFiles();
    }
    soak.CheckFiles();
    soak.Finish();
    EXPECT_EQ(soak.m_failure, "");
    EXPECT_EQ(done, events) << "seed " << seed;
    const auto& r = soak.m_reach;
    std::cout << done << " events, seed " << seed << ": " << soak.m_fileChecks << " file checks, "
              << r.saves << " saves, " << r.plays << " plays, " << r.dialogs << " dialogs ("
              << r.refusals << " inputs refused), " << r.messages << " messages; longest score "
              << r.longestScore << " cells, page up to column " << r.farthestPage
              << ", cursor up to cell " << r.farthestCursor << ", clipboard up to " << r.largestClip
              << " cells\n";

    // Nothing is left behind: no play file after the view went, no half-written save.
    for (const std::string& name : dir.Names()) {
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        EXPECT_NE(name.rfind("tabrella-", 0), 0u) << name;
    }
    // The run did reach the places that matter.
    EXPECT_GT(soak.m_fileChecks, 0);
    if (events >= 20000) {
        EXPECT_GT(r.saves, 0);
        EXPECT_GT(r.plays, 0);
        EXPECT_GT(r.refusals, 0);
        EXPECT_GT(r.farthestPage, 0);
    }
}

// The checks bite: a state or a file the program could not use is reported.
TEST(Soak, AWrittenCellZeroIsReported) {
    TempDir dir;
    ScopedTmpDir tmp(dir.path());
    Soak soak(dir.path(), 7);
    soak.h.v().m_cells[0].first[2] = 5;
    EXPECT_NONFATAL_FAILURE(soak.Step(0), "cell 0 was written");
}

TEST(Soak, AScoreThatDoesNotReadBackIsReported) {
    TempDir dir;
    ScopedTmpDir tmp(dir.path());
    Soak soak(dir.path(), 7);
    soak.h.v().m_title = "two words";  // the title dialog never leaves a blank in a title
    soak.CheckFiles();
    EXPECT_NE(soak.m_failure.find("title differs"), std::string::npos) << soak.m_failure;
}

}  // namespace
}  // namespace tabrella::test
