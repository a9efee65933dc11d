// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a new score holds besides its empty cells. The view starts with it, New puts it
// back, and the file reader gives it for every field a file lacks.
#include <cstdint>

namespace tabrella::score_defaults {

inline constexpr int kTempo = 80;
inline constexpr int kTuningIndex = 0;        // 平調子, the first row of the tuning table
inline constexpr int kBaseTone = 3;           // 平調
inline constexpr std::uint8_t kOtsuFlag = 1;  // 乙 off

}  // namespace tabrella::score_defaults
