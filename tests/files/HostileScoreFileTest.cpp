// Files that were never written by the program: whatever they hold, Open stays within the
// score's cells, and a file it cannot read changes nothing.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/Texts.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

class HostileFile : public ::testing::Test {
  protected:
    ViewHarness h;
    TempDir dir;

    CTabrellaView& v() { return h.v(); }
    std::optional<FileError> Load(std::string_view bytes) {
        const std::string path = dir / "in.tbr";
        WriteBytes(path, bytes);
        return v().LoadScoreFile(path);
    }
    void Paint() {
        DrawLog log;
        RecordingSurface surface(log);
        v().OnPaint(surface);
    }
    // What every loaded score must satisfy before anything draws, plays or saves it.
    void ExpectUsableState() {
        EXPECT_GE(v().m_lastCell, 1);
        EXPECT_LE(v().m_lastCell, kLastCellIndex);
        EXPECT_GE(v().m_baseTone, 0);
        EXPECT_LE(v().m_baseTone, 12);
        EXPECT_GT(v().m_tempo, 0);
        EXPECT_GE(v().m_tuningIndex, 0);
        EXPECT_LT(v().m_tuningIndex, 8);
        EXPECT_EQ(v().m_cells[0], ScoreCell{});
    }
};

TEST_F(HostileFile, RandomBytesLoadDrawAndSaveAgain) {
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(4096 + round * 997, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        ASSERT_FALSE(Load(bytes));
        ExpectUsableState();
        Paint();
        const std::string again = dir / "again.tbr";
        ASSERT_FALSE(v().WriteScoreFile(again));
        // What was saved reads back as the same score up to its last used cell.
        const auto cells = v().m_cells;
        const int last = v().LastUsedCell();
        const std::string title = v().m_title;
        ASSERT_FALSE(v().LoadScoreFile(again));
        for (int k = 1; k <= last; ++k) ASSERT_EQ(v().m_cells[k], cells[k]) << k;
        EXPECT_EQ(v().LastUsedCell(), last);
        EXPECT_EQ(v().m_title, title);
    }
}

TEST_F(HostileFile, DigitsMixedWithBinaryStayWithinTheCells) {
    std::mt19937 random(11);
    const std::string alphabet = "0123456789-+ \r\n\tTitleNUL\x81\x40\xFF";
    for (int round = 0; round < 50; ++round) {
        std::string bytes(2000 + round * 131, ' ');
        for (char& c : bytes) c = alphabet[random() % alphabet.size()];
        ASSERT_FALSE(Load(bytes));
        ExpectUsableState();
        Paint();
    }
}

TEST_F(HostileFile, FiveThousandRecordsFillTheScoreAndNoMore) {
    std::string bytes;
    for (int k = 1; k <= 5000; ++k) bytes += "0 " + std::to_string(k % 13 + 1) + " 0 0 0 0 0 \r\n";
    bytes += "Title " + S("長い") + "\r\n" + S("楽調子") + "\r\n1 \r\n5 \r\n100 \r\n";
    ASSERT_FALSE(Load(bytes));
    EXPECT_EQ(v().m_lastCell, kLastCellIndex);
    EXPECT_EQ(v().m_cells[kLastCellIndex].first[2], 2999 % 13 + 1);
    EXPECT_EQ(v().m_title, S("長い"));
    EXPECT_EQ(v().m_tempo, 100);
    Paint();
    const std::string saved = dir / "saved.tbr";
    ASSERT_FALSE(v().WriteScoreFile(saved));
    EXPECT_EQ(ParseScoreFile(ReadBytes(saved)).records, kLastCellIndex);
}

TEST_F(HostileFile, NumbersBeyondThirtyTwoBitsAreClamped) {
    ASSERT_FALSE(
        Load("99999999999 -99999999999 2147483648 0 0 0 4294967297 Title NULL x 1 "
             "4294967299 99999999999999"));
    EXPECT_EQ(v().m_cells[1].first[1], 2147483647);
    EXPECT_EQ(v().m_cells[1].first[2], -2147483647 - 1);
    EXPECT_EQ(v().m_cells[1].first[3], 2147483647);
    EXPECT_EQ(v().m_cells[1].split, 2147483647);
    EXPECT_EQ(v().m_baseTone, 3);  // no pitch name: taken as missing
    EXPECT_EQ(v().m_tempo, 2147483647);
    ExpectUsableState();
    Paint();
}

TEST_F(HostileFile, AFileCutInARecordKeepsWhatItRead) {
    ASSERT_FALSE(Load("1 2 3 4 5 6 7\r\n8 9"));
    EXPECT_EQ(v().m_cells[2].first[1], 8);
    EXPECT_EQ(v().m_cells[2].first[2], 9);
    EXPECT_EQ(v().m_lastCell, 2);
    EXPECT_EQ(v().m_title, "");
    EXPECT_EQ(v().m_tuningName, S("平調子"));
    EXPECT_EQ(v().m_tempo, 80);
}

TEST_F(HostileFile, AFileCutBeforeTheTempoTakesTheNewScoreTempo) {
    v().m_tempo = 200;  // the previous score's tempo must not survive
    ASSERT_FALSE(Load("0 5 0 0 0 0 0 \r\nTitle NULL \r\n" + S("雲井調子") + "\r\n0 \r\n6 \r\n"));
    EXPECT_EQ(v().m_tempo, 80);
    EXPECT_EQ(v().m_baseTone, 6);
    EXPECT_EQ(v().m_otsuFlag, 0);
    EXPECT_EQ(v().m_tuningIndex, 1);
}

TEST_F(HostileFile, AnEmptyFileOpensAsANewScoreUnderItsName) {
    v().m_title = S("前の曲");
    v().m_cells[3].first[2] = 4;
    ASSERT_FALSE(Load(""));
    EXPECT_EQ(v().LastUsedCell(), 0);
    EXPECT_EQ(v().m_title, "");
    EXPECT_EQ(v().m_lastCell, 1);
    EXPECT_EQ(h.window.caption, dir / "in.tbr");
}

TEST_F(HostileFile, AMegabyteTitleIsKeptWholeAndSavedWhole) {
    const std::string title(1 << 20, '\x88');
    ASSERT_FALSE(Load("Title " + title + " " + S("平調子") + " 1 3 80"));
    EXPECT_EQ(v().m_title, title);
    const std::string saved = dir / "saved.tbr";
    ASSERT_FALSE(v().WriteScoreFile(saved));
    EXPECT_EQ(ParseScoreFile(ReadBytes(saved)).title, title);
    // Only what can lie on a page is drawn, not half a million pieces on every paint.
    DrawLog log;
    RecordingSurface surface(log);
    v().OnPaint(surface);
    size_t titlePieces = 0;
    for (const DrawOp& op : log.Texts()) titlePieces += op.text == title.substr(0, 2);
    EXPECT_GT(titlePieces, 10u);
    EXPECT_LT(titlePieces, 100u);
}

class UnreadableFile : public HostileFile {
  protected:
    void ExpectRefused(const std::string& path, int errnum) {
        v().m_cells[1].first[2] = 5;
        v().m_title = S("題");
        v().m_filePath = "old.tbr";
        h.window.caption = "old.tbr";
        const std::optional<FileError> error = v().LoadScoreFile(path);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->path, path);
        EXPECT_EQ(error->reason, SystemReason(errnum));
        EXPECT_EQ(v().m_cells[1].first[2], 5);
        EXPECT_EQ(v().m_title, S("題"));
        EXPECT_EQ(v().m_filePath, "old.tbr");
        EXPECT_EQ(h.window.caption, "old.tbr");
        EXPECT_EQ(h.window.invalidations, 0);
    }
};

TEST_F(UnreadableFile, AMissingFile) {
    ExpectRefused(dir / "none.tbr", ENOENT);
}

TEST_F(UnreadableFile, AFolderNamedAsTheFile) {
    ExpectRefused(dir.path(), EISDIR);
}

TEST_F(UnreadableFile, AFileInAMissingFolder) {
    ExpectRefused(dir / "no/such.tbr", ENOENT);
}

// A device that never ends is cut off instead of filling the memory.
TEST_F(UnreadableFile, AnEndlessDevice) {
    ExpectRefused("/dev/zero", EFBIG);
}

}  // namespace
}  // namespace tabrella::test
