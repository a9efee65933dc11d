// SPDX-License-Identifier: GPL-3.0-or-later
// Key sequences against the key table: each row gives a score and a cursor, presses keys
// and states the whole score, the cursor and the modified flag afterwards. Cells that a
// row does not name must stay as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "resources/CommandIds.h"
#include "resources/KeyCodes.h"
#include "score/CommandTable.h"
#include "support/CellPrinting.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using platform::MouseEvent;

struct Cursor {
    int pos = 1;
    int half = 1;
    int slot = 2;
    int top = 0;
    friend bool operator==(const Cursor&, const Cursor&) = default;
};

void PrintTo(const Cursor& c, std::ostream* os) {
    *os << "{pos " << c.pos << ", half " << c.half << ", slot " << c.slot << ", top " << c.top
        << "}";
}

Cursor CursorOf(const CTabrellaView& v) {
    return {v.m_cursorPos, v.m_cursorHalf, v.m_cursorSlot, v.m_topColumn};
}

void Place(CTabrellaView& v, const Cursor& c) {
    v.m_cursorPos = c.pos;
    v.m_cursorHalf = c.half;
    v.m_cursorSlot = c.slot;
    v.m_topColumn = c.top;
}

using Cells = std::vector<std::pair<int, ScoreCell>>;

struct KeyRow {
    const char* name;
    Cells given;                   // the score before the keys
    Cursor at;                     // the cursor before the keys
    std::vector<int> keys;         // pressed in order
    Cells want;                    // cells that differ from `given` afterwards
    std::optional<Cursor> cursor;  // the cursor afterwards; unchanged when not given
    int modified = -1;             // the modified flag afterwards; not checked when -1
    int invalidations = -1;        // window invalidations; not checked when -1
};

void PrintTo(const KeyRow& row, std::ostream* os) {
    *os << row.name;
}

std::string RowName(const ::testing::TestParamInfo<KeyRow>& info) {
    return info.param.name;
}

class KeySequence : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeySequence, GivesTheStatedScoreAndCursor) {
    const KeyRow& row = GetParam();
    ViewHarness h;
    for (const auto& [k, cell] : row.given) h.Cell(k) = cell;
    Place(h.v(), row.at);
    auto expected = h.v().m_cells;
    for (const auto& [k, cell] : row.want) expected.at(static_cast<size_t>(k)) = cell;

    for (int key : row.keys) h.v().OnKeyDown(key);

    EXPECT_TRUE(SameScore(expected, h.v().m_cells));
    EXPECT_EQ(CursorOf(h.v()), row.cursor.value_or(row.at));
    if (row.modified >= 0) {
        EXPECT_EQ(h.v().Modified(), row.modified);
    }
    if (row.invalidations >= 0) {
        EXPECT_EQ(h.window.invalidations, row.invalidations);
    }
}

constexpr int kSpace = vk::kSpace;
constexpr int kInsert = vk::kInsert;
constexpr int kO = vk::kO;
constexpr int kColon = vk::kOem1;         // ○ 500
constexpr int kAt = vk::kOem3;            // ○ 700
constexpr int kClose = vk::kOem6;         // △ 600
constexpr int kOpen = vk::kOem4;          // △ 800
constexpr int kPeriod = vk::kOemPeriod;   // ゝ
constexpr int kSemicolon = vk::kOemPlus;  // ハ

// ---- String entry and Space ------------------------------------------------------------

// clang-format off
const KeyRow kEntryRows[] = {
    {.name = "StringGoesIntoTheCentreSlotOfAnEmptyCell", .keys = {'5'},
     .want = {{1, Whole(0, 5, 0)}}, .modified = 1},
    {.name = "StringGoesIntoTheSlotUnderTheCursor", .at = {.pos = 3, .slot = 1}, .keys = {'7'},
     .want = {{3, Whole(7, 0, 0)}}},
    {.name = "RightSlotTakesAString", .at = {.pos = 3, .slot = 3}, .keys = {vk::kOem5},
     .want = {{3, Whole(0, 0, 13)}}},
    {.name = "NextStringReplacesTheSameSlot", .keys = {'5', '3'}, .want = {{1, Whole(0, 3, 0)}}},
    {.name = "StringKeepsTheModifierOf205", .given = {{1, Whole(0, 205, 0)}}, .keys = {'3'},
     .want = {{1, Whole(0, 203, 0)}}},
    {.name = "StringKeepsTheModifierOf312", .given = {{1, Whole(0, 312, 0)}}, .keys = {'7'},
     .want = {{1, Whole(0, 307, 0)}}},
    {.name = "StringJoinsALoneModifier", .given = {{1, Whole(100, 0, 0)}}, .at = {.slot = 1},
     .keys = {'4'}, .want = {{1, Whole(104, 0, 0)}}},
    {.name = "StringInASideSlotClearsAMarkInTheCentre", .given = {{2, Whole(0, 1000, 0)}},
     .at = {.pos = 2, .slot = 1}, .keys = {'6'}, .want = {{2, Whole(6, 0, 0)}}},
    {.name = "StringReplacesARestInTheCentre", .given = {{2, Whole(0, 600, 0)}}, .at = {.pos = 2},
     .keys = {'2'}, .want = {{2, Whole(0, 2, 0)}}},
    {.name = "WholeCellTakesTheStringInItsFirstHalfWhateverTheHalf",
     .given = {{4, Whole(0, 0, 0, 4, 4, 4)}}, .at = {.pos = 4, .half = 2}, .keys = {'1'},
     .want = {{4, Whole(0, 1, 0, 4, 4, 4)}}},
    {.name = "SplitCellUpperHalfTakesTheString", .given = {{4, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 4, .half = 1, .slot = 3}, .keys = {'9'}, .want = {{4, Split(0, 0, 9, 0, 0, 0)}}},
    {.name = "SplitCellLowerHalfTakesTheString", .given = {{4, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 4, .half = 2, .slot = 1}, .keys = {'0'},
     .want = {{4, Split(0, 0, 0, 10, 0, 0)}}},
    {.name = "LowerHalfEntryClearsOnlyTheLowerMark", .given = {{4, Split(0, 1000, 0, 0, 1100, 0)}},
     .at = {.pos = 4, .half = 2, .slot = 3}, .keys = {vk::kOemMinus},
     .want = {{4, Split(0, 1000, 0, 0, 0, 11)}}},
    {.name = "UpperHalfEntryClearsOnlyTheUpperMark", .given = {{4, Split(0, 1000, 0, 0, 1100, 0)}},
     .at = {.pos = 4, .half = 1, .slot = 1}, .keys = {vk::kOem7},
     .want = {{4, Split(12, 0, 0, 0, 1100, 0)}}},
    {.name = "SpaceClearsTheWholeSlotModifierIncluded", .given = {{1, Whole(0, 305, 0)}},
     .keys = {kSpace}, .want = {{1, Whole(0, 0, 0)}}, .modified = 1},
    {.name = "SpaceInAWholeCellClearsThatSlotInBothHalves", .given = {{1, Whole(1, 2, 3, 7, 8, 9)}},
     .at = {.half = 2, .slot = 1}, .keys = {kSpace}, .want = {{1, Whole(0, 2, 3, 0, 8, 9)}}},
    {.name = "SpaceInAWholeCellWithUpperHalfKeepsTheHiddenHalf",
     .given = {{1, Whole(1, 2, 3, 7, 8, 9)}}, .at = {.half = 1, .slot = 3}, .keys = {kSpace},
     .want = {{1, Whole(1, 2, 0, 7, 8, 9)}}},
    {.name = "SpaceInASideSlotClearsARestInTheCentre", .given = {{3, Whole(0, 600, 0)}},
     .at = {.pos = 3, .slot = 1}, .keys = {kSpace}, .want = {{3, Whole(0, 0, 0)}}},
    {.name = "SpaceInTheLowerHalfAlsoClearsTheUpperMark",
     .given = {{3, Split(0, 1000, 0, 4, 5, 6)}}, .at = {.pos = 3, .half = 2, .slot = 3},
     .keys = {kSpace}, .want = {{3, Split(0, 0, 0, 4, 5, 0)}}},
    {.name = "SpaceInTheUpperHalfLeavesTheLowerHalf", .given = {{3, Split(1, 2, 3, 4, 5, 6)}},
     .at = {.pos = 3, .half = 1, .slot = 2}, .keys = {kSpace},
     .want = {{3, Split(1, 0, 3, 4, 5, 6)}}},
    {.name = "EntryFollowsThePageMovedForward", .at = {.pos = 5, .top = 2}, .keys = {'8'},
     .want = {{69, Whole(0, 8, 0)}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Entry, KeySequence, ::testing::ValuesIn(kEntryRows), RowName);

// ---- Rests, the repeat sign and technique signs -----------------------------------------

// clang-format off
const KeyRow kMarkRows[] = {
    {.name = "ColonOnAnOddCellWipesThePairAndStores500",
     .given = {{5, Split(1, 2, 3, 4, 5, 6)}, {6, Whole(7, 8, 9)}, {7, Whole(0, 1, 0)}},
     .at = {.pos = 5}, .keys = {kColon}, .want = {{5, Whole(0, 500, 0)}, {6, Whole(0, 0, 0)}},
     .modified = 1},
    {.name = "ColonOnAnEvenCellDoesNothing", .given = {{6, Whole(1, 0, 0)}}, .at = {.pos = 6},
     .keys = {kColon}, .want = {}},
    {.name = "ColonOnCellOneStores500", .given = {{2, Whole(0, 3, 0)}}, .keys = {kColon},
     .want = {{1, Whole(0, 500, 0)}, {2, Whole(0, 0, 0)}}},
    {.name = "AtSignOnCellOneDoesNothing", .given = {{1, Whole(0, 5, 0)}}, .keys = {kAt},
     .want = {}},
    {.name = "AtSignOnCellThreeStores700AndWipesCellFour",
     .given = {{3, Whole(1, 0, 0)}, {4, Split(0, 0, 0, 2, 0, 0)}}, .at = {.pos = 3}, .keys = {kAt},
     .want = {{3, Whole(0, 700, 0)}, {4, Whole(0, 0, 0)}}, .modified = 1},
    {.name = "AtSignOnAnEvenCellDoesNothing", .given = {{4, Whole(1, 0, 0)}}, .at = {.pos = 4},
     .keys = {kAt}, .want = {}},
    {.name = "CloseBracketStores600AloneAndJoinsTheCell",
     .given = {{6, Split(1, 2, 3, 4, 5, 6)}, {7, Whole(0, 3, 0)}}, .at = {.pos = 6},
     .keys = {kClose}, .want = {{6, Whole(0, 600, 0)}}, .modified = 1},
    {.name = "OpenBracketStores800OnCellOneAndLeavesCellTwo",
     .given = {{1, Whole(1, 1, 1)}, {2, Whole(0, 3, 0)}}, .keys = {kOpen},
     .want = {{1, Whole(0, 800, 0)}}},
    {.name = "PeriodOnCellOneDoesNothing", .given = {{1, Whole(0, 5, 0)}}, .keys = {kPeriod},
     .want = {}},
    {.name = "PeriodOnCellTwoStoresTheRepeatSignInTheUpperHalf",
     .given = {{2, Whole(1, 2, 3, 4, 5, 6)}}, .at = {.pos = 2}, .keys = {kPeriod},
     .want = {{2, Whole(0, 900, 0, 4, 5, 6)}}, .modified = 1},
    {.name = "PeriodOnASplitCellDoesNothing", .given = {{2, Split(1, 2, 3, 4, 5, 6)}},
     .at = {.pos = 2}, .keys = {kPeriod}, .want = {}},
    {.name = "SemicolonOnCellOneUpperHalfDoesNothing", .given = {{1, Whole(0, 5, 0)}},
     .at = {.half = 1}, .keys = {kSemicolon}, .want = {}},
    {.name = "SemicolonOnCellOneWithHalfTwoStores1000", .given = {{1, Whole(2, 5, 3)}},
     .at = {.half = 2}, .keys = {kSemicolon}, .want = {{1, Whole(0, 1000, 0)}}},
    {.name = "LOnCellTwoStores1100", .given = {{2, Whole(1, 2, 3, 4, 5, 6)}}, .at = {.pos = 2},
     .keys = {vk::kL}, .want = {{2, Whole(0, 1100, 0, 4, 5, 6)}}},
    {.name = "KOnCellTwoStores1200", .at = {.pos = 2, .slot = 3}, .keys = {vk::kK},
     .want = {{2, Whole(0, 1200, 0)}}, .modified = 1},
    {.name = "TechniqueInTheLowerHalfFillsOnlyTheLowerHalf",
     .given = {{3, Split(1, 2, 3, 4, 5, 6)}}, .at = {.pos = 3, .half = 2}, .keys = {vk::kK},
     .want = {{3, Split(1, 2, 3, 0, 1200, 0)}}},
    {.name = "TechniqueInTheUpperHalfFillsOnlyTheUpperHalf",
     .given = {{3, Split(1, 2, 3, 4, 5, 6)}}, .at = {.pos = 3, .half = 1}, .keys = {vk::kL},
     .want = {{3, Split(0, 1100, 0, 4, 5, 6)}}},
    {.name = "TechniqueInTheLowerHalfOfCellOne", .given = {{1, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.half = 2}, .keys = {kSemicolon}, .want = {{1, Split(0, 0, 0, 0, 1000, 0)}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Marks, KeySequence, ::testing::ValuesIn(kMarkRows), RowName);

// ---- Split and join ---------------------------------------------------------------------

// clang-format off
const KeyRow kSplitRows[] = {
    {.name = "InsertSplitsAWholeCell", .keys = {kInsert}, .want = {{1, Split(0, 0, 0, 0, 0, 0)}},
     .modified = 1},
    {.name = "InsertTwiceJoinsItAgain", .keys = {kInsert, kInsert}, .want = {}},
    {.name = "JoiningKeepsTheLowerHalfHidden", .given = {{2, Split(0, 5, 0, 0, 7, 0)}},
     .at = {.pos = 2}, .keys = {kInsert}, .want = {{2, Whole(0, 5, 0, 0, 7, 0)}}},
    {.name = "SplittingAgainShowsTheOldLowerHalf", .given = {{2, Split(0, 5, 0, 0, 7, 0)}},
     .at = {.pos = 2}, .keys = {kInsert, kInsert}, .want = {}},
    {.name = "InsertJoinsAnyNonZeroSplitFlag",
     .given = {{2,
                [] {
                    ScoreCell c = Whole(0, 5, 0);
                    c.split = 2;
                    return c;
                }()}},
     .at = {.pos = 2},
     .keys = {kInsert},
     .want = {{2, Whole(0, 5, 0)}}},
    {.name = "InsertSplitsACellHolding1000", .given = {{2, Whole(0, 1000, 0)}}, .at = {.pos = 2},
     .keys = {kInsert}, .want = {{2, Split(0, 1000, 0, 0, 0, 0)}}},
    {.name = "InsertSplitsACellHolding1100", .given = {{2, Whole(0, 1100, 0)}}, .at = {.pos = 2},
     .keys = {kInsert}, .want = {{2, Split(0, 1100, 0, 0, 0, 0)}}},
    {.name = "InsertSplitsACellHolding1200", .given = {{2, Whole(0, 1200, 0)}}, .at = {.pos = 2},
     .keys = {kInsert}, .want = {{2, Split(0, 1200, 0, 0, 0, 0)}}},
    {.name = "InsertLeavesACellHolding500", .given = {{3, Whole(0, 500, 0)}}, .at = {.pos = 3},
     .keys = {kInsert}, .want = {}},
    {.name = "InsertLeavesACellHolding600", .given = {{3, Whole(0, 600, 0)}}, .at = {.pos = 3},
     .keys = {kInsert}, .want = {}},
    {.name = "InsertLeavesACellHolding700", .given = {{3, Whole(0, 700, 0)}}, .at = {.pos = 3},
     .keys = {kInsert}, .want = {}},
    {.name = "InsertLeavesACellHolding800", .given = {{3, Whole(0, 800, 0)}}, .at = {.pos = 3},
     .keys = {kInsert}, .want = {}},
    {.name = "InsertLeavesACellHolding900", .given = {{3, Whole(0, 900, 0)}}, .at = {.pos = 3},
     .keys = {kInsert}, .want = {}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(SplitJoin, KeySequence, ::testing::ValuesIn(kSplitRows), RowName);

// ---- The modifier key O -----------------------------------------------------------------

// clang-format off
const KeyRow kModifierRows[] = {
    {.name = "WholeCellStringGetsWo", .given = {{1, Whole(0, 5, 0)}}, .keys = {kO},
     .want = {{1, Whole(0, 105, 0)}}, .modified = 1},
    {.name = "WholeCellStringCyclesBackToNone", .given = {{1, Whole(0, 5, 0)}},
     .keys = {kO, kO, kO, kO}, .want = {}},
    {.name = "WholeCellLoneOtsuGoesToNothing", .given = {{1, Whole(0, 300, 0)}}, .keys = {kO},
     .want = {{1, Whole(0, 0, 0)}}},
    {.name = "WholeCellSideSlotClearsTheCentreMarkFirst", .given = {{2, Whole(3, 900, 0)}},
     .at = {.pos = 2, .slot = 1}, .keys = {kO}, .want = {{2, Whole(103, 0, 0)}}},
    {.name = "WholeCellCentreMarkBecomesAModifier", .given = {{2, Whole(0, 1000, 0)}},
     .at = {.pos = 2}, .keys = {kO}, .want = {{2, Whole(0, 100, 0)}}},
    {.name = "WholeCellLeavesASideValueOf400OrMore", .given = {{2, Whole(1000, 0, 0)}},
     .at = {.pos = 2, .slot = 1}, .keys = {kO}, .want = {}, .modified = 0},
    {.name = "WholeCellWorksOnTheUpperHalfWhateverTheHalf", .given = {{2, Whole(0, 5, 0, 0, 5, 0)}},
     .at = {.pos = 2, .half = 2}, .keys = {kO}, .want = {{2, Whole(0, 105, 0, 0, 5, 0)}}},
    {.name = "SplitCellEmptySlotReachesOtsu", .given = {{2, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 2}, .keys = {kO, kO, kO}, .want = {{2, Split(0, 300, 0, 0, 0, 0)}}},
    {.name = "SplitCellEmptySlotCyclesBackAfterFour", .given = {{2, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 2}, .keys = {kO, kO, kO, kO}, .want = {}},
    {.name = "SplitCellStringCyclesLikeAWholeCell", .given = {{2, Split(0, 5, 0, 0, 0, 0)}},
     .at = {.pos = 2}, .keys = {kO, kO, kO}, .want = {{2, Split(0, 305, 0, 0, 0, 0)}}},
    {.name = "SplitCellLowerHalfClearsItsOwnMarkFirst",
     .given = {{2, Split(0, 1000, 0, 0, 1100, 0)}}, .at = {.pos = 2, .half = 2, .slot = 1},
     .keys = {kO}, .want = {{2, Split(0, 1000, 0, 100, 0, 0)}}},
    {.name = "SplitCellUpperHalfClearsItsOwnMarkFirst",
     .given = {{2, Split(0, 1000, 0, 0, 1100, 0)}}, .at = {.pos = 2, .half = 1, .slot = 3},
     .keys = {kO}, .want = {{2, Split(0, 0, 100, 0, 1100, 0)}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Modifiers, KeySequence, ::testing::ValuesIn(kModifierRows), RowName);

TEST(ModifierKey, WholeCellStepsThroughNoneWoOOtsuNone) {
    ViewHarness h;
    h.Keys({'5'});
    for (int want : {105, 205, 305, 5, 105}) {
        h.Keys({kO});
        EXPECT_EQ(h.Cell(1).first[2], want);
    }
}

TEST(ModifierKey, WholeCellEmptySlotStepsThroughNothingWoO) {
    ViewHarness h;
    for (int want : {100, 200, 0, 100}) {
        h.Keys({kO});
        EXPECT_EQ(h.Cell(1).first[2], want);
    }
}

TEST(ModifierKey, SplitCellEmptySlotStepsThroughNothingWoOOtsu) {
    ViewHarness h;
    h.Keys({kInsert});
    for (int want : {100, 200, 300, 0, 100}) {
        h.Keys({kO});
        EXPECT_EQ(h.Cell(1).first[2], want);
    }
}

// ---- Covered cells ----------------------------------------------------------------------

// clang-format off
const KeyRow kCoveredRows[] = {
    {.name = "StringOnACellCoveredBy500ChangesNothing", .given = {{5, Whole(0, 500, 0)}},
     .at = {.pos = 6}, .keys = {'4'}, .want = {}, .modified = 0},
    {.name = "StringOnACellCoveredBy700ChangesNothing", .given = {{5, Whole(0, 700, 0)}},
     .at = {.pos = 6}, .keys = {'4', vk::kOem5, '0'}, .want = {}},
    {.name = "InsertOnACoveredCellDoesNothing", .given = {{5, Whole(0, 500, 0)}}, .at = {.pos = 6},
     .keys = {kInsert}, .want = {}},
    {.name = "SpaceOnACoveredCellStillClearsTheSlot",
     .given = {{5, Whole(0, 500, 0)}, {6, Whole(1, 0, 0)}}, .at = {.pos = 6, .slot = 1},
     .keys = {kSpace}, .want = {{6, Whole(0, 0, 0)}}, .modified = 1},
    {.name = "OOnACoveredCellStillSteps", .given = {{5, Whole(0, 500, 0)}}, .at = {.pos = 6},
     .keys = {kO}, .want = {{6, Whole(0, 100, 0)}}, .modified = 1},
    {.name = "TechniqueSignOnACoveredCellIsStored", .given = {{5, Whole(0, 700, 0)}},
     .at = {.pos = 6}, .keys = {vk::kL}, .want = {{6, Whole(0, 1100, 0)}}},
    {.name = "A600RestCoversNothing", .given = {{5, Whole(0, 600, 0)}}, .at = {.pos = 6},
     .keys = {'4'}, .want = {{6, Whole(0, 4, 0)}}},
    {.name = "An800RestCoversNothing", .given = {{5, Whole(0, 800, 0)}}, .at = {.pos = 6},
     .keys = {kInsert}, .want = {{6, Split(0, 0, 0, 0, 0, 0)}}},
    {.name = "TheRestCellItselfTakesAStringAndUncoversItsPartner", .given = {{5, Whole(0, 500, 0)}},
     .at = {.pos = 5}, .keys = {'4', vk::kDown, '3'},
     .want = {{5, Whole(0, 4, 0)}, {6, Whole(0, 3, 0)}}, .cursor = Cursor{.pos = 6}},
    {.name = "AnEvenCellHolding500CoversTheOddCellAfterIt", .given = {{6, Whole(0, 500, 0)}},
     .at = {.pos = 7}, .keys = {'4', kInsert}, .want = {}},
    {.name = "CoverFollowsTheScoreCellOnAMovedPage", .given = {{37, Whole(0, 500, 0)}},
     .at = {.pos = 6, .top = 1}, .keys = {'4'}, .want = {}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Covered, KeySequence, ::testing::ValuesIn(kCoveredRows), RowName);

// ---- Cursor moves -----------------------------------------------------------------------

// clang-format off
const KeyRow kCursorRows[] = {
    {.name = "DownInAWholeCellGoesToTheNextCellCentreSlot", .at = {.pos = 5, .half = 1, .slot = 3},
     .keys = {vk::kDown}, .want = {}, .cursor = Cursor{.pos = 6, .half = 1, .slot = 2}},
    {.name = "DownFromAWholeCellResetsTheHalf", .at = {.pos = 5, .half = 2}, .keys = {vk::kDown},
     .want = {}, .cursor = Cursor{.pos = 6, .half = 1}},
    {.name = "DownInASplitUpperHalfGoesToItsLowerHalf", .given = {{5, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 5, .half = 1, .slot = 1}, .keys = {vk::kDown}, .want = {},
     .cursor = Cursor{.pos = 5, .half = 2}},
    {.name = "DownInASplitLowerHalfGoesToTheNextCell", .given = {{5, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 5, .half = 2, .slot = 3}, .keys = {vk::kDown}, .want = {},
     .cursor = Cursor{.pos = 6, .half = 1}},
    {.name = "DownReachesTheLastPlaceOfThePage", .at = {.pos = 223}, .keys = {vk::kDown},
     .want = {}, .cursor = Cursor{.pos = 224}},
    {.name = "DownAtTheLastPlaceOnlyCentresTheSlot", .at = {.pos = 224, .half = 1, .slot = 3},
     .keys = {vk::kDown}, .want = {}, .cursor = Cursor{.pos = 224, .half = 1, .slot = 2}},
    {.name = "DownBeyondThePageOnlyCentresTheSlot", .at = {.pos = 301, .slot = 1},
     .keys = {vk::kDown}, .want = {}, .cursor = Cursor{.pos = 301}},
    {.name = "DownLooksAtTheScoreCellOfAMovedPage", .given = {{37, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 5, .half = 1, .top = 1}, .keys = {vk::kDown}, .want = {},
     .cursor = Cursor{.pos = 5, .half = 2, .top = 1}},
    {.name = "UpInAWholeCellLandsInTheLowerHalfOfTheCellAbove",
     .at = {.pos = 6, .half = 1, .slot = 3}, .keys = {vk::kUp}, .want = {},
     .cursor = Cursor{.pos = 5, .half = 2, .slot = 2}},
    {.name = "UpInASplitLowerHalfGoesToItsUpperHalf", .given = {{6, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 6, .half = 2, .slot = 1}, .keys = {vk::kUp}, .want = {},
     .cursor = Cursor{.pos = 6, .half = 1}},
    {.name = "UpFromASplitUpperHalfGoesToTheCellAbove", .given = {{6, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 6, .half = 1}, .keys = {vk::kUp}, .want = {},
     .cursor = Cursor{.pos = 5, .half = 2}},
    {.name = "UpAtPlaceOneOfAWholeCellOnlyCentresTheSlot", .at = {.pos = 1, .half = 1, .slot = 3},
     .keys = {vk::kUp}, .want = {}, .cursor = Cursor{.pos = 1, .half = 1, .slot = 2}},
    {.name = "UpAtPlaceOneKeepsTheHalfOfAWholeCell", .at = {.pos = 1, .half = 2, .slot = 1},
     .keys = {vk::kUp}, .want = {}, .cursor = Cursor{.pos = 1, .half = 2}},
    {.name = "UpAtPlaceOneSplitLowerHalfGoesToTheUpperHalf",
     .given = {{1, Split(0, 0, 0, 0, 0, 0)}}, .at = {.pos = 1, .half = 2, .slot = 3},
     .keys = {vk::kUp}, .want = {}, .cursor = Cursor{.pos = 1, .half = 1}},
    {.name = "UpAtPlaceOneSplitUpperHalfStays", .given = {{1, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 1, .half = 1, .slot = 3}, .keys = {vk::kUp}, .want = {},
     .cursor = Cursor{.pos = 1, .half = 1}},
    // One press takes one of the two rules: arriving on place 1 does not also run the
    // place-1 rule.
    {.name = "UpFromPlaceTwoIntoASplitPlaceOneLandsInItsLowerHalf",
     .given = {{1, Split(0, 0, 0, 0, 0, 0)}}, .at = {.pos = 2, .half = 1}, .keys = {vk::kUp},
     .want = {}, .cursor = Cursor{.pos = 1, .half = 2}},
    {.name = "UpFromASplitUpperHalfAtPlaceTwoLandsInPlaceOneLowerHalf",
     .given = {{1, Split(0, 0, 0, 0, 0, 0)}, {2, Split(0, 0, 0, 0, 0, 0)}},
     .at = {.pos = 2, .half = 1}, .keys = {vk::kUp}, .want = {},
     .cursor = Cursor{.pos = 1, .half = 2}},
    {.name = "UpFromBeyondThePageComesBackOneCell", .at = {.pos = 301, .half = 1, .slot = 1},
     .keys = {vk::kUp}, .want = {}, .cursor = Cursor{.pos = 300, .half = 2}},
    {.name = "RightStepsTheSlotOneToTwo", .at = {.pos = 40, .slot = 1}, .keys = {vk::kRight},
     .want = {}, .cursor = Cursor{.pos = 40, .slot = 2}},
    {.name = "RightFromTheCentreSlotOnlyStepsTheSlot", .at = {.pos = 40, .slot = 2},
     .keys = {vk::kRight}, .want = {}, .cursor = Cursor{.pos = 40, .slot = 3}},
    {.name = "RightFromTheRightSlotGoesOneColumnRight", .at = {.pos = 40, .half = 2, .slot = 3},
     .keys = {vk::kRight}, .want = {}, .cursor = Cursor{.pos = 8, .half = 2, .slot = 1}},
    {.name = "RightFromPlace33ReachesPlace1", .at = {.pos = 33, .slot = 3}, .keys = {vk::kRight},
     .want = {}, .cursor = Cursor{.pos = 1, .slot = 1}},
    {.name = "RightInTheFirstColumnStops", .at = {.pos = 32, .slot = 3}, .keys = {vk::kRight},
     .want = {}},
    {.name = "RightFromPlace20Stops", .at = {.pos = 20, .slot = 3}, .keys = {vk::kRight},
     .want = {}},
    {.name = "RightFromBeyondThePageComesBackAColumn", .at = {.pos = 301, .slot = 3},
     .keys = {vk::kRight}, .want = {}, .cursor = Cursor{.pos = 269, .slot = 1}},
    {.name = "LeftStepsTheSlotThreeToTwo", .at = {.pos = 5, .slot = 3}, .keys = {vk::kLeft},
     .want = {}, .cursor = Cursor{.pos = 5, .slot = 2}},
    {.name = "LeftFromTheCentreSlotOnlyStepsTheSlot", .at = {.pos = 5, .slot = 2},
     .keys = {vk::kLeft}, .want = {}, .cursor = Cursor{.pos = 5, .slot = 1}},
    {.name = "LeftFromTheLeftSlotGoesOneColumnLeft", .at = {.pos = 5, .half = 2, .slot = 1},
     .keys = {vk::kLeft}, .want = {}, .cursor = Cursor{.pos = 37, .half = 2, .slot = 3}},
    {.name = "LeftFromPlace191ReachesTheLastColumn", .at = {.pos = 191, .slot = 1},
     .keys = {vk::kLeft}, .want = {}, .cursor = Cursor{.pos = 223, .slot = 3}},
    {.name = "LeftInTheLastColumnStops", .at = {.pos = 192, .slot = 1}, .keys = {vk::kLeft},
     .want = {}},
    {.name = "LeftFromPlace200Stops", .at = {.pos = 200, .slot = 1}, .keys = {vk::kLeft},
     .want = {}},
    {.name = "LeftBeyondThePageOnlyMovesBetweenSlots", .at = {.pos = 301, .slot = 3},
     .keys = {vk::kLeft, vk::kLeft, vk::kLeft}, .want = {},
     .cursor = Cursor{.pos = 301, .slot = 1}},
    {.name = "MovesChangeNothingInTheScore", .given = {{1, Split(1, 2, 3, 4, 5, 6)}},
     .keys = {vk::kDown, vk::kDown, vk::kUp, vk::kLeft, vk::kRight}, .want = {},
     .cursor = Cursor{.pos = 1, .half = 2, .slot = 2}, .modified = 0},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(CursorMoves, KeySequence, ::testing::ValuesIn(kCursorRows), RowName);

// ---- Page moves and go to top -------------------------------------------------------------

// clang-format off
const KeyRow kPageRows[] = {
    {.name = "PageDownMovesThePageAndKeepsTheCursorPlace",
     .at = {.pos = 5, .half = 2, .slot = 3, .top = 0}, .keys = {vk::kPageDown}, .want = {},
     .cursor = Cursor{.pos = 5, .half = 2, .slot = 3, .top = 1}, .modified = 0, .invalidations = 1},
    {.name = "PageDownStopsAtColumn49", .at = {.pos = 5, .top = 49}, .keys = {vk::kPageDown},
     .want = {}, .invalidations = 0},
    {.name = "PageUpMovesThePageBack", .at = {.pos = 7, .half = 2, .slot = 1, .top = 3},
     .keys = {vk::kPageUp}, .want = {}, .cursor = Cursor{.pos = 7, .half = 2, .slot = 1, .top = 2},
     .invalidations = 1},
    {.name = "PageUpStopsAtColumn0", .at = {.pos = 7}, .keys = {vk::kPageUp}, .want = {},
     .invalidations = 0},
    {.name = "AfterPageDownEntryGoes32CellsFurther", .at = {.pos = 1}, .keys = {vk::kPageDown, '5'},
     .want = {{33, Whole(0, 5, 0)}}, .cursor = Cursor{.pos = 1, .top = 1}},
    {.name = "ZGoesToThePagesFirstPlace", .at = {.pos = 100, .half = 2, .slot = 3, .top = 4},
     .keys = {vk::kZ}, .want = {}, .cursor = Cursor{.pos = 1, .half = 2, .slot = 3, .top = 4},
     .modified = 0},
    {.name = "HomeGoesToThePagesFirstPlace", .at = {.pos = 100, .half = 2, .slot = 1, .top = 0},
     .keys = {vk::kHome}, .want = {}, .cursor = Cursor{.pos = 1, .half = 2, .slot = 1, .top = 0}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(PageMoves, KeySequence, ::testing::ValuesIn(kPageRows), RowName);

// ---- Keys that do no more than their own part -----------------------------------------------

TEST(StringKeys, DigitRowAndPunctuationGiveTheThirteenStringsInOrder) {
    const std::pair<int, int> table[] = {
        {0x31, 1}, {0x32, 2}, {0x33, 3},  {0x34, 4},  {0x35, 5},  {0x36, 6},  {0x37, 7},
        {0x38, 8}, {0x39, 9}, {0x30, 10}, {0xBD, 11}, {0xDE, 12}, {0xDC, 13},
    };
    for (const auto& [key, string] : table) {
        ViewHarness h;
        h.Keys({key});
        EXPECT_EQ(h.Cell(1), Whole(0, string, 0)) << "key 0x" << std::hex << key;
        EXPECT_EQ(h.v().Modified(), 1) << "key 0x" << std::hex << key;
    }
}

TEST(StringKeys, NumericKeypadDigitsEnterNothing) {
    for (int key = vk::kNumpad0; key <= vk::kNumpad9; ++key) {
        ViewHarness h;
        h.Cell(1) = Whole(0, 5, 0);
        h.Keys({key});
        EXPECT_EQ(h.Cell(1), Whole(0, 5, 0)) << "key 0x" << std::hex << key;
        EXPECT_EQ(h.v().Modified(), 0) << "key 0x" << std::hex << key;
    }
}

TEST(StringKeys, TheJisRoKeyIsNotAStringKey) {
    ViewHarness h;
    h.Keys({vk::kOem102});
    EXPECT_TRUE(h.Cell(1).IsEmpty());
    EXPECT_EQ(h.v().Modified(), 0);
}

// Every key marks the score exactly when it changed a cell: the flag follows the history.
TEST(ModifiedFlag, AKeyMarksTheScoreExactlyWhenItChangedACell) {
    for (const int cursorPos : {3, 4, 6}) {
        for (int key = 0; key < 256; ++key) {
            if (key == vk::kX || key == vk::kReturn || key == vk::kC) continue;  // playback
            ViewHarness h;
            h.Cell(3) = Whole(1, 2, 3);
            h.Cell(5) = Whole(0, 500, 0);  // covers cell 6
            h.v().m_cursorPos = cursorPos;
            const auto before = h.v().m_cells;
            h.Keys({key});
            const bool changed = !SameScore(before, h.v().m_cells);
            EXPECT_EQ(h.v().Modified(), changed ? 1 : 0)
                << "key 0x" << std::hex << key << " on cell " << std::dec << cursorPos;
        }
    }
}

TEST(ModifiedFlag, AScoreChangedOnlyByMarksAndSplitsCountsAsChanged) {
    ViewHarness h;
    h.Keys({kColon, vk::kDown, vk::kDown, kClose, vk::kDown, kOpen, vk::kDown, kPeriod, vk::kDown,
            kSemicolon, vk::kL, vk::kK, kInsert, vk::kDown, kAt});
    EXPECT_NE(h.v().LastUsedCell(), 0);
    EXPECT_EQ(h.v().Modified(), 1);
}

TEST(ModifiedFlag, AStayingFlagIsNotClearedByOtherKeys) {
    ViewHarness h;
    h.Keys({'5', kColon, vk::kDown, kInsert});
    EXPECT_EQ(h.v().Modified(), 1);
}

// ---- Cells that do not exist ----------------------------------------------------------------

// Every key that may store into the cursor cell, with what it stores where it may.
const int kStoringKeys[] = {'1',    '9', '0',    0xBD,  0xDE,    0xDC,       kSpace, kInsert, kO,
                            kColon, kAt, kClose, kOpen, kPeriod, kSemicolon, vk::kL, vk::kK};

void FillTheEnd(ViewHarness& h) {
    for (int k = 2980; k <= kLastCellIndex; ++k) h.Cell(k) = Whole(1, 2, 3, 4, 5, 6);
}

TEST(CellsPastTheEnd, NoKeyStoresWhenTheCursorCellIsPast2999) {
    for (const Cursor at : {Cursor{.pos = 3001}, Cursor{.pos = 3000, .half = 2},
                            Cursor{.pos = 1500, .top = 49}, Cursor{.pos = 1432, .top = 49}}) {
        for (int key : kStoringKeys) {
            ViewHarness h;
            FillTheEnd(h);
            Place(h.v(), at);
            const auto before = h.v().m_cells;
            h.Keys({key});
            EXPECT_TRUE(SameScore(before, h.v().m_cells))
                << "key 0x" << std::hex << key << std::dec << " at cursor cell "
                << h.v().CursorCell();
        }
    }
}

TEST(CellsPastTheEnd, KeysThatStoreNothingLeaveTheScoreUnmodified) {
    ViewHarness h;
    Place(h.v(), {.pos = 3001});
    h.Keys({kColon, kClose, kInsert, '5', kO, kSpace});
    EXPECT_EQ(h.v().Modified(), 0);
    EXPECT_FALSE(h.v().CanUndo());
}

TEST(CellsPastTheEnd, PairRestsOnCell2999AreRefused) {
    for (int key : {kColon, kAt}) {
        ViewHarness h;
        FillTheEnd(h);
        Place(h.v(), {.pos = 2999});
        const auto before = h.v().m_cells;
        h.Keys({key});
        EXPECT_TRUE(SameScore(before, h.v().m_cells)) << "key 0x" << std::hex << key;
    }
}

TEST(CellsPastTheEnd, Cell2999ItselfStillTakesEverySingleCellKey) {
    ViewHarness h;
    Place(h.v(), {.pos = 2999});
    h.Keys({'4'});
    EXPECT_EQ(h.Cell(2999), Whole(0, 4, 0));
    h.Keys({kClose});
    EXPECT_EQ(h.Cell(2999), Whole(0, 600, 0));
    h.Keys({kOpen});
    EXPECT_EQ(h.Cell(2999), Whole(0, 800, 0));
    h.Keys({vk::kK});
    EXPECT_EQ(h.Cell(2999), Whole(0, 1200, 0));
    h.Keys({kPeriod});
    EXPECT_EQ(h.Cell(2999), Whole(0, 900, 0));
    h.Keys({kSpace, kInsert});
    EXPECT_EQ(h.Cell(2999), Split(0, 0, 0, 0, 0, 0));
    EXPECT_TRUE(h.Cell(0).IsEmpty());
}

TEST(CellsPastTheEnd, A2997PairStillFitsAndCell2999IsReachedByGoToEnd) {
    ViewHarness h;
    h.Cell(2997) = Whole(0, 1, 0);
    h.Cell(2998) = Whole(0, 2, 0);
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_EQ(h.v().m_cursorPos, 2999);
    h.Keys({kColon});  // refused: would need cell 3000
    EXPECT_EQ(h.Cell(2998), Whole(0, 2, 0));
    h.Keys({vk::kUp, vk::kUp, kColon});
    EXPECT_EQ(h.v().m_cursorPos, 2997);
    EXPECT_EQ(h.Cell(2997), Whole(0, 500, 0));
    EXPECT_TRUE(h.Cell(2998).IsEmpty());
}

// ---- Go to end --------------------------------------------------------------------------

struct EndCase {
    int lastUsed;  // 0: empty score
    Cursor at;
    Cursor want;
    int invalidations;
};

TEST(GoToEnd, PlacesTheCursorOnTheUpperCellAfterTheLastUsedOne) {
    const EndCase cases[] = {
        {0, {.pos = 40}, {.pos = 1}, 0},
        {10, {.pos = 1}, {.pos = 11}, 0},
        {11, {.pos = 1}, {.pos = 13}, 0},
        {1, {.pos = 9, .half = 2, .slot = 3}, {.pos = 3, .half = 2, .slot = 3}, 0},
        // The page at column 0: the cursor may lie beyond the page shown.
        {300, {.pos = 1}, {.pos = 301}, 0},
        {2999, {.pos = 1}, {.pos = 3001}, 0},
        // Page moved forward: the same score cell, counted from the page's first cell.
        {100, {.pos = 1, .top = 2}, {.pos = 37, .top = 2}, 0},
        {32, {.pos = 9, .top = 1}, {.pos = 1, .top = 1}, 0},
        {2999, {.pos = 1, .top = 49}, {.pos = 1433, .top = 49}, 0},
        // The target lies before the page: the page comes back to the target's column.
        {10, {.pos = 1, .top = 3}, {.pos = 11, .top = 0}, 1},
        {30, {.pos = 50, .top = 1}, {.pos = 31, .top = 0}, 1},
        {70, {.pos = 1, .top = 5}, {.pos = 7, .top = 2}, 1},
        {63, {.pos = 1, .top = 2}, {.pos = 1, .top = 2}, 0},
        {62, {.pos = 1, .top = 2}, {.pos = 31, .top = 1}, 1},
        // On a moved page a cursor far down still goes to the end: the guard near the last
        // cells belongs to the first page.
        {100, {.pos = 2998, .top = 1}, {.pos = 69, .top = 1}, 0},
        {40, {.pos = 3001, .top = 2}, {.pos = 9, .top = 1}, 1},
    };
    for (const EndCase& c : cases) {
        ViewHarness h;
        if (c.lastUsed > 0) h.Cell(c.lastUsed) = Whole(0, 5, 0);
        Place(h.v(), c.at);
        h.v().OnCommand(cmd::kGoToEnd);
        EXPECT_EQ(CursorOf(h.v()), c.want) << "last used cell " << c.lastUsed;
        EXPECT_EQ(h.v().CursorCell(), c.lastUsed % 2 == 0 ? c.lastUsed + 1 : c.lastUsed + 2)
            << "last used cell " << c.lastUsed;
        EXPECT_EQ(h.window.invalidations, c.invalidations) << "last used cell " << c.lastUsed;
    }
}

TEST(GoToEnd, ACellWithOnlyItsSplitFlagDoesNotCount) {
    ViewHarness h;
    h.Cell(10) = Whole(0, 5, 0);
    h.Cell(20) = Split(0, 0, 0, 0, 0, 0);
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_EQ(h.v().m_cursorPos, 11);
}

TEST(GoToEnd, ALowerHalfAloneCounts) {
    ViewHarness h;
    h.Cell(20) = Whole(0, 0, 0, 0, 3, 0);
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_EQ(h.v().m_cursorPos, 21);
}

TEST(GoToEnd, FromPlace2997OnTheCursorOnlyMovesToAnUpperCell) {
    ViewHarness h;
    h.Cell(10) = Whole(0, 5, 0);
    Place(h.v(), {.pos = 2998});
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_EQ(h.v().m_cursorPos, 2999);
    Place(h.v(), {.pos = 2996});
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_EQ(h.v().m_cursorPos, 11);
}

TEST(GoToEnd, RedrawsAtOnce) {
    ViewHarness h;
    h.Cell(10) = Whole(0, 5, 0);
    const int before = h.window.surfacesTaken;
    h.v().OnCommand(cmd::kGoToEnd);
    EXPECT_GT(h.window.surfacesTaken, before);
    EXPECT_EQ(h.v().m_cursorCell, 11);
    EXPECT_EQ(h.v().m_lastCell, 11);
}

TEST(GoToEnd, DownDoesNothingBeyondThePageAndUpBringsTheCursorBack) {
    ViewHarness h;
    h.Cell(300) = Whole(0, 5, 0);
    h.v().OnCommand(cmd::kGoToEnd);
    h.Keys({vk::kDown});
    EXPECT_EQ(h.v().m_cursorPos, 301);
    for (int i = 0; i < 77; ++i) h.Keys({vk::kUp});
    EXPECT_EQ(h.v().m_cursorPos, 224);
}

TEST(GoToTop, CommandGoesToThePagesFirstPlaceOnly) {
    ViewHarness h;
    Place(h.v(), {.pos = 77, .half = 2, .slot = 1, .top = 6});
    const int before = h.window.surfacesTaken;
    h.v().OnCommand(cmd::kGoToTop);
    EXPECT_EQ(CursorOf(h.v()), (Cursor{.pos = 1, .half = 2, .slot = 1, .top = 6}));
    EXPECT_GT(h.window.surfacesTaken, before);
    EXPECT_EQ(h.v().m_cursorCell, 193);
}

// ---- The redraw that ends every key and click ------------------------------------------

TEST(Redraw, EveryKeyRecomputesTheLastCellAndTheCursorCell) {
    for (int key = 0; key < 256; ++key) {
        if (key == vk::kX || key == vk::kReturn || key == vk::kC) continue;  // playback
        ViewHarness h;
        h.Cell(40) = Whole(0, 5, 0);
        Place(h.v(), {.pos = 9, .top = 1});
        h.v().m_lastCell = -5;
        h.v().m_cursorCell = -5;
        const int surfaces = h.window.surfacesTaken;
        h.Keys({key});
        const int want = std::max(h.v().LastUsedCell(), h.v().m_cursorPos);
        EXPECT_EQ(h.v().m_lastCell, want) << "key 0x" << std::hex << key;
        EXPECT_EQ(h.v().m_cursorCell, h.v().m_cursorPos + 32 * h.v().m_topColumn)
            << "key 0x" << std::hex << key;
        EXPECT_GT(h.window.surfacesTaken, surfaces) << "key 0x" << std::hex << key;
    }
}

TEST(Redraw, TheLastCellIsRaisedToThePagePlaceNotToTheScoreCell) {
    ViewHarness h;
    Place(h.v(), {.pos = 5, .top = 2});
    h.Keys({0x41});
    EXPECT_EQ(h.v().m_lastCell, 5);
    EXPECT_EQ(h.v().m_cursorCell, 69);
    h.Cell(50) = Whole(0, 5, 0);
    h.Keys({0x41});
    EXPECT_EQ(h.v().m_lastCell, 50);
}

// The end of the score names a cell that exists, even when go to end put the cursor past
// the last cell; what saves, exports and plays up to m_lastCell relies on it.
TEST(Redraw, TheRaisedLastCellStopsAtCell2999) {
    ViewHarness h;
    h.Cell(2999) = Whole(0, 5, 0);
    h.v().OnCommand(cmd::kGoToEnd);
    ASSERT_EQ(h.v().m_cursorPos, 3001);
    EXPECT_EQ(h.v().m_lastCell, 2999);
    EXPECT_EQ(h.v().m_cursorCell, 3001);

    ViewHarness empty;
    Place(empty.v(), {.pos = 3000});
    empty.Keys({vk::kDown});
    EXPECT_EQ(empty.v().m_lastCell, 2999);
    Place(empty.v(), {.pos = 2998});
    empty.Keys({vk::kDown});
    EXPECT_EQ(empty.v().m_lastCell, 2998);
}

TEST(Redraw, AnEmptyScoreGetsTheCursorPlaceAsItsLastCell) {
    ViewHarness h;
    h.Keys({vk::kDown, vk::kDown});
    EXPECT_EQ(h.v().m_lastCell, 3);
    EXPECT_EQ(h.v().m_cursorCell, 3);
}

// ---- Mouse ------------------------------------------------------------------------------

TEST(Mouse, LeftPressAndDoubleClickEachStepDown) {
    for (MouseEvent e : {MouseEvent::LeftDown, MouseEvent::LeftDoubleClick}) {
        ViewHarness h;
        h.Cell(5) = Split(0, 0, 0, 0, 0, 0);
        Place(h.v(), {.pos = 4, .slot = 3});
        h.v().OnMouse(e);
        EXPECT_EQ(CursorOf(h.v()), (Cursor{.pos = 5, .half = 1, .slot = 2}));
        h.v().OnMouse(e);
        EXPECT_EQ(CursorOf(h.v()), (Cursor{.pos = 5, .half = 2, .slot = 2}));
        EXPECT_EQ(h.v().m_cursorCell, 5);
    }
}

TEST(Mouse, RightPressAndDoubleClickEachStepUp) {
    for (MouseEvent e : {MouseEvent::RightDown, MouseEvent::RightDoubleClick}) {
        ViewHarness h;
        h.Cell(5) = Split(0, 0, 0, 0, 0, 0);
        Place(h.v(), {.pos = 6, .slot = 1});
        h.v().OnMouse(e);
        EXPECT_EQ(CursorOf(h.v()), (Cursor{.pos = 5, .half = 2, .slot = 2}));
        h.v().OnMouse(e);
        EXPECT_EQ(CursorOf(h.v()), (Cursor{.pos = 5, .half = 1, .slot = 2}));
    }
}

TEST(Mouse, ADoubleClickArrivesAsPressThenDoubleClickAndMovesTwoSteps) {
    ViewHarness h;
    h.v().OnMouse(MouseEvent::LeftDown);
    h.v().OnMouse(MouseEvent::LeftDoubleClick);
    EXPECT_EQ(h.v().m_cursorPos, 3);
    h.v().OnMouse(MouseEvent::RightDown);
    h.v().OnMouse(MouseEvent::RightDoubleClick);
    EXPECT_EQ(h.v().m_cursorPos, 1);
}

TEST(Mouse, EveryClickRedrawsAtOnceAndLeavesTheScore) {
    ViewHarness h;
    h.Cell(2) = Whole(0, 5, 0);
    const auto before = h.v().m_cells;
    int surfaces = h.window.surfacesTaken;
    for (MouseEvent e : {MouseEvent::LeftDown, MouseEvent::LeftDoubleClick, MouseEvent::RightDown,
                         MouseEvent::RightDoubleClick}) {
        h.v().m_lastCell = -1;
        h.v().OnMouse(e);
        EXPECT_GT(h.window.surfacesTaken, surfaces);
        surfaces = h.window.surfacesTaken;
        EXPECT_EQ(h.v().m_lastCell, std::max(2, h.v().m_cursorPos));
    }
    EXPECT_TRUE(SameScore(before, h.v().m_cells));
    EXPECT_EQ(h.v().Modified(), 0);
}

TEST(Mouse, ClicksStayWithinThePage) {
    ViewHarness h;
    for (int i = 0; i < 300; ++i) h.v().OnMouse(MouseEvent::LeftDown);
    EXPECT_EQ(h.v().m_cursorPos, 224);
    for (int i = 0; i < 300; ++i) h.v().OnMouse(MouseEvent::RightDoubleClick);
    EXPECT_EQ(h.v().m_cursorPos, 1);
}

// ---- Playback keys --------------------------------------------------------------------------

// A view that notes every command id sent through it.
class CommandSpyView : public CTabrellaView {
  public:
    using CTabrellaView::CTabrellaView;
    std::vector<int> sent;
    bool OnCommand(int id) override {
        sent.push_back(id);
        return CTabrellaView::OnCommand(id);
    }
};

TEST(PlaybackKeys, XAndEnterSendPlayAndCSendsStop) {
    FakeWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    for (int key = 0; key < 256; ++key) {
        CommandSpyView view(platform::Services{window, dialogs, sequencer});
        view.OnKeyDown(key);
        std::vector<int> want;
        if (key == vk::kX || key == vk::kReturn) want = {cmd::kPlay};
        if (key == vk::kC) want = {cmd::kStop};
        EXPECT_EQ(view.sent, want) << "key 0x" << std::hex << key;
        view.OnDestroy();
    }
}

// X and Enter reach the play command and C the stop command; checked once those commands
// have their handlers in the command table.
TEST(PlaybackKeys, XAndEnterPlayAndCStops) {
    if (!FindCommand(cmd::kPlay) || !FindCommand(cmd::kStop)) {
        GTEST_SKIP() << "the play and stop commands have no handler yet";
    }
    for (int key : {vk::kX, vk::kReturn}) {
        ViewHarness h;
        h.Cell(1) = Whole(0, 5, 0);
        h.Keys({key});
        const auto& calls = h.sequencer.calls;
        EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                                [](const FakeSequencer::Call& c) { return c.op == "play"; }))
            << "key 0x" << std::hex << key;
        const size_t before = calls.size();
        h.Keys({vk::kC});
        ASSERT_GT(calls.size(), before);
        EXPECT_EQ(calls.back().op, "stop");
        h.v().OnDestroy();
    }
}

}  // namespace
}  // namespace tabrella::test
