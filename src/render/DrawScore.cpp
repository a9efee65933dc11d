// SPDX-License-Identifier: GPL-3.0-or-later
// DrawScore: the one routine that draws the page for the paint pass, RedrawNow and the
// printer. Steps follow the order in which the picture is built up.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "render/CellText.h"
#include "render/HeaderText.h"
#include "render/PageLayout.h"
#include "resources/ExportTexts.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

using platform::IDrawSurface;
using platform::LogicalFont;
using platform::Pen;
using platform::Point;

struct Fonts {
    LogicalFont note, noteNarrow, half, halfNarrow, overlay, halfOverlay;
    LogicalFont tuning, baseTone, tempo, pageNumber;

    explicit Fonts(const std::string& face) {
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

const Pen kGridPen{2, {0, 0, 0}};
const Pen kCursorPen{2, {255, 0, 0}};

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
              const Fonts& f) {
    const int x = at.x, y = at.y, w = g.w, h = g.h;
    const HalfText first = LayoutHalf(cell.first, w);
    const int tx = x + w / 25 + first.offset;
    const int f2 = cell.first[2];

    if (slot::IsRestMark(f2)) {  // a rest in the centre slot
        s.SelectFont(f.note);
        s.Text({tx, y - h / 20}, first.text);
        if (slot::IsDottedRest(f2)) s.Text({tx, y - h / 20}, res::Sjis(res::Txt::RestDot));
        return;
    }
    if (!cell.IsSplit()) {
        s.SelectFont(first.n != 1 || first.m != 0 ? f.noteNarrow : f.note);
        s.Text({tx, y - h / 20}, first.text);
        s.SelectFont(f.overlay);
        s.Text({tx, y - h / 20}, first.overlay);
        return;
    }
    s.SelectFont(first.n != 1 || first.m != 0 || f2 >= slot::kRepeat ? f.halfNarrow : f.half);
    s.Text({tx, y - h / 20}, first.text);
    s.SelectFont(f.halfOverlay);
    s.Text({tx, y - h / 40}, first.overlay);

    HalfText second = LayoutHalf(cell.second, w);
    bool narrow = second.n != 1 || second.m != 0 || cell.second[2] >= slot::kRepeat;
    const bool firstEmpty = cell.first[1] == 0 && cell.first[2] == 0 && cell.first[3] == 0;
    if (firstEmpty && second.n == 1 && cell.second[1] < slot::kWo && cell.second[2] < slot::kWo &&
        cell.second[3] < slot::kWo) {
        narrow = true;
        second.text = "   " + second.text;
    }
    const int sx = x + w / 25 + second.offset;
    s.SelectFont(narrow ? f.halfNarrow : f.half);
    s.Text({sx, y - h / 4}, second.text);
    s.SelectFont(f.halfOverlay);
    s.Text({sx, y - h / 5 - h / 30}, second.overlay);
}

// The cursor cell again, each slot in its own third of the column.
void DrawCursorCellSlots(IDrawSurface& s, const ScoreCell& cell, Point at, const PageGeometry& g,
                         const Fonts& f) {
    const int x = at.x, y = at.y, w = g.w, h = g.h;
    auto slotX = [&](int j) { return x + w / 25 + (j - 1) * (w / 3); };
    const std::string& no = res::Sjis(res::Txt::OverlayNo);
    const int f2 = cell.first[2];
    if (slot::IsRestMark(f2)) {
        s.SelectFont(f.note);
        s.Text({x + w / 3 + w / 25, y - h / 20 - 3}, CellText(f2));
        if (slot::IsDottedRest(f2)) {
            s.Text({x + w / 3 + w / 25, y - h / 20 - 3}, res::Sjis(res::Txt::RestDot));
        }
        return;
    }
    if (!cell.IsSplit()) {
        for (int j = 1; j <= 3; ++j) {
            const int v = cell.first[j];
            s.SelectFont(slot::IsPressed(v) ? f.noteNarrow : f.note);
            s.Text({slotX(j), y - h / 20 - 3}, CellText(v));
            if (slot::IsSmallO(v)) {
                s.SelectFont(f.overlay);
                s.Text({slotX(j), y - h / 20}, no);
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
    drawHalf(cell.first, y - h / 20);
    drawHalf(cell.second, y - h / 4 - h / 20);
}

// "n / N" centred under the grid.
void DrawPageNumber(IDrawSurface& s, const PageGeometry& g, const Fonts& f, int page, int count) {
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
    return {PrintedPageCount(),
            [this](platform::IDrawSurface& s, int page) { DrawScore(s, page); }};
}

void CTabrellaView::RedrawNow() {
    std::unique_ptr<platform::IDrawSurface> surface = m_services.window.GetSurface(true);
    surface->SetTransparentText();
    DrawPage(*surface, true, m_topColumn, 0);
}

// `topColumn` is the page's first column: m_topColumn on the screen, any page on paper.
// `pageNumber` 0 draws no page number.
void CTabrellaView::DrawPage(platform::IDrawSurface& s, bool immediate, int topColumn,
                             int pageNumber) {
    const bool printer = s.IsPrinter();
    const PageGeometry g = PageGeometry::Of(*this);
    const int w = g.w, h = g.h, x0 = g.x0, y0 = g.y0, rows = g.rows, cols = g.columns;

    // 1. Fonts.
    const Fonts f(m_fontFace);

    // 2. Mapping.
    if (printer) {
        s.SetPrinterMapping();
    } else {
        SetUpScreenMapping(s);
    }

    // 3. Grid, after blanking the box that RedrawNow drew last time.
    s.SelectPen(kGridPen);
    if (immediate) s.FillWhite({m_lastBoxX, m_lastBoxY}, w + 3, -3 - h / 2);
    for (int i = 0; i <= rows; ++i) {
        const int yi = y0 - (h / 10) * (i / 4) - i * h;
        s.Line({x0, yi}, {x0 + cols * w, yi});
        if (i % 4 == 0) s.Line({x0, yi + h / 10}, {x0 + cols * w, yi + h / 10});
    }
    for (int i = 0; i <= cols; ++i) {
        const int x = x0 + i * w;
        s.Line({x, y0 + h / 10}, {x, y0 - (h / 10) * (rows / 4) - h * rows - 1});
    }
    s.SelectPen(Pen::Default());
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i < rows; ++i) {
            const int t = y0 - h / 2 - (h / 10) * (i / 4) - i * h;
            s.Line({x0 + j * w, t}, {x0 + j * w + (3 * w) / 5, t});
        }
    }

    // 4.
    s.SetTransparentText();

    // 5.
    m_lastCell = LastUsedCell();

    // 6. Cells of the page. Cells past the page lie left of it; the first column beyond is
    // still drawn since a long text there reaches into the margin.
    const int firstCell = kCellsPerColumn * topColumn + 1;
    const int cursorCell = CursorCell();
    const int drawnEnd = std::min(m_lastCell, firstCell - 1 + 2 * rows * (cols + 1));
    for (int k = firstCell; k <= drawnEnd; ++k) {
        const Point at = g.CellPosition(k, topColumn);
        DrawCell(s, m_cells[k], at, g, f);
        if (k == cursorCell && !printer) {
            s.FillWhite({at.x + 5, at.y - 5}, w - 5, 5 - h / 2);
            if (m_cursorPos % 2 == 1) s.FillWhite({at.x + 5, at.y - h / 2 - 5}, w - 5, 5 - h / 2);
        }
    }
    // Only the page the screen shows holds the cursor.
    if (topColumn == m_topColumn && cursorCell >= firstCell && cursorCell <= m_lastCell) {
        const Point at = g.CellPosition(cursorCell, topColumn);
        m_cursorX = at.x;
        m_cursorY = at.y;
    }

    // 7. The cursor, on the screen only.
    if (!printer) {
        // The end of the score never names a cell past 2999, even with the cursor beyond
        // the last cell after go to end: saving and playing read cells up to it.
        if (m_lastCell < m_cursorPos) m_lastCell = std::min(m_cursorPos, kLastCellIndex);
        m_cursorCell = cursorCell;
        const ScoreCell* cell = CellAt(m_cursorCell);
        const Point box = g.PagePosition(m_cursorPos);
        const int bx = box.x + (w / 3) * (m_cursorSlot - 1) - 3;
        const int by = box.y;
        s.SelectPen(kCursorPen);
        if (!cell || !cell->IsSplit()) {
            s.Rectangle({bx + 2, by - 3}, {bx + w / 3 + 5, by - h / 2 - 1});
        } else if (m_cursorHalf == 1) {
            s.Rectangle({bx + 2, by - 3}, {bx + w / 3 + 5, by - h / 4 - 4});
        } else {
            s.Rectangle({bx + 2, by - h / 4}, {bx + w / 3 + 5, by - h / 2 - 4});
        }
        s.SelectPen(Pen::Default());
        if (immediate) {
            m_lastBoxX = bx - (w / 3) * (m_cursorSlot - 1);
            m_lastBoxY = by;
        }
        if (cell) DrawCursorCellSlots(s, *cell, {m_cursorX, m_cursorY}, g, f);
    }

    // 8. Header texts.
    DrawTitle(s, g, m_title, printer);
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
