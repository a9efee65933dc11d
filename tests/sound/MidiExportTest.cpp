// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI export command against real files: what it asks, what it writes, and that a
// failure leaves the old file and no partial file behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Sjis.h"
#include "resources/FileTexts.h"
#include "support/MidiBytes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;
constexpr int kExport = 32794;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

class MidiExport : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "tabrella-export-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
        h.Cell(1).first[2] = 5;
        h.Cell(2).first[2] = 7;
        h.v().m_lastCell = 2;
    }
    void TearDown() override {
        if (immutable) SetImmutable(false);
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    std::string Expected(int endCell) {
        std::ostringstream out;
        h.v().WriteMidiStream(out, 1, endCell);
        return out.str();
    }
    size_t FilesInDir() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
    bool SetImmutable(bool on) {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        immutable = on && ok;
        return ok;
    }
    // A directory no file can be created in, even for root (then by the immutable flag).
    bool MakeDirUnwritable() {
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        const fs::path probe = dir / "probe";
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0600);
        if (fd < 0) return true;
        ::close(fd);
        fs::remove(probe);
        return SetImmutable(true);
    }

    ViewHarness h;
    fs::path dir;
    bool immutable = false;
};

TEST_F(MidiExport, AsksForAMidiFileNamedAfterTheTitle) {
    h.v().m_title = Utf8ToSjis("六段の調");
    h.dialogs.AnswerFile(std::nullopt);
    ASSERT_TRUE(h.v().OnCommand(kExport));
    ASSERT_EQ(h.dialogs.fileRequests.size(), 1u);
    const platform::FileDialogRequest& r = h.dialogs.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_TRUE(r.confirmOverwrite);
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters[0].label, Utf8ToSjis("MIDIファイル (*.mid)"));
    EXPECT_EQ(r.filters[0].pattern, "*.mid");
    EXPECT_EQ(r.defaultExtension, "mid");
    EXPECT_EQ(r.initialName, Utf8ToSjis("六段の調.mid"));
    // Cancel: nothing written, nothing shown, nothing redrawn.
    EXPECT_EQ(FilesInDir(), 0u);
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(h.window.invalidations, 0);
}

TEST_F(MidiExport, WritesTheWholeScoreWithTheExtraCellOnlyWhenTheCursorIsOnCellOne) {
    h.v().SetDocumentFile({}, false);
    h.dialogs.AnswerFile((dir / "a.mid").string());
    h.v().OnCommand(kExport);
    EXPECT_EQ(Hex(ReadAll(dir / "a.mid")), Hex(Expected(3)));

    h.v().m_cursorPos = 2;
    h.dialogs.AnswerFile((dir / "b.mid").string());
    h.v().OnCommand(kExport);
    EXPECT_EQ(Hex(ReadAll(dir / "b.mid")), Hex(Expected(2)));
    EXPECT_NE(Expected(2), Expected(3));

    EXPECT_EQ(h.v().Modified(), 1);
    EXPECT_EQ(h.window.invalidations, 0);
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(FilesInDir(), 2u);  // and no temporary file left beside them
    EXPECT_EQ(h.window.written,
              (std::vector<std::string>{(dir / "a.mid").string(), (dir / "b.mid").string()}))
        << "each export says what it wrote";
}

TEST_F(MidiExport, ABareExtensionAsksForAFileNameAndWritesNothing) {
    for (std::string path : {std::string(".mid"), (dir / ".mid").string()}) {
        h.dialogs.messages.clear();
        h.dialogs.AnswerFile(path);
        h.v().OnCommand(kExport);
        ASSERT_EQ(h.dialogs.messages.size(), 1u) << path;
        EXPECT_EQ(h.dialogs.messages[0].text, Utf8ToSjis("ファイル名を入力してください。"));
        EXPECT_EQ(h.dialogs.messages[0].kind, platform::MessageBoxKind::Ok);
    }
    EXPECT_FALSE(fs::exists(".mid"));
    EXPECT_EQ(FilesInDir(), 0u);
}

// The chosen name is used as the file system gives it, in any script.
TEST_F(MidiExport, ANameInAnyScriptIsCreatedUnderExactlyThatName) {
    for (const char* name : {"さくら.mid", "x〜yé.mid", "한국어🎵.mid"}) {
        h.dialogs.AnswerFile((dir / name).string());
        h.v().OnCommand(kExport);
        EXPECT_EQ(ReadAll(dir / name), Expected(3)) << name;
    }
    EXPECT_EQ(FilesInDir(), 3u);
}

TEST_F(MidiExport, ReplacingAFileKeepsItsPermissionsAndALinkStaysALink) {
    const fs::path target = dir / "old.mid";
    WriteText(target, "old contents");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, dir / "link.mid");
    h.dialogs.AnswerFile((dir / "link.mid").string());
    h.v().OnCommand(kExport);
    EXPECT_TRUE(fs::is_symlink(dir / "link.mid"));
    EXPECT_EQ(ReadAll(target), Expected(3));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesInDir(), 2u);
}

TEST_F(MidiExport, AnUnwritableFolderGivesAMessageWithPathAndReasonAndNoFile) {
    if (!MakeDirUnwritable()) GTEST_SKIP() << "cannot make a folder unwritable here";
    const std::string path = (dir / "x.mid").string();
    h.dialogs.AnswerFile(path);
    h.v().OnCommand(kExport);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    const std::string& text = h.dialogs.messages[0].text;
    EXPECT_NE(text.find(Utf8ToSjis("ファイルを書き込めませんでした。")), std::string::npos);
    // The folder refused a new file: the message names the folder.
    EXPECT_NE(text.find("\n" + dir.string() + "\n"), std::string::npos) << text;
    EXPECT_TRUE(text.find("Permission denied") != std::string::npos ||
                text.find("Operation not permitted") != std::string::npos)
        << text;
    EXPECT_EQ(FilesInDir(), 0u);
    EXPECT_TRUE(h.window.written.empty());
}

TEST_F(MidiExport, ADeviceIsRefusedAndStaysADevice) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
    h.dialogs.AnswerFile("/dev/full");
    h.v().OnCommand(kExport);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find("/dev/full"), std::string::npos);
    EXPECT_NE(h.dialogs.messages[0].text.find(res::Sjis(res::FileTxt::NotRegularFile)),
              std::string::npos);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(MidiExport, AWriteThatFailsHalfwayKeepsTheOldFileAndLeavesNoPartialFile) {
    const fs::path target = dir / "song.mid";
    WriteText(target, "the previous export");
    // A file size limit makes the write fail after a few bytes, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    h.dialogs.AnswerFile(target.string());
    h.v().OnCommand(kExport);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find("File too large"), std::string::npos);
    EXPECT_EQ(ReadAll(target), "the previous export");
    EXPECT_EQ(FilesInDir(), 1u);
}

}  // namespace
}  // namespace tabrella::test
