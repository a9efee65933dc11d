// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/ScoreEdit.h"

#include <algorithm>

#include "score/CTabrellaView.h"
#include "score/EditHistory.h"

namespace tabrella {

ScoreEdit::ScoreEdit(CTabrellaView& view, int firstCell, int lastCell)
    : m_view(view), m_firstCell(std::max(firstCell, 1)), m_settingsBefore(view.Settings()) {
    const int last = std::min(lastCell, kLastCellIndex);
    if (m_firstCell <= last) {
        m_cellsBefore.assign(view.m_cells.begin() + m_firstCell, view.m_cells.begin() + last + 1);
    }
}

bool ScoreEdit::Finish() {
    if (m_finished) return false;
    m_finished = true;
    EditStep step;
    // Only the run from the first to the last cell that differs is kept.
    const auto now = m_view.m_cells.begin() + m_firstCell;
    const auto [before, after] = std::mismatch(m_cellsBefore.begin(), m_cellsBefore.end(), now);
    if (before != m_cellsBefore.end()) {
        size_t end = m_cellsBefore.size();
        while (m_cellsBefore[end - 1] == now[static_cast<std::ptrdiff_t>(end - 1)]) --end;
        const size_t first = static_cast<size_t>(before - m_cellsBefore.begin());
        step.firstCell = m_firstCell + static_cast<int>(first);
        step.cellsBefore.assign(m_cellsBefore.begin() + static_cast<std::ptrdiff_t>(first),
                                m_cellsBefore.begin() + static_cast<std::ptrdiff_t>(end));
        step.cellsAfter.assign(after, now + static_cast<std::ptrdiff_t>(end));
    }
    ScoreSettings settingsNow = m_view.Settings();
    if (!(settingsNow == m_settingsBefore)) {
        step.settings = std::make_unique<EditStep::SettingsChange>(
            EditStep::SettingsChange{std::move(m_settingsBefore), std::move(settingsNow)});
    }
    if (step.firstCell == 0 && !step.settings) return false;
    m_view.m_history.Record(std::move(step));
    return true;
}

}  // namespace tabrella
