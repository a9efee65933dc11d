// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One command's change of the score, seen from outside: what it held before the command
// and after. Every command that may change what Save writes runs inside one, so none can
// forget to mark the score as changed.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "score/ScoreCell.h"

namespace tabrella {

class CTabrellaView;

// What a score holds besides its cells: what Save writes and what the tuning derives
// from it.
struct ScoreSettings {
    std::string title;
    std::string tuningName;
    int tuningIndex = 0;
    int baseTone = 0;
    std::uint8_t otsuFlag = 1;
    std::array<int, 14> pitch{};
    std::string baseToneLabel;
    int tempo = 0;

    static ScoreSettings Of(const CTabrellaView& view);
    void StoreInto(CTabrellaView& view) const;

    friend bool operator==(const ScoreSettings&, const ScoreSettings&) = default;
};

// Remembers cells firstCell..lastCell (cut to the cells that exist; an empty run for a
// command that changes no cell) and the settings. Finish() compares them with the view;
// a change becomes one step of the undo history, and the modified flag follows it.
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
