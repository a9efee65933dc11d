// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One command's change of the score, seen from outside: what it held before the command
// and after. Opened in two places only: around every command the command table marks as
// editing, and around every key, so no edit can forget its undo step.
#include <vector>

#include "score/ScoreCell.h"
#include "score/ScoreSettings.h"

namespace tabrella {

class CTabrellaView;

// Remembers cells firstCell..lastCell (cut to the cells that exist) and the settings.
// Finish() compares them with the view; a change becomes one step of the undo history,
// which the modified state follows.
class ScoreEdit {
  public:
    ScoreEdit(CTabrellaView& view, int firstCell, int lastCell);
    ~ScoreEdit() { Finish(); }
    ScoreEdit(const ScoreEdit&) = delete;
    ScoreEdit& operator=(const ScoreEdit&) = delete;

    // True when the command changed the score. Later calls change nothing.
    bool Finish();

  private:
    CTabrellaView& m_view;
    int m_firstCell;
    std::vector<ScoreCell> m_cellsBefore;
    ScoreSettings m_settingsBefore;
    bool m_finished = false;
};

}  // namespace tabrella
