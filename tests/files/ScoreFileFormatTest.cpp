// SPDX-License-Identifier: GPL-3.0-or-later
// The layout the writer produces and the words the reader takes, without the view.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"

namespace tabrella::test {
namespace {

ScoreCell Cell(std::array<std::int32_t, 7> fields) {
    ScoreCell c;
    for (int j = 1; j <= 7; ++j) c.Field(j) = fields[static_cast<size_t>(j - 1)];
    return c;
}

std::string Tail(std::string_view title = "NULL ") {
    return "Title " + std::string(title) + "\r\n" + S("平調子") + "\r\n1 \r\n3 \r\n80 \r\n";
}

TEST(ScoreFileWriter, WritesOneLineOfSevenNumbersPerCellAndTheSettings) {
    ScoreFileContent c;
    c.cells = {Cell({0, 5, 0, 0, 0, 0, 0}), Cell({10, 0, 0, 0, 0, 0, 0})};
    EXPECT_EQ(FormatScoreFile(c), "0 5 0 0 0 0 0 \r\n10 0 0 0 0 0 0 \r\n" + Tail());
}

// Over scores of every length up to the full 2999 cells, with small, large, negative and
// extreme values, every line is the seven numbers in plain decimal, and the file reads back.
TEST(ScoreFileWriter, WritesEveryCellAsSevenPlainNumbersAtAnyLength) {
    std::mt19937 rng(2999);
    const std::array<std::int32_t, 8> rare = {10, 13, 105, 1300, -1, INT_MIN, INT_MAX, 999999};
    for (const int cells : {0, 1, 170, 171, 2999}) {
        ScoreFileContent c;
        std::string lines;
        for (int k = 0; k < cells; ++k) {
            std::array<std::int32_t, 7> fields{};
            for (std::int32_t& f : fields) {
                const unsigned pick = rng() % 16;
                f = pick < 8 ? std::int32_t(pick) : pick < 12 ? 0 : rare[rng() % rare.size()];
                lines += std::to_string(f) + " ";
            }
            lines += "\r\n";
            c.cells.push_back(Cell(fields));
        }
        c.records = cells;
        const std::string bytes = FormatScoreFile(c);
        EXPECT_EQ(bytes, lines + Tail()) << cells << " cells";
        EXPECT_EQ(ParseScoreFile(bytes), c) << cells << " cells";
    }
}

TEST(ScoreFileWriter, WritesTheTitleAsItIsWithoutTrailingSpace) {
    ScoreFileContent c;
    c.cells = {Cell({0, 0, 0, 0, 0, 0, 0})};
    c.settings.m_title = S("さくら") + "%d%s";
    c.settings.m_tuningName = S("雲井調子");
    c.settings.m_otsuFlag = 0;
    c.settings.m_baseTone = 12;
    c.settings.m_tempo = 280;
    EXPECT_EQ(FormatScoreFile(c), "0 0 0 0 0 0 0 \r\nTitle " + S("さくら") + "%d%s\r\n" +
                                      S("雲井調子") + "\r\n0 \r\n12 \r\n280 \r\n");
}

TEST(ScoreFileWriter, WritesExtremeAndNegativeValuesInPlainDecimal) {
    ScoreFileContent c;
    c.cells = {Cell({-7, INT_MIN, INT_MAX, 0, -0, 1300, -1})};
    const std::string bytes = FormatScoreFile(c);
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "-7 -2147483648 2147483647 0 0 1300 -1 ");
    EXPECT_EQ(ParseScoreFile(bytes), [&] {
        ScoreFileContent expected = c;
        expected.records = 1;
        return expected;
    }());
}

TEST(ScoreFileReader, ReadsBackEverythingTheWriterWrote) {
    ScoreFileContent c;
    for (int k = 1; k <= 40; ++k) c.cells.push_back(Cell({k, -k, 100 * k, 3, 0, k % 13, k % 2}));
    c.settings.m_title = S("六段の調");
    c.settings.m_tuningName = S("ハルモニックｍ");
    c.settings.m_otsuFlag = 0;
    c.settings.m_baseTone = 1;
    c.settings.m_tempo = 10;
    c.records = 40;
    EXPECT_EQ(ParseScoreFile(FormatScoreFile(c)), c);
}

TEST(ScoreFileReader, TakesTheNumericValueFromTheStartOfAWord) {
    EXPECT_EQ(WordValue("12abc"), 12);
    EXPECT_EQ(WordValue("abc"), 0);
    EXPECT_EQ(WordValue("+7"), 7);
    EXPECT_EQ(WordValue("-0"), 0);
    EXPECT_EQ(WordValue("-"), 0);
    EXPECT_EQ(WordValue("--3"), 0);
    EXPECT_EQ(WordValue("3-4"), 3);
    EXPECT_EQ(WordValue("007"), 7);
    EXPECT_EQ(WordValue(S("五")), 0);
}

TEST(ScoreFileReader, ClampsNumbersBeyondThirtyTwoBits) {
    EXPECT_EQ(WordValue("2147483647"), INT_MAX);
    EXPECT_EQ(WordValue("2147483648"), INT_MAX);
    EXPECT_EQ(WordValue("-2147483648"), INT_MIN);
    EXPECT_EQ(WordValue("-2147483649"), INT_MIN);
    EXPECT_EQ(WordValue("99999999999999999999999999999999"), INT_MAX);
    EXPECT_EQ(WordValue("-99999999999999999999999999999999x"), INT_MIN);
}

TEST(ScoreFileReader, NullMeansNoTitleEvenWhenTypedAsTheTitle) {
    ScoreFileContent c;
    c.cells = {Cell({1, 0, 0, 0, 0, 0, 0})};
    c.settings.m_title = "NULL";
    EXPECT_EQ(ParseScoreFile(FormatScoreFile(c)).settings.m_title, "");
}

TEST(ScoreFileReader, ATitleNamedTitleReadsBack) {
    const ScoreFileContent c = ParseScoreFile("1 0 0 0 0 0 0 \r\nTitle Title\r\n" + S("楽調子") +
                                              "\r\n1 \r\n3 \r\n80 \r\n");
    EXPECT_EQ(c.settings.m_title, "Title");
    EXPECT_EQ(c.settings.m_tuningName, S("楽調子"));
    EXPECT_EQ(c.records, 1);
}

TEST(ScoreFileReader, TitleAsTheSeventhWordIsASplitOfZeroAndReadingGoesOn) {
    const ScoreFileContent c = ParseScoreFile("1 2 3 4 5 6 Title 7 8 9 10 11 12 1 " + Tail());
    ASSERT_EQ(c.records, 2);
    EXPECT_EQ(c.cells[0], Cell({1, 2, 3, 4, 5, 6, 0}));
    EXPECT_EQ(c.cells[1], Cell({7, 8, 9, 10, 11, 12, 1}));
    EXPECT_EQ(c.settings.m_title, "");
}

TEST(ScoreFileReader, TitleWithinARecordEndsTheCellsAndKeepsTheFieldsRead) {
    const ScoreFileContent c = ParseScoreFile("5 0 0 0 0 0 0\r\n9 8 Title NULL " + S("平調子"));
    EXPECT_EQ(c.records, 1);
    ASSERT_EQ(c.cells.size(), 2u);
    EXPECT_EQ(c.cells[1], Cell({9, 8, 0, 0, 0, 0, 0}));
}

TEST(ScoreFileReader, LineEndsAndExtraWhiteSpaceChangeNothing) {
    const std::string written = "0 5 0 0 0 0 0 \r\n10 0 0 0 0 0 0 \r\n" + Tail();
    const std::string loose =
        "\n\n  0\t5 0  0\v0 0\f0\n10 0 0 0 0 0 0\n\nTitle \t NULL\n" + S("平調子") + "\n1\n3\n80";
    EXPECT_EQ(ParseScoreFile(loose), ParseScoreFile(written));
}

TEST(ScoreFileReader, IgnoresWordsAfterTheTempo) {
    const std::string written = "0 5 0 0 0 0 0 \r\n" + Tail();
    EXPECT_EQ(ParseScoreFile(written + "120 Title 7 garbage\r\n"), ParseScoreFile(written));
}

TEST(ScoreFileReader, OtsuIsOffOnlyForTheValueOne) {
    auto otsu = [](std::string word) {
        return int{ParseScoreFile("Title NULL x " + word + " 3 80").settings.m_otsuFlag};
    };
    EXPECT_EQ(otsu("1"), 1);
    EXPECT_EQ(otsu("01"), 1);
    EXPECT_EQ(otsu("0"), 0);
    EXPECT_EQ(otsu("2"), 0);
    EXPECT_EQ(otsu("-1"), 0);
    EXPECT_EQ(otsu("yes"), 0);
}

// A base tone names one of the twelve pitches or none (0); a tempo divides time. Values the
// program cannot use are treated as missing, so the settings of a new score apply.
TEST(ScoreFileReader, UnusableBaseToneOrTempoTakesTheNewScoreValue) {
    auto read = [](std::string tone, std::string tempo) {
        const ScoreFileContent c = ParseScoreFile("Title NULL x 1 " + tone + " " + tempo);
        return std::pair{c.settings.m_baseTone, c.settings.m_tempo};
    };
    EXPECT_EQ(read("12", "280"), std::pair(12, 280));
    EXPECT_EQ(read("0", "1"), std::pair(0, 1));
    EXPECT_EQ(read("13", "300"), std::pair(3, 300));
    EXPECT_EQ(read("-1", "0"), std::pair(3, 80));
    EXPECT_EQ(read("99999999999", "-80"), std::pair(3, 80));
}

// Each prefix of a file ends somewhere: the fields after that point keep the defaults.
TEST(ScoreFileReader, AFileCutShortGivesTheNewScoreDefaultsForWhatIsMissing) {
    const std::string full =
        "0 5 0 0 0 0 0 \r\nTitle " + S("さくら") + "\r\n" + S("楽調子") + "\r\n0 \r\n7 \r\n96 \r\n";
    const ScoreFileContent defaults;
    struct Cut {
        size_t end;
        std::string title, tuning;
        int otsu, tone, tempo;
    };
    const std::string d = defaults.settings.m_tuningName;
    const std::string title = S("さくら"), tuning = S("楽調子");
    const std::vector<Cut> cuts = {
        {full.find("Title"), "", d, 1, 3, 80},
        {full.find("Title") + 6, "", d, 1, 3, 80},
        {full.find(tuning), title, d, 1, 3, 80},
        {full.find("0 \r\n7"), title, tuning, 1, 3, 80},
        {full.find("7 \r\n"), title, tuning, 0, 3, 80},
        {full.find("96"), title, tuning, 0, 7, 80},
        {full.size(), title, tuning, 0, 7, 96},
    };
    for (size_t i = 0; i < cuts.size(); ++i) {
        SCOPED_TRACE(i);
        const ScoreFileContent c = ParseScoreFile(std::string_view(full).substr(0, cuts[i].end));
        EXPECT_EQ(c.records, 1);
        EXPECT_EQ(c.settings.m_title, cuts[i].title);
        EXPECT_EQ(c.settings.m_tuningName, cuts[i].tuning);
        EXPECT_EQ(c.settings.m_otsuFlag, cuts[i].otsu);
        EXPECT_EQ(c.settings.m_baseTone, cuts[i].tone);
        EXPECT_EQ(c.settings.m_tempo, cuts[i].tempo);
    }
}

TEST(ScoreFileReader, ARecordMissingOnlyItsSplitStillCounts) {
    const ScoreFileContent c = ParseScoreFile("1 2 3 4 5 6 7\n8 9 10 11 12 13");
    EXPECT_EQ(c.records, 2);
    EXPECT_EQ(c.cells[1], Cell({8, 9, 10, 11, 12, 13, 0}));
    EXPECT_EQ(c, [&] {
        ScoreFileContent d;
        d.cells = c.cells;
        d.records = 2;
        return d;
    }());
}

TEST(ScoreFileReader, ReadsRecordsPastTheLastCellAndKeepsNone) {
    std::string bytes;
    for (int k = 1; k <= 5000; ++k) bytes += std::to_string(k) + " 0 0 0 0 0 0 \r\n";
    const ScoreFileContent c = ParseScoreFile(bytes + Tail(S("長い曲")));
    EXPECT_EQ(c.records, 5000);
    ASSERT_EQ(c.cells.size(), 2999u);
    EXPECT_EQ(c.cells.back().first[1], 2999);
    EXPECT_EQ(c.settings.m_title, S("長い曲"));
    EXPECT_EQ(c.settings.m_tempo, 80);
}

TEST(ScoreFileReader, AnEmptyFileIsANewScore) {
    EXPECT_EQ(ParseScoreFile(""), ScoreFileContent{});
    EXPECT_EQ(ParseScoreFile(" \r\n\t\n"), ScoreFileContent{});
}

TEST(ScoreFileReader, TakesAMegabyteWordWhole) {
    const std::string word(1 << 20, '\x82');  // lead bytes only: one long word
    const ScoreFileContent c = ParseScoreFile("Title " + word + " " + S("平調子"));
    EXPECT_EQ(c.settings.m_title, word);
    EXPECT_EQ(c.settings.m_tuningName, S("平調子"));
}

// The cell records as the rules say, word by word: six values or the end or "Title"
// first, then a seventh taken whatever it is; a word that is no number spoils the file.
ScoreFileContent CellsByTheRules(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        at = text.find_first_not_of(" \t\r\n\v\f", at);
        if (at == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t\r\n\v\f", at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    const auto integer = [](std::string_view w) {
        if (!w.empty() && (w[0] == '+' || w[0] == '-')) w.remove_prefix(1);
        return !w.empty() && w.find_first_not_of("0123456789") == std::string_view::npos;
    };
    ScoreFileContent c;
    bool whole = true;
    for (std::size_t i = 0, k = 1;; ++k) {
        ScoreCell cell;
        int j = 1;
        for (; j <= 6 && i < words.size() && words[i] != "Title"; ++j, ++i) {
            cell.Field(j) = WordValue(words[i]);
            whole = whole && integer(words[i]);
        }
        if (j <= 6) {
            if (j > 1 && IsCellIndex(static_cast<long long>(k))) c.cells.push_back(cell);
            c.notAScore = !whole;
            return c;
        }
        if (i < words.size()) {
            cell.split = WordValue(words[i]);
            whole = whole && (integer(words[i]) || words[i] == "Title");
            ++i;
        }
        if (IsCellIndex(static_cast<long long>(k))) c.cells.push_back(cell);
        ++c.records;
    }
}

// Over many texts of short and long numbers, signs, stray letters and "Title" in every
// place, with every kind of blank, the reader keeps to the rules word for word.
TEST(ScoreFileReader, ReadsEveryMixOfWordsAsTheRulesSay) {
    const std::vector<std::string> pieces = {
        "0",          "5",          "13",         "105",         "1300",  "999999999",
        "1000000000", "2147483647", "2147483648", "99999999999", "-3",    "+7",
        "-",          "007",        "12abc",      "x",           "Title", S("五")};
    const std::vector<std::string> blanks = {" ", " ", " ", "\r\n", "\t", "  ", "\v\f"};
    std::mt19937 rng(20261208);
    const auto pick = [&](const std::vector<std::string>& from, std::size_t count) {
        return from[std::uniform_int_distribution<std::size_t>(0, count - 1)(rng)];
    };
    for (int run = 0; run < 3000; ++run) {
        std::string text = run % 2 ? "" : pick(blanks, blanks.size());
        const int words = std::uniform_int_distribution<int>(0, 40)(rng);
        for (int w = 0; w < words; ++w) {
            // Mostly short numbers, as scores are.
            text += pick(pieces, w % 4 ? 4 : pieces.size());
            text += pick(blanks, blanks.size());
        }
        if (run % 3 == 0 && !text.empty()) text.pop_back();  // the last word at the very end
        const ScoreFileContent read = ParseScoreFile(text);
        const ScoreFileContent rules = CellsByTheRules(text);
        ASSERT_EQ(read.cells, rules.cells) << text;
        ASSERT_EQ(read.records, rules.records) << text;
        ASSERT_EQ(read.notAScore, rules.notAScore) << text;
    }
}

TEST(TitleAsOneWord, TurnsHalfWidthWhiteSpaceIntoFullWidthSpaces) {
    EXPECT_EQ(TitleAsOneWord(S("春の海")), S("春の海"));
    EXPECT_EQ(TitleAsOneWord("a b\tc"), "a" + S("　") + "b" + S("　") + "c");
    EXPECT_EQ(TitleAsOneWord(" \r\n"), S("　　　"));
    // Trail bytes are never white space; those of ソ and 表 are even a backslash.
    EXPECT_EQ(TitleAsOneWord(S("ソ表")), S("ソ表"));
}

}  // namespace
}  // namespace tabrella::test
