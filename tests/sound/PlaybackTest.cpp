// SPDX-License-Identifier: GPL-3.0-or-later
// Play, Stop, the stepping cursor and the cleanup, against the fake sequencer and real
// temporary files; the page turning with the music, loops, speed, count-in and clicks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

#include "files/FileTestSupport.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/KeyCodes.h"
#include "score/RangeDialogs.h"
#include "sound/PlaySpeedDialog.h"
#include "support/MidiBytes.h"
#include "support/OpenPathCheck.h"
#include "support/RunLength.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;
constexpr int kPlay = 32790;
constexpr int kStop = 32791;
constexpr int kTimer = 1;

std::vector<std::string> Ops(const FakeSequencer& s) {
    std::vector<std::string> out;
    for (const auto& c : s.calls) out.push_back(c.op + " " + std::to_string(c.device));
    return out;
}

// "top column:page position/half" of the cursor after each of `ticks` timer ticks.
std::vector<std::string> Follow(ViewHarness& h, int ticks) {
    std::vector<std::string> out;
    for (int i = 0; i < ticks; ++i) {
        h.v().OnTimer(kTimer);
        const CTabrellaView& v = h.v();
        out.push_back(std::to_string(v.m_topColumn) + ":" + std::to_string(v.m_cursorPos) + "/" +
                      std::to_string(v.m_cursorHalf));
    }
    return out;
}

// Note-ons of a file as "tick:channel:key", channels counted from 1.
std::vector<std::string> Strikes(const std::string& file) {
    std::vector<std::string> out;
    for (const TimedEvent& e : ReadMidi(file).events) {
        const auto status = static_cast<unsigned char>(e.bytes[0]);
        if ((status & 0xF0) != 0x90 || e.bytes[2] == 0) continue;
        out.push_back(std::to_string(e.tick) + ":" + std::to_string((status & 0x0F) + 1) + ":" +
                      std::to_string(e.bytes[1]));
    }
    return out;
}

// Each test plays into a temporary folder of its own, named by TMPDIR.
class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "tabrella-play-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
        const char* old = std::getenv("TMPDIR");
        oldTmp = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv("TMPDIR", dir.c_str(), 1);
        h.Cell(1).first[2] = 5;
        h.Cell(2).first[2] = 6;
        h.Cell(3).first[2] = 7;
        h.v().m_lastCell = 3;
    }
    void TearDown() override {
        if (oldTmp) {
            ::setenv("TMPDIR", oldTmp->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
        fs::remove_all(dir);
    }
    size_t FilesInDir() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    std::string LastOpenedFile() const {
        for (auto it = h.sequencer.calls.rbegin(); it != h.sequencer.calls.rend(); ++it) {
            if (it->op == "open") return it->fileBytes;
        }
        return {};
    }

    // Plays page positions from..to of the page shown again and again.
    void Loop(const std::string& from, const std::string& to) {
        h.dialogs.Expect(res::kDlgRange, {UserAction::TypeText(CRangeDialog::kFromEdit, from),
                                          UserAction::TypeText(CRangeDialog::kToEdit, to),
                                          UserAction::Press(CRangeDialog::kDecideButton)});
        h.v().OnCommand(cmd::kPlayLoop);
    }

    ViewHarness h;
    fs::path dir;
    std::optional<std::string> oldTmp;
};

TEST_F(Playback, PlayWritesTheScoreFromTheCursorAndStartsTheDeviceAndTimer) {
    h.v().m_cursorPos = 2;
    ASSERT_TRUE(h.v().OnCommand(kPlay));
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "play 1"}));
    const auto& open = h.sequencer.calls.at(0);
    std::ostringstream expected;
    h.v().WriteMidiStream(expected, 2, 4);
    EXPECT_TRUE(open.fileExisted);
    EXPECT_EQ(Hex(open.fileBytes), Hex(expected.str()));
    EXPECT_EQ(open.path, h.v().m_playFilePath);
    EXPECT_EQ(h.v().m_playing, 1);
    EXPECT_EQ(h.window.timers.at(kTimer), 371);
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(Playback, TheTemporaryFileIsFreshInTmpdirAndReadableByTheOwnerOnly) {
    h.v().OnCommand(kPlay);
    const fs::path file = h.v().m_playFilePath;
    EXPECT_EQ(file.parent_path(), dir);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(Playback, PlayingAgainClosesTheFirstDeviceAndDeletesItsFileBeforeWritingTheNext) {
    h.v().OnCommand(kPlay);
    const std::string first = h.v().m_playFilePath;
    bool firstGoneAtSecondOpen = false;
    h.sequencer.onCall = [&](const FakeSequencer::Call& c) {
        if (c.op == "open") firstGoneAtSecondOpen = !fs::exists(first) && FilesInDir() == 1;
    };
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Ops(h.sequencer),
              (std::vector<std::string>{"open 1", "play 1", "close 1", "open 2", "play 2"}));
    EXPECT_TRUE(firstGoneAtSecondOpen);
    EXPECT_NE(h.v().m_playFilePath, first);
    EXPECT_EQ(h.v().m_mciOpen.m_deviceId, 2u);
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(Playback, StopBeforeAnyPlayStopsDeviceZeroAndShowsNothing) {
    h.sequencer.stopError = 263;
    ASSERT_TRUE(h.v().OnCommand(kStop));
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"stop 0"}));
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(h.window.invalidations, 1);
}

TEST_F(Playback, StopSilencesAndKillsTheTimerButKeepsTheDeviceAndFile) {
    h.v().OnCommand(kPlay);
    h.sequencer.stopError = 5;
    h.v().OnCommand(kStop);
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "play 1", "stop 1"}));
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    EXPECT_TRUE(fs::exists(h.v().m_playFilePath));
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(Playback, AnOpenOrPlayErrorIsShownOnceAndEndsThePlayWithTheCursorInPlace) {
    // No audio device: the open fails, its text is shown once, and nothing steps on.
    h.v().m_cursorPos = 2;
    h.sequencer.openError = 275;
    h.sequencer.playError = 276;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, "sequencer error 275");
    EXPECT_EQ(h.dialogs.messages[0].kind, platform::MessageBoxKind::Ok);
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 0"}));
    EXPECT_EQ(h.v().m_playing, 0);
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    EXPECT_EQ(FilesInDir(), 0u);

    // A device that opens but does not play is closed quietly, with the same outcome.
    h.sequencer.openError = 0;
    h.sequencer.closeError = 263;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 2u);
    EXPECT_EQ(h.dialogs.messages[1].text, "sequencer error 276");
    EXPECT_EQ(Ops(h.sequencer),
              (std::vector<std::string>{"open 0", "open 1", "play 1", "close 1"}));
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    EXPECT_EQ(FilesInDir(), 0u);
    EXPECT_EQ(h.v().m_cursorPos, 2);

    // The next play has nothing to close; a device that did play is closed by the one
    // after it, and that close's error is shown.
    h.sequencer.playError = 0;
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Ops(h.sequencer).back(), "play 2");
    EXPECT_TRUE(h.window.TimerRunning(kTimer));
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 3u);
    EXPECT_EQ(h.dialogs.messages[2].text, "sequencer error 263");
}

TEST_F(Playback, LeavingAfterAFailedOpenClosesNothingAndShowsNothing) {
    h.sequencer.openError = 275;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    const std::string file = h.v().m_playFilePath;
    h.v().OnDestroy();
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 0"}));
    EXPECT_FALSE(std::filesystem::exists(file));
}

// The program ending while the first play's error is on screen (a terminate request ends
// the message's loop) leaves no play file behind.
TEST_F(Playback, EndingDuringTheFirstPlaysErrorLeavesNoFile) {
    h.sequencer.openError = 275;
    h.dialogs.onMessage = [this](const auto&) {
        h.v().OnDestroy();
        return platform::kIdOk;
    };
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(Playback, AFolderWithoutRoomForTheFileGivesAMessageAndOpensNothing) {
    h.v().OnCommand(kPlay);
    const std::string first = h.v().m_playFilePath;
    ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
    h.window.timers.clear();
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "play 1", "close 1"}));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    EXPECT_EQ(h.v().m_playing, 0);

    // Nothing is left to close when the view goes.
    h.v().OnDestroy();
    EXPECT_EQ(h.sequencer.calls.size(), 3u);
}

TEST_F(Playback, DestroyingTheViewClosesTheDeviceAndDeletesTheFile) {
    h.v().OnDestroy();
    EXPECT_TRUE(h.sequencer.calls.empty());

    h.v().OnCommand(kPlay);
    const std::string file = h.v().m_playFilePath;
    h.sequencer.closeError = 263;
    h.v().OnDestroy();
    EXPECT_EQ(Ops(h.sequencer).back(), "close 1");
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, "sequencer error 263");
}

TEST_F(Playback, ExitCanDeleteThePlayFile) {
    h.v().DeletePlayFile();  // nothing played: nothing to do
    h.v().OnCommand(kPlay);
    const std::string file = h.v().m_playFilePath;
    h.v().DeletePlayFile();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(Playback, TheTimerIntervalIsHalfABeatLessFourMilliseconds) {
    const std::pair<int, int> cases[] = {{80, 371}, {280, 103}, {10, 2996}, {120, 246}, {999, 26}};
    for (auto [tempo, interval] : cases) {
        h.v().m_tempo = tempo;
        h.v().OnCommand(kPlay);
        EXPECT_EQ(h.v().m_timerInterval, interval) << tempo;
        EXPECT_EQ(h.window.timers.at(kTimer), interval) << tempo;
    }
    // A tempo no dialog allows (from a score file) never divides by zero or goes below 1 ms.
    for (int tempo : {0, -5, 100000}) {
        h.v().m_tempo = tempo;
        h.v().OnCommand(kPlay);
        EXPECT_GE(h.v().m_timerInterval, 1) << tempo;
        EXPECT_TRUE(ReadMidi(LastOpenedFile()).valid) << tempo;
    }
}

TEST_F(Playback, TheTimerStepsHalfByHalfThroughSplitCellsAndStopsAtTheLastUsedCell) {
    h.Cell(2).split = 1;
    h.Cell(2).second[2] = 8;
    h.v().OnCommand(kPlay);
    struct Pos {
        int pos, half;
    };
    const Pos steps[] = {{2, 1}, {2, 2}, {3, 1}};
    for (const Pos& p : steps) {
        h.v().OnTimer(kTimer);
        EXPECT_EQ(h.v().m_cursorPos, p.pos);
        EXPECT_EQ(h.v().m_cursorHalf, p.half);
        EXPECT_TRUE(h.window.TimerRunning(kTimer));
    }
    const int surfaces = h.window.surfacesTaken;
    h.v().OnTimer(kTimer);  // on the last used cell: the timer stops, the cursor stays
    EXPECT_EQ(h.v().m_cursorPos, 3);
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    EXPECT_GT(h.window.surfacesTaken, surfaces);  // redrawn at once
}

TEST_F(Playback, OnAPageMovedForwardTheCursorStillStopsAtTheEnd) {
    h.Cell(33).first[2] = 5;
    h.Cell(35).first[2] = 5;
    h.v().m_topColumn = 1;
    h.v().m_cursorPos = 1;
    h.v().OnCommand(kPlay);
    h.v().OnTimer(kTimer);
    h.v().OnTimer(kTimer);
    EXPECT_EQ(h.v().CursorCell(), 35);
    h.v().OnTimer(kTimer);
    EXPECT_EQ(h.v().CursorCell(), 35);
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
}

TEST_F(Playback, TheXEnterAndCKeysReachPlayAndStop) {
    h.Keys({vk::kX});
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "play 1"}));
    h.Keys({vk::kC});
    EXPECT_EQ(Ops(h.sequencer).back(), "stop 1");
    h.Keys({vk::kReturn});
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "play 1", "stop 1", "close 1",
                                                          "open 2", "play 2"}));
}

// ---- Practising: 五 六 七 are keys 64 65 69 on channel 1, clicks 76 and 37 on channel 10 ------

// From random pages and places of random scores: one cell or half per tick (a split cell on
// a page's last place too), the page turned by seven columns (at most to column 49, past
// which the cursor leaves the page), the cursor stopping on the last used cell, and Stop
// leaving page and cursor where the music was.
TEST_F(Playback, ThePlayingCursorStepsEveryCellAndHalfInOrderOnThePagesItTurnsTo) {
    std::mt19937 random(20);
    for (int run = 0, runs = RunLength(15); run < runs; ++run) {
        ViewHarness r;
        const int last = 1 + static_cast<int>(random() % kLastCellIndex);
        for (int k = 1; k <= last; ++k) r.Cell(k).split = k % 32 == 0 || random() % 4 == 0;
        r.Cell(last).first[2] = 5;
        r.v().m_lastCell = last;
        r.v().m_topColumn = static_cast<int>(random() % (kMaxTopColumn + 1));
        r.v().m_cursorPos = 1 + static_cast<int>(random() % 224);
        const int start = r.v().CursorCell();
        r.v().OnCommand(kPlay);
        while (r.window.TimerRunning(kTimer)) {
            const int cell = r.v().CursorCell(), half = r.v().m_cursorHalf, top = r.v().m_topColumn;
            r.v().OnTimer(kTimer);
            const CTabrellaView& v = r.v();
            const bool split = r.Cell(cell).split == 1;
            ASSERT_TRUE(
                (v.CursorCell() == cell && split && half == 1 && v.m_cursorHalf == 2) ||
                (v.CursorCell() == cell + 1 && (!split || half == 2) && v.m_cursorHalf == 1) ||
                (v.CursorCell() == cell && !r.window.TimerRunning(kTimer)));
            ASSERT_EQ(v.m_topColumn, v.m_topColumn == top ? top : std::min(top + 7, kMaxTopColumn));
            ASSERT_TRUE(v.m_topColumn == kMaxTopColumn ||
                        (v.m_cursorPos >= 1 && v.m_cursorPos <= 224));
        }
        const int top = r.v().m_topColumn, pos = r.v().m_cursorPos;
        r.v().OnCommand(kStop);
        EXPECT_EQ(r.v().CursorCell(), std::max(start, last)) << run;
        EXPECT_EQ(std::make_pair(r.v().m_topColumn, r.v().m_cursorPos), std::make_pair(top, pos));
    }
}

TEST_F(Playback, ALoopPlaysItsPassagePassAfterPassForFiveMinutesOnARepeatingDevice) {
    h.Cell(3).first[2] = 0;  // 六 on cell 2 is held through cell 3, past the passage
    h.Cell(4).first[2] = 7;
    h.v().m_lastCell = 4;
    Loop("1", "2");
    EXPECT_EQ(h.dialogs.shown.at(0).controlsAtOpen.texts.at(CRangeDialog::kOperationEdit),
              S("繰り返し演奏"));
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "loop 1", "play 1"}));
    // 400 passes of 0.75 s at tempo 80, each note ended before the next pass.
    std::vector<std::string> expected;
    for (int pass = 0; pass < 400; ++pass) {
        expected.push_back(std::to_string(1 + 480 * pass) + ":1:64");
        expected.push_back(std::to_string(241 + 480 * pass) + ":1:65");
    }
    EXPECT_EQ(Strikes(LastOpenedFile()), expected);
    EXPECT_EQ(ReadMidi(LastOpenedFile()).endTick, 1 + 400 * 480);
    EXPECT_EQ(MidiFileFault(LastOpenedFile()), "");
}

TEST_F(Playback, TheCursorFollowsEveryPassTurningBackToItsPageAndKeepsTimeWithTheMusic) {
    Loop("222", "226");
    EXPECT_EQ(Follow(h, 6), (std::vector<std::string>{"0:223/1", "0:224/1", "7:1/1", "7:2/1",
                                                      "0:222/1", "0:223/1"}));
    // The timer runs 4 ms short of a cell, and a split cell takes two steps: over half an
    // hour the cursor still comes back to the start within half a tick of every pass.
    for (int split : {0, 1}) {
        h.Cell(223).split = split;
        Loop("222", "226");
        int returns = 0;
        for (int tick = 1; tick <= 5000; ++tick) {
            const bool atStart = h.v().m_cursorPos == 222;
            if (Follow(h, 1)[0] != "0:222/1" || atStart) continue;
            ++returns;
            const long ms = 371L * tick;
            EXPECT_LE(std::abs(ms - std::lround(ms / 1875.0) * 1875), 185) << tick << " " << split;
        }
        EXPECT_EQ(returns, (5000 * 371 + 185) / 1875) << split;
    }
}

TEST_F(Playback, TheSpeedDialogTakesFiftyToAHundredInStepsOfFiveAndIsKeptForTheRun) {
    constexpr int kBox = CPlaySpeedDialog::kSpeedBox;
    h.dialogs.Expect(res::kDlgPlaySpeed,
                     {UserAction::TypeText(kBox, "52"), UserAction::PressEnter(),
                      UserAction::TypeText(kBox, "105"), UserAction::PressEnter(),
                      UserAction::Choose(kBox, 4), UserAction::PressEnter()});
    h.v().OnCommand(cmd::kPlaySpeed);
    EXPECT_EQ(h.dialogs.shown.at(0).controlsAtOpen.texts.at(kBox), "100");
    EXPECT_EQ(h.dialogs.shown.at(0).controlsAtEnd.refusals.size(), 2u);
    h.v().OnCommand(cmd::kNew);  // a new score keeps how the player plays
    EXPECT_EQ(h.v().m_playSpeed, 70);
}

TEST_F(Playback, SpeedChangesOnlyTheTempoOfThePlayFileAndTheTimer) {
    struct Case {
        int tempo, speed, interval, micros;
    };
    const Case cases[] = {{80, 100, 371, 750000},
                          {80, 70, 531, 1071429},
                          {120, 75, 329, 666667},
                          {10, 50, 5996, 12000000},
                          {4, 50, 8384, 0xFFFFFF}};
    for (const Case& c : cases) {
        h.v().m_tempo = c.tempo;
        h.v().m_playSpeed = c.speed;
        h.v().OnCommand(kPlay);
        std::ostringstream writer;
        h.v().WriteMidiStream(writer, 1, 4);
        std::string expected = writer.str();
        for (int i = 0; i < 3; ++i) expected[29 + i] = static_cast<char>(c.micros >> (16 - 8 * i));
        EXPECT_EQ(Hex(LastOpenedFile()), Hex(expected)) << c.speed;
        EXPECT_EQ(h.window.timers.at(kTimer), c.interval) << c.speed;
    }
}

// From cell 8, off the beat: four clicks, the music half a beat after the fourth, then a
// click on every odd cell, higher where bars begin (cells 9 and 17), to cell 21 after the
// end. The cursor waits until the music starts. The export has none of it.
TEST_F(Playback, CountInAndClicksPlayOnTheBeatsOfTheScoreButNeverReachTheExport) {
    h.Cell(20).first[2] = 5;
    h.v().m_lastCell = 20;
    h.v().m_cursorPos = 8;
    const std::string plain = (dir / "a.mid").string(), practice = (dir / "b.mid").string();
    ASSERT_FALSE(h.v().ExportMidi(plain));
    h.v().OnCommand(cmd::kCountIn);
    h.v().OnCommand(cmd::kMetronome);
    EXPECT_TRUE(h.v().OnUpdateCommand(cmd::kMetronome).checked);
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Strikes(LastOpenedFile()),
              (std::vector<std::string>{"1:10:76", "481:10:37", "961:10:37", "1441:10:37",
                                        "1921:10:76", "2401:10:37", "2881:10:37", "3361:10:37",
                                        "3841:10:76", "4321:10:37", "4561:1:64", "4801:10:37"}));
    EXPECT_EQ(Follow(h, 8)[6], "0:8/1");
    EXPECT_EQ(h.v().m_cursorPos, 9);
    h.v().m_playSpeed = 60;
    ASSERT_FALSE(h.v().ExportMidi(practice));
    EXPECT_EQ(Hex(ReadBytes(practice)), Hex(ReadBytes(plain)));
}

TEST_F(Playback, ALoopCountsInOnceAndClicksInEveryPass) {
    h.v().m_countIn = h.v().m_metronome = true;
    Loop("2", "3");
    const std::vector<std::string> strikes = Strikes(LastOpenedFile());
    EXPECT_EQ(std::vector<std::string>(strikes.begin(), strikes.begin() + 8),
              (std::vector<std::string>{"1:10:76", "481:10:37", "961:10:37", "1441:10:37",
                                        "1681:1:65", "1921:1:69", "1921:10:37", "2161:1:65"}));
    EXPECT_EQ(ReadMidi(LastOpenedFile()).endTick, 1 + 1680 + 400 * 480);
    EXPECT_EQ(Follow(h, 8)[6], "0:2/1");
    EXPECT_EQ(h.v().m_cursorPos, 3);
}

}  // namespace
}  // namespace tabrella::test
