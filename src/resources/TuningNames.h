// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the eight tunings and of the twelve base tones, as Shift-JIS.
#include <array>
#include <string>

namespace tabrella::res {

const std::array<std::string, 8>& TuningNames();
// Index 0 is the empty text; 1..12 are 壱越 .. 上無.
const std::array<std::string, 13>& BaseToneNameTexts();

}  // namespace tabrella::res
