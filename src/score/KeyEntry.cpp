// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard and mouse entry: one key press runs the steps below in order, then redraws.
#include "resources/CommandIds.h"
#include "resources/KeyCodes.h"
#include "score/CTabrellaView.h"
#include "score/ScoreEdit.h"

namespace tabrella {
namespace {

constexpr int kNoString = -1;

// String number of a key: 1..13 for the string keys, 0 for Space, none otherwise.
int StringOfKey(int key) {
    if (key >= vk::kDigit1 && key <= vk::kDigit9) return key - vk::kDigit0;
    switch (key) {
        case vk::kDigit0:
            return 10;
        case vk::kOemMinus:
            return 11;
        case vk::kOem7:
            return 12;
        case vk::kOem5:
            return 13;
        case vk::kSpace:
            return 0;
        default:
            return kNoString;
    }
}

int TechniqueOfKey(int key) {
    switch (key) {
        case vk::kOemPlus:
            return slot::kHa;
        case vk::kL:
            return slot::kTsu;
        case vk::kK:
            return slot::kHi;
        default:
            return 0;
    }
}

// Keys that store a note or change how one sounds: strings (not Space, which clears), the
// pressing sign, the techniques.
bool StoresNote(int key) {
    return StringOfKey(key) > 0 || key == vk::kO || TechniqueOfKey(key) != 0;
}

}  // namespace

void CTabrellaView::OnKeyDown(int key) {
    // A key changes at most the cursor cell and the one below it (a two-cell rest); a key
    // that changed a cell is one step of the history, which sets the modified flag.
    const int k = CursorCell();
    m_showCursor = true;  // what the key does is shown, also where the cursor stays
    PageView before = *this;
    ScoreEdit edit(*this, k, k + 1);
    EditForKey(key, k);
    edit.Finish();
    const bool command = RunKeyCommand(key);
    // Typing and moving change the columns of the cursor, before and after, and nothing
    // else: only those are drawn again, so a key shows at once.
    const int placeBefore = before.m_cursorPos;
    before.m_cursorPos = m_cursorPos;
    before.m_cursorHalf = m_cursorHalf;
    before.m_cursorSlot = m_cursorSlot;
    if (!command && before == static_cast<const PageView&>(*this)) {
        RedrawAround({placeBefore, placeBefore + 1, m_cursorPos});
    } else {
        RedrawNow();
    }
    NoteScoreChange();
    // After the drawing, which also finds the end of the score the sound depends on.
    if (StoresNote(key)) PreviewCell(k);
}

// What a key writes at cell k, in this order: clear, split, string, cursor move or rest,
// technique sign, repeat sign.
void CTabrellaView::EditForKey(int key, int k) {
    const ScoreCell* above = CellAt(k - 1);
    const bool covered = above && slot::CoversNext(above->first[2]);
    // Space clears the cursor's slot, covered or not.
    if (key == vk::kSpace) ClearCursorSlot(k);
    // Insert splits or joins, except on covered cells and cells holding a rest or ゝ.
    if (key == vk::kInsert && !covered) {
        if (ScoreCell* cell = CellAt(k)) {
            const int f2 = cell->first[2];
            if (!slot::IsRestMark(f2) && f2 != slot::kRepeat) cell->split = cell->IsSplit() ? 0 : 1;
        }
    }
    if (const int string = StringOfKey(key); string != kNoString && !covered) {
        EnterString(k, string);
    }
    MoveOrPlaceRest(key, k);
    if (const int code = TechniqueOfKey(key); code != 0 && (k > 1 || m_cursorHalf == 2)) {
        PlaceTechnique(k, code);
    }
    if (key == vk::kOemPeriod) PlaceRepeat(k);
}

void CTabrellaView::MoveOrPlaceRest(int key, int k) {
    switch (key) {
        case vk::kDown:
            CursorDown();
            break;
        case vk::kUp:
            CursorUp();
            break;
        case vk::kRight:
            CursorRight();
            break;
        case vk::kLeft:
            CursorLeft();
            break;
        case vk::kO:
            StepModifier(k);
            break;
        case vk::kOem1:
            if (k % 2 == 1) PlacePairRest(k, slot::kPairRest);
            break;
        case vk::kOem6:
            PlaceRest(k, slot::kRest);
            break;
        case vk::kOem3:
            if (k % 2 == 1 && k > 1) PlacePairRest(k, slot::kDottedPairRest);
            break;
        case vk::kOem4:
            PlaceRest(k, slot::kDottedRest);
            break;
        default:
            break;
    }
}

// Keys that reach commands, and page moves.
bool CTabrellaView::RunKeyCommand(int key) {
    switch (key) {
        case vk::kZ:
        case vk::kHome:
            OnGoToTop();
            return true;
        case vk::kX:
        case vk::kReturn:
            OnCommand(cmd::kPlay);
            return true;
        case vk::kC:
            OnCommand(cmd::kStop);
            return true;
        case vk::kPageDown:
            if (m_topColumn < kMaxTopColumn) {
                ++m_topColumn;
                m_services.window.Invalidate();
            }
            return true;
        case vk::kPageUp:
            if (m_topColumn > 0) {
                --m_topColumn;
                m_services.window.Invalidate();
            }
            return true;
        default:
            return false;
    }
}

void CTabrellaView::ClearCursorSlot(int k) {
    ScoreCell* cell = CellAt(k);
    if (!cell) return;
    // The half follows m_cursorHalf even in a whole cell.
    cell->Half(m_cursorHalf)[m_cursorSlot] = 0;
    if (slot::IsMark(cell->first[2])) cell->first[2] = 0;
    if (!cell->IsSplit()) cell->first[m_cursorSlot] = 0;
}

void CTabrellaView::EnterString(int k, int string) {
    ScoreCell* cell = CellAt(k);
    if (!cell) return;
    const int half = cell->IsSplit() ? m_cursorHalf : 1;
    std::int32_t* slots = cell->Half(half);
    if (slot::IsMark(slots[2])) slots[2] = 0;
    slots[m_cursorSlot] = slot::WithString(slots[m_cursorSlot], string);
}

void CTabrellaView::StepModifier(int k) {
    ScoreCell* cell = CellAt(k);
    if (!cell) return;
    if (!cell->IsSplit()) {
        if (slot::IsMark(cell->first[2])) cell->first[2] = 0;
        std::int32_t& v = cell->first[m_cursorSlot];
        // none → ヲ → オ → ォ → none with a string; none → ヲ → オ → none without one.
        if (v < slot::kO) {
            v += slot::kPressingStep;
        } else if (v < slot::kSmallO && slot::StringPart(v) > 0) {
            v += slot::kPressingStep;
        } else if (v == slot::kO) {
            v = slot::kEmpty;
        } else if (v >= slot::kSmallO && v < slot::kReserved) {
            v -= slot::kSmallO;
        }
        return;
    }
    std::int32_t* slots = cell->Half(m_cursorHalf);
    if (slot::IsMark(slots[2])) slots[2] = 0;
    std::int32_t& v = slots[m_cursorSlot];
    v = v < slot::kSmallO ? v + slot::kPressingStep : v - slot::kSmallO;
}

void CTabrellaView::PlacePairRest(int k, int code) {
    // Cells past 2999 do not exist; a pair that would reach one is refused.
    if (!IsCellIndex(k) || !IsCellIndex(k + 1)) return;
    ClearCell(k);
    ClearCell(k + 1);
    m_cells[k].first[2] = code;
}

void CTabrellaView::PlaceRest(int k, int code) {
    if (!IsCellIndex(k)) return;
    ClearCell(k);
    m_cells[k].first[2] = code;
}

void CTabrellaView::PlaceTechnique(int k, int code) {
    ScoreCell* cell = CellAt(k);
    if (!cell) return;
    std::int32_t* slots = cell->Half(cell->IsSplit() ? m_cursorHalf : 1);
    slots[1] = slots[3] = 0;
    slots[2] = code;
}

void CTabrellaView::PlaceRepeat(int k) {
    ScoreCell* cell = CellAt(k);
    if (k <= 1 || !cell || cell->IsSplit()) return;
    cell->first[1] = cell->first[3] = 0;
    cell->first[2] = slot::kRepeat;
}

void CTabrellaView::OnMouse(platform::MouseEvent event) {
    using platform::MouseEvent;
    if (event == MouseEvent::LeftDown || event == MouseEvent::LeftDoubleClick) {
        CursorDown();
    } else {
        CursorUp();
    }
    RedrawNow();
}

void CTabrellaView::CursorDown() {
    if (m_cursorPos >= CellsPerPage()) {
        m_cursorSlot = 2;
        return;
    }
    const ScoreCell* cell = CellAt(CursorCell());
    if (cell && cell->IsSplit()) {
        ++m_cursorHalf;
    } else {
        ++m_cursorPos;
        m_cursorHalf = 1;
    }
    m_cursorSlot = 2;
    if (m_cursorHalf == 3) {
        m_cursorHalf = 1;
        ++m_cursorPos;
    }
}

void CTabrellaView::CursorUp() {
    const ScoreCell* cell = CellAt(CursorCell());
    const bool split = cell && cell->IsSplit();
    if (m_cursorPos > 1) {
        if (split) {
            --m_cursorHalf;
        } else {
            --m_cursorPos;
            m_cursorHalf = 2;
        }
        m_cursorSlot = 2;
        if (m_cursorHalf == 0) {
            --m_cursorPos;
            m_cursorHalf = 2;
        }
    } else if (m_cursorPos == 1) {
        if (split && m_cursorHalf == 2) m_cursorHalf = 1;
        m_cursorSlot = 2;
    }
}

void CTabrellaView::CursorRight() {
    // Right goes towards the start of the score: columns run from right to left.
    if (m_cursorSlot == 1 || m_cursorSlot == 2) {
        ++m_cursorSlot;
    } else if (m_cursorSlot == 3 && m_cursorPos > 2 * m_rowsPerColumn) {
        m_cursorPos -= kCellsPerColumn;
        m_cursorSlot = 1;
    }
}

void CTabrellaView::CursorLeft() {
    if (m_cursorSlot == 2 || m_cursorSlot == 3) {
        --m_cursorSlot;
    } else if (m_cursorSlot == 1 && m_cursorPos < 2 * m_rowsPerColumn * (m_columnsPerPage - 1)) {
        m_cursorPos += kCellsPerColumn;
        m_cursorSlot = 3;
    }
}

void CTabrellaView::OnGoToTop() {
    m_cursorPos = 1;
    m_showCursor = true;
    RedrawNow();
}

void CTabrellaView::OnGoToEnd() {
    // One past the last used cell, on the upper cell of a row. Only on the first page does
    // a cursor near the end of the cells stay where it is; on a page moved forward the
    // page position says nothing about the end.
    int target =
        m_topColumn > 0 || m_cursorPos < kLastFullRowCell ? LastUsedCell() + 1 : m_cursorPos;
    m_showCursor = true;
    if (target % 2 == 0) ++target;
    if (m_topColumn == 0) {
        m_cursorPos = target;  // may lie beyond the page shown
    } else if (target - kCellsPerColumn * m_topColumn >= 1) {
        m_cursorPos = target - kCellsPerColumn * m_topColumn;
    } else {
        // The target lies before the page shown: bring the page back to it.
        m_topColumn = (target - 1) / kCellsPerColumn;
        m_cursorPos = target - kCellsPerColumn * m_topColumn;
        m_services.window.Invalidate();
    }
    RedrawNow();
}

}  // namespace tabrella
