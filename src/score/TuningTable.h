// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The eight tunings and the twelve base tones that turn string numbers into MIDI notes: what
// a score's tuning setting may name, and the notes its strings then sound.
#include <array>
#include <string>

namespace tabrella {

inline constexpr int kTuningCount = 8;
inline constexpr int kBaseToneCount = 12;

struct TuningRow {
    std::string name;             // Shift-JIS
    std::array<int, 14> offsets;  // semitones above the base tone, per string index 0..13
};

// Rows 0..7 in table order.
const std::array<TuningRow, kTuningCount>& TuningTable();
// Index 0 is the empty text; 1..12 are 壱越 .. 上無 (Shift-JIS).
const std::array<std::string, kBaseToneCount + 1>& BaseToneNames();

// The row whose name equals `name` byte for byte (the last match), or -1.
int FindTuning(const std::string& name);
// The base tone 1..12 whose name equals `name`, or -1.
int FindBaseTone(const std::string& name);

// MIDI note of offset 0 for base tone b.
constexpr int BaseNote(int baseTone) {
    return baseTone + 49;
}

// The MIDI note `offset` semitones above base tone b. A base tone read from a score file may
// be any number; the note is kept far from overflow and exact for every tone that could
// sound. Notes outside 0..127 are never written.
int NoteOf(int offset, int baseTone);

// The MIDI note of each string index 0..13 in a score of this row, base tone and 乙 flag
// (1: off) as opening it from a file sets them.
std::array<int, 14> LoadedPitches(int row, int baseTone, int otsuFlag);

// A new score's pitches: row 0, base tone 3, 乙 off.
std::array<int, 14> NewScorePitches();

// The name of base tone b, or the empty text for a number outside 1..12 (a score file may
// hold one).
const std::string& BaseToneName(int baseTone);

}  // namespace tabrella
