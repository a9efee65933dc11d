#include "score/ScoreEdit.h"

#include <algorithm>

#include "score/CTabrellaView.h"

namespace tabrella {

ScoreSettings ScoreSettings::Of(const CTabrellaView& v) {
    return {v.m_title,    v.m_tuningName, v.m_tuningIndex,   v.m_baseTone,
            v.m_otsuFlag, v.m_pitch,      v.m_baseToneLabel, v.m_tempo};
}

void ScoreSettings::StoreInto(CTabrellaView& v) const {
    v.m_title = title;
    v.m_tuningName = tuningName;
    v.m_tuningIndex = tuningIndex;
    v.m_baseTone = baseTone;
    v.m_otsuFlag = otsuFlag;
    v.m_pitch = pitch;
    v.m_baseToneLabel = baseToneLabel;
    v.m_tempo = tempo;
}

ScoreEdit::ScoreEdit(CTabrellaView& view, int firstCell, int lastCell)
    : m_view(view), m_firstCell(std::max(firstCell, 1)), m_settingsBefore(ScoreSettings::Of(view)) {
    const int last = std::min(lastCell, kLastCellIndex);
    if (m_firstCell <= last) {
        m_cellsBefore.assign(view.m_cells.begin() + m_firstCell, view.m_cells.begin() + last + 1);
    }
}

bool ScoreEdit::Finish() {
    if (m_finished) return false;
    m_finished = true;
    const bool cellsChanged = !std::equal(m_cellsBefore.begin(), m_cellsBefore.end(),
                                          m_view.m_cells.begin() + m_firstCell);
    const bool changed = cellsChanged || !(m_settingsBefore == ScoreSettings::Of(m_view));
    if (changed) m_view.m_modified = 1;
    return changed;
}

}  // namespace tabrella
