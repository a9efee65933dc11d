// SPDX-License-Identifier: GPL-3.0-or-later
// DrawScore: the one routine that draws the page for the paint pass, RedrawNow and the
// printer. Steps follow the order in which the picture is built up.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "render/CellText.h"
#include "render/HeaderText.h"
#include "render/PageLayout.h"
#include "resources/ExportTexts.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"

namespace tabrella {

using platform::IDrawSurface;
using platform::LogicalFont;
using platform::Pen;
using platform::Point;

// The fonts of one page drawing, all cell texts in the view's face.
struct PageFonts {
    LogicalFont note, noteNarrow, half, halfNarrow, overlay, halfOverlay;
    LogicalFont tuning, baseTone, tempo, pageNumber;

    explicit PageFonts(const std::string& face) {
        const std::string& brush = res::Sjis(res::Txt::FontBrush);
        note = {60, 25, 400, face};
        noteNarrow = {60, 14, 200, face};
        half = {30, 25, 200, face};
        halfNarrow = {30, 14, 200, face};
        overlay = {25, 14, 400, face};
        halfOverlay = {14, 14, 400, face};
        tuning = {90, 0, 400, brush};
        baseTone = {80, 0, 400, brush};
        tempo = {60, 0, 400, brush};
        // A set width, so that the number can be centred by its length.
        pageNumber = {40, 20, 400, brush};
    }
};

namespace {

const Pen kGridPen{2, {0, 0, 0}};
const Pen kCursorPen{2, {255, 0, 0}};
// The bar down the right edge of the cells a loop plays over and over.
const Pen kLoopPen{2, {0, 90, 200}};

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Text, count of sounding slots, count of modified slots, offset and overlay of a half.
struct HalfText {
    std::string text;
    std::string overlay;
    int n = 0;
    int m = 0;
    int offset = 0;
};

HalfText LayoutHalf(const std::int32_t* slots, int w) {
    HalfText h;
    const std::string& no = res::Sjis(res::Txt::OverlayNo);
    const std::string& space = res::Sjis(res::Txt::FullWidthSpace);
    for (int j = 1; j <= 3; ++j) {
        const int v = slots[j];
        h.text += CellText(v);
        if (v > 0) ++h.n;
        if (InRange(v, slot::kWo, slot::kReserved)) ++h.m;
        // One full-width unit per character of the text, "ノ" where "ォ" stands.
        if (slot::IsSmallO(v)) h.overlay += no;
        if (slot::StringPart(v) > 0) h.overlay += space;
        if (slot::IsWoOrO(v)) h.overlay += space;
    }
    if (h.n == 1 || h.n == 2) {
        h.offset = w / 3;
    } else if (h.n == 3) {
        h.offset = w / 6;
    }
    if (h.m == 1 && h.n == 2) h.offset = w / 4;
    if (h.m >= 2) h.offset = w / 20;
    return h;
}

void DrawCell(IDrawSurface& s, const ScoreCell& cell, Point at, const PageGeometry& g,
              const PageFonts& f) {
    const int x = at.x + g.TextInset(), y = at.y;
    const HalfText first = LayoutHalf(cell.first, g.w);
    const Point main{x + first.offset, y - g.TextDrop()};
    const int f2 = cell.first[2];

    if (slot::IsRestMark(f2)) {  // a rest in the centre slot
        s.SelectFont(f.note);
        s.Text(main, first.text);
        if (slot::IsDottedRest(f2)) s.Text(main, res::Sjis(res::Txt::RestDot));
        return;
    }
    if (!cell.IsSplit()) {
        s.SelectFont(first.n != 1 || first.m != 0 ? f.noteNarrow : f.note);
        s.Text(main, first.text);
        s.SelectFont(f.overlay);
        s.Text(main, first.overlay);
        return;
    }
    s.SelectFont(first.n != 1 || first.m != 0 || f2 >= slot::kRepeat ? f.halfNarrow : f.half);
    s.Text(main, first.text);
    s.SelectFont(f.halfOverlay);
    s.Text({main.x, y - g.HalfOverlayDrop()}, first.overlay);

    HalfText second = LayoutHalf(cell.second, g.w);
    bool narrow = second.n != 1 || second.m != 0 || cell.second[2] >= slot::kRepeat;
    const bool firstEmpty = cell.first[1] == 0 && cell.first[2] == 0 && cell.first[3] == 0;
    if (firstEmpty && second.n == 1 && cell.second[1] < slot::kWo && cell.second[2] < slot::kWo &&
        cell.second[3] < slot::kWo) {
        narrow = true;
        second.text = "   " + second.text;
    }
    const int sx = x + second.offset;
    s.SelectFont(narrow ? f.halfNarrow : f.half);
    s.Text({sx, y - g.SecondHalfDrop()}, second.text);
    s.SelectFont(f.halfOverlay);
    s.Text({sx, y - g.SecondOverlayDrop()}, second.overlay);
}

// The cursor cell again, each slot in its own third of the column.
void DrawCursorCellSlots(IDrawSurface& s, const ScoreCell& cell, Point at, const PageGeometry& g,
                         const PageFonts& f) {
    const int y = at.y;
    auto slotX = [&](int j) { return at.x + g.TextInset() + (j - 1) * g.SlotWidth(); };
    const std::string& no = res::Sjis(res::Txt::OverlayNo);
    const int f2 = cell.first[2];
    // A whole cell's texts sit 3 units higher than in the run-together drawing.
    const int wholeY = y - g.TextDrop() - 3;
    if (slot::IsRestMark(f2)) {
        s.SelectFont(f.note);
        s.Text({slotX(2), wholeY}, CellText(f2));
        if (slot::IsDottedRest(f2)) s.Text({slotX(2), wholeY}, res::Sjis(res::Txt::RestDot));
        return;
    }
    if (!cell.IsSplit()) {
        for (int j = 1; j <= 3; ++j) {
            const int v = cell.first[j];
            s.SelectFont(slot::IsPressed(v) ? f.noteNarrow : f.note);
            s.Text({slotX(j), wholeY}, CellText(v));
            if (slot::IsSmallO(v)) {
                s.SelectFont(f.overlay);
                s.Text({slotX(j), y - g.TextDrop()}, no);
            }
        }
        return;
    }
    auto drawHalf = [&](const std::int32_t* slots, int ty) {
        for (int j = 1; j <= 3; ++j) {
            const int v = slots[j];
            s.SelectFont(v >= slot::kWo ? f.halfNarrow : f.half);
            s.Text({slotX(j), ty}, CellText(v));
            if (slot::IsSmallO(v)) {
                s.SelectFont(f.halfOverlay);
                s.Text({slotX(j), ty}, no);
            }
        }
    };
    drawHalf(cell.first, y - g.TextDrop());
    drawHalf(cell.second, y - g.SecondHalfDrop() - g.TextDrop());
}

// Grid lines with the black pen, then the half-row ticks with the default pen. RedrawNow
// first blanks the box it drew last time, so that the grid goes over it. Drawing a band,
// the upright lines and ticks a column or more off it are left out (the band clips them).
void DrawGrid(IDrawSurface& s, const PageGeometry& g, const Point* lastBox,
              const std::optional<CTabrellaView::Band>& band) {
    const auto offBand = [&](int x1, int x2) {
        return band && (x2 < band->left - g.w || x1 > band->right + g.w);
    };
    s.SelectPen(kGridPen);
    if (lastBox) s.FillWhite(*lastBox, g.w + 3, -3 - g.CellHeight());
    const int left = g.ColumnsLeft(), right = g.ColumnsRight();
    for (int i = 0; i <= g.rows; ++i) {
        const int yi = g.RowLine(i);
        s.Line({left, yi}, {right, yi});
        if (i % 4 == 0) s.Line({left, yi + g.MeasureGap()}, {right, yi + g.MeasureGap()});
    }
    for (int i = 0; i <= g.columns; ++i) {
        const int x = left + i * g.w;
        if (offBand(x, x)) continue;
        s.Line({x, g.y0 + g.MeasureGap()}, {x, g.GridBottom() - 1});
    }
    s.SelectPen(Pen::Default());
    for (int j = 0; j < g.columns; ++j) {
        if (offBand(left + j * g.w, left + j * g.w + (3 * g.w) / 5)) continue;
        for (int i = 0; i < g.rows; ++i) {
            const int t = g.RowLine(i) - g.CellHeight();
            s.Line({left + j * g.w, t}, {left + j * g.w + (3 * g.w) / 5, t});
        }
    }
}

// "n / N" centred under the grid.
void DrawPageNumber(IDrawSurface& s, const PageGeometry& g, const PageFonts& f, int page,
                    int count) {
    char text[64];
    std::snprintf(text, sizeof text, res::Sjis(res::ExportTxt::PageNumberFormat).c_str(), page,
                  count);
    const int width = static_cast<int>(std::strlen(text)) * f.pageNumber.width;
    s.SelectFont(f.pageNumber);
    s.Text(g.PageNumberAnchor(width, f.pageNumber.height), text);
}

}  // namespace

void CTabrellaView::OnPaint(platform::IDrawSurface& surface) {
    DrawScore(surface);
}

void CTabrellaView::DrawScore(platform::IDrawSurface& surface, int printedPage) {
    if (printedPage >= 1 && surface.IsPrinter()) {
        const int pageColumn = m_columnsPerPage * (printedPage - 1);
        DrawPage(surface, false, pageColumn, PrintedPageCount() > 1 ? printedPage : 0);
    } else {
        DrawPage(surface, false, m_topColumn, 0);
    }
}

int CTabrellaView::PrintedPageCount() const {
    const int cellsPerPage = kCellsPerColumn * std::max(m_columnsPerPage, 1);
    return std::max(1, (LastUsedCell() + cellsPerPage - 1) / cellsPerPage);
}

platform::PrintPages CTabrellaView::PrintedPages() {
    std::string pdf;
    if (!m_filePath.empty()) {
        // Beside the score, under its name: the folder the user works in, not the home.
        const size_t slash = m_filePath.rfind('/');
        const size_t dot = m_filePath.rfind('.');
        const bool ending =
            dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
        pdf = (ending ? m_filePath.substr(0, dot) : m_filePath) + ".pdf";
    }
    return {PrintedPageCount(), [this](platform::IDrawSurface& s, int page) { DrawScore(s, page); },
            m_title, pdf};
}

void CTabrellaView::RedrawNow() {
    std::unique_ptr<platform::IDrawSurface> surface = m_services.window.GetSurface(true);
    surface->SetTransparentText();
    DrawPage(*surface, true, m_topColumn, 0);
}

void CTabrellaView::RedrawAround(std::initializer_list<int> places) {
    const PageGeometry g = PageGeometry::Of(*this);
    int left = INT_MAX;
    int right = INT_MIN;
    for (const int place : places) {
        const int x = g.PagePosition(place).x;
        left = std::min(left, x - g.w);
        right = std::max(right, x + 2 * g.w);
    }
    std::unique_ptr<platform::IDrawSurface> surface = m_services.window.GetSurface(false);
    surface->SetTransparentText();
    const int orgX = m_scrollOrgX, orgY = m_scrollOrgY;
    SetUpScreenMapping(*surface);
    // The whole page is drawn all the same: the band's pixels are then those of a redraw,
    // and what the key changed can reach no further than a column. Once the view scrolled
    // (to the cursor), every pixel moved.
    const bool scrolled = orgX != m_scrollOrgX || orgY != m_scrollOrgY;
    if (scrolled || !surface->LimitToBand(left, right)) {
        surface.reset();
        RedrawNow();
        return;
    }
    m_drawBand = Band{left, right};
    DrawPage(*surface, true, m_topColumn, 0);
    m_drawBand.reset();
}

// `topColumn` is the page's first column: m_topColumn on the screen, any page on paper.
// `pageNumber` 0 draws no page number.
void CTabrellaView::DrawPage(platform::IDrawSurface& s, bool immediate, int topColumn,
                             int pageNumber) {
    const bool printer = s.IsPrinter();
    const PageGeometry g = PageGeometry::Of(*this);
    const PageFonts f(m_fontFace);
    if (printer) {
        s.SetPrinterMapping();
    } else {
        SetUpScreenMapping(s);
    }
    const Point lastBox{m_lastBoxX, m_lastBoxY};
    DrawGrid(s, g, immediate ? &lastBox : nullptr, m_drawBand);
    s.SetTransparentText();
    m_lastCell = LastUsedCell();
    DrawPageCells(s, g, f, topColumn);
    if (!printer) DrawCursor(s, g, f, immediate);
    // The header's texts start at the last column and run rightwards: a band two columns
    // short of it does not reach them.
    if (!m_drawBand || m_drawBand->right >= g.ColumnsRight() - 2 * g.w) {
        DrawHeader(s, g, f, pageNumber);
    }
}

void CTabrellaView::DrawPageCells(platform::IDrawSurface& s, const PageGeometry& g,
                                  const PageFonts& f, int topColumn) {
    // The column after the page is drawn too, as a long text there reaches into the page;
    // the clip keeps every text within the page's columns, off the margins.
    s.ClipTo({g.ColumnsLeft(), g.y0 + g.h}, {g.ColumnsRight(), g.GridBottom() - g.h});
    const int firstCell = kCellsPerColumn * topColumn + 1;
    const int cursorCell = CursorCell();
    const int drawnEnd = std::min(m_lastCell, firstCell - 1 + g.CellsPerPage() + 2 * g.rows);
    for (int k = firstCell; k <= drawnEnd; ++k) {
        const Point at = g.CellPosition(k, topColumn);
        // A cell's texts reach into the next column at most.
        if (m_drawBand && (at.x + 2 * g.w < m_drawBand->left || at.x - g.w > m_drawBand->right)) {
            continue;
        }
        DrawCell(s, m_cells[k], at, g, f);
        if (k == cursorCell && !s.IsPrinter()) {
            // Blank the cell (and the lower one of its row) for the slot-by-slot redraw.
            s.FillWhite({at.x + 5, at.y - 5}, g.w - 5, 5 - g.CellHeight());
            if (m_cursorPos % 2 == 1) {
                s.FillWhite({at.x + 5, at.y - g.CellHeight() - 5}, g.w - 5, 5 - g.CellHeight());
            }
        }
    }
    if (!s.IsPrinter() && m_playCursor.loopLast != 0) {
        // The cells a playing loop goes over, empty ones too.
        s.SelectPen(kLoopPen);
        const int last = std::min(m_playCursor.loopLast, firstCell + g.CellsPerPage() - 1);
        for (int k = std::max(m_playCursor.loopFirst, firstCell); k <= last; ++k) {
            const Point at = g.CellPosition(k, topColumn);
            const int x = at.x + g.w - g.w / 20;
            s.Line({x, at.y - 2}, {x, at.y - g.CellHeight() + 2});
        }
        s.SelectPen(Pen::Default());
    }
    s.ClipOff();
    // Only the page the screen shows holds the cursor.
    if (topColumn == m_topColumn && cursorCell >= firstCell && cursorCell <= m_lastCell) {
        const Point at = g.CellPosition(cursorCell, topColumn);
        m_cursorX = at.x;
        m_cursorY = at.y;
    }
}

void CTabrellaView::DrawCursor(platform::IDrawSurface& s, const PageGeometry& g, const PageFonts& f,
                               bool immediate) {
    // The end of the score never names a cell past 2999, even with the cursor beyond the
    // last cell after go to end: saving and playing read cells up to it.
    if (m_lastCell < m_cursorPos) m_lastCell = std::min(m_cursorPos, kLastCellIndex);
    m_cursorCell = CursorCell();
    const ScoreCell* cell = CellAt(m_cursorCell);
    const Point box = g.PagePosition(m_cursorPos);
    const int bx = box.x + g.SlotWidth() * (m_cursorSlot - 1) - 3;
    const int by = box.y;
    const int right = bx + g.SlotWidth() + 5;
    s.SelectPen(kCursorPen);
    if (!cell || !cell->IsSplit()) {
        s.Rectangle({bx + 2, by - 3}, {right, by - g.CellHeight() - 1});
    } else if (m_cursorHalf == 1) {
        s.Rectangle({bx + 2, by - 3}, {right, by - g.h / 4 - 4});
    } else {
        s.Rectangle({bx + 2, by - g.h / 4}, {right, by - g.CellHeight() - 4});
    }
    s.SelectPen(Pen::Default());
    if (immediate) {
        m_lastBoxX = bx - g.SlotWidth() * (m_cursorSlot - 1);
        m_lastBoxY = by;
    }
    if (cell) DrawCursorCellSlots(s, *cell, {m_cursorX, m_cursorY}, g, f);
}

void CTabrellaView::DrawHeader(platform::IDrawSurface& s, const PageGeometry& g, const PageFonts& f,
                               int pageNumber) {
    DrawTitle(s, g, m_title, s.IsPrinter());
    s.SelectFont(f.tuning);
    DrawVertical(s, m_tuningName, [&](int j) { return g.TuningAnchor(j); });
    s.SelectFont(f.tempo);
    char tempo[64];
    std::snprintf(tempo, sizeof tempo, res::Sjis(res::Txt::TempoFormat).c_str(), m_tempo);
    s.Text(g.TempoAnchor(), tempo);
    s.SelectFont(f.baseTone);
    DrawVertical(s, m_baseToneLabel, [&](int j) { return g.BaseToneAnchor(j); });
    if (pageNumber > 0) DrawPageNumber(s, g, f, pageNumber, PrintedPageCount());
}

}  // namespace tabrella
