// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo: a step of the history copied back into the score, and the cursor brought
// to the first cell it changed.
#include <algorithm>

#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

void Apply(CTabrellaView& v, const EditStep& step, bool undo) {
    const std::vector<ScoreCell>& cells = undo ? step.cellsBefore : step.cellsAfter;
    std::copy(cells.begin(), cells.end(), v.m_cells.begin() + step.firstCell);
    if (step.settings) v.Settings() = undo ? step.settings->before : step.settings->after;
}

// Puts the cursor on score cell k, moving the page when k is not on it.
void ShowCell(CTabrellaView& v, int k) {
    const int pageFirst = kCellsPerColumn * v.m_topColumn + 1;
    if (k < pageFirst || k >= pageFirst + v.CellsPerPage()) {
        v.m_topColumn = std::min((k - 1) / kCellsPerColumn, kMaxTopColumn);
    }
    v.m_cursorPos = k - kCellsPerColumn * v.m_topColumn;
    v.m_cursorHalf = 1;
}

}  // namespace

void CTabrellaView::OnUndo() {
    if (!m_history.CanUndo()) return;
    const EditStep& step = m_history.StepBack();
    Apply(*this, step, true);
    if (step.firstCell > 0) ShowCell(*this, step.firstCell);
    m_showCursor = true;
    m_services.window.Invalidate();
}

void CTabrellaView::OnRedo() {
    if (!m_history.CanRedo()) return;
    const EditStep& step = m_history.StepForward();
    Apply(*this, step, false);
    if (step.firstCell > 0) ShowCell(*this, step.firstCell);
    m_showCursor = true;
    m_services.window.Invalidate();
}

}  // namespace tabrella
