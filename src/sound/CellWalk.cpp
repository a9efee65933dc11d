// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/CellWalk.h"

#include <algorithm>

#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

bool AnyString(const ScoreCell& c) {
    for (int s = 1; s <= 3; ++s) {
        if (slot::HoldsString(c.first[s]) || slot::HoldsString(c.second[s])) return true;
    }
    return false;
}

bool AnySoundingRest(const ScoreCell& c) {
    for (int s = 1; s <= 3; ++s) {
        if (slot::IsSoundingRest(c.first[s]) || slot::IsSoundingRest(c.second[s])) return true;
    }
    return false;
}

int HighestPressing(const std::int32_t* slots, int p) {
    for (int s = 1; s <= 3; ++s) {
        const int kind = MarkKind(slots[s]);
        if (kind == kWoKind || kind == kOKind) p = std::max(p, kind);
    }
    return p;
}

}  // namespace

bool IsRepeatCell(const ScoreCell& c) {
    return c.first[2] == slot::kRepeat;
}

bool IsNoteCell(const ScoreCell& c) {
    return !IsRepeatCell(c) && AnyString(c) && !slot::IsSoundingRest(c.first[2]);
}

bool Answers(const ScoreCell& c) {
    return AnyString(c) || slot::IsSoundingRest(c.first[2]) || IsRepeatCell(c);
}

bool IsHoldCell(const ScoreCell& c) {
    return !AnyString(c) && !AnySoundingRest(c);
}

int BendByte(int kind, int p) {
    switch (kind) {
        case kWoKind:
            return 0x60;
        case kOKind:
            return 0x7F;
        case kHaKind:
            return (2 - p) * 32;
        case kHiKind:
            return 0x20;
        default:
            return kBendCentre;
    }
}

NoteMarks MarksOf(const ScoreCell& c) {
    NoteMarks m;
    if (c.split == 1) {
        for (int s = 1; s <= 3; ++s) {
            const int v = c.second[s];
            if (IsBendMark(v)) m.bendKind = MarkKind(v);
            if (v == slot::kTsu) m.tsu = true;
        }
    }
    // Both together would make an invalid event; the bend mark wins.
    m.bend = m.bendKind != 0;
    if (m.bend) m.tsu = false;
    m.p = HighestPressing(c.first, 0);
    if (c.split == 1 && !m.Any()) m.p = HighestPressing(c.second, m.p);
    m.bendByte = BendByte(m.bendKind, m.p);
    return m;
}

int SoundingKey(const CTabrellaView& view, std::int32_t v) {
    // A file may hold string parts past 13 or tunings that put a string off the MIDI keys.
    const int key = slot::StringPart(v) != 0 ? view.PitchOfSlot(v) : -1;
    return key >= 0 && key <= 127 ? key : -1;
}

CellRun::CellRun(const CTabrellaView& view)
    : m_view(view), m_lastCell(std::clamp(view.m_lastCell, 0, kLastCellIndex)) {}

const ScoreCell& CellRun::Cell(long long k) const {
    static const ScoreCell kEmpty{};
    return IsCellIndex(k) ? m_view.m_cells[static_cast<std::size_t>(k)] : kEmpty;
}

int CellRun::HoldCellsTaken(int n) const {
    int holds = 0;
    for (int k = n + 1; k <= m_lastCell && IsHoldCell(Cell(k)); ++k) ++holds;
    int taken = 0;
    while (taken < holds) {
        ++taken;
        // The cells produced so far, the note's own counting as the first, number a cell
        // from the start of the score; an empty run from there to the end ends the hold.
        const int produced = taken + 1;
        if (produced >= 2 && RestIsEmpty(produced)) break;
    }
    return taken;
}

bool CellRun::RestIsEmpty(int from) const {
    for (int k = from; k <= m_lastCell; ++k) {
        if (!Cell(k).IsEmpty()) return false;
    }
    return true;
}

void WalkCells(const CTabrellaView& view, int firstCell, int endCell, ICellWalker& walker) {
    const CellRun run(view);
    // Past 2999 every cell is empty; one extra cell after the score is all a caller needs.
    endCell = std::min(endCell, kLastCellIndex + 1);
    int previous = 0;  // P: the last note cell, for ゝ
    bool replay = false;
    for (int f = std::max(firstCell, 1); f <= endCell; ++f) {
        const ScoreCell& c = run.Cell(f);
        if (IsRepeatCell(c) && replay) {
            walker.Direct(f, previous);
        } else if (IsNoteCell(c)) {
            previous = f;
            replay = Answers(run.Cell(f + 1)) || f == run.LastCell();
            if (replay) {
                walker.Direct(f, f);
            } else {
                const int holds = run.HoldCellsTaken(f);
                walker.Held(f, holds);
                f += holds;
            }
        } else {
            walker.Rest(f);
        }
    }
}

}  // namespace tabrella
