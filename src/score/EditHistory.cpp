// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/EditHistory.h"

namespace tabrella {

std::size_t EditStep::Bytes() const {
    std::size_t n =
        sizeof *this + (cellsBefore.capacity() + cellsAfter.capacity()) * sizeof(ScoreCell);
    if (settings) {
        n += sizeof *settings;
        for (const ScoreSettings* s : {&settings->before, &settings->after}) {
            n += s->m_title.capacity() + s->m_tuningName.capacity() + s->m_baseToneLabel.capacity();
        }
    }
    return n;
}

void EditHistory::SetBudget(std::size_t budget) {
    m_budget = budget;
    // Only steps that can be undone go; the one last done stays.
    while (Bytes() > m_budget && m_position > 1) DropOldest();
}

void EditHistory::Record(EditStep step) {
    while (m_steps.size() > m_position) {
        m_stepBytes -= m_steps.back().Bytes();
        m_steps.pop_back();
    }
    // The saved state lay among the dropped steps: no undo or redo reaches it again.
    if (m_clean > m_position) m_clean = kNoCleanPoint;
    m_stepBytes += step.Bytes();
    m_steps.push_back(std::move(step));
    ++m_position;
    ++m_revision;
    while (Bytes() > m_budget && m_steps.size() > 1) DropOldest();
}

// The score does not change, nor whether it is modified: the position is past the dropped
// step, so a clean point before it was not the current state.
void EditHistory::DropOldest() {
    m_stepBytes -= m_steps.front().Bytes();
    m_steps.pop_front();
    --m_position;
    // The saved state was the one before the dropped step: it can no longer be reached.
    if (m_clean == 0) {
        m_clean = kNoCleanPoint;
    } else if (m_clean != kNoCleanPoint) {
        --m_clean;
    }
}

const EditStep& EditHistory::StepBack() {
    ++m_revision;
    return m_steps[--m_position];
}

const EditStep& EditHistory::StepForward() {
    ++m_revision;
    return m_steps[m_position++];
}

void EditHistory::Clear() {
    m_steps.clear();
    m_stepBytes = 0;
    m_position = 0;
    m_clean = 0;
    ++m_revision;
}

}  // namespace tabrella
