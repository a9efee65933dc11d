// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The geometry of one page of vertical tablature in logical units (0.1 mm, y up).

#include "platform/DrawSurface.h"

namespace tabrella {

class CTabrellaView;

struct PageGeometry {
    int x0, y0;  // left edge of the leftmost column; top of the first row
    int h, w;    // row height (two cells), column width
    int rows, columns;

    static PageGeometry Of(const CTabrellaView& view);

    int CellHeight() const { return h / 2; }
    int MeasureGap() const { return h / 10; }
    int SlotWidth() const { return w / 3; }
    int CellsPerPage() const { return 2 * rows * columns; }
    // The y of grid line i (0: the top), each group of four rows a measure gap lower.
    int RowLine(int i) const { return y0 - MeasureGap() * (i / 4) - i * h; }

    // Texts in a cell: how far in from the column edge they start, and how far below the
    // cell top each line sits.
    int TextInset() const { return w / 25; }
    int TextDrop() const { return h / 20; }         // a whole cell, a first half
    int HalfOverlayDrop() const { return h / 40; }  // the overlay of a first half
    int SecondHalfDrop() const { return h / 4; }    // the text of a second half
    int SecondOverlayDrop() const { return h / 5 + h / 30; }

    // Column left edge and top of score cell k on a page starting at `topColumn`.
    platform::Point CellPosition(int k, int topColumn) const;
    // Same, for a place 1.. counted from the page's first cell.
    platform::Point PagePosition(int place) const;

    platform::Point TitleAnchor(int j, bool printer) const;
    platform::Point TuningAnchor(int j) const;
    platform::Point BaseToneAnchor(int j) const;
    platform::Point TempoAnchor() const;
    // The lowest grid line, and the top-left of a page number `width` wide centred under it.
    int GridBottom() const;
    // The x range the page's columns cover, left and right edge.
    int ColumnsLeft() const { return x0; }
    int ColumnsRight() const { return x0 + columns * w; }
    platform::Point PageNumberAnchor(int width, int height) const;
};

// The screen mapping at a zoom: viewport extents in pixels for 1000 x 600 logical units.
struct ScreenExtents {
    int x, y;
};
ScreenExtents ZoomedExtents(int viewportExtX, int viewportExtY, int zoom);

inline constexpr int kWindowExtX = 1000;
inline constexpr int kWindowExtY = 600;

}  // namespace tabrella
