// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says for the cursor's cell, in both languages: the number the status
// bar shows, every string and sign in words, the cursor's slot and the cell's place.
#include <gtest/gtest.h>

#include "base/Sjis.h"
#include "render/CellDescription.h"
#include "resources/Language.h"

namespace tabrella {
namespace {

struct Row {
    const char* proves;
    ScoreCell cell;
    CursorPlace place;
    bool covered;
    const char* japanese;
    const char* english;
};

ScoreCell Whole(int left, int centre, int right) {
    ScoreCell c;
    c.first[1] = left;
    c.first[2] = centre;
    c.first[3] = right;
    return c;
}

ScoreCell Split(int upper, int lower) {
    ScoreCell c;
    c.first[2] = upper;
    c.second[2] = lower;
    c.split = 1;
    return c;
}

const Row kRows[] = {
    {"EmptyCellSaysEmpty",
     {},
     {1, 1, 2},
     false,
     "マス 1、空、カーソル 中、1列目 1段目 上",
     "Cell 1, empty, cursor at centre, column 1, row 1, upper"},
    {"EveryStringOfAChordByItsSlot",
     Whole(1, 205, 13),
     {6, 1, 1},
     false,
     "マス 6、左 一、中 オ 五、右 巾、カーソル 左、1列目 3段目 下",
     "Cell 6, left 一 (ichi), centre オ (whole-tone press) 五 (go), right 巾 (kin), "
     "cursor at left, column 1, row 3, lower"},
    {"StringsTenToThirteenAndThePressings",
     Whole(310, 111, 12),
     {33, 1, 3},
     false,
     "マス 33、左 ォ 十、中 ヲ 斗、右 為、カーソル 右、2列目 1段目 上",
     "Cell 33, left ォ (tone-and-a-half press) 十 (ju), centre ヲ (semitone press) 斗 (to), "
     "right 為 (i), cursor at right, column 2, row 1, upper"},
    {"APressingAloneIsSaid",
     Whole(0, 200, 0),
     {2, 1, 2},
     false,
     "マス 2、中 オ、カーソル 中、1列目 1段目 下",
     "Cell 2, centre オ (whole-tone press), cursor at centre, column 1, row 1, lower"},
    {"RestsWithTheirLength",
     Whole(0, 500, 0),
     {3, 1, 2},
     false,
     "マス 3、休符 ○ 2マス、カーソル 中、1列目 2段目 上",
     "Cell 3, rest ○, two cells, cursor at centre, column 1, row 2, upper"},
    {"TheCellARestCoversIsItsContinuation",
     {},
     {4, 1, 2},
     true,
     "マス 4、○の続き、カーソル 中、1列目 2段目 下",
     "Cell 4, rest ○ continues, cursor at centre, column 1, row 2, lower"},
    {"DottedRestsAndTheOneCellRest",
     Whole(0, 800, 0),
     {5, 1, 2},
     false,
     "マス 5、点付き休符 △ 1マス、カーソル 中、1列目 3段目 上",
     "Cell 5, dotted rest △, one cell, cursor at centre, column 1, row 3, upper"},
    {"RepeatSign",
     Whole(0, 900, 0),
     {64, 1, 2},
     false,
     "マス 64、繰り返し ゝ、カーソル 中、2列目 16段目 下",
     "Cell 64, repeat ゝ, cursor at centre, column 2, row 16, lower"},
    {"SplitCellNamesTheCursorsHalfAndBoth",
     Split(7, 1100),
     {7, 2, 2},
     false,
     "マス 7、分割 下半分、上半分 中 七、下半分 ツ 突く、カーソル 中、1列目 4段目 上",
     "Cell 7, split, second half, first half centre 七 (shichi), second half ツ, tsuki, "
     "cursor at centre, column 1, row 4, upper"},
    {"TechniquesInTheFirstHalf",
     Split(1000, 1200),
     {8, 1, 2},
     false,
     "マス 8、分割 上半分、上半分 ハ 押し手を戻す、下半分 ヒ 引く、カーソル 中、1列目 4段目 下",
     "Cell 8, split, first half, first half ハ, release the press, second half ヒ, hiki, "
     "cursor at centre, column 1, row 4, lower"},
    {"AWholeCellHidesWhatASplitLeftBehind",
     [] {
         ScoreCell c = Split(3, 4);
         c.split = 0;
         return c;
     }(),
     {9, 2, 2},
     false,
     "マス 9、中 三、カーソル 中、1列目 5段目 上",
     "Cell 9, centre 三 (san), cursor at centre, column 1, row 5, upper"},
};

class CellDescription : public testing::TestWithParam<Row> {
  protected:
    void TearDown() override { res::SetLanguage(res::Language::Japanese); }
};

TEST_P(CellDescription, SaysTheCellInBothLanguages) {
    const Row& row = GetParam();
    res::SetLanguage(res::Language::Japanese);
    EXPECT_EQ(SjisToUtf8(DescribeCell(row.place, &row.cell, row.covered)), row.japanese);
    res::SetLanguage(res::Language::English);
    EXPECT_EQ(SjisToUtf8(DescribeCell(row.place, &row.cell, row.covered)), row.english);
}

INSTANTIATE_TEST_SUITE_P(Cells, CellDescription, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.proves);
                         });

TEST(CellDescriptionPastTheScore, ACursorBeyondTheLastCellHearsAnEmptyCell) {
    EXPECT_EQ(SjisToUtf8(DescribeCell({3030, 1, 2}, nullptr, false)),
              "マス 3030、空、カーソル 中、95列目 11段目 下");
}

}  // namespace
}  // namespace tabrella
