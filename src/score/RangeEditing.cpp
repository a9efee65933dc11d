// SPDX-License-Identifier: GPL-3.0-or-later
// Range editing: insert blank cells, cut, copy and paste through the program's own
// clipboard. Positions typed into the dialogs count from the page shown; the page offset
// turns them into score cells. Only cells 1..2999 exist: a range is cut short at the last
// cell, and a paste drops what would fall past it.
#include <utility>

#include "resources/RangeTexts.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/RangeDialogs.h"

namespace tabrella {
namespace {

// Copies cell `from` into cell `to` when both exist.
void MoveCell(CTabrellaView& view, long long from, long long to) {
    const ScoreCell* source = view.CellAt(from);
    ScoreCell* target = view.CellAt(to);
    if (source && target) *target = *source;
}

}  // namespace

ScoreCell* CTabrellaView::ClipAt(long long i) {
    return IsCellIndex(i) ? &m_clip[static_cast<size_t>(i)] : nullptr;
}

const ScoreCell* CTabrellaView::ClipAt(long long i) const {
    return IsCellIndex(i) ? &m_clip[static_cast<size_t>(i)] : nullptr;
}

bool CTabrellaView::ChooseRange(const std::string& operationName) {
    // 1. The dialog opens on the cursor's position; only 決定 lets the operation go ahead.
    CRangeDialog dialog;
    dialog.m_fromCell = m_cursorPos;
    dialog.m_toCell = m_cursorPos;
    dialog.m_operationName = operationName;
    dialog.m_cancelled = 0;
    if (m_services.dialogs.DoModal(dialog) != platform::kIdOk || dialog.m_cancelled) return false;

    // 2. Page positions to score cells; a range given backwards is turned round.
    const int offset = kCellsPerColumn * m_topColumn;
    m_rangeStart = dialog.m_fromCell + offset;
    m_rangeEnd = dialog.m_toCell + offset;
    if (m_rangeStart > m_rangeEnd) std::swap(m_rangeStart, m_rangeEnd);
    return true;
}

int CTabrellaView::CutShortRange() const {
    // A range starting past the last cell holds nothing; one running past it stops there.
    if (!IsCellIndex(m_rangeStart)) return 0;
    const int last = IsCellIndex(m_rangeEnd) ? m_rangeEnd : kLastCellIndex;
    return last - m_rangeStart + 1;
}

void CTabrellaView::CopyRangeToClip(int count) {
    // An empty range leaves the clipboard as it was.
    if (count == 0) return;
    m_clipCount = count;
    for (int i = 1; i <= count; ++i) {
        const ScoreCell* source = CellAt(m_rangeStart + i - 1);
        ScoreCell* entry = ClipAt(i);
        if (source && entry) *entry = *source;
    }
}

void CTabrellaView::OnInsertBlank() {
    if (!ChooseRange(res::RangeOperationName(res::RangeOperation::InsertBlank))) return;
    const int n = CutShortRange();
    if (n > 0) {
        // Cells from the range on move n places towards the end; the last n fall off.
        for (int k = kLastCellIndex; k >= m_rangeStart + n; --k) MoveCell(*this, k - n, k);
        for (int k = m_rangeStart; k < m_rangeStart + n; ++k) ClearCell(k);
    }
    m_services.window.Invalidate();
}

void CTabrellaView::OnCut() {
    if (!ChooseRange(res::RangeOperationName(res::RangeOperation::Cut))) return;
    const int n = CutShortRange();
    CopyRangeToClip(n);
    if (n > 0) {
        // Later cells close the gap; the last n cells of the score become empty.
        for (int k = m_rangeStart; k + n <= kLastCellIndex; ++k) MoveCell(*this, k + n, k);
        for (int k = kLastCellIndex - n + 1; k <= kLastCellIndex; ++k) ClearCell(k);
    }
    m_services.window.Invalidate();
}

void CTabrellaView::OnCopy() {
    // The score does not change, so nothing is redrawn.
    if (!ChooseRange(res::RangeOperationName(res::RangeOperation::Copy))) return;
    CopyRangeToClip(CutShortRange());
}

void CTabrellaView::OnPaste() {
    CPasteDialog dialog;
    dialog.m_targetCell = m_cursorPos;
    dialog.m_cancelled = 0;
    if (m_services.dialogs.DoModal(dialog) != platform::kIdOk || dialog.m_cancelled) return;

    // Paste overwrites and keeps the clipboard, so the same cells can be pasted again.
    m_rangeStart = dialog.m_targetCell + kCellsPerColumn * m_topColumn;
    for (int i = 1; i <= m_clipCount; ++i) {
        const ScoreCell* entry = ClipAt(i);
        ScoreCell* target = CellAt(m_rangeStart + i - 1);
        if (!entry || !target) break;
        *target = *entry;
    }
    // Nothing cut or copied yet: say so rather than seem to paste.
    if (m_clipCount <= 0) {
        m_services.dialogs.MessageBox(res::Sjis(res::Txt::ClipboardEmpty), {},
                                      platform::MessageBoxKind::Information);
    }
    m_services.window.Invalidate();
}

}  // namespace tabrella
