// SPDX-License-Identifier: GPL-3.0-or-later
// Saving replaces the file only when every byte is on disk: any failure leaves the old file
// as it was, no half-written file behind, and a message naming the file and the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/AtomicFile.h"
#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FileMessage.h"
#include "resources/KeyCodes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;

class SaveFailure : public ::testing::Test {
  protected:
    ViewHarness h;
    TempDir dir;
    const std::string oldBytes = "0 3 0 0 0 0 0 \r\nTitle NULL \r\nx\r\n1 \r\n3 \r\n80 \r\n";

    CTabrellaView& v() { return h.v(); }
    // A changed score tied to `path`, which holds the old bytes.
    void ChangedScoreOf(const std::string& path) {
        WriteBytes(path, oldBytes);
        ASSERT_FALSE(v().LoadScoreFile(path));
        h.Keys({vk::kDigit0 + 6});
        ASSERT_EQ(v().Modified(), 1);
    }
    void ExpectMessage(const std::string& path, int errnum, const std::string& before = "") {
        ASSERT_EQ(h.dialogs.messages.size(), 1u);
        EXPECT_EQ(h.dialogs.messages[0].text, S("ファイルを保存できませんでした。") + "\n" + path +
                                                  "\n" + before +
                                                  ReasonText(MakeFileError({}, errnum)));
        EXPECT_EQ(h.dialogs.messages[0].caption, "Tabrella");
        EXPECT_EQ(h.dialogs.messages[0].kind, platform::MessageBoxKind::Ok);
        for (const auto& shown : h.dialogs.shown) EXPECT_NE(shown.resourceId, res::kDlgSavedNotice);
    }
};

TEST_F(SaveFailure, ADeviceIsRefusedAndTheScoreStaysChangedAndTiedToItsFile) {
    const std::string path = dir / "mine.tbr";
    ChangedScoreOf(path);
    h.dialogs.AnswerFile("/dev/full");
    v().OnCommand(cmd::kSaveAs);
    ExpectMessage("/dev/full", kNotRegularFile);
    EXPECT_EQ(v().Modified(), 1);
    EXPECT_EQ(v().m_filePath, path);
    EXPECT_EQ(h.window.caption, path);
    EXPECT_EQ(ReadBytes(path), oldBytes);
}

TEST_F(SaveFailure, AReadOnlyFolderKeepsTheOldFile) {
    const std::string path = dir / "mine.tbr";
    ChangedScoreOf(path);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const std::string probe = dir / "probe";
    if (const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600); fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
        GTEST_SKIP() << "permissions do not stop this user from writing (running as root)";
    }
    v().OnCommand(cmd::kSave);
    // The folder refused, not the file: the message names the folder.
    ExpectMessage(dir.path(), EACCES, S("このフォルダに新しいファイルを作れません: "));
    EXPECT_EQ(ReadBytes(path), oldBytes);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"mine.tbr"});
    EXPECT_EQ(v().Modified(), 1);
}

// A write cut off in the middle, as a full disk or a quota would cut it. The file-size
// limit stops root as well.
TEST_F(SaveFailure, AWriteCutOffHalfWayLeavesNoPartialFile) {
    const std::string path = dir / "mine.tbr";
    ChangedScoreOf(path);
    for (int k = 1; k <= 2000; ++k) v().m_cells[k].first[2] = 1000;
    v().m_lastCell = 2000;

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    v().OnCommand(cmd::kSave);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldSignal);

    ExpectMessage(path, EFBIG);
    EXPECT_EQ(ReadBytes(path), oldBytes);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"mine.tbr"});
    EXPECT_EQ(v().Modified(), 1);
}

TEST_F(SaveFailure, AMissingFolderOnANewScoreLeavesItWithoutAFile) {
    h.Keys({vk::kDigit0 + 6});
    const std::string path = dir / "gone/new.tbr";
    h.dialogs.AnswerFile(path);
    v().OnCommand(cmd::kSave);
    // No new file can be made there: the message names the folder.
    ExpectMessage(dir / "gone", ENOENT, S("このフォルダに新しいファイルを作れません: "));
    EXPECT_EQ(v().m_filePath, "");
    EXPECT_EQ(h.window.caption, S("無題"));
    EXPECT_TRUE(dir.Names().empty());
}

TEST(AtomicFile, AFolderNamedAsTheTargetStaysAFolder) {
    TempDir dir;
    ::mkdir((dir / "sub").c_str(), 0755);
    const std::optional<FileError> error = WriteFileAtomically(dir / "sub", "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(ReasonText(*error), SystemReason(EISDIR));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "sub"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"sub"});
}

TEST(AtomicFile, ReplacesTheContentAndKeepsThePermissions) {
    TempDir dir;
    const std::string path = dir / "a.tbr";
    WriteBytes(path, "old old old old");
    ::chmod(path.c_str(), 0640);
    ASSERT_FALSE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadBytes(path), "new");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.tbr"});
}

TEST(AtomicFile, ALinkStaysALinkAndItsTargetIsWritten) {
    TempDir dir;
    WriteBytes(dir / "real.tbr", "old");
    ASSERT_EQ(::symlink("real.tbr", (dir / "link.tbr").c_str()), 0);
    ASSERT_FALSE(WriteFileAtomically(dir / "link.tbr", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.tbr"));
    EXPECT_EQ(ReadBytes(dir / "real.tbr"), "new");

    // A link whose target is not there yet, through a second link into a subfolder: the
    // target is created, both links stay, for a save and for an export alike.
    std::filesystem::create_directory(dir / "sub");
    ASSERT_EQ(::symlink("sub/hop.wav", (dir / "out.wav").c_str()), 0);
    ASSERT_EQ(::symlink("made.wav", (dir / "sub/hop.wav").c_str()), 0);
    ASSERT_FALSE(WriteFileAtomically(dir / "out.wav", "saved"));
    EXPECT_EQ(ReadBytes(dir / "sub/made.wav"), "saved");
    std::filesystem::remove(dir / "sub/made.wav");
    {
        PendingFile pending;
        ASSERT_FALSE(pending.Create(dir / "out.wav"));
        WriteBytes(pending.NativePath(), "exported");
        ASSERT_FALSE(pending.Commit());
    }
    EXPECT_EQ(ReadBytes(dir / "sub/made.wav"), "exported");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "out.wav"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "sub/hop.wav"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.tbr", "out.wav", "real.tbr", "sub"}));
}

// The temporary file is created for the owner alone; the finished file then takes the old
// file's permissions, or a new file's from the umask, never the temporary file's.
TEST(AtomicFile, TheFinishedFileHasTheOldModeOrTheUmasks) {
    TempDir dir;
    const mode_t oldMask = ::umask(022);
    ASSERT_FALSE(WriteFileAtomically(dir / "new.tbr", "x"));
    ::umask(077);
    ASSERT_FALSE(WriteFileAtomically(dir / "private.tbr", "x"));
    ::umask(oldMask);
    WriteBytes(dir / "old.tbr", "old");
    ::chmod((dir / "old.tbr").c_str(), 0604);
    ASSERT_FALSE(WriteFileAtomically(dir / "old.tbr", "new"));
    for (const auto& [name, mode] : {std::pair<const char*, mode_t>{"new.tbr", 0644},
                                     {"private.tbr", 0600},
                                     {"old.tbr", 0604}}) {
        struct stat st {};
        ::stat((dir / name).c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, mode) << name;
    }
}

// A write killed before its rename leaves a temporary file; the next write into the same
// folder removes every one a dead writer left, and nothing else: not a live writer's, nor
// a name that only resembles ours, nor a folder or link under such a name.
TEST(AtomicFile, AWriteRemovesWhatKilledWritersLeftInItsFolder) {
    TempDir dir;
    pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string d = std::to_string(dead);
    const std::vector<std::string> removed = {".a.tbr." + d + "-3.tmp", ".b.wav." + d + "-0.tmp",
                                              "..x-1.y." + d + "-12.tmp"};
    const std::vector<std::string> kept = {
        ".a.tbr." + std::to_string(::getppid()) + "-0.tmp",  // alive
        ".b.wav." + d + "-0.tmp~",
        "b.wav." + d + "-0.tmp",
        ".b.wav.0" + d + "-0.tmp",
        ".b.wav." + d + "-01.tmp",
        ".b.wav." + d + ".tmp",
        ".." + d + "-0.tmp",
        ".b.wav." + d + "-0.TMP",
        ".b.wav.-0.tmp",
        ".b.wav.x" + d + "-0.tmp"};
    for (const std::string& name : removed) WriteBytes(dir / name, "half");
    for (const std::string& name : kept) WriteBytes(dir / name, "other");
    const std::string folder = ".c.wav." + d + "-0.tmp", link = ".d.wav." + d + "-0.tmp";
    std::filesystem::create_directory(std::string(dir / folder));
    std::filesystem::create_symlink("a.tbr", std::string(dir / link));
    ASSERT_FALSE(WriteFileAtomically(dir / "new.tbr", "whole"));
    auto names = dir.Names();
    std::sort(names.begin(), names.end());
    std::vector<std::string> want = kept;
    want.insert(want.end(), {"new.tbr", folder, link});
    std::sort(want.begin(), want.end());
    EXPECT_EQ(names, want);
}

// Names in any script reach exactly the file they name, and two names never one file.
TEST(AtomicFile, EveryNameLandsOnExactlyItsFile) {
    TempDir dir;
    const std::vector<std::string> names = {"x〜yé.tbr", "w〜.tbr",   "é.tbr",
                                            "ü.tbr",     "中文.tbr",  "한국어.tbr",
                                            "🎵.tbr",     "x～yé.tbr", "?.tbr"};
    for (const std::string& name : names) ASSERT_FALSE(WriteFileAtomically(dir / name, name));
    auto onDisk = dir.Names();
    std::sort(onDisk.begin(), onDisk.end());
    auto want = names;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(onDisk, want);
    for (const std::string& name : names) {
        const std::string bytes = "Title " + std::to_string(name.size()) + " x 1 3 80";
        WriteBytes(dir / name, bytes);
        const ScoreFileRead read = ReadScoreFile(dir / name);
        ASSERT_FALSE(read.error) << name;
        EXPECT_EQ(read.content.settings.m_title, std::to_string(name.size()));
    }
}

}  // namespace
}  // namespace tabrella::test
