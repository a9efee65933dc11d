// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PageLayout.h"

#include "score/CTabrellaView.h"

namespace tabrella {

PageGeometry PageGeometry::Of(const CTabrellaView& view) {
    return {view.m_originX,     view.m_originY,       view.m_rowHeight,
            view.m_columnWidth, view.m_rowsPerColumn, view.m_columnsPerPage};
}

platform::Point PageGeometry::PagePosition(int place) const {
    const int d = (place - 1) / kCellsPerColumn;  // column from the right
    const int q = (place - 1) % kCellsPerColumn;  // place within the column
    return {x0 + (columns - 1 - d) * w, y0 - q * (h / 2) - (q / kCellsPerMeasure) * (h / 10)};
}

platform::Point PageGeometry::CellPosition(int k, int topColumn) const {
    return PagePosition(k - kCellsPerColumn * topColumn);
}

platform::Point PageGeometry::TitleAnchor(int j, bool printer) const {
    const int x = printer ? x0 + columns * w + w / 3 : x0 + (columns + 1) * w;
    return {x, y0 - 2 * (h + 100 * (j + 1))};
}

platform::Point PageGeometry::TuningAnchor(int j) const {
    return {x0 + columns * w + w / 3, y0 - 9 * h - 130 * (j + 1)};
}

platform::Point PageGeometry::BaseToneAnchor(int j) const {
    return {x0 + (columns + 1) * w, y0 - 11 * h - 130 * (j + 1)};
}

platform::Point PageGeometry::TempoAnchor() const {
    return {x0 + (columns - 1) * w, y0 + h / 2};
}

int PageGeometry::GridBottom() const {
    return y0 - (h / 10) * (rows / 4) - h * rows;
}

platform::Point PageGeometry::PageNumberAnchor(int width, int height) const {
    // One text height below the grid, so it reads as the page's foot, not as a cell.
    return {x0 + (columns * w - width) / 2, GridBottom() - height};
}

ScreenExtents ZoomedExtents(int viewportExtX, int viewportExtY, int zoom) {
    return {viewportExtX * zoom / 100, viewportExtY * zoom / 100};
}

}  // namespace tabrella
