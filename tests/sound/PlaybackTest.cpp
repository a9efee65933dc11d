// Play, Stop, the stepping cursor and the cleanup, against the fake sequencer and real
// temporary files; practising: the page turning with the music, loops, speed, count-in and
// clicks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// "top column:page position/half" of the cursor.
std::string Where(const CTabrellaView& v) {
    return std::to_string(v.m_topColumn) + ":" + std::to_string(v.m_cursorPos) + "/" +
           std::to_string(v.m_cursorHalf);
}

// Where the cursor is after each of `ticks` timer ticks.
std::vector<std::string> Follow(ViewHarness& h, int ticks) {
    std::vector<std::string> out;
    for (int i = 0; i < ticks; ++i) {
        h.v().OnTimer(kTimer);
        out.push_back(Where(h.v()));
    }
    return out;
}

// Note-ons of a file as "tick:channel:key", channels counted from 1.
std::vector<std::string> Strikes(const std::string& file) {
    const MidiTrack track = ReadMidi(file);
    EXPECT_TRUE(track.valid) << track.error;
    std::vector<std::string> out;
    for (const TimedEvent& e : track.events) {
        const auto status = static_cast<unsigned char>(e.bytes[0]);
        if ((status & 0xF0) != 0x90 || e.bytes[2] == 0) continue;
        out.push_back(std::to_string(e.tick) + ":" + std::to_string((status & 0x0F) + 1) + ":" +
                      std::to_string(static_cast<unsigned char>(e.bytes[1])));
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
    // The koto's note of string `s` on channel 1, as Strikes shows it.
    std::string Koto(int tick, int s) {
        return std::to_string(tick) + ":1:" + std::to_string(h.v().PitchOfSlot(s));
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

TEST_F(Playback, AnOpenErrorIsShownOnceAndPlayingGoesOn) {
    // No audio device: the open fails, its text is shown once, and the cursor still steps.
    h.sequencer.openError = 275;
    h.sequencer.playError = 276;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, "sequencer error 275");
    EXPECT_EQ(h.dialogs.messages[0].kind, platform::MessageBoxKind::Ok);
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 0"}));
    EXPECT_EQ(h.v().m_playing, 1);
    EXPECT_TRUE(h.window.TimerRunning(kTimer));

    // The next play has no device to close and tries again: a play error is shown.
    h.sequencer.openError = 0;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 2u);
    EXPECT_EQ(h.dialogs.messages[1].text, "sequencer error 276");
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 0", "open 1", "play 1"}));
    EXPECT_TRUE(h.window.TimerRunning(kTimer));

    // A device that did open is closed by the next play, and its close error is shown.
    h.sequencer.playError = 0;
    h.sequencer.closeError = 263;
    h.v().OnCommand(kPlay);
    ASSERT_EQ(h.dialogs.messages.size(), 3u);
    EXPECT_EQ(h.dialogs.messages[2].text, "sequencer error 263");
    EXPECT_EQ(Ops(h.sequencer).back(), "play 2");
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

// ---- The page turns with the music ------------------------------------------------------

TEST_F(Playback, ThePageTurnsWithTheMusicAndStopLeavesPageAndCursorWhereTheMusicWas) {
    h.Cell(224).split = 1;  // the page's last place: its second half still comes first
    h.Cell(224).second[2] = 8;
    h.Cell(230).first[2] = 5;
    h.v().m_lastCell = 230;
    h.v().m_cursorPos = 223;
    h.v().OnCommand(kPlay);
    const int invalidations = h.window.invalidations;
    EXPECT_EQ(Follow(h, 9),
              (std::vector<std::string>{"0:224/1", "0:224/2", "7:1/1", "7:2/1", "7:3/1", "7:4/1",
                                        "7:5/1", "7:6/1", "7:6/1"}));
    EXPECT_EQ(h.window.invalidations, invalidations + 1);
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
    h.v().OnCommand(kStop);
    EXPECT_EQ(Where(h.v()), "7:6/1");
}

TEST_F(Playback, NearTheLastColumnThePageTurnsAsFarAsItMayAndTheCursorGoesOnPastIt) {
    h.Cell(1794).first[2] = 5;
    h.v().m_lastCell = 1794;
    h.v().m_topColumn = 45;
    h.v().m_cursorPos = 223;
    h.v().OnCommand(kPlay);
    const std::vector<std::string> steps = Follow(h, 132);
    EXPECT_EQ(steps[1], "49:97/1");  // cell 1665 on the page at column 49, not 52
    EXPECT_EQ(steps[128], "49:224/1");
    EXPECT_EQ(steps[129], "49:225/1");  // cells past 1792 no page shows
    EXPECT_EQ(steps[131], "49:226/1");
    EXPECT_FALSE(h.window.TimerRunning(kTimer));
}

TEST_F(Playback, ThePlayingCursorStepsEveryCellAndHalfInOrderOnThePagesItTurnsTo) {
    std::mt19937 random(20);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int run = 0; run < 15; ++run) {
        ViewHarness r;
        const int last = 1 + below(kLastCellIndex);
        for (int k = 1; k <= last; ++k) r.Cell(k).split = below(4) == 0 ? 1 : 0;
        r.Cell(last).first[2] = 5;
        r.v().m_lastCell = last;
        r.v().m_topColumn = below(kMaxTopColumn + 1);
        r.v().m_cursorPos = 1 + below(224);
        const int start = r.v().CursorCell();
        r.v().OnCommand(kPlay);
        for (int tick = 0; r.window.TimerRunning(kTimer) && tick < 7000; ++tick) {
            const int cell = r.v().CursorCell(), half = r.v().m_cursorHalf, top = r.v().m_topColumn;
            r.v().OnTimer(kTimer);
            const CTabrellaView& v = r.v();
            const bool secondHalf = v.CursorCell() == cell && half == 1 && v.m_cursorHalf == 2 &&
                                    r.Cell(cell).split == 1;
            const bool nextCell = v.CursorCell() == cell + 1 && v.m_cursorHalf == 1;
            const bool stopped = v.CursorCell() == cell && !r.window.TimerRunning(kTimer);
            ASSERT_TRUE(secondHalf || nextCell || stopped)
                << run << ": " << cell << " " << Where(v);
            ASSERT_TRUE(v.m_topColumn == top || v.m_topColumn == std::min(top + 7, kMaxTopColumn))
                << run << ": " << Where(v);
            ASSERT_TRUE(v.m_topColumn == kMaxTopColumn ||
                        (v.m_cursorPos >= 1 && v.m_cursorPos <= 224))
                << run << ": " << Where(v);
        }
        EXPECT_EQ(r.v().CursorCell(), std::max(start, last)) << run;
        EXPECT_FALSE(r.window.TimerRunning(kTimer)) << run;
    }
}

// ---- Loops ------------------------------------------------------------------------------

TEST_F(Playback, ALoopPlaysThePassageAsPassesOfItsCellsForFiveMinutesOnARepeatingDevice) {
    h.dialogs.Expect(res::kDlgRange, {UserAction::Press(CRangeDialog::kCancelButton)});
    h.v().OnCommand(cmd::kPlayLoop);
    EXPECT_TRUE(h.sequencer.calls.empty());

    Loop("2", "3");
    EXPECT_EQ(h.dialogs.shown.at(1).controlsAtOpen.texts.at(CRangeDialog::kOperationEdit),
              S("繰り返し演奏"));
    EXPECT_EQ(Ops(h.sequencer), (std::vector<std::string>{"open 1", "loop 1", "play 1"}));
    // 400 passes of two cells, 0.75 s each at tempo 80, and the end right after the last.
    std::vector<std::string> expected;
    for (int pass = 0; pass < 400; ++pass) {
        expected.push_back(Koto(1 + 480 * pass, 6));
        expected.push_back(Koto(241 + 480 * pass, 7));
    }
    EXPECT_EQ(Strikes(LastOpenedFile()), expected);
    EXPECT_EQ(ReadMidi(LastOpenedFile()).endTick, 1 + 400 * 480);
    EXPECT_TRUE(h.window.TimerRunning(kTimer));
}

TEST_F(Playback, ANoteHeldPastThePassageEndsWhereTheNextPassBegins) {
    h.Cell(3).first[2] = 0;  // 六 on cell 2 holds through cell 3
    h.Cell(4).first[2] = 7;
    h.v().m_lastCell = 4;
    Loop("1", "2");
    const std::string file = LastOpenedFile();
    EXPECT_EQ(MidiFileFault(file), "");
    std::vector<std::string> atSecondPass;
    for (const TimedEvent& e : ReadMidi(file).events) {
        if (e.tick == 481) atSecondPass.push_back(Hex(e.bytes));
    }
    char off[16], on[16];
    std::snprintf(off, sizeof off, "80 %02X 00", h.v().PitchOfSlot(6));
    std::snprintf(on, sizeof on, "90 %02X 64", h.v().PitchOfSlot(5));
    EXPECT_EQ(atSecondPass, (std::vector<std::string>{off, "E0 00 40", on}));
}

TEST_F(Playback, TheCursorFollowsEveryPassTurningBackToItsPageAndKeepsTimeWithTheMusic) {
    Loop("222", "226");
    EXPECT_EQ(Where(h.v()), "0:222/1");
    EXPECT_EQ(Follow(h, 7), (std::vector<std::string>{"0:223/1", "0:224/1", "7:1/1", "7:2/1",
                                                      "0:222/1", "0:223/1", "0:224/1"}));

    // The timer runs 4 ms short of a cell, and a split cell takes two steps: over half an
    // hour the cursor still comes back to the start within half a tick of every pass.
    for (int split : {0, 1}) {
        h.Cell(223).split = split;
        Loop("222", "226");
        int returns = 0;
        for (int tick = 1; tick <= 5000; ++tick) {
            const std::string before = Where(h.v());
            h.v().OnTimer(kTimer);
            if (Where(h.v()) != "0:222/1" || before == "0:222/1") continue;
            ++returns;
            const long ms = 371L * tick, passStart = std::lround(ms / 1875.0) * 1875;
            EXPECT_LE(std::abs(ms - passStart), 185) << "tick " << tick << ", split " << split;
        }
        EXPECT_EQ(returns, (5000 * 371 + 185) / 1875) << "split " << split;
    }
}

// ---- Speed ------------------------------------------------------------------------------

TEST_F(Playback, TheSpeedDialogTakesFiftyToAHundredInStepsOfFiveAndIsKeptForTheRun) {
    using UA = UserAction;
    constexpr int kBox = CPlaySpeedDialog::kSpeedBox;
    std::vector<UA> actions;
    for (const char* refused : {"47", "52", "105", "x", ""}) {
        actions.push_back(UA::TypeText(kBox, refused));
        actions.push_back(UA::PressEnter());
    }
    actions.push_back(UA::Choose(kBox, 4));
    actions.push_back(UA::Press(platform::kIdOk));
    h.dialogs.Expect(res::kDlgPlaySpeed, actions);
    h.v().OnCommand(cmd::kPlaySpeed);
    const auto& shown = h.dialogs.shown.at(0);
    EXPECT_EQ(shown.controlsAtOpen.texts.at(kBox), "100");
    EXPECT_EQ(shown.controlsAtOpen.lists.at(kBox),
              (std::vector<std::string>{"50", "55", "60", "65", "70", "75", "80", "85", "90", "95",
                                        "100"}));
    EXPECT_EQ(shown.controlsAtEnd.refusals,
              std::vector<std::string>(
                  5, S("演奏速度は 50 から 100 までの 5 の倍数で入力してください。")));
    EXPECT_EQ(h.v().m_playSpeed, 70);

    h.dialogs.Expect(res::kDlgPlaySpeed, {UA::TypeText(kBox, "50"), UA::PressEscape()});
    h.v().OnCommand(cmd::kPlaySpeed);
    h.v().OnCommand(cmd::kCountIn);
    h.v().OnCommand(cmd::kMetronome);
    h.v().OnCommand(cmd::kNew);  // a new score keeps how the player plays
    EXPECT_EQ(h.v().m_playSpeed, 70);
    EXPECT_TRUE(h.v().OnUpdateCommand(cmd::kCountIn).checked);
    EXPECT_TRUE(h.v().OnUpdateCommand(cmd::kMetronome).checked);
    EXPECT_EQ(h.v().m_modified, 0);
    EXPECT_EQ(h.v().m_tempo, 80);
}

TEST_F(Playback, SpeedChangesOnlyTheTempoOfThePlayFileAndTheTimer) {
    struct Case {
        int tempo, speed, interval, micros;
    };
    const Case cases[] = {{80, 100, 371, 750000},   {80, 70, 531, 1071429},
                          {80, 50, 746, 1500000},   {120, 75, 329, 666667},
                          {10, 50, 5996, 12000000}, {4, 50, 8384, 0xFFFFFF}};
    for (const Case& c : cases) {
        h.v().m_tempo = c.tempo;
        h.v().m_playSpeed = c.speed;
        h.v().OnCommand(kPlay);
        std::ostringstream writer;
        h.v().WriteMidiStream(writer, 1, 4);
        std::string expected = writer.str();
        for (int i = 0; i < 3; ++i) expected[29 + i] = static_cast<char>(c.micros >> (16 - 8 * i));
        EXPECT_EQ(Hex(LastOpenedFile()), Hex(expected)) << c.tempo << " " << c.speed;
        EXPECT_EQ(h.window.timers.at(kTimer), c.interval) << c.tempo << " " << c.speed;
    }
}

// ---- Count-in and click -----------------------------------------------------------------

TEST_F(Playback, CountInPlaysABarOfClicksBeforeTheMusicWhileTheCursorWaits) {
    EXPECT_FALSE(h.v().OnUpdateCommand(cmd::kCountIn).checked);
    h.v().OnCommand(cmd::kCountIn);
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Strikes(LastOpenedFile()),
              (std::vector<std::string>{"1:10:76", "481:10:37", "961:10:37", "1441:10:37",
                                        Koto(1921, 5), Koto(2161, 6), Koto(2401, 7)}));
    std::vector<std::string> waiting(8, "0:1/1");
    waiting.push_back("0:2/1");
    EXPECT_EQ(Follow(h, 9), waiting);

    // From cell 2, off the beat, the music comes in half a beat after the fourth click.
    h.v().m_cursorPos = 2;
    h.v().OnCommand(kPlay);
    EXPECT_EQ(Strikes(LastOpenedFile()),
              (std::vector<std::string>{"1:10:76", "481:10:37", "961:10:37", "1441:10:37",
                                        Koto(1681, 6), Koto(1921, 7)}));
    waiting.assign(7, "0:2/1");
    waiting.push_back("0:3/1");
    EXPECT_EQ(Follow(h, 8), waiting);
}

TEST_F(Playback, TheMetronomeClicksOddCellsHigherOnEachBarAndNeverReachesTheExport) {
    h.Cell(20).first[2] = 5;
    h.v().m_lastCell = 20;
    h.v().m_cursorPos = 8;
    const std::string plain = (dir / "plain.mid").string(),
                      practice = (dir / "practice.mid").string();
    ASSERT_FALSE(h.v().ExportMidi(plain));
    h.v().OnCommand(cmd::kMetronome);
    EXPECT_TRUE(h.v().OnUpdateCommand(cmd::kMetronome).checked);
    h.v().OnCommand(kPlay);
    std::vector<std::string> clicks;
    for (const std::string& s : Strikes(LastOpenedFile())) {
        if (s.find(":10:") != std::string::npos) clicks.push_back(s);
    }
    // Cells 9 and 17 begin bars; cell 21 is the one after the end.
    EXPECT_EQ(clicks,
              (std::vector<std::string>{"241:10:76", "721:10:37", "1201:10:37", "1681:10:37",
                                        "2161:10:76", "2641:10:37", "3121:10:37"}));
    EXPECT_EQ(MidiFileFault(LastOpenedFile()), "");

    h.v().OnCommand(cmd::kCountIn);
    h.v().m_playSpeed = 60;
    ASSERT_FALSE(h.v().ExportMidi(practice));
    EXPECT_EQ(Hex(ReadBytes(practice)), Hex(ReadBytes(plain)));
}

TEST_F(Playback, ALoopCountsInOnceAndClicksInEveryPass) {
    h.v().m_countIn = h.v().m_metronome = true;
    Loop("2", "3");
    const std::vector<std::string> strikes = Strikes(LastOpenedFile());
    ASSERT_GE(strikes.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(strikes.begin(), strikes.begin() + 10),
              (std::vector<std::string>{"1:10:76", "481:10:37", "961:10:37", "1441:10:37",
                                        Koto(1681, 6), Koto(1921, 7), "1921:10:37", Koto(2161, 6),
                                        Koto(2401, 7), "2401:10:37"}));
    EXPECT_EQ(ReadMidi(LastOpenedFile()).endTick, 1 + 1680 + 400 * 480);
    std::vector<std::string> waiting(7, "0:2/1");
    waiting.push_back("0:3/1");
    EXPECT_EQ(Follow(h, 8), waiting);
}

}  // namespace
}  // namespace tabrella::test
