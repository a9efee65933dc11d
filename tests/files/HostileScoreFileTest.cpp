// SPDX-License-Identifier: GPL-3.0-or-later
// Files that were never written by the program: whatever they hold, Open stays within the
// score's cells, and a file it cannot read changes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/FileMessage.h"
#include "resources/FileTexts.h"
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

// Cells of any integers in any spacing, then anything at all after "Title".
TEST_F(HostileFile, RandomNumbersThenRandomBytesLoadDrawAndSaveAgain) {
    std::mt19937 random(5);
    const char* const blanks[] = {" ", "\t", "\r\n", "\n", "\v", "\f", "  \n\n"};
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        // Whole records, so "Title" stands where a record begins and ends the cells.
        for (int w = 0; w < 7 * (70 + round * 14); ++w) {
            const long long n = static_cast<long long>(random()) * (random() % 3 == 0 ? 7 : 1) -
                                (1LL << 31) / (1 + random() % 1000);
            bytes +=
                (n >= 0 && random() % 4 == 0 ? "+" : "") + std::to_string(n) + blanks[random() % 7];
        }
        bytes += "Title ";
        for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(random() % 256);
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

// Whatever a file holds, Open either takes all of it or, when a word among the cells is no
// integer, refuses it as no score and leaves the score, its path and caption as they were.
TEST_F(HostileFile, AFileIsReadWholeOrRefusedAsNoScoreWithNothingChanged) {
    std::mt19937 random(11);
    const std::string wild = "0123456789-+ \r\n\tTitleNUL\x81\x40\xFF";
    const std::string digits = "0123456789 \r\n\t";
    int refused = 0, read = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const std::string& alphabet = round % 2 ? wild : digits;
        std::string bytes(200 + round * 31, ' ');
        for (char& c : bytes) c = alphabet[random() % alphabet.size()];
        v().m_filePath = "before.tbr";
        v().m_cells[5].first[2] = 7;
        h.window.caption = "before";
        if (const std::optional<FileError> error = Load(bytes)) {
            ++refused;
            EXPECT_EQ(ReasonText(*error), res::Sjis(res::FileTxt::NotAScore));
            EXPECT_EQ(v().m_filePath, "before.tbr");
            EXPECT_EQ(v().m_cells[5].first[2], 7);
            EXPECT_EQ(h.window.caption, "before");
        } else {
            ++read;
            ExpectUsableState();
            Paint();
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}

// Only a sign and digits make an integer; "Title" as the seventh word of a record is 0.
TEST_F(HostileFile, EveryStrayWordAmongTheCellsRefusesTheFile) {
    const std::string tail = "Title NULL " + S("平調子") + " 1 3 80";
    for (const char* word :
         {"abc", "5x", "1.5", "+", "-", "0x10", "--1", "+-2", "1e3", "\x82\x4f"}) {
        for (int place = 0; place < 7; ++place) {
            std::string cells = "0 5 0 0 0 0 0 ";
            std::vector<std::string> record = {"1", "2", "3", "4", "5", "6", "7"};
            record[static_cast<size_t>(place)] = word;
            for (const std::string& w : record) cells += w + " ";
            const std::optional<FileError> error = Load(cells + tail);
            ASSERT_TRUE(error) << word << " at " << place;
            EXPECT_EQ(ReasonText(*error), res::Sjis(res::FileTxt::NotAScore));
        }
    }
    for (const char* fine : {"+5 -0 007 99999999999 -99999999999 0 Title 1 2 3 4 5 6 7 ",
                             "1 2 3 4 5 6 7 Title x", "", "Title note with words"}) {
        EXPECT_FALSE(Load(std::string(fine) + tail)) << fine;
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
    EXPECT_EQ(ParseScoreFile(ReadBytes(saved)).settings.m_title, title);
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
        EXPECT_EQ(ReasonText(*error), ReasonText(MakeFileError({}, errnum)));
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

// Only regular files are read: a device is refused before a byte is read, and a FIFO
// without a writer is refused at once instead of freezing the window.
TEST_F(UnreadableFile, DevicesAndFifosAreRefusedAtOnce) {
    ExpectRefused("/dev/zero", kNotRegularFile);
    const std::string fifo = dir / "x.tbr";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(fifo, kNotRegularFile);
}

// Saving or exporting onto a device or FIFO would lose the bytes: both are refused.
TEST_F(UnreadableFile, WritingOntoADeviceOrFifoIsRefused) {
    const std::string fifo = dir / "out.mid";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {std::string("/dev/null"), fifo}) {
        const std::optional<FileError> saved = v().WriteScoreFile(target);
        ASSERT_TRUE(saved) << target;
        EXPECT_EQ(ReasonText(*saved), res::Sjis(res::FileTxt::NotRegularFile));
        EXPECT_TRUE(v().ExportMidi(target)) << target;
    }
}

}  // namespace
}  // namespace tabrella::test
