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

void EditHistory::Record(EditStep step) {
    m_steps.resize(m_position);
    // The saved state lay among the dropped steps: no undo or redo reaches it again.
    if (m_clean > m_position) m_clean = kNoCleanPoint;
    m_steps.push_back(std::move(step));
    ++m_position;
    ++m_revision;
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
    m_position = 0;
    m_clean = 0;
    ++m_revision;
}

std::size_t EditHistory::Bytes() const {
    std::size_t n = sizeof *this + (m_steps.capacity() - m_steps.size()) * sizeof(EditStep);
    for (const EditStep& step : m_steps) n += step.Bytes();
    return n;
}

}  // namespace tabrella
