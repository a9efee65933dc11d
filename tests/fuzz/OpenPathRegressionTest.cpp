// Score files the fuzzer once broke the program with, and the seed scores it starts from:
// each goes through everything Open leads to (load, tuning, drawing, MIDI export, a save
// that reads back the same) with no check failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/FileTestSupport.h"
#include "support/OpenPathCheck.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void ExpectEveryFileOpensCleanly(const fs::path& dir, size_t atLeast) {
    const std::vector<fs::path> files = FilesIn(dir);
    ASSERT_GE(files.size(), atLeast) << dir;
    for (const fs::path& file : files) {
        TempDir work;
        EXPECT_EQ(CheckOpenPath(ReadBytes(file.string()), work.path()), "") << file;
    }
}

TEST(FuzzRegressions, EveryFileOnceFoundByTheFuzzerOpensCleanly) {
    ExpectEveryFileOpensCleanly(TABRELLA_TEST_DATA "/fuzz-regressions", 1);
}

TEST(FuzzRegressions, EverySeedScoreOpensCleanly) {
    ExpectEveryFileOpensCleanly(TABRELLA_FUZZ_CORPUS, 20);
}

// The check itself must be able to fail: a file it cannot open is reported.
TEST(FuzzRegressions, TheCheckReportsAFileThatCannotBeOpened) {
    TempDir work;
    fs::create_directory(work / "in.tbr");  // the checker's input name, taken by a folder
    EXPECT_NE(CheckOpenPath("0 5 0 0 0 0 0", work.path()), "");
}

}  // namespace
}  // namespace tabrella::test
