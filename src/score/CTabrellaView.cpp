// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/CTabrellaView.h"

#include <algorithm>

#include "resources/Texts.h"

namespace tabrella {

CTabrellaView::CTabrellaView(platform::Services services) : m_services(services) {
    m_fontFace = res::Sjis(res::Txt::FontGothic);
    m_defaultFontFace = m_fontFace;
    m_lastBoxX = m_originX + (m_columnsPerPage - 1) * m_columnWidth;
    m_lastBoxY = m_originY;
}

int CTabrellaView::LastUsedCell() const {
    for (int k = kLastCellIndex; k >= 1; --k) {
        if (!m_cells[k].IsEmpty()) return k;
    }
    return 0;
}

int CTabrellaView::ScreenEndCell() const {
    // What the screen's drawing leaves, with the cursor past the last used cell.
    return std::max(LastUsedCell(), std::min(m_cursorPos, kLastCellIndex));
}

void CTabrellaView::MeasureScreenEnd() {
    m_lastCell = ScreenEndCell();
    m_cursorCell = CursorCell();
}

void CTabrellaView::NoteScoreChange() {
    if (m_history.Revision() == m_watchedRevision) return;
    m_watchedRevision = m_history.Revision();
    if (m_watcher) m_watcher->ScoreChanged(*this);
}

ScoreCell* CTabrellaView::CellAt(long long k) {
    return IsCellIndex(k) ? &m_cells[static_cast<size_t>(k)] : nullptr;
}

const ScoreCell* CTabrellaView::CellAt(long long k) const {
    return IsCellIndex(k) ? &m_cells[static_cast<size_t>(k)] : nullptr;
}

void CTabrellaView::ClearCell(int k) {
    if (ScoreCell* cell = CellAt(k)) *cell = ScoreCell{};
}

}  // namespace tabrella
