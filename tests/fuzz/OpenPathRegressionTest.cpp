// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs the fuzzer once broke the program with (tests/data/fuzz-regressions) and the seed
// scores it starts from (fuzz/corpus): each goes through everything Open leads to (load,
// tuning, drawing, MIDI export, a save that reads back the same) with no check failing.
// Likewise the MIDI and MusicXML files of the import's fuzzers (fuzz-regressions/midi and
// musicxml, fuzz/midi-corpus and musicxml-corpus) through its readers and arrangement.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "files/FileTestSupport.h"
#include "support/ImportCheck.h"
#include "support/OpenPathCheck.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (!fs::exists(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Each file on its own: a failure names the file and what went wrong with it.
TEST(FuzzRegressions, EveryFoundInputAndSeedScoreOpensCleanly) {
    std::vector<fs::path> files = FilesIn(TABRELLA_TEST_DATA "/fuzz-regressions");
    const std::vector<fs::path> seeds = FilesIn(TABRELLA_FUZZ_CORPUS);
    files.insert(files.end(), seeds.begin(), seeds.end());
    ASSERT_GE(seeds.size(), 20u);
    for (const fs::path& file : files) {
        TempDir work;
        EXPECT_EQ(CheckOpenPath(ReadBytes(file.string()), work.path()), "") << file;
    }
}

// The check itself must be able to fail: a file it cannot open is reported.
TEST(FuzzRegressions, TheCheckReportsAFileThatCannotBeOpened) {
    TempDir work;
    fs::create_directory(work / "in.tbr");  // the checker's input name, taken by a folder
    EXPECT_NE(CheckOpenPath("0 5 0 0 0 0 0", work.path()), "");
}

// The MIDI check the fuzzer relies on rejects what a broken writer would produce.
TEST(FuzzRegressions, TheMidiCheckRejectsBrokenFiles) {
    ViewHarness h;
    h.Keys({0x35, 0x28, 0x37});  // 五, then 七 in the next cell
    std::ostringstream out;
    ASSERT_TRUE(h.v().WriteMidiStream(out, 1, 3));
    const std::string good = out.str();
    ASSERT_EQ(MidiFileFault(good, 3), "");

    std::string highData = good;
    highData[good.find('\x90') + 1] = '\x85';  // a note-on key of 0x85
    EXPECT_NE(MidiFileFault(highData), "");
    EXPECT_NE(MidiFileFault(good.substr(0, good.size() - 1)), "");  // cut short
    std::string longer = good;
    longer[21] = static_cast<char>(longer[21] + 1);  // track length one too many
    EXPECT_NE(MidiFileFault(longer), "");
    std::string unended = good;
    const size_t off = unended.find("\x80\x45");  // 七's note off
    ASSERT_NE(off, std::string::npos);
    unended[off + 1] = '\x46';  // now names the next key
    EXPECT_NE(MidiFileFault(unended), "");
    EXPECT_NE(MidiFileFault(good, 4), "");  // one cell's time missing
}

TEST(FuzzRegressions, EveryFoundAndSeedMidiOrMusicXmlFileImportsCleanly) {
    for (const std::string format : {"midi", "musicxml"}) {
        std::vector<fs::path> files = FilesIn(TABRELLA_TEST_DATA "/fuzz-regressions/" + format);
        const std::vector<fs::path> seeds =
            FilesIn(TABRELLA_FUZZ_CORPUS "/../" + format + "-corpus");
        files.insert(files.end(), seeds.begin(), seeds.end());
        ASSERT_GE(seeds.size(), 4u) << format;
        for (const fs::path& file : files)
            EXPECT_EQ(ImportFault(ReadBytes(file.string())), "") << file;
    }
}

// The import check rejects what a broken arrangement would write.
TEST(FuzzRegressions, TheImportCheckRejectsBrokenArrangements) {
    platform::Melody melody;
    melody.notes = {{0, 480, 64}};
    Arrangement a = Arrange(melody, {});
    ASSERT_EQ(ArrangementFault(melody, a), "");
    a.cells[0].first[2] = slot::kRepeat;  // a mark instead of the note
    EXPECT_NE(ArrangementFault(melody, a), "");
    a.cells[0].first[2] = 7;  // one note too many
    a.cells[0].first[1] = 5;
    EXPECT_NE(ArrangementFault(melody, a), "");
}

}  // namespace
}  // namespace tabrella::test
