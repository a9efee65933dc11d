// Play, Stop, the stepping cursor and the cleanup, against the fake sequencer and real
// temporary files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "resources/KeyCodes.h"
#include "support/MidiBytes.h"
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

}  // namespace
}  // namespace tabrella::test
