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

// Cells 1..2999 of the score and entries 1..2999 of the clipboard are the only ones any
// operation may touch; every computed number goes through this before it indexes.
constexpr bool IsCellIndex(long long k) {
    return k >= 1 && k <= kLastCellIndex;
}

struct ScoreCell {
    // Slots are numbered 1..3 as players count them; index 0 stays unused.
    std::int32_t first[4] = {};
    std::int32_t second[4] = {};
    std::int32_t split = 0;

    bool IsSplit() const { return split != 0; }
    bool IsEmpty() const {
        return first[1] == 0 && first[2] == 0 && first[3] == 0 && second[1] == 0 &&
               second[2] == 0 && second[3] == 0;
    }
    std::int32_t* Half(int half) { return half == 2 ? second : first; }
    const std::int32_t* Half(int half) const { return half == 2 ? second : first; }

    // Field 1..7 in file order: first[1..3], second[1..3], split.
    std::int32_t& Field(int j) { return j <= 3 ? first[j] : j <= 6 ? second[j - 3] : split; }
    std::int32_t Field(int j) const { return j <= 3 ? first[j] : j <= 6 ? second[j - 3] : split; }

    friend bool operator==(const ScoreCell&, const ScoreCell&) = default;
};

}  // namespace tabrella
