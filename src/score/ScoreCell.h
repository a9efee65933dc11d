// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One cell of the score and the one rule for which cell numbers exist.
#include <cstdint>

namespace tabrella {

inline constexpr int kCellArraySize = 3000;  // cells 0..2999; cell 0 is never used
inline constexpr int kLastCellIndex = 2999;
inline constexpr int kCellsPerColumn = 32;
inline constexpr int kCellsPerMeasure = 8;
inline constexpr int kMaxTopColumn = 49;
inline constexpr int kStringCount = 13;  // strings 一..巾

// The last cell on which a cursor can still stand with a whole row below it; from here on
// the cursor itself marks the end of the score.
inline constexpr int kLastFullRowCell = kLastCellIndex - 2;

// Cells 1..2999 of the score and entries 1..2999 of the clipboard are the only ones any
// operation may touch; every computed number goes through this before it indexes.
constexpr bool IsCellIndex(long long k) {
    return k >= 1 && k <= kLastCellIndex;
}

// What a slot holds: 0, a note (pressing x 100 + string), or in the centre slot a mark.
namespace slot {

inline constexpr int kEmpty = 0;
inline constexpr int kPressingStep = 100;  // one pressing more: the hundreds digit
inline constexpr int kWo = 100;            // ヲ, one semitone
inline constexpr int kO = 200;             // オ, two semitones
inline constexpr int kSmallO = 300;        // ォ, three semitones
inline constexpr int kReserved = 400;      // never stored; draws nothing
inline constexpr int kFirstMark = 500;     // everything from here on is a mark
inline constexpr int kPairRest = 500;      // ○ over an odd cell and the even cell after it
inline constexpr int kRest = 600;          // △ in one cell
inline constexpr int kDottedPairRest = 700;
inline constexpr int kDottedRest = 800;
inline constexpr int kRepeat = 900;  // ゝ: plays the cell before again
inline constexpr int kHa = 1000;
inline constexpr int kTsu = 1100;
inline constexpr int kHi = 1200;
inline constexpr int kPastCodes = kHi + kPressingStep;  // first value with no meaning

constexpr int Pressing(int v) {
    return v / kPressingStep;
}
constexpr int StringPart(int v) {
    return v % kPressingStep;
}
// Entering a string keeps the slot's pressing.
constexpr int WithString(int old, int string) {
    return string + (old - old % kPressingStep);
}
// Editing clears marks before it writes a string or pressing.
constexpr bool IsMark(int v) {
    return v >= kFirstMark;
}
// The four rests as drawn and edited: ○ △ and their dotted forms.
constexpr bool IsRestMark(int v) {
    return v >= kPairRest && v <= kDottedRest;
}
constexpr bool IsDottedRest(int v) {
    return v == kDottedPairRest || v == kDottedRest;
}
// The rests that silence a cell when the score sounds; the dotted ones do not.
constexpr bool IsSoundingRest(int v) {
    return v == kPairRest || v == kRest;
}
// A two-cell rest in first[2] takes the next cell too.
constexpr bool CoversNext(int v) {
    return v == kPairRest || v == kDottedPairRest;
}
// A pressing sign with or without a string (100..399), drawn narrower and with overlays.
constexpr bool IsPressed(int v) {
    return v >= kWo && v < kReserved;
}
constexpr bool IsSmallO(int v) {
    return Pressing(v) == Pressing(kSmallO) && v > 0;
}
// ヲ and オ take one more full-width place in the overlay line than ォ does.
constexpr bool IsWoOrO(int v) {
    return Pressing(v) == Pressing(kWo) || Pressing(v) == Pressing(kO);
}
// A slot names a string (marks, bare pressings and empty slots do not).
constexpr bool HoldsString(int v) {
    return v != kEmpty && v <= kReserved && StringPart(v) != 0;
}

}  // namespace slot

struct ScoreCell {
    // Slots are numbered 1..3 as players count them; index 0 stays unused.
    std::int32_t first[4] = {};
    std::int32_t second[4] = {};
    std::int32_t split = 0;

    bool IsSplit() const { return split != 0; }
    bool IsEmpty() const {
        // One test instead of six: the end of the score is sought over 3000 cells per key.
        return (first[1] | first[2] | first[3] | second[1] | second[2] | second[3]) == 0;
    }
    std::int32_t* Half(int half) { return half == 2 ? second : first; }
    const std::int32_t* Half(int half) const { return half == 2 ? second : first; }

    // Field 1..7 in file order: first[1..3], second[1..3], split.
    std::int32_t& Field(int j) { return j <= 3 ? first[j] : j <= 6 ? second[j - 3] : split; }
    std::int32_t Field(int j) const { return j <= 3 ? first[j] : j <= 6 ? second[j - 3] : split; }

    friend bool operator==(const ScoreCell&, const ScoreCell&) = default;
};

}  // namespace tabrella
