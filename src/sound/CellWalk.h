// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the score sounds, cell by cell: the rules the MIDI writer plays by, kept in one place so
// that every export that follows the score's sound (the MIDI file, the MusicXML notation)
// reads the cells the same way.
#include <cstdint>

#include "score/ScoreCell.h"

namespace tabrella {

class CTabrellaView;

inline constexpr int kBendCentre = 0x40;
inline constexpr int kTsuPeak = 0x60;  // ツ: up one semitone, then back

// The kind of a bend or ツ is the hundreds of the slot value that asks for it.
constexpr int MarkKind(int v) {
    return v / slot::kPressingStep;
}
inline constexpr int kWoKind = MarkKind(slot::kWo);
inline constexpr int kOKind = MarkKind(slot::kO);
inline constexpr int kHaKind = MarkKind(slot::kHa);
inline constexpr int kTsuKind = MarkKind(slot::kTsu);
inline constexpr int kHiKind = MarkKind(slot::kHi);

constexpr bool IsBendKind(int kind) {
    return kind == kWoKind || kind == kOKind || kind == kHaKind || kind == kHiKind;
}
// The mark a hold cell's half plays: its own centre slot's, or in the second half with an
// empty centre the first half's again.
constexpr int HeldKind(int centre, int half, int firstKind) {
    return centre >= slot::kWo ? MarkKind(centre) : (half == 1 ? 0 : firstKind);
}
// Slot values that bend the note sounding: a bare ヲ or オ, ハ, ヒ.
constexpr bool IsBendMark(int v) {
    return v == slot::kWo || v == slot::kO || v == slot::kHa || v == slot::kHi;
}

bool IsRepeatCell(const ScoreCell& c);
bool IsNoteCell(const ScoreCell& c);
// The next cell decides that a note is played in its own time rather than held on.
bool Answers(const ScoreCell& c);
// Cells a note keeps sounding through: no string and no rest anywhere in them.
bool IsHoldCell(const ScoreCell& c);

inline int Halves(const ScoreCell& c) {
    return c.split == 1 ? 2 : 1;
}

// Most significant bend byte for a mark kind; p is the pressing of the note (ハ returns to
// the open string from it). The synthesizer's default range of +-2 semitones applies.
int BendByte(int kind, int p);

// Bend and ツ of a note cell's second half, and the pressing p its note-on step scans.
struct NoteMarks {
    bool bend = false;
    bool tsu = false;
    int bendByte = kBendCentre;
    int bendKind = 0;
    int p = 0;
    bool Any() const { return bend || tsu; }
};
NoteMarks MarksOf(const ScoreCell& c);

// The MIDI key a slot value sounds, or -1: only string parts 1..13 on a key MIDI can hold.
int SoundingKey(const CTabrellaView& view, std::int32_t v);

// The cells the walk reads: cells past 2999 count as empty, and the end of the score is
// the view's m_lastCell kept within the score.
class CellRun {
  public:
    explicit CellRun(const CTabrellaView& view);
    const ScoreCell& Cell(long long k) const;
    int LastCell() const { return m_lastCell; }
    // How many hold cells the note in cell n sounds through.
    int HoldCellsTaken(int n) const;

  private:
    bool RestIsEmpty(int from) const;
    const CTabrellaView& m_view;
    int m_lastCell;
};

// What the walk finds at each turn, in the order the music plays.
class ICellWalker {
  public:
    virtual ~ICellWalker() = default;
    // Cell f sounds nothing for one cell's time.
    virtual void Rest(int f) = 0;
    // At cell f, note cell `source` sounds in its own time: f itself, or the note a ゝ repeats.
    virtual void Direct(int f, int source) = 0;
    // Note cell n sounds on through the `holds` cells after it, which the walk then skips.
    virtual void Held(int n, int holds) = 0;
};

// Walks cells firstCell..endCell as the MIDI writer plays them.
void WalkCells(const CTabrellaView& view, int firstCell, int endCell, ICellWalker& walker);

}  // namespace tabrella
