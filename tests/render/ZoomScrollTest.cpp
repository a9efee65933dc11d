// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom levels, scroll-bar ranges and requests, and the font commands. The numbers follow
// the screen mapping: 1000 x 600 logical units span 220 x 120 pixels at 100 %.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "base/Sjis.h"
#include "render/PageLayout.h"
#include "resources/CommandIds.h"
#include "resources/KeyCodes.h"
#include "support/CellPrinting.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using platform::ScrollBar;
using platform::ScrollRequest;

std::string S(const char* utf8) {
    return Utf8ToSjis(utf8);
}

class ZoomScroll : public ::testing::Test {
  protected:
    ViewHarness h;
    CTabrellaView& v = h.v();

    // A paint pass: sets the mapping and the scroll ranges for the current client size.
    DrawLog Paint() {
        DrawLog log;
        RecordingSurface surface(log, false);
        v.OnPaint(surface);
        return log;
    }
    void Resize(int width, int height) { h.window.client = {width, height}; }
    void Scroll(ScrollBar bar, ScrollRequest request, int track = 0) {
        v.OnScroll(bar, request, track);
    }
};

const DrawOp* Mapping(const DrawLog& log) {
    for (const DrawOp& op : log.ops) {
        if (op.kind == DrawOp::ScreenMapping) return &op;
    }
    return nullptr;
}

// ---- Screen mapping ------------------------------------------------------------------------

TEST_F(ZoomScroll, ViewportExtentsGrowWithTheZoom) {
    const int expected[][3] = {{80, 176, -96},   {90, 198, -108},  {100, 220, -120},
                               {120, 264, -144}, {150, 330, -180}, {200, 440, -240},
                               {300, 660, -360}};
    for (const auto& [zoom, x, y] : expected) {
        v.m_zoom = zoom;
        const DrawLog log = Paint();
        const DrawOp* m = Mapping(log);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->mapping[0], 1000) << zoom;
        EXPECT_EQ(m->mapping[1], 600) << zoom;
        EXPECT_EQ(m->mapping[2], x) << zoom;
        EXPECT_EQ(m->mapping[3], y) << zoom;
    }
}

TEST_F(ZoomScroll, TheScrollOffsetIsTheViewportOrigin) {
    Paint();
    v.m_scrollOrgX = -40;
    v.m_scrollOrgY = -75;
    const DrawLog log = Paint();
    EXPECT_EQ(Mapping(log)->mapping[4], -40);
    EXPECT_EQ(Mapping(log)->mapping[5], -75);
}

TEST_F(ZoomScroll, ANewClientSizeResetsBothOffsetsAndPositions) {
    Paint();
    v.m_scrollOrgX = -40;
    v.m_scrollOrgY = -75;
    v.m_hScrollPos = 8;
    v.m_vScrollPos = 15;
    Paint();  // same size: kept
    EXPECT_EQ(v.m_scrollOrgY, -75);
    EXPECT_EQ(v.m_vScrollPos, 15);

    Resize(800, 500);
    const DrawLog log = Paint();
    EXPECT_EQ(v.m_scrollOrgX, 0);
    EXPECT_EQ(v.m_scrollOrgY, 0);
    EXPECT_EQ(v.m_hScrollPos, 0);
    EXPECT_EQ(v.m_vScrollPos, 0);
    EXPECT_EQ(Mapping(log)->mapping[4], 0);
    EXPECT_EQ(Mapping(log)->mapping[5], 0);
    EXPECT_EQ(v.m_lastClientWidth, 800);
    EXPECT_EQ(v.m_lastClientHeight, 500);

    v.m_hScrollPos = 8;
    Resize(801, 500);  // a change of width alone is a new size too
    Paint();
    EXPECT_EQ(v.m_hScrollPos, 0);
}

// ---- Scroll ranges -------------------------------------------------------------------------

TEST_F(ZoomScroll, At100PercentAnd600PixelsTheVerticalBarBarelyMoves) {
    v.m_zoom = 100;
    Resize(800, 600);
    Paint();
    EXPECT_EQ(h.window.vBar.min, 0);
    EXPECT_EQ(h.window.vBar.max, 120);
    EXPECT_EQ(h.window.vBar.page, 120);  // maxPos 1
}

TEST_F(ZoomScroll, AtTheDefault120PercentThe600PixelBarHasMaxPos25) {
    Resize(800, 600);
    Paint();
    EXPECT_EQ(h.window.vBar.max - h.window.vBar.page + 1, 25);
}

TEST_F(ZoomScroll, RangesDivideThePageSizeByTheClientSizeFirst) {
    struct RangeCase {
        int zoom, width, height, hMax, vMax;
    };
    const RangeCase cases[] = {
        {100, 700, 700, 154, 96},   // 5000/700 = 7, 6000/700 = 8
        {120, 800, 600, 158, 144},  // 5000/800 = 6
        {300, 1000, 400, 330, 540}, {80, 2000, 3000, 35, 19},
        {200, 5001, 6001, 0, 0},  // the quotients are 0
    };
    for (const RangeCase& c : cases) {
        ViewHarness fresh;
        fresh.v().m_zoom = c.zoom;
        fresh.window.client = {c.width, c.height};
        DrawLog log;
        RecordingSurface surface(log, false);
        fresh.v().OnPaint(surface);
        EXPECT_EQ(fresh.window.hBar.max, c.hMax) << c.zoom << "% " << c.width;
        EXPECT_EQ(fresh.window.hBar.page, 220);
        EXPECT_EQ(fresh.window.vBar.max, c.vMax) << c.zoom << "% " << c.height;
        EXPECT_EQ(fresh.window.vBar.page, 120);
    }
}

TEST_F(ZoomScroll, AZeroSizedClientLeavesTheRangesAlone) {
    Paint();
    const platform::ScrollInfo before = h.window.vBar;
    Resize(0, 600);
    Paint();
    EXPECT_EQ(h.window.vBar.max, before.max);
    Resize(800, 0);
    Paint();
    EXPECT_EQ(h.window.vBar.max, before.max);
}

TEST_F(ZoomScroll, SettingTheRangesKeepsTheBarPosition) {
    Paint();
    h.window.vBar.pos = 7;
    Paint();
    EXPECT_EQ(h.window.vBar.pos, 7);
}

// ---- Scroll requests ----------------------------------------------------------------------

// Vertical at 120 % and 600 pixels: maxPos 25, content 720, e = 120 / 25 = 4, step 5.
TEST_F(ZoomScroll, LineDownMovesThreeUnitsOfFivePixels) {
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_vScrollPos, 3);
    EXPECT_EQ(v.m_scrollOrgY, -15);
    EXPECT_EQ(h.window.vBar.pos, 3);
    EXPECT_EQ(h.window.invalidations, 1);
    EXPECT_EQ(v.m_scrollOrgX, 0);
}

TEST_F(ZoomScroll, LineDownGoesOnWhilePosIsAtMostMaxPos) {
    Paint();
    for (int i = 0; i < 9; ++i) Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_vScrollPos, 27);  // 24 <= 25 still took a step
    EXPECT_EQ(v.m_scrollOrgY, -135);
    EXPECT_EQ(h.window.vBar.pos, 25);  // the bar shows the clamped position
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_vScrollPos, 27);
    EXPECT_EQ(v.m_scrollOrgY, -135);
    EXPECT_EQ(h.window.invalidations, 9);
}

TEST_F(ZoomScroll, LineUpMayCarryThePositionBelowZero) {
    Paint();
    v.m_vScrollPos = 1;
    v.m_scrollOrgY = -5;
    Scroll(ScrollBar::Vertical, ScrollRequest::LineUp);
    EXPECT_EQ(v.m_vScrollPos, -2);
    EXPECT_EQ(v.m_scrollOrgY, 10);
    EXPECT_EQ(h.window.vBar.pos, 0);
    Scroll(ScrollBar::Vertical, ScrollRequest::LineUp);  // pos not above 0: nothing
    EXPECT_EQ(v.m_vScrollPos, -2);
    EXPECT_EQ(v.m_scrollOrgY, 10);
    EXPECT_EQ(h.window.invalidations, 1);
}

TEST_F(ZoomScroll, PageStepsNearTheEndsGoByTheBarPosition) {
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);  // 25 - 0 < 60
    EXPECT_EQ(v.m_vScrollPos, 25);
    EXPECT_EQ(v.m_scrollOrgY, -125);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageUp);  // pos 25 < 60: back by barPos
    EXPECT_EQ(v.m_vScrollPos, 0);
    EXPECT_EQ(v.m_scrollOrgY, 0);
    EXPECT_EQ(h.window.invalidations, 2);
}

TEST_F(ZoomScroll, APageStepStartsFromTheStoredPositionButMovesByTheBarPosition) {
    Paint();
    for (int i = 0; i < 9; ++i) Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    ASSERT_EQ(v.m_vScrollPos, 27);
    ASSERT_EQ(h.window.vBar.pos, 25);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageUp);
    EXPECT_EQ(v.m_vScrollPos, 2);
    EXPECT_EQ(v.m_scrollOrgY, -135 + 25 * 5);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);  // pos 2, barPos 2
    EXPECT_EQ(v.m_vScrollPos, 25);
    EXPECT_EQ(v.m_scrollOrgY, -10 - 23 * 5);
}

// 300 % and 600 pixels: maxPos 241, content 1800, e = 1200 / 241 = 4, step 5.
TEST_F(ZoomScroll, FullPageStepsAreSixtyUnits) {
    v.m_zoom = 300;
    Paint();
    ASSERT_EQ(h.window.vBar.max - h.window.vBar.page + 1, 241);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);
    EXPECT_EQ(v.m_vScrollPos, 60);
    EXPECT_EQ(v.m_scrollOrgY, -300);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);
    EXPECT_EQ(v.m_vScrollPos, 180);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);  // 61 left: still a full page
    EXPECT_EQ(v.m_vScrollPos, 240);
    EXPECT_EQ(v.m_scrollOrgY, -1200);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);  // 1 left: maxPos - barPos
    EXPECT_EQ(v.m_vScrollPos, 241);
    EXPECT_EQ(v.m_scrollOrgY, -1205);
    Scroll(ScrollBar::Vertical, ScrollRequest::PageUp);
    EXPECT_EQ(v.m_vScrollPos, 181);
    EXPECT_EQ(v.m_scrollOrgY, -905);
}

TEST_F(ZoomScroll, PageDownPastMaxPosDoesNothing) {
    v.m_zoom = 300;
    Paint();
    v.m_vScrollPos = 242;
    v.m_scrollOrgY = -1210;
    Scroll(ScrollBar::Vertical, ScrollRequest::PageDown);
    EXPECT_EQ(v.m_vScrollPos, 242);
    EXPECT_EQ(v.m_scrollOrgY, -1210);
    EXPECT_EQ(h.window.invalidations, 0);
}

TEST_F(ZoomScroll, ThumbTrackGoesToTheTrackPosition) {
    v.m_zoom = 300;
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::ThumbTrack, 100);
    EXPECT_EQ(v.m_vScrollPos, 100);
    EXPECT_EQ(v.m_scrollOrgY, -500);
    EXPECT_EQ(h.window.vBar.pos, 100);
    Scroll(ScrollBar::Vertical, ScrollRequest::ThumbTrack, 0);
    EXPECT_EQ(v.m_scrollOrgY, 0);
    EXPECT_EQ(h.window.invalidations, 2);
}

TEST_F(ZoomScroll, OtherRequestsOnlySetTheBarToThePosition) {
    v.m_zoom = 300;
    Paint();
    v.m_vScrollPos = 30;
    v.m_scrollOrgY = -150;
    for (ScrollRequest r : {ScrollRequest::ThumbPosition, ScrollRequest::Top, ScrollRequest::Bottom,
                            ScrollRequest::EndScroll}) {
        h.window.vBar.pos = 99;
        Scroll(ScrollBar::Vertical, r, 77);
        EXPECT_EQ(v.m_vScrollPos, 30);
        EXPECT_EQ(v.m_scrollOrgY, -150);
        EXPECT_EQ(h.window.vBar.pos, 30);
    }
    EXPECT_EQ(h.window.invalidations, 0);
}

// Horizontal at 300 % and 800 pixels: max 220 * 300 * 6 / 1000 = 396, maxPos 177,
// content 1500, e = 700 / 177 = 3, step 4.
TEST_F(ZoomScroll, TheHorizontalBarUsesTheWidthAndItsOwnFields) {
    v.m_zoom = 300;
    Paint();
    ASSERT_EQ(h.window.hBar.max - h.window.hBar.page + 1, 177);
    Scroll(ScrollBar::Horizontal, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_hScrollPos, 3);
    EXPECT_EQ(v.m_scrollOrgX, -12);
    Scroll(ScrollBar::Horizontal, ScrollRequest::PageDown);
    EXPECT_EQ(v.m_hScrollPos, 63);
    EXPECT_EQ(v.m_scrollOrgX, -252);
    Scroll(ScrollBar::Horizontal, ScrollRequest::ThumbTrack, 150);
    EXPECT_EQ(v.m_scrollOrgX, -600);
    EXPECT_EQ(h.window.hBar.pos, 150);
    EXPECT_EQ(v.m_vScrollPos, 0);
    EXPECT_EQ(v.m_scrollOrgY, 0);
    EXPECT_EQ(h.window.vBar.pos, 0);
}

// 100 % and 600 pixels: maxPos 1 and e = 0, so one pixel per unit.
TEST_F(ZoomScroll, WithMaxPosOneTheBarBarelyMoves) {
    v.m_zoom = 100;
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_vScrollPos, 3);
    EXPECT_EQ(v.m_scrollOrgY, -3);
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_vScrollPos, 3);
}

TEST_F(ZoomScroll, ARequestIsIgnoredWhenMaxPosIsNotPositive) {
    // At 120 % the horizontal bar of an 800-pixel window has max 158 and page 220.
    Paint();
    h.window.hBar.pos = 0;
    for (ScrollRequest r : {ScrollRequest::LineDown, ScrollRequest::PageDown,
                            ScrollRequest::ThumbTrack, ScrollRequest::LineUp}) {
        v.m_hScrollPos = 5;
        Scroll(ScrollBar::Horizontal, r, 40);
        EXPECT_EQ(v.m_hScrollPos, 5);
        EXPECT_EQ(v.m_scrollOrgX, 0);
    }
    EXPECT_EQ(h.window.invalidations, 0);

    v.m_zoom = 100;
    Resize(800, 700);  // vertical max 96 < page 120
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::ThumbTrack, 3);
    EXPECT_EQ(v.m_vScrollPos, 0);
    EXPECT_EQ(v.m_scrollOrgY, 0);
}

TEST_F(ZoomScroll, TheNextPaintDrawsWithTheNewOrigin) {
    Paint();
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    const DrawLog log = Paint();
    EXPECT_EQ(Mapping(log)->mapping[5], -15);
}

// ---- Zoom commands -------------------------------------------------------------------------

struct ZoomItem {
    int id;
    int percent;
};
const ZoomItem kZoomItems[] = {{cmd::kZoom80, 80},   {cmd::kZoom90, 90},   {cmd::kZoom100, 100},
                               {cmd::kZoom120, 120}, {cmd::kZoom150, 150}, {cmd::kZoom200, 200},
                               {cmd::kZoom300, 300}};

TEST_F(ZoomScroll, EachZoomItemSetsItsZoomAndRedrawsAtOnce) {
    for (const ZoomItem& item : kZoomItems) {
        const int surfaces = h.window.surfacesTaken;
        EXPECT_TRUE(v.OnCommand(item.id));
        EXPECT_EQ(v.m_zoom, item.percent);
        EXPECT_GT(h.window.surfacesTaken, surfaces);
        const DrawOp* m = Mapping(h.window.immediate);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->mapping[2], 220 * item.percent / 100);
        EXPECT_EQ(m->mapping[3], -120 * item.percent / 100);
        EXPECT_EQ(h.window.vBar.max, 120 * item.percent * 10 / 1000);
    }
}

TEST_F(ZoomScroll, AllSevenItemsAreCheckedWhenTheZoomEqualsTheirValue) {
    for (const ZoomItem& chosen : kZoomItems) {
        v.OnCommand(chosen.id);
        for (const ZoomItem& item : kZoomItems) {
            const platform::CommandState state = v.OnUpdateCommand(item.id);
            EXPECT_TRUE(state.handled);
            EXPECT_EQ(state.checked, item.id == chosen.id)
                << "item " << item.percent << " after choosing " << chosen.percent;
        }
    }
}

TEST_F(ZoomScroll, TheDefaultZoomChecks120) {
    EXPECT_TRUE(v.OnUpdateCommand(cmd::kZoom120).checked);
    EXPECT_FALSE(v.OnUpdateCommand(cmd::kZoom100).checked);
}

TEST_F(ZoomScroll, Zoom100BringsThePageBackToTheLeftEdge) {
    v.m_zoom = 300;
    Paint();
    Scroll(ScrollBar::Horizontal, ScrollRequest::PageDown);
    ASSERT_NE(v.m_scrollOrgX, 0);
    v.OnCommand(cmd::kZoom100);
    EXPECT_EQ(v.m_hScrollPos, 0);
    EXPECT_EQ(v.m_scrollOrgX, 0);
    EXPECT_EQ(h.window.hBar.pos, 0);
    EXPECT_EQ(Mapping(h.window.immediate)->mapping[4], 0);
}

// From any scrolled place at any zoom to any other zoom: a position still within the new
// range is kept with its origin; one past it is brought in, and scrolling back always
// reaches the page's top-left corner.
TEST_F(ZoomScroll, NoZoomItemStrandsThePage) {
    for (const ZoomItem& from : kZoomItems) {
        for (const ZoomItem& to : kZoomItems) {
            for (int pages = 1; pages <= 3; ++pages) {
                SCOPED_TRACE(std::to_string(from.percent) + " -> " + std::to_string(to.percent) +
                             " after " + std::to_string(pages) + " page downs");
                ViewHarness fresh;
                CTabrellaView& w = fresh.v();
                w.m_zoom = from.percent;
                fresh.Paint();
                for (int i = 0; i < pages; ++i) {
                    w.OnScroll(ScrollBar::Horizontal, ScrollRequest::PageDown, 0);
                    w.OnScroll(ScrollBar::Vertical, ScrollRequest::PageDown, 0);
                }
                const int posX = w.m_hScrollPos, posY = w.m_vScrollPos;
                const int orgX = w.m_scrollOrgX, orgY = w.m_scrollOrgY;
                w.OnCommand(to.id);
                for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
                    const bool vertical = bar == ScrollBar::Vertical;
                    const platform::ScrollInfo info = fresh.window.GetScrollInfo(bar);
                    const int maxPos = std::max(info.max - info.page + 1, 0);
                    const int pos = vertical ? w.m_vScrollPos : w.m_hScrollPos;
                    EXPECT_GE(pos, 0);
                    EXPECT_LE(pos, maxPos);
                    EXPECT_EQ(info.pos, pos);
                    const int before = vertical ? posY : posX;
                    if (before <= maxPos && (vertical || to.percent != 100)) {
                        EXPECT_EQ(pos, before);
                    }
                    if (from.percent == to.percent && (vertical || to.percent != 100)) {
                        EXPECT_EQ(vertical ? w.m_scrollOrgY : w.m_scrollOrgX,
                                  vertical ? orgY : orgX);
                    }
                    // Both edges of the page can be reached from here.
                    const int content = (vertical ? 600 : 500) * to.percent / 100;
                    const int client = vertical ? 600 : 800;
                    int& org = vertical ? w.m_scrollOrgY : w.m_scrollOrgX;
                    for (int i = 0; i < 200; ++i) w.OnScroll(bar, ScrollRequest::LineDown, 0);
                    EXPECT_LE(org, std::min(client - content, 0));
                    for (int i = 0; i < 400; ++i) w.OnScroll(bar, ScrollRequest::LineUp, 0);
                    EXPECT_GE(org, 0);
                }
            }
        }
    }
}

// ---- Wheel: zoom steps and the pixels of a line -------------------------------------------

TEST_F(ZoomScroll, ZoomStepsGoThroughTheMenuLevelsAndStopAtTheEnds) {
    struct Step {
        int from, steps, to;
    };
    const Step cases[] = {
        {80, 1, 90},   {90, 1, 100},   {100, 1, 120},   {120, 1, 150}, {150, 1, 200}, {200, 1, 300},
        {300, 1, 300}, {120, -1, 100}, {80, -1, 80},    {120, 2, 200}, {120, -9, 80}, {120, 9, 300},
        {130, 1, 150}, {130, -1, 120}, {1000, -1, 300}, {10, 1, 80},   {150, 0, 150},
    };
    for (const Step& c : cases) {
        ViewHarness fresh;
        fresh.v().m_zoom = c.from;
        fresh.v().OnZoomStep(c.steps);
        EXPECT_EQ(fresh.v().m_zoom, c.to) << c.from << " by " << c.steps;
        // A step that changes the zoom redraws as the menu item does; one that cannot, nothing.
        EXPECT_EQ(fresh.window.surfacesTaken > 0, c.to != c.from) << c.from << " by " << c.steps;
    }
}

TEST_F(ZoomScroll, ALineIsThreeScrollUnitsOfPixels) {
    Paint();  // 120 %, 600 pixels high: e = 4, so a unit is 5 pixels and a line 15
    EXPECT_EQ(v.LinePixels(ScrollBar::Vertical), 15);
    Scroll(ScrollBar::Vertical, ScrollRequest::LineDown);
    EXPECT_EQ(v.m_scrollOrgY, -v.LinePixels(ScrollBar::Vertical));
    // Horizontal: 800 wide at 120 %: max 220 * 120 * 6 / 1000 = 158, maxPos 158 - 220 + 1 < 0.
    EXPECT_EQ(v.LinePixels(ScrollBar::Horizontal), 0);
    v.m_zoom = 300;
    Paint();  // content 1500 wide: max 396, maxPos 177, e = 700 / 177 = 3
    EXPECT_EQ(v.LinePixels(ScrollBar::Horizontal), 12);
}

// Whatever the zoom and the window size, after every key, go to top or end and undo the
// cursor's cell is drawn inside the window: the view scrolls to it.
TEST_F(ZoomScroll, TheCursorStaysInViewOverRandomZoomsSizesAndKeys) {
    std::mt19937 random(30);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int keys[] = {vk::kDown,   vk::kDown,     vk::kDown,   vk::kUp,       vk::kLeft,
                        vk::kRight,  vk::kPageDown, vk::kPageUp, vk::kHome,     vk::kEnd,
                        vk::kDigit1, vk::kSpace,    vk::kInsert, vk::kOemPeriod};
    const int commands[] = {cmd::kGoToTop, cmd::kGoToEnd, cmd::kEditUndo};
    for (int run = 0; run < 30; ++run) {
        ViewHarness fresh;
        CTabrellaView& w = fresh.v();
        for (int step = 0; step < 120; ++step) {
            if (pick(0, 15) == 0) w.OnCommand(kZoomItems[pick(0, 6)].id);
            if (pick(0, 15) == 0) fresh.window.client = {pick(240, 1400), pick(160, 1000)};
            if (pick(0, 10) == 0) {
                w.OnCommand(commands[pick(0, 2)]);
            } else {
                w.OnKeyDown(keys[pick(0, std::size(keys) - 1)]);
            }
            DrawLog log;
            RecordingSurface surface(log, false);
            w.OnPaint(surface);
            const DrawOp* m = Mapping(log);
            ASSERT_NE(m, nullptr);
            // Go to end may leave the cursor past the page shown, on no cell of it.
            if (w.m_cursorPos > w.m_columnsPerPage * 32) continue;
            // The cursor's cell as the page places it, in pixels of the window.
            const PageGeometry g = PageGeometry::Of(w);
            const platform::Point cell = g.PagePosition(w.m_cursorPos);
            const int left = m->mapping[4] + cell.x * m->mapping[2] / 1000;
            const int right = m->mapping[4] + (cell.x + g.w) * m->mapping[2] / 1000;
            const int top = m->mapping[5] + cell.y * m->mapping[3] / 600;
            const int bottom = m->mapping[5] + (cell.y - g.CellHeight()) * m->mapping[3] / 600;
            const platform::ClientSize c = fresh.window.client;
            const std::string at = "run " + std::to_string(run) + " step " + std::to_string(step) +
                                   " zoom " + std::to_string(w.m_zoom) + " window " +
                                   std::to_string(c.width) + "x" + std::to_string(c.height) +
                                   " place " + std::to_string(w.m_cursorPos);
            ASSERT_GE(left, -1) << at;
            ASSERT_LE(right, c.width + 1) << at;
            ASSERT_GE(top, -1) << at;
            ASSERT_LE(bottom, c.height + 1) << at;
        }
    }
}

// A window that keeps what every surface drew, erased or not.
class KeepingWindow : public FakeWindow {
  public:
    DrawLog all;
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override {
        ++surfacesTaken;
        if (erase) all.ops.push_back({DrawOp::Transparent, {-1, -1}});  // marks an erase
        return std::make_unique<RecordingSurface>(all);
    }
};

TEST(ZoomCommand, FillsTheWholeClientAreaWhiteBeforeRedrawing) {
    KeepingWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    CTabrellaView view(platform::Services{window, dialogs, sequencer});
    window.client = {640, 480};
    view.OnCommand(cmd::kZoom200);
    const auto fill = std::find_if(window.all.ops.begin(), window.all.ops.end(),
                                   [](const DrawOp& op) { return op.kind == DrawOp::DeviceFill; });
    ASSERT_NE(fill, window.all.ops.end());
    EXPECT_EQ(fill->b, (platform::Point{640, 480}));
    const auto mapping =
        std::find_if(window.all.ops.begin(), window.all.ops.end(),
                     [](const DrawOp& op) { return op.kind == DrawOp::ScreenMapping; });
    EXPECT_LT(fill - window.all.ops.begin(), mapping - window.all.ops.begin());
}

// ---- Fonts ------------------------------------------------------------------------------

// The platform's font dialog as a user leaves it: the whole record rewritten.
class FontHost : public ScriptedDialogHost {
  public:
    std::vector<platform::FontRecord> opened;
    std::vector<std::optional<platform::FontRecord>> answers;

    bool FontDialog(platform::FontRecord& font) override {
        opened.push_back(font);
        if (answers.empty() || !answers.front()) {
            if (!answers.empty()) answers.erase(answers.begin());
            return false;
        }
        font = *answers.front();
        answers.erase(answers.begin());
        return true;
    }
};

platform::FontRecord Choice(const char* faceUtf8, int height, int weight, int italic) {
    platform::FontRecord r;
    r.height = height;
    r.weight = weight;
    r.italic = static_cast<std::uint8_t>(italic);
    r.charSet = 128;
    r.faceName = S(faceUtf8);
    return r;
}

class FontCommands : public ::testing::Test {
  protected:
    FakeWindow window;
    FontHost dialogs;
    FakeSequencer sequencer;
    CTabrellaView view{platform::Services{window, dialogs, sequencer}};
};

TEST_F(FontCommands, TheViewStartsWithTheGothicFace) {
    EXPECT_EQ(view.m_fontFace, S("ＭＳ ゴシック"));
}

TEST_F(FontCommands, ConfirmingTakesOnlyTheFaceAndRepaints) {
    dialogs.answers = {Choice("IPAexMincho", -400, 700, 1)};
    EXPECT_TRUE(view.OnCommand(cmd::kFontDialog));
    ASSERT_EQ(dialogs.opened.size(), 1u);
    EXPECT_EQ(dialogs.opened[0].faceName, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(view.m_fontFace, "IPAexMincho");
    EXPECT_EQ(window.invalidations, 1);

    // The drawing keeps its fixed sizes; only the face changes.
    view.m_cells[1].first[2] = 5;
    view.m_cursorPos = 2;
    DrawLog log;
    RecordingSurface surface(log, false);
    view.OnPaint(surface);
    const std::vector<DrawOp> five = log.TextsEqual(S("五"));
    ASSERT_EQ(five.size(), 1u);
    EXPECT_EQ(five[0].font, (platform::LogicalFont{60, 25, 400, "IPAexMincho"}));
}

TEST_F(FontCommands, ReopeningShowsThePGothicFaceWithTheLastChosenRest) {
    dialogs.answers = {Choice("IPAexMincho", -400, 700, 1), std::nullopt};
    view.OnCommand(cmd::kFontDialog);
    view.OnCommand(cmd::kFontDialog);
    ASSERT_EQ(dialogs.opened.size(), 2u);
    const platform::FontRecord& second = dialogs.opened[1];
    EXPECT_EQ(second.faceName, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(second.height, -400);
    EXPECT_EQ(second.weight, 700);
    EXPECT_EQ(second.italic, 1);
    EXPECT_EQ(second.charSet, 128);
}

TEST_F(FontCommands, CancellingChangesNothing) {
    view.m_fontFace = S("MS Pゴシック");
    dialogs.answers = {std::nullopt};
    view.OnCommand(cmd::kFontDialog);
    EXPECT_EQ(dialogs.opened.size(), 1u);
    EXPECT_EQ(view.m_fontFace, S("MS Pゴシック"));
    EXPECT_EQ(window.invalidations, 0);
}

TEST_F(FontCommands, DefaultFontIsTheHalfWidthPGothicFace) {
    view.m_fontFace = "IPAexMincho";
    EXPECT_TRUE(view.OnCommand(cmd::kDefaultFont));
    EXPECT_EQ(SjisToUtf8(view.m_fontFace), "MS Pゴシック");
    EXPECT_NE(view.m_fontFace, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(window.invalidations, 1);
}

TEST_F(FontCommands, TheChosenFaceIsTheOneNewAndOpenReturnTo) {
    dialogs.answers = {Choice("IPAexMincho", -400, 700, 1)};
    view.OnCommand(cmd::kFontDialog);
    view.OnCommand(cmd::kFileNew);
    EXPECT_EQ(view.m_fontFace, "IPAexMincho");
    view.OnCommand(cmd::kDefaultFont);
    view.m_fontFace = "x";
    view.OnCommand(cmd::kFileNew);
    EXPECT_EQ(view.m_fontFace, S("MS Pゴシック"));
}

TEST(FontDialogScript, TheScriptedHostReceivesTheFaceWrittenBeforeOpening) {
    ViewHarness h;
    h.dialogs.AnswerFont(S("ＭＳ 明朝"));
    h.v().OnCommand(cmd::kFontDialog);
    ASSERT_EQ(h.dialogs.fontRequests.size(), 1u);
    EXPECT_EQ(h.dialogs.fontRequests[0].faceName, S("ＭＳ Ｐゴシック"));
    EXPECT_EQ(h.v().m_fontFace, S("ＭＳ 明朝"));
    EXPECT_TRUE(h.dialogs.AllScriptsUsed());
}

}  // namespace
}  // namespace tabrella::test
