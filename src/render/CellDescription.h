// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader says for the cursor's cell, in the language of the interface: the
// cell number as the status bar shows it, the content in words, the cursor's slot and the
// cell's place on the page. Shift-JIS, like every text the platform is handed.
#include <string>

#include "score/ScoreCell.h"

namespace tabrella {

struct CursorPlace {
    int cell = 1;  // the score's cell number; may lie past the last cell
    int half = 1;  // 1 or 2; counts only in a split cell
    int slot = 2;  // 1 left, 2 centre, 3 right
};

// `cell` is nullptr for a number past the score; `covered`: the cell before holds a two-cell
// rest that takes this one too.
std::string DescribeCell(const CursorPlace& place, const ScoreCell* cell, bool covered);

}  // namespace tabrella
