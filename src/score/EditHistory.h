// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The undo history: one step per command that changed the score, each holding only what it
// changed (a run of cells before and after, and the settings when they changed). Plain
// data; the view applies a step by copying it back.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "score/ScoreCell.h"
#include "score/ScoreSettings.h"

namespace tabrella {

struct EditStep {
    int firstCell = 0;  // first cell of the run; 0 when no cell changed
    std::vector<ScoreCell> cellsBefore;
    std::vector<ScoreCell> cellsAfter;
    struct SettingsChange {
        ScoreSettings before;
        ScoreSettings after;
    };
    std::unique_ptr<SettingsChange> settings;  // null when the settings stayed

    std::size_t Bytes() const;
};

class EditHistory {
  public:
    // Enough for a few hundred whole-score cuts; keystrokes take far less.
    static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;

    explicit EditHistory(std::size_t budget = kDefaultBudget) : m_budget(budget) {}
    // Past the budget the oldest steps are dropped, but never the newest one.
    void SetBudget(std::size_t budget);

    // A new step drops the steps that could have been redone.
    void Record(EditStep step);
    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < m_steps.size(); }
    // The step to undo or redo; the position moves past it.
    const EditStep& StepBack();
    const EditStep& StepForward();

    // The score as it is now is the one on disk (saved or opened).
    void MarkClean() {
        m_clean = m_position;
        ++m_revision;
    }
    // The score as it is now is on no disk (an import): no undo or redo reaches a saved one.
    void MarkUnsaved() {
        m_clean = kNoCleanPoint;
        ++m_revision;
    }
    // New and Open start a history of their own.
    void Clear();
    // True exactly when the score differs from the one last saved or opened.
    bool Modified() const { return m_clean != m_position; }
    // Grows with every change of the score or of its clean point: who follows the score
    // (the recovery copy) sees from it that there is something new.
    std::uint64_t Revision() const { return m_revision; }

    std::size_t Size() const { return m_steps.size(); }
    // Memory held by the history and its steps: the figure the budget bounds.
    std::size_t Bytes() const { return sizeof *this + m_stepBytes; }

  private:
    static constexpr std::size_t kNoCleanPoint = static_cast<std::size_t>(-1);
    void DropOldest();

    // A deque: the oldest step leaves at every step once the budget is reached.
    std::deque<EditStep> m_steps;
    std::size_t m_stepBytes = 0;  // the sum of the steps' Bytes()
    std::size_t m_budget;
    std::size_t m_position = 0;  // steps before it are done, the rest undone
    std::size_t m_clean = 0;     // kNoCleanPoint once the saved state can no longer be reached
    std::uint64_t m_revision = 0;
};

}  // namespace tabrella
