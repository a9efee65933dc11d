// SPDX-License-Identifier: GPL-3.0-or-later
// The page as drawn, in logical units (0.1 mm, y up), on a recording surface. Expected
// numbers come from the page geometry: origin (80, -100), rows 160 high holding two cells,
// columns 230 wide, 16 rows and 7 columns, a 16-unit gap after every 4 rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/Sjis.h"
#include "render/CellText.h"
#include "render/PageLayout.h"
#include "support/CellPrinting.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using platform::LogicalFont;
using platform::Pen;
using platform::Point;

std::string S(const char* utf8) {
    return Utf8ToSjis(utf8);
}

// The design's constants, written out once for the expectations below.
constexpr int kX0 = 80, kY0 = -100, kH = 160, kW = 230;
constexpr int kRightColumnX = 1460;  // X0 + 6 W

const std::string kFace = S("ＭＳ ゴシック");
const std::string kBrush = S("HG正楷書体-PRO");
const LogicalFont kNote{60, 25, 400, kFace};
const LogicalFont kNoteNarrow{60, 14, 200, kFace};
const LogicalFont kHalf{30, 25, 200, kFace};
const LogicalFont kHalfNarrow{30, 14, 200, kFace};
const LogicalFont kOverlay{25, 14, 400, kFace};
const LogicalFont kHalfOverlay{14, 14, 400, kFace};
const Pen kGridPen{2, {0, 0, 0}};
const Pen kRedPen{2, {255, 0, 0}};

class DrawScore : public ::testing::Test {
  protected:
    ViewHarness h;
    CTabrellaView& v = h.v();

    DrawLog Paint() {
        DrawLog log;
        RecordingSurface surface(log, false);
        v.OnPaint(surface);
        return log;
    }
    // Page 0 is the page the screen shows; page n >= 1 is page n of the whole printout.
    DrawLog Print(int page = 0) {
        DrawLog log;
        RecordingSurface surface(log, true);
        v.DrawScore(surface, page);
        return log;
    }
    DrawLog Redraw() {
        v.RedrawNow();
        return h.window.immediate;
    }
};

// Texts drawn at one point, in drawing order.
std::vector<DrawOp> TextsAt(const DrawLog& log, Point at) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : log.Texts()) {
        if (op.a == at && !op.text.empty()) out.push_back(op);
    }
    return out;
}

// The single non-empty text drawn with exactly this content.
DrawOp OnlyText(const DrawLog& log, const std::string& sjis) {
    std::vector<DrawOp> found = log.TextsEqual(sjis);
    EXPECT_EQ(found.size(), 1u) << SjisToUtf8(sjis);
    return found.empty() ? DrawOp{DrawOp::Text} : found.front();
}

// x where character `index` of a text starts: a one-byte character advances the font
// width, a two-byte character twice that.
int CharX(const DrawOp& op, size_t index) {
    int x = op.a.x;
    size_t i = 0;
    for (size_t n = 0; n < index && i < op.text.size(); ++n) {
        const bool wide = IsSjisLeadByte(static_cast<unsigned char>(op.text[i]));
        x += wide ? 2 * op.font.width : op.font.width;
        i += wide ? 2 : 1;
    }
    return x;
}

// ---- Grid -----------------------------------------------------------------------------

using Segment = std::tuple<int, int, int, int>;

std::multiset<Segment> SegmentsWith(const DrawLog& log, const Pen& pen) {
    std::multiset<Segment> out;
    for (const DrawOp& op : log.Lines()) {
        if (op.pen == pen) out.insert({op.a.x, op.a.y, op.b.x, op.b.y});
    }
    return out;
}

TEST_F(DrawScore, GridHasRowLinesDoubledAtMeasuresAndColumnLinesWithTheTwoUnitPen) {
    std::multiset<Segment> want;
    // Row lines: 16 rows of 160 with a 16-unit gap every 4 rows; measure lines, the top and
    // the bottom are doubled 16 units above.
    const int rowY[17] = {-100,  -260,  -420,  -580,  -756,  -916,  -1076, -1236, -1412,
                          -1572, -1732, -1892, -2068, -2228, -2388, -2548, -2724};
    for (int i = 0; i <= 16; ++i) {
        want.insert({80, rowY[i], 1690, rowY[i]});
        if (i % 4 == 0) want.insert({80, rowY[i] + 16, 1690, rowY[i] + 16});
    }
    for (int x = 80; x <= 1690; x += 230) want.insert({x, -84, x, -2725});
    EXPECT_EQ(SegmentsWith(Paint(), kGridPen), want);
}

TEST_F(DrawScore, DoubleLinesSitAtTheDesignsExamples) {
    const std::multiset<Segment> grid = SegmentsWith(Paint(), kGridPen);
    for (int y : {-84, -100, -740, -756, -2708, -2724}) {
        EXPECT_EQ(grid.count({80, y, 1690, y}), 1u) << "y " << y;
    }
}

TEST_F(DrawScore, HalfRowTicksUseTheDefaultPenOverTheLeftThreeFifths) {
    std::multiset<Segment> want;
    for (int j = 0; j < 7; ++j) {
        const int x = kX0 + j * kW;
        for (int i = 0; i < 16; ++i) {
            const int t = kY0 - kH / 2 - 16 * (i / 4) - i * kH;
            want.insert({x, t, x + 138, t});
        }
    }
    const std::multiset<Segment> ticks = SegmentsWith(Paint(), Pen::Default());
    EXPECT_EQ(ticks, want);
    EXPECT_EQ(ticks.count({1460, -180, 1598, -180}), 1u);  // first row, rightmost column
    EXPECT_EQ(ticks.count({80, -836, 218, -836}), 1u);     // first row after a measure
}

TEST_F(DrawScore, GridLinesComeBeforeTicksAndTicksBeforeAnyText) {
    v.m_cells[1].first[2] = 5;
    const DrawLog log = Paint();
    size_t lastGrid = 0, firstTick = log.ops.size(), lastTick = 0, firstText = log.ops.size();
    for (size_t i = 0; i < log.ops.size(); ++i) {
        const DrawOp& op = log.ops[i];
        if (op.kind == DrawOp::Line && op.pen == kGridPen) lastGrid = i;
        if (op.kind == DrawOp::Line && op.pen == Pen::Default()) {
            firstTick = std::min(firstTick, i);
            lastTick = i;
        }
        if (op.kind == DrawOp::Text) firstText = std::min(firstText, i);
    }
    EXPECT_LT(lastGrid, firstTick);
    EXPECT_LT(lastTick, firstText);
}

// ---- Cell positions ---------------------------------------------------------------------

// Top-left of a lone centre-slot note: column edge + W/25 + W/3, cell top - H/20.
Point LoneNoteAt(int columnX, int cellTop) {
    return {columnX + 9 + 76, cellTop - 8};
}

TEST_F(DrawScore, CellsRunDownTheRightmostColumnWithAMeasureGap) {
    const std::pair<int, int> cellTop[] = {
        {1, -100}, {2, -180}, {8, -660}, {9, -756}, {16, -1316}, {17, -1412}, {32, -2628},
    };
    for (const auto& [k, top] : cellTop) v.m_cells[static_cast<size_t>(k)].first[2] = k % 13 + 1;
    const DrawLog log = Paint();
    for (const auto& [k, top] : cellTop) {
        const std::vector<DrawOp> at = TextsAt(log, LoneNoteAt(kRightColumnX, top));
        ASSERT_FALSE(at.empty()) << "cell " << k;
        EXPECT_EQ(at.front().text, CellText(k % 13 + 1)) << "cell " << k;
    }
}

TEST_F(DrawScore, CellEightEndsSixteenUnitsAboveCellNine) {
    v.m_cells[8].first[2] = 8;
    v.m_cells[9].first[2] = 9;
    const DrawLog log = Paint();
    const int top8 = OnlyText(log, S("八")).a.y + 8;
    const int top9 = OnlyText(log, S("九")).a.y + 8;
    EXPECT_EQ(top8 - kH / 2 - top9, 16);
}

TEST_F(DrawScore, Cell33StartsTheSecondColumnFromTheRight) {
    v.m_cells[33].first[2] = 5;
    v.m_cursorPos = 100;
    const DrawLog log = Paint();
    EXPECT_EQ(OnlyText(log, S("五")).a, LoneNoteAt(1230, -100));
}

TEST_F(DrawScore, Cell224IsTheLastPlaceOfTheLeftmostColumn) {
    v.m_cells[224].first[2] = 13;
    v.m_cursorPos = 1;
    const DrawLog log = Paint();
    EXPECT_EQ(OnlyText(log, S("巾")).a, LoneNoteAt(80, -2628));
}

TEST_F(DrawScore, APageMovedForwardStartsWithCell33AtTheRightmostColumn) {
    v.m_cells[1].first[2] = 1;
    v.m_cells[33].first[2] = 3;
    v.m_cells[65].first[2] = 5;
    v.m_topColumn = 1;
    v.m_cursorPos = 100;
    const DrawLog log = Paint();
    EXPECT_TRUE(log.TextsEqual(S("一")).empty());
    EXPECT_EQ(OnlyText(log, S("三")).a, LoneNoteAt(kRightColumnX, -100));
    EXPECT_EQ(OnlyText(log, S("五")).a, LoneNoteAt(1230, -100));
}

TEST_F(DrawScore, CellsAfterTheLastUsedOneAreNotDrawn) {
    v.m_cells[3].first[2] = 3;
    v.m_cells[7].split = 1;  // a split flag alone does not make a cell used
    v.m_cursorPos = 1;
    size_t texts = 0;
    for (const DrawOp& op : Print().Texts()) {
        if (op.font.face == kFace) ++texts;
    }
    // Cells 1 to 3 are drawn, each with its text and its overlay.
    EXPECT_EQ(texts, 6u);
}

// ---- One cell: text, font and offset ----------------------------------------------------

struct CellCase {
    const char* what;
    ScoreCell cell;
    const char* text;  // UTF-8 of the main text
    int offset;        // from the column edge
    LogicalFont font;
};

TEST_F(DrawScore, WholeCellTextStartsAtItsOffsetInItsFont) {
    const CellCase cases[] = {
        {"lone note", Whole(0, 5, 0), "五", 9 + 76, kNote},
        {"lone note in a side slot", Whole(0, 0, 7), "七", 9 + 76, kNote},
        {"two notes", Whole(5, 0, 7), "五七", 9 + 76, kNoteNarrow},
        {"ヲ五 and 七", Whole(105, 7, 0), "ヲ五七", 9 + 57, kNoteNarrow},
        {"three notes", Whole(1, 2, 3), "一二三", 9 + 38, kNoteNarrow},
        {"two modified notes", Whole(105, 0, 207), "ヲ五オ七", 9 + 11, kNoteNarrow},
        {"three notes one modified", Whole(101, 2, 3), "ヲ一二三", 9 + 38, kNoteNarrow},
        {"lone modified note", Whole(0, 305, 0), "ォ五", 9 + 76, kNoteNarrow},
        {"lone modifier", Whole(0, 100, 0), "ヲ", 9 + 76, kNoteNarrow},
        {"repeat sign", Whole(0, 900, 0), "ゝ", 9 + 76, kNote},
        {"technique sign", Whole(0, 1100, 0), "ツ", 9 + 76, kNote},
        {"string 14", Whole(0, 14, 0), " ", 9 + 76, kNote},
    };
    for (const CellCase& c : cases) {
        ViewHarness fresh;
        fresh.Cell(5) = c.cell;
        fresh.v().m_cursorPos = 40;
        DrawLog log;
        RecordingSurface printer(log, true);
        fresh.v().DrawScore(printer);
        const int top = -100 - 4 * 80;
        const std::vector<DrawOp> at = TextsAt(log, {kRightColumnX + c.offset, top - 8});
        ASSERT_FALSE(at.empty()) << c.what;
        EXPECT_EQ(SjisToUtf8(at.front().text), c.text) << c.what;
        EXPECT_EQ(at.front().font, c.font) << c.what;
    }
}

TEST_F(DrawScore, OtsuOverlayLandsOnTheOtsuSign) {
    const ScoreCell cells[] = {Whole(0, 305, 0), Whole(5, 303, 7), Whole(301, 302, 0),
                               Whole(105, 0, 312), Whole(0, 300, 0)};
    for (const ScoreCell& cell : cells) {
        ViewHarness fresh;
        fresh.Cell(1) = cell;
        fresh.v().m_cursorPos = 40;
        DrawLog log;
        RecordingSurface printer(log, true);
        fresh.v().DrawScore(printer);
        std::vector<DrawOp> texts;
        for (const DrawOp& op : log.Texts()) {
            if (op.font.face == kFace) texts.push_back(op);
        }
        ASSERT_EQ(texts.size(), 2u) << Describe(cell);
        const DrawOp& body = texts[0];
        const DrawOp& overlay = texts[1];
        EXPECT_EQ(overlay.font, kOverlay);
        EXPECT_EQ(overlay.a, body.a);
        // The overlay holds one full-width place per character of the text; each "ノ"
        // starts exactly where the "ォ" at the same place starts.
        const std::string no = S("ノ"), otsu = S("ォ");
        for (size_t i = 0, n = 0; i < overlay.text.size(); i += 2, ++n) {
            if (overlay.text.compare(i, 2, no) != 0) continue;
            EXPECT_EQ(body.text.compare(2 * n, 2, otsu), 0) << Describe(cell) << " place " << n;
            EXPECT_EQ(CharX(overlay, n), CharX(body, n)) << Describe(cell) << " place " << n;
        }
        EXPECT_NE(overlay.text.find(no), std::string::npos) << Describe(cell);
    }
}

TEST_F(DrawScore, OverlayOfTheOtsuCellHasOneFullWidthPlacePerCharacter) {
    v.m_cells[1] = Whole(5, 303, 7);
    v.m_cursorPos = 40;
    const DrawLog log = Print();
    EXPECT_EQ(OnlyText(log, S("五ォ三七")).font, kNoteNarrow);
    EXPECT_EQ(OnlyText(log, S("　ノ　　")).font, kOverlay);
}

TEST_F(DrawScore, RestsAreDrawnInTheNoteFontWithADotFor700And800) {
    const std::tuple<int, const char*, bool> rests[] = {
        {500, "○", false}, {600, "△", false}, {700, "○", true}, {800, "△", true}};
    for (const auto& [code, sign, dotted] : rests) {
        ViewHarness fresh;
        fresh.Cell(3) = Whole(0, code, 0);
        fresh.v().m_cursorPos = 40;
        DrawLog log;
        RecordingSurface printer(log, true);
        fresh.v().DrawScore(printer);
        const std::vector<DrawOp> at = TextsAt(log, LoneNoteAt(kRightColumnX, -260));
        ASSERT_EQ(at.size(), dotted ? 2u : 1u) << code;
        EXPECT_EQ(at[0].text, S(sign)) << code;
        EXPECT_EQ(at[0].font, kNote) << code;
        if (dotted) {
            EXPECT_EQ(at[1].text, S("・")) << code;
            EXPECT_EQ(at[1].font, kNote) << code;
        }
        for (const DrawOp& op : log.Texts()) {
            if (!op.text.empty()) {
                EXPECT_NE(op.font, kOverlay) << "rest " << code;
            }
        }
    }
}

TEST_F(DrawScore, ARestInASplitCellIsDrawnAsAWholeRest) {
    v.m_cells[3] = Split(0, 700, 0, 0, 5, 0);
    v.m_cursorPos = 40;
    const DrawLog log = Print();
    const std::vector<DrawOp> at = TextsAt(log, LoneNoteAt(kRightColumnX, -260));
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].font, kNote);
    EXPECT_TRUE(log.TextsEqual(S("五")).empty());
}

// ---- Split cells ---------------------------------------------------------------------------

struct SplitCase {
    const char* what;
    ScoreCell cell;
    const char* upper;  // UTF-8
    int upperOffset;
    LogicalFont upperFont;
    const char* lower;
    int lowerOffset;
    LogicalFont lowerFont;
};

TEST_F(DrawScore, SplitCellHalvesAreDrawnOneAboveTheOther) {
    const int top = -100;  // cell 1, the only cell drawn
    const SplitCase cases[] = {
        {"a note in each half", Split(0, 5, 0, 0, 7, 0), "五", 85, kHalf, "七", 85, kHalf},
        {"two notes above, one modified below", Split(1, 0, 2, 0, 105, 0), "一二", 85, kHalfNarrow,
         "ヲ五", 85, kHalfNarrow},
        {"upper technique sign", Split(0, 1000, 0, 3, 0, 0), "ハ", 85, kHalfNarrow, "三", 85,
         kHalf},
        {"lower repeat sign", Split(0, 4, 0, 0, 900, 0), "四", 85, kHalf, "ゝ", 85, kHalfNarrow},
        {"three notes below", Split(0, 4, 0, 1, 2, 3), "四", 85, kHalf, "一二三", 9 + 38,
         kHalfNarrow},
        {"ヲ五 and 七 below", Split(0, 4, 0, 105, 7, 0), "四", 85, kHalf, "ヲ五七", 9 + 57,
         kHalfNarrow},
        // An empty upper half puts three half-width blanks before a lone plain lower note.
        {"lone plain note below", Split(0, 0, 0, 0, 7, 0), "", 9, kHalfNarrow, "   七", 85,
         kHalfNarrow},
        {"lone plain note below, side slot", Split(0, 0, 0, 0, 0, 13), "", 9, kHalfNarrow, "   巾",
         85, kHalfNarrow},
        {"lone modified note below", Split(0, 0, 0, 0, 205, 0), "", 9, kHalfNarrow, "オ五", 85,
         kHalfNarrow},
        {"lone sign below", Split(0, 0, 0, 0, 1200, 0), "", 9, kHalfNarrow, "ヒ", 85, kHalfNarrow},
        {"two notes below", Split(0, 0, 0, 1, 0, 2), "", 9, kHalfNarrow, "一二", 85, kHalfNarrow},
    };
    for (const SplitCase& c : cases) {
        ViewHarness fresh;
        fresh.Cell(1) = c.cell;
        fresh.v().m_cursorPos = 40;
        DrawLog log;
        RecordingSurface printer(log, true);
        fresh.v().DrawScore(printer);
        std::vector<DrawOp> texts;
        for (const DrawOp& op : log.Texts()) {
            if (op.font.face == kFace) texts.push_back(op);
        }
        // Upper text, upper overlay, lower text, lower overlay.
        ASSERT_EQ(texts.size(), 4u) << c.what;
        EXPECT_EQ(SjisToUtf8(texts[0].text), c.upper) << c.what;
        EXPECT_EQ(texts[0].a, (Point{kRightColumnX + c.upperOffset, top - 8})) << c.what;
        EXPECT_EQ(texts[0].font, c.upperFont) << c.what;
        EXPECT_EQ(texts[1].a, (Point{kRightColumnX + c.upperOffset, top - 4})) << c.what;
        EXPECT_EQ(texts[1].font, kHalfOverlay) << c.what;
        EXPECT_EQ(SjisToUtf8(texts[2].text), c.lower) << c.what;
        EXPECT_EQ(texts[2].a, (Point{kRightColumnX + c.lowerOffset, top - 40})) << c.what;
        EXPECT_EQ(texts[2].font, c.lowerFont) << c.what;
        EXPECT_EQ(texts[3].a, (Point{kRightColumnX + c.lowerOffset, top - 37})) << c.what;
        EXPECT_EQ(texts[3].font, kHalfOverlay) << c.what;
    }
}

TEST_F(DrawScore, SplitCellOverlaysMarkTheOtsuOfEachHalf) {
    v.m_cells[3] = Split(0, 305, 0, 5, 0, 307);
    v.m_cursorPos = 40;
    const DrawLog log = Print();
    EXPECT_EQ(OnlyText(log, S("ノ　")).a, (Point{kRightColumnX + 85, -260 - 4}));
    // Lower half: 五 ォ七, two notes one modified, so W/4 from the edge.
    const DrawOp lower = OnlyText(log, S("　ノ　"));
    EXPECT_EQ(lower.a, (Point{kRightColumnX + 9 + 57, -260 - 37}));
    EXPECT_EQ(lower.font, kHalfOverlay);
    const DrawOp lowerText = OnlyText(log, S("五ォ七"));
    EXPECT_EQ(CharX(lower, 1), CharX(lowerText, 1));
}

// ---- The cursor --------------------------------------------------------------------------

TEST_F(DrawScore, DefaultCursorBoxFramesTheCentreSlotOfCellOneInRed) {
    const std::vector<DrawOp> rects = Paint().Rects();
    ASSERT_EQ(rects.size(), 1u);
    // bx = 1460 + 76 - 3 = 1533, by = -100.
    EXPECT_EQ(rects[0].a, (Point{1535, -103}));
    EXPECT_EQ(rects[0].b, (Point{1614, -181}));
    EXPECT_EQ(rects[0].pen, kRedPen);
}

TEST_F(DrawScore, CursorBoxFollowsSlotHalfAndPlace) {
    struct BoxCase {
        int pos, slot, half;
        bool split;
        Point a, b;
    };
    const BoxCase cases[] = {
        {1, 1, 1, false, {1459, -103}, {1538, -181}},
        {1, 3, 1, false, {1611, -103}, {1690, -181}},
        {1, 2, 2, false, {1535, -103}, {1614, -181}},  // the half means nothing when whole
        {1, 2, 1, true, {1535, -103}, {1614, -144}},
        {1, 2, 2, true, {1535, -140}, {1614, -184}},
        {2, 1, 2, true, {1459, -220}, {1538, -264}},
        {9, 2, 1, false, {1535, -759}, {1614, -837}},  // first cell after the measure gap
        {33, 3, 1, false, {1381, -103}, {1460, -181}},
        {224, 1, 1, false, {79, -2631}, {158, -2709}},
    };
    for (const BoxCase& c : cases) {
        ViewHarness fresh;
        fresh.v().m_cursorPos = c.pos;
        fresh.v().m_cursorSlot = c.slot;
        fresh.v().m_cursorHalf = c.half;
        fresh.v().m_topColumn = 2;  // the box follows the page place, the split the cell
        fresh.Cell(c.pos + 64).split = c.split ? 1 : 0;
        DrawLog log;
        RecordingSurface screen(log, false);
        fresh.v().OnPaint(screen);
        const std::vector<DrawOp> rects = log.Rects();
        ASSERT_EQ(rects.size(), 1u);
        EXPECT_EQ(rects[0].a, c.a) << "place " << c.pos << " slot " << c.slot;
        EXPECT_EQ(rects[0].b, c.b) << "place " << c.pos << " slot " << c.slot;
    }
}

TEST_F(DrawScore, CursorCellIsBlankedRightAfterItIsDrawn) {
    v.m_cells[3] = Whole(0, 3, 0);
    v.m_cells[4] = Whole(0, 4, 0);
    v.m_cursorPos = 3;  // upper cell of its row: the cell below is blanked too
    DrawLog log = Paint();
    std::vector<DrawOp> fills = log.Fills();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].a, (Point{1465, -265}));
    EXPECT_EQ(fills[0].b, (Point{225, -75}));
    EXPECT_EQ(fills[1].a, (Point{1465, -345}));
    EXPECT_EQ(fills[1].b, (Point{225, -75}));
    // Between the cursor cell's texts and the next cell's text.
    auto index = [&](auto pred) {
        return std::find_if(log.ops.begin(), log.ops.end(), pred) - log.ops.begin();
    };
    const auto firstFill = index([](const DrawOp& op) { return op.kind == DrawOp::Fill; });
    const auto three = index([&](const DrawOp& op) { return op.text == S("三"); });
    const auto four = index([&](const DrawOp& op) { return op.text == S("四"); });
    EXPECT_LT(three, firstFill);
    EXPECT_LT(firstFill, four);

    v.m_cursorPos = 4;  // lower cell: only itself
    fills = Paint().Fills();
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].a, (Point{1465, -345}));
}

TEST_F(DrawScore, NoBlankingWhenTheCursorCellIsPastTheLastUsedCell) {
    v.m_cells[3] = Whole(0, 3, 0);
    v.m_cursorPos = 5;
    EXPECT_TRUE(Paint().Fills().empty());
}

TEST_F(DrawScore, CursorCellIsRedrawnSlotBySlotAfterTheBox) {
    v.m_cells[1] = Whole(105, 7, 305);
    const DrawLog log = Paint();
    const auto box = std::find_if(log.ops.begin(), log.ops.end(),
                                  [](const DrawOp& op) { return op.kind == DrawOp::Rect; });
    ASSERT_NE(box, log.ops.end());
    std::vector<DrawOp> after;
    for (auto it = box; it != log.ops.end(); ++it) {
        if (it->kind == DrawOp::Text && it->font.face == kFace) after.push_back(*it);
    }
    ASSERT_EQ(after.size(), 4u);
    // Slot j at x + W/25 + (j - 1) W/3, 3 units above the run-together text.
    EXPECT_EQ(after[0].text, S("ヲ五"));
    EXPECT_EQ(after[0].a, (Point{1469, -111}));
    EXPECT_EQ(after[0].font, kNoteNarrow);
    EXPECT_EQ(after[1].text, S("七"));
    EXPECT_EQ(after[1].a, (Point{1545, -111}));
    EXPECT_EQ(after[1].font, kNote);
    EXPECT_EQ(after[2].text, S("ォ五"));
    EXPECT_EQ(after[2].a, (Point{1621, -111}));
    EXPECT_EQ(after[2].font, kNoteNarrow);
    EXPECT_EQ(after[3].text, S("ノ"));
    EXPECT_EQ(after[3].a, (Point{1621, -108}));
    EXPECT_EQ(after[3].font, kOverlay);
}

TEST_F(DrawScore, SplitCursorCellIsRedrawnHalfByHalf) {
    v.m_cells[2] = Split(5, 0, 0, 0, 305, 1000);
    v.m_cursorPos = 2;
    const DrawLog log = Paint();
    const auto box = std::find_if(log.ops.begin(), log.ops.end(),
                                  [](const DrawOp& op) { return op.kind == DrawOp::Rect; });
    std::vector<DrawOp> after;
    for (auto it = box; it != log.ops.end(); ++it) {
        if (it->kind == DrawOp::Text && it->font.face == kFace && !it->text.empty()) {
            after.push_back(*it);
        }
    }
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0].text, S("五"));
    EXPECT_EQ(after[0].a, (Point{1469, -188}));
    EXPECT_EQ(after[0].font, kHalf);
    EXPECT_EQ(after[1].text, S("ォ五"));
    EXPECT_EQ(after[1].a, (Point{1545, -228}));
    EXPECT_EQ(after[1].font, kHalfNarrow);
    EXPECT_EQ(after[2].text, S("ノ"));
    EXPECT_EQ(after[2].a, (Point{1545, -228}));
    EXPECT_EQ(after[2].font, kHalfOverlay);
    EXPECT_EQ(after[3].text, S("ハ"));
    EXPECT_EQ(after[3].a, (Point{1621, -228}));
    EXPECT_EQ(after[3].font, kHalfNarrow);
}

TEST_F(DrawScore, RestUnderTheCursorIsRedrawnInTheCentreSlot) {
    v.m_cells[1] = Whole(0, 800, 0);
    v.m_cursorSlot = 3;
    const DrawLog log = Paint();
    const std::vector<DrawOp> at = TextsAt(log, {1545, -111});
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].text, S("△"));
    EXPECT_EQ(at[0].font, kNote);
    EXPECT_EQ(at[1].text, S("・"));
}

TEST_F(DrawScore, ScreenRaisesTheLastCellToTheCursorPlaceAndRecordsTheCursor) {
    v.m_cells[10] = Whole(0, 1, 0);
    v.m_cells[40] = Whole(0, 2, 0);
    v.m_cursorPos = 50;
    v.m_topColumn = 0;
    Paint();
    EXPECT_EQ(v.m_lastCell, 50);
    EXPECT_EQ(v.m_cursorCell, 50);
    v.m_cursorPos = 9;
    Paint();
    EXPECT_EQ(v.m_lastCell, 40);
    EXPECT_EQ(v.m_cursorCell, 9);
    EXPECT_EQ(v.m_cursorX, 1460);
    EXPECT_EQ(v.m_cursorY, -756);
}

// Batch work learns the end of the score without drawing; it must be what a paint finds.
TEST_F(DrawScore, MeasuringTheEndWithoutDrawingGivesWhatThePaintGives) {
    struct State {
        int lastUsed, cursorPos, topColumn;
    };
    for (const State s : {State{0, 1, 0}, State{40, 9, 0}, State{40, 50, 0}, State{2999, 1, 0},
                          State{300, 5, 3}, State{0, 2999, 0}, State{10, 3000, 0}}) {
        for (ScoreCell& cell : v.m_cells) cell = {};
        if (s.lastUsed > 0) v.m_cells[s.lastUsed] = Whole(0, 1, 0);
        v.m_cursorPos = s.cursorPos;
        v.m_topColumn = s.topColumn;
        Paint();
        const int painted = v.m_lastCell, paintedCursor = v.m_cursorCell;
        v.m_lastCell = v.m_cursorCell = -1;
        v.MeasureScreenEnd();
        EXPECT_EQ(v.m_lastCell, painted) << s.lastUsed << " " << s.cursorPos;
        EXPECT_EQ(v.m_cursorCell, paintedCursor) << s.lastUsed << " " << s.cursorPos;
    }
}

TEST_F(DrawScore, AnEmptyScoreShowsGridCursorBoxAndHeaderOnly) {
    const DrawLog log = Paint();
    EXPECT_EQ(v.m_lastCell, 1);  // 0, then raised to the cursor place
    EXPECT_EQ(log.Rects().size(), 1u);
    EXPECT_TRUE(log.Fills().empty());
    std::vector<std::string> shown;
    for (const DrawOp& op : log.Texts()) {
        if (!op.text.empty()) shown.push_back(SjisToUtf8(op.text));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"平", "調", "子", "80/分"}));
}

// ---- Header --------------------------------------------------------------------------------

TEST_F(DrawScore, TitleIsCutIntoTwoBytePiecesDown200UnitsEach) {
    v.m_title = S("六段の調");
    const DrawLog log = Paint();
    const std::string pieces[] = {S("六"), S("段"), S("の"), S("調")};
    for (int j = 1; j <= 4; ++j) {
        const std::vector<DrawOp> at = TextsAt(log, {1920, -100 - 2 * (160 + 100 * (j + 1))});
        ASSERT_EQ(at.size(), 1u) << "piece " << j;
        EXPECT_EQ(at[0].text, pieces[j - 1]);
        EXPECT_EQ(at[0].font, (LogicalFont{130, 0, 400, kBrush}));
    }
    EXPECT_EQ(TextsAt(log, {1920, -820}).size(), 1u);
}

// Every character is drawn in its own place, a one-byte one too, and an odd last byte.
TEST_F(DrawScore, EveryCharacterOfATitleIsDrawnInItsOwnPlace) {
    struct Case {
        const char* title;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"abc", {"a", "b", "c"}}, {"Flute", {"F", "l", "u", "t", "e"}}, {"a六b", {"a", "六", "b"}}};
    for (const Case& c : cases) {
        v.m_title = S(c.title);
        std::vector<std::string> shown;
        for (const DrawOp& op : Paint().Texts()) {
            if (op.font.face == kBrush && op.font.height == 130)
                shown.push_back(SjisToUtf8(op.text));
        }
        EXPECT_EQ(shown, c.shown) << c.title;
    }
    v.m_title = "abc";
    EXPECT_EQ(OnlyText(Paint(), "c").a, (Point{1920, -1220}));
}

// A long title shrinks to end above the tuning name (paper) or the base-tone label (screen),
// and one too long for the smallest size ends in an ellipsis, never off the page.
TEST_F(DrawScore, ALongTitleFitsAboveTheHeaderTextBelowIt) {
    for (const int length : {6, 7, 13, 40, 5000}) {
        std::string title;
        for (int i = 0; i < length; ++i) title += S("桜");
        v.m_title = title;
        v.m_tuningName.clear();  // every header text left in the brush face is the title
        v.m_baseToneLabel.clear();
        for (const bool printer : {false, true}) {
            const DrawLog log = printer ? Print() : Paint();
            const int limit = printer ? -1800 : -2120;
            int count = 0;
            for (const DrawOp& op : log.Texts()) {
                if (op.font.face != kBrush || op.a.x != (printer ? 1766 : 1920)) continue;
                ++count;
                EXPECT_GT(op.a.y - op.font.height, limit) << length << " " << printer;
            }
            if (length <= 6 && !printer) {
                EXPECT_EQ(count, length);
            }
            EXPECT_GE(count, std::min(length, 20)) << length << " " << printer;
            EXPECT_EQ(log.TextsEqual(S("…")).size(), length >= 40 ? 1u : 0u) << length;
        }
    }
}

TEST_F(DrawScore, TuningNameAndBaseToneLabelRunDown130UnitsEach) {
    v.m_baseToneLabel = S("基音　平調");
    const DrawLog log = Paint();
    const std::string tuning[] = {S("平"), S("調"), S("子")};
    for (int j = 1; j <= 3; ++j) {
        const std::vector<DrawOp> at = TextsAt(log, {1766, -1800 - 130 * (j - 1)});
        ASSERT_EQ(at.size(), 1u) << "tuning piece " << j;
        EXPECT_EQ(at[0].text, tuning[j - 1]);
        EXPECT_EQ(at[0].font, (LogicalFont{90, 0, 400, kBrush}));
    }
    const std::string label[] = {S("基"), S("音"), S("　"), S("平"), S("調")};
    for (int j = 1; j <= 5; ++j) {
        const std::vector<DrawOp> at = TextsAt(log, {1920, -2120 - 130 * (j - 1)});
        ASSERT_EQ(at.size(), 1u) << "label piece " << j;
        EXPECT_EQ(at[0].text, label[j - 1]);
        EXPECT_EQ(at[0].font, (LogicalFont{80, 0, 400, kBrush}));
    }
}

TEST_F(DrawScore, TempoLabelSitsAboveTheRightmostColumn) {
    DrawOp tempo = OnlyText(Paint(), S("80/分"));
    EXPECT_EQ(tempo.a, (Point{1460, -20}));
    EXPECT_EQ(tempo.font, (LogicalFont{60, 0, 400, kBrush}));
    v.m_tempo = 132;
    EXPECT_EQ(OnlyText(Print(), S("132/分")).a, (Point{1460, -20}));
}

TEST_F(DrawScore, CellFontsFollowTheChosenFaceAndHeaderFontsKeepTheBrushFace) {
    v.m_fontFace = S("MS Pゴシック");
    v.m_cells[1] = Whole(0, 5, 0);
    v.m_cursorPos = 2;
    v.m_title = S("曲");
    const DrawLog log = Paint();
    EXPECT_EQ(OnlyText(log, S("五")).font.face, S("MS Pゴシック"));
    EXPECT_EQ(OnlyText(log, S("曲")).font.face, kBrush);
}

// ---- Printer and screen -------------------------------------------------------------------

// While a loop plays, each of its cells on the screen's page has a bar down its right
// edge; paper shows none.
TEST_F(DrawScore, TheCellsOfAPlayingLoopAreMarkedOnTheScreenOnly) {
    const Pen loopPen{2, {0, 90, 200}};
    auto marks = [&](const DrawLog& log) {
        std::vector<std::pair<int, int>> at;  // x and top of each bar
        for (const DrawOp& op : log.Lines()) {
            if (op.pen == loopPen) at.emplace_back(op.a.x, op.a.y + 2);
        }
        return at;
    };
    EXPECT_TRUE(marks(Paint()).empty());
    v.m_playCursor.loopFirst = 31;
    v.m_playCursor.loopLast = 34;
    const PageGeometry g = PageGeometry::Of(v);
    std::vector<std::pair<int, int>> expected;
    for (int k = 31; k <= 34; ++k) {
        const Point cell = g.CellPosition(k, 0);
        expected.emplace_back(cell.x + g.w - g.w / 20, cell.y);
    }
    EXPECT_EQ(marks(Paint()), expected);
    EXPECT_TRUE(marks(Print()).empty());
}

TEST_F(DrawScore, PrinterPageHasNoCursorNoBlankingAndTheTitleFurtherLeft) {
    v.m_cells[1] = Whole(0, 5, 0);
    v.m_cells[2] = Whole(0, 6, 0);
    v.m_title = S("曲名");
    const DrawLog log = Print();
    EXPECT_TRUE(log.Rects().empty());
    EXPECT_TRUE(log.Fills().empty());
    EXPECT_EQ(OnlyText(log, S("曲")).a, (Point{1766, -820}));
    EXPECT_EQ(OnlyText(log, S("名")).a, (Point{1766, -1020}));
    EXPECT_EQ(OnlyText(Paint(), S("曲")).a, (Point{1920, -820}));
}

TEST_F(DrawScore, PrinterUsesTheMetricMappingAndSetsNoScrollBars) {
    v.m_zoom = 300;
    const DrawLog log = Print();
    ASSERT_FALSE(log.ops.empty());
    EXPECT_EQ(std::count_if(log.ops.begin(), log.ops.end(),
                            [](const DrawOp& op) { return op.kind == DrawOp::PrinterMapping; }),
              1);
    EXPECT_EQ(std::count_if(log.ops.begin(), log.ops.end(),
                            [](const DrawOp& op) { return op.kind == DrawOp::ScreenMapping; }),
              0);
    EXPECT_EQ(h.window.vBar.max, 0);
    EXPECT_EQ(h.window.hBar.max, 0);
}

TEST_F(DrawScore, PrinterRecomputesTheLastCellWithoutRaisingIt) {
    v.m_cells[10] = Whole(0, 1, 0);
    v.m_cursorPos = 50;
    v.m_cursorCell = 7;
    Print();
    EXPECT_EQ(v.m_lastCell, 10);
    EXPECT_EQ(v.m_cursorCell, 7);
    v.m_cells[10] = ScoreCell{};
    Print();
    EXPECT_EQ(v.m_lastCell, 0);
}

TEST_F(DrawScore, PrintedPageIsTheSameAtEveryZoomAndScroll) {
    v.m_cells[1] = Whole(105, 7, 305);
    v.m_cells[40] = Split(0, 5, 0, 0, 0, 3);
    v.m_title = S("曲");
    const DrawLog at100 = Print();
    v.m_zoom = 300;
    v.m_scrollOrgX = -200;
    v.m_scrollOrgY = -90;
    const DrawLog at300 = Print();
    ASSERT_EQ(at100.ops.size(), at300.ops.size());
    for (size_t i = 0; i < at100.ops.size(); ++i) {
        EXPECT_EQ(at100.ops[i].a, at300.ops[i].a) << i;
        EXPECT_EQ(at100.ops[i].b, at300.ops[i].b) << i;
        EXPECT_EQ(at100.ops[i].text, at300.ops[i].text) << i;
    }
}

TEST_F(DrawScore, PrinterAndScreenPlaceCellsAlike) {
    v.m_cells[50] = Whole(0, 5, 0);
    v.m_cursorPos = 1;
    EXPECT_EQ(OnlyText(Print(), S("五")).a, OnlyText(Paint(), S("五")).a);
}

// ---- Pages of a printout ----------------------------------------------------------------

void ExpectSameDrawing(const DrawLog& a, const DrawLog& b) {
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) {
        const DrawOp &x = a.ops[i], &y = b.ops[i];
        EXPECT_TRUE(x.kind == y.kind && x.a == y.a && x.b == y.b && x.text == y.text &&
                    x.font == y.font && x.pen == y.pen)
            << "operation " << i;
    }
}

TEST_F(DrawScore, ThePrintoutHasAsManyPagesAsTheUsedCellsNeedFromTheFirstColumn) {
    EXPECT_EQ(v.PrintedPageCount(), 1) << "an empty score still prints";
    const std::pair<int, int> cases[] = {{1, 1},   {224, 1}, {225, 2},
                                         {448, 2}, {449, 3}, {2999, 14}};
    for (const auto& [cell, pages] : cases) {
        v.m_cells = {};
        v.m_cells[static_cast<size_t>(cell)] = Whole(0, 5, 0);
        // Neither the page shown nor the cursor far beyond the last note counts.
        v.m_topColumn = 40;
        v.m_cursorPos = 224;
        EXPECT_EQ(v.PrintedPageCount(), pages) << "last used cell " << cell;
        v.m_cells[static_cast<size_t>(cell)] = Whole(0, 0, 0, 0, 0, 0);
        v.m_cells[static_cast<size_t>(cell)].split = 1;
        EXPECT_EQ(v.PrintedPageCount(), 1) << "a split flag alone is no used cell";
    }
}

TEST_F(DrawScore, PageNShowsItsOwnColumnsTheHeaderAndItsNumber) {
    v.m_cells[1] = Whole(0, 1, 0);
    v.m_cells[225] = Whole(0, 5, 0);  // top of page 2's rightmost column
    v.m_cells[258] = Whole(0, 6, 0);  // second cell of its second column
    v.m_cells[449] = Whole(0, 7, 0);  // page 3
    v.m_title = S("曲");
    const DrawLog page2 = Print(2);
    EXPECT_EQ(OnlyText(page2, S("五")).a, LoneNoteAt(kRightColumnX, -100));
    EXPECT_EQ(OnlyText(page2, S("六")).a, LoneNoteAt(kRightColumnX - kW, -180));
    EXPECT_TRUE(page2.TextsEqual(S("一")).empty()) << "page 1's cells stay on page 1";
    for (const DrawOp& op : page2.TextsEqual(S("七"))) {
        EXPECT_LT(op.a.x, 0) << "page 3's cells lie off the paper, left of page 2";
    }
    EXPECT_EQ(OnlyText(page2, S("曲")).a, (Point{1766, -820})) << "the header on every page";
    // "2 / 3": five characters 20 wide, centred under the grid, one height below it.
    const DrawOp number = OnlyText(page2, "2 / 3");
    EXPECT_EQ(number.font, (LogicalFont{40, 20, 400, kBrush}));
    EXPECT_EQ(number.a, (Point{kX0 + (7 * kW - 100) / 2, -2724 - 40}));
    EXPECT_EQ(OnlyText(Print(3), "3 / 3").a, number.a);
    EXPECT_EQ(OnlyText(Print(3), S("七")).a, LoneNoteAt(kRightColumnX, -100));
    EXPECT_TRUE(page2.Rects().empty() && page2.Fills().empty()) << "no cursor on paper";
}

TEST_F(DrawScore, AOnePageScoreAndTheScreensPagePrintExactlyAsBefore) {
    v.m_cells[1] = Whole(105, 7, 305);
    v.m_cells[40] = Split(0, 5, 0, 0, 0, 3);
    v.m_title = S("曲名");
    // Page 1 of a one-page score is the screen's page at column 0, without a number.
    auto unnumbered = [](const DrawLog& log) {
        for (const DrawOp& op : log.Texts()) EXPECT_EQ(op.text.find(" / "), std::string::npos);
    };
    const DrawLog page1 = Print(1);
    ExpectSameDrawing(page1, Print());
    unnumbered(page1);

    // The page the screen shows prints from its own column whatever the other pages are,
    // and printing another page leaves the screen's record of the cursor alone.
    v.m_cells[162] = Whole(0, 9, 0);  // second place of the screen's page
    v.m_cells[500] = Whole(0, 8, 0);  // a third page
    v.m_topColumn = 5;
    v.m_cursorPos = 2;
    Paint();
    const Point cursor{v.m_cursorX, v.m_cursorY};
    const DrawLog screenPage = Print(0);
    EXPECT_EQ(OnlyText(screenPage, S("九")).a, LoneNoteAt(kRightColumnX, -180));
    unnumbered(screenPage);
    Print(2);
    EXPECT_EQ((Point{v.m_cursorX, v.m_cursorY}), cursor);
}

// ---- RedrawNow -------------------------------------------------------------------------------

TEST_F(DrawScore, RedrawNowSetsTransparentTextFirst) {
    const DrawLog log = Redraw();
    ASSERT_FALSE(log.ops.empty());
    EXPECT_EQ(log.ops.front().kind, DrawOp::Transparent);
}

TEST_F(DrawScore, RedrawNowFirstBlanksTheInitialBoxPlace) {
    const DrawLog log = Redraw();
    const std::vector<DrawOp> fills = log.Fills();
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].a, (Point{1460, -100}));
    EXPECT_EQ(fills[0].b, (Point{233, -83}));
}

TEST_F(DrawScore, RedrawNowBlanksThePreviousBoxAfterTheGridPenAndBeforeAnyLine) {
    v.m_cursorSlot = 3;
    Redraw();  // box at slot 3 of cell 1: remembered as the column edge - 3
    v.m_cursorPos = 40;
    v.m_cursorSlot = 1;
    const DrawLog log = Redraw();
    size_t penAt = log.ops.size(), fillAt = log.ops.size(), lineAt = log.ops.size();
    for (size_t i = 0; i < log.ops.size(); ++i) {
        const DrawOp& op = log.ops[i];
        if (op.kind == DrawOp::Pen && op.pen == kGridPen) penAt = std::min(penAt, i);
        if (op.kind == DrawOp::Fill) fillAt = std::min(fillAt, i);
        if (op.kind == DrawOp::Line) lineAt = std::min(lineAt, i);
    }
    ASSERT_LT(fillAt, log.ops.size());
    EXPECT_LT(penAt, fillAt);
    EXPECT_LT(fillAt, lineAt);
    EXPECT_EQ(log.ops[fillAt].a, (Point{1457, -100}));
    EXPECT_EQ(log.ops[fillAt].b, (Point{233, -83}));

    // Place 40: second column from the right, eighth cell: top -100 - 7 * 80.
    const DrawLog next = Redraw();
    EXPECT_EQ(next.Fills().at(0).a, (Point{1227, -660}));
}

TEST_F(DrawScore, ThePaintPassNeitherBlanksNorMovesTheRememberedBox) {
    v.m_cursorPos = 33;
    Redraw();  // remembers (1227, -100)
    v.m_cursorPos = 5;
    const DrawLog painted = Paint();
    EXPECT_TRUE(painted.Fills().empty());
    const DrawLog log = Redraw();
    EXPECT_EQ(log.Fills().at(0).a, (Point{1227, -100}));
}

TEST_F(DrawScore, RedrawNowDrawsTheScreenPage) {
    v.m_cells[3] = Whole(0, 3, 0);
    v.m_cursorPos = 3;
    const DrawLog log = Redraw();
    EXPECT_EQ(log.Rects().size(), 1u);
    EXPECT_EQ(TextsAt(log, LoneNoteAt(kRightColumnX, -260)).at(0).text, S("三"));
    // The remembered box, then the cursor cell and the cell below it.
    EXPECT_EQ(log.Fills().size(), 3u);
    EXPECT_EQ(v.m_lastCell, 3);
    EXPECT_EQ(v.m_cursorCell, 3);
    EXPECT_GT(h.window.vBar.max, 0);
}

}  // namespace
}  // namespace tabrella::test
