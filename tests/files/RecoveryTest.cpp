// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery copy: its life beside the score, the offer at the next start, and a child
// editor killed at random moments whose copy must always be a whole, recent score.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "files/FileDialogs.h"
#include "files/FileTestSupport.h"
#include "files/Recovery.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/KeyCodes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;

// What the copy of the view's score must hold: what Save writes once the screen has drawn.
std::string SavedBytes(CTabrellaView& v) {
    v.MeasureScreenEnd();
    return FormatScoreFile(v.ScoreFileFields());
}

// The score a file holds, without the empty cells at its end (which follow the cursor).
ScoreFileContent ScoreOf(std::string_view bytes) {
    ScoreFileContent c = ParseScoreFile(bytes);
    while (!c.cells.empty() && c.cells.back() == ScoreCell{}) c.cells.pop_back();
    c.records = 0;
    return c;
}

int Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

class Recovery : public ::testing::Test {
  protected:
    TempDir dir;
    std::string folder = dir / "state/Tabrella/recovery";
    ViewHarness h;

    CTabrellaView& v() { return h.v(); }
    // A run that edits and is then killed: its keeper goes without ending cleanly, which
    // lets go of its lock as the kernel does for a killed process.
    void LeaveCopy(std::initializer_list<int> keys, const std::string& path = {}) {
        ViewHarness run;
        if (!path.empty()) {
            ASSERT_FALSE(run.v().LoadScoreFile(path));
        }
        RecoveryKeeper keeper(folder);
        run.v().m_watcher = &keeper;
        run.Keys(keys);
        keeper.WaitUntilWritten();
    }
    bool Offer(RecoveryKeeper& keeper) { return OfferLeftCopies(v(), h.dialogs, keeper); }
    void TearDown() override { EXPECT_TRUE(h.dialogs.AllScriptsUsed()); }
};

TEST_F(Recovery, CopyFollowsTheScoreUntilSavedDiscardedOrEndedAndIsPrivate) {
    RecoveryKeeper keeper(folder);
    v().m_watcher = &keeper;
    h.Keys({vk::kDigit0 + 5});
    keeper.WaitUntilWritten();
    EXPECT_EQ(ReadBytes(keeper.CopyPath()), SavedBytes(v()));
    EXPECT_EQ(Mode(keeper.CopyPath()), 0600);
    EXPECT_EQ(Mode(keeper.RecordPath()), 0600);
    EXPECT_EQ(Mode(folder), 0700);
    const auto record = ParseRecoveryRecord(ReadBytes(keeper.RecordPath()));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->originalPath, "");

    h.Keys({vk::kDigit0 + 7});  // replaced
    keeper.WaitUntilWritten();
    EXPECT_EQ(ReadBytes(keeper.CopyPath()), SavedBytes(v()));

    const std::string saved = dir / "a.tbr";
    h.dialogs.AnswerFile(saved);
    h.dialogs.Expect(res::kDlgSavedNotice, {UA::Tick(1)});
    v().OnCommand(cmd::kSave);
    keeper.WaitUntilWritten();
    EXPECT_FALSE(Exists(keeper.CopyPath()));

    h.Keys({vk::kDigit0 + 3});  // changed against a.tbr now
    keeper.WaitUntilWritten();
    EXPECT_EQ(ParseRecoveryRecord(ReadBytes(keeper.RecordPath()))->originalPath, saved);
    h.dialogs.Expect(res::kDlgSavePrompt, {UA::Press(CSavePromptDialog::kNo)});
    v().OnCommand(cmd::kNew);  // changes given up
    keeper.WaitUntilWritten();
    EXPECT_FALSE(Exists(keeper.CopyPath()));

    h.Keys({vk::kDigit0 + 3});
    keeper.WaitUntilWritten();
    EXPECT_TRUE(Exists(keeper.CopyPath()));
    // A live editor's copy is never another's to offer.
    EXPECT_TRUE(FindLeftCopies(folder).empty());
    keeper.EndCleanly();
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(Recovery, LaterKeepsDiscardRemovesRestoreGivesAChangedScoreTiedToItsFile) {
    const std::string file = dir / "piece.tbr";
    WriteBytes(file, SavedBytes(v()));
    LeaveCopy({vk::kDigit0 + 5}, file);
    RecoveryKeeper keeper(folder);
    v().m_watcher = &keeper;

    h.dialogs.Expect(res::kDlgRecovery, {UA::PressEscape()});
    EXPECT_FALSE(Offer(keeper));
    EXPECT_EQ(h.dialogs.shown.back().controlsAtOpen.texts[ctl::kRecoveryFile],
              S("ファイル: piece.tbr"));
    EXPECT_EQ(h.dialogs.shown.back().controlsAtOpen.texts[ctl::kRecoveryCells], S("使ったマス: 1"));

    h.dialogs.Expect(res::kDlgRecovery, {UA::PressEnter()});  // Restore is the default
    EXPECT_TRUE(Offer(keeper));
    EXPECT_TRUE(v().Modified());
    EXPECT_EQ(v().m_filePath, file);
    EXPECT_EQ(h.Cell(1).first[2], 5);
    ASSERT_EQ(FindLeftCopies(folder).size(), 0u);  // the old copy went, this run's is live
    EXPECT_EQ(ReadBytes(keeper.CopyPath()), SavedBytes(v()));

    // The file changed since: Save asks, and No writes nothing.
    WriteBytes(file, "changed elsewhere");
    h.dialogs.AnswerMessage(platform::kIdNo);
    v().OnCommand(cmd::kSave);
    EXPECT_EQ(ReadBytes(file), "changed elsewhere");
    h.dialogs.AnswerMessage(platform::kIdYes);
    h.dialogs.Expect(res::kDlgSavedNotice, {UA::Tick(1)});
    v().OnCommand(cmd::kSave);
    EXPECT_EQ(ReadBytes(file), SavedBytes(v()));
    keeper.EndCleanly();

    LeaveCopy({vk::kDigit0 + 2});
    h.dialogs.Expect(res::kDlgRecovery, {UA::Press(CRecoveryDialog::kDiscard)});
    RecoveryKeeper next(folder);
    EXPECT_FALSE(Offer(next));
    EXPECT_TRUE(FindLeftCopies(folder).empty());
}

TEST_F(Recovery, CopiesLikeTheirFileGoSilentlyAndDamagedOnesAreOfferedWithTheReason) {
    const std::string file = dir / "same.tbr";
    WriteBytes(file, SavedBytes(v()));
    LeaveCopy({vk::kDigit0 + 5, vk::kSpace}, file);  // typed and cleared again
    LeaveCopy({vk::kDigit0 + 5, vk::kSpace});        // a new score, emptied
    EXPECT_TRUE(FindLeftCopies(folder).empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    LeaveCopy({vk::kDigit0 + 5});
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".tbr") WriteBytes(entry.path(), "1 2 x garbage\r\n");
    }
    RecoveryKeeper keeper(folder);
    h.dialogs.Expect(res::kDlgRecovery, {UA::PressEnter()});  // cannot restore: kept
    h.dialogs.Expect(res::kDlgRecovery, {UA::Press(CRecoveryDialog::kDiscard)});
    EXPECT_FALSE(Offer(keeper));
    EXPECT_EQ(h.dialogs.shown.front().controlsAtOpen.texts[ctl::kRecoveryCells],
              S("読めない控えです: タブレラの楽譜ファイルではありません。"));
    EXPECT_FALSE(Offer(keeper));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(Recovery, AFolderThatCannotBeMadeIsReportedOnceAndEditingGoesOn) {
    WriteBytes(dir / "state", "a file where the folder should be");
    std::vector<FileError> faults;
    RecoveryKeeper keeper(folder, [&](const FileError& e) { faults.push_back(e); });
    v().m_watcher = &keeper;
    h.Keys({vk::kDigit0 + 5});
    keeper.WaitUntilWritten();
    h.Keys({vk::kDigit0 + 6});
    keeper.WaitUntilWritten();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0], (FileError{folder, FileFault::FolderNotWritable, ENOTDIR}));
    EXPECT_EQ(h.Cell(1).first[2], 6);
}

// ---- A child editor killed at random moments ---------------------------------------------

std::int64_t MonotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// Keys that type, clear, split, place rests and move, from a seed: the parent replays them.
std::vector<int> KeysOf(unsigned seed, int count) {
    static const int kKeys[] = {vk::kDigit0 + 1, vk::kDigit0 + 5, vk::kDigit0 + 9, vk::kSpace,
                                vk::kDown,       vk::kDown,       vk::kInsert,     vk::kLeft,
                                vk::kRight,      vk::kUp,         vk::kOemMinus};
    std::mt19937 random(seed);
    std::vector<int> keys{vk::kDigit0 + 3};  // the first key changes the score
    while (static_cast<int>(keys.size()) < count) {
        keys.push_back(kKeys[random() % std::size(kKeys)]);
    }
    return keys;
}

TEST_F(Recovery, KilledAtAnyMomentTheCopyIsAWholeScoreAtMostTwoSecondsOld) {
    constexpr int kKeys = 400;
    std::mt19937 random(2024);
    for (int round = 0; round < 3; ++round) {
        const unsigned seed = random();
        const std::string log = dir / ("times-" + std::to_string(round));
        const std::string roundFolder = folder + std::to_string(round);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // One key every 5 to 25 ms, each key's time logged before the next.
            ViewHarness run;
            RecoveryKeeper keeper(roundFolder);
            run.v().m_watcher = &keeper;
            std::ofstream times(log);
            std::mt19937 pace(seed);
            for (int key : KeysOf(seed, kKeys)) {
                run.v().OnKeyDown(key);
                times << MonotonicNs() << std::endl;
                std::this_thread::sleep_for(std::chrono::milliseconds(5 + pace() % 20));
            }
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + random() % 2500));
        const std::int64_t killedAt = MonotonicNs();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        std::vector<std::int64_t> keyTimes;
        std::ifstream times(log);
        for (std::int64_t t; times >> t;) keyTimes.push_back(t);
        ASSERT_FALSE(keyTimes.empty()) << "round " << round;
        // The states after each key, replayed; the copy must be one of them that was still
        // the score less than two seconds before the kill.
        std::vector<FoundCopy> left = FindLeftCopies(roundFolder);
        ViewHarness replay;
        const std::vector<int> keys = KeysOf(seed, kKeys);
        bool found = false;
        for (size_t i = 0; i < keys.size() && i <= keyTimes.size() && !found; ++i) {
            replay.v().OnKeyDown(keys[i]);
            const bool recent =
                i + 1 >= keyTimes.size() || keyTimes[i + 1] >= killedAt - 2000000000;
            if (!recent || left.empty()) continue;
            found = ScoreOf(ReadBytes(left[0].copyPath)) == ScoreOf(SavedBytes(replay.v()));
        }
        if (left.empty()) {
            EXPECT_GE(keyTimes[0], killedAt - 2000000000) << "no copy, round " << round;
        } else {
            EXPECT_TRUE(found) << "round " << round << ": the copy is no recent state";
        }
    }
}

}  // namespace
}  // namespace tabrella::test
