// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the eight tunings and of the twelve base tones, as Shift-JIS.
#include <array>
#include <string>
#include <string_view>

namespace tabrella::res {

const std::array<std::string, 8>& TuningNames();
// Index 0 is the empty text; 1..12 are 壱越 .. 上無.
const std::array<std::string, 13>& BaseToneNameTexts();

// The romanised reading (UTF-8) shown beside a tuning or base-tone name in an interface
// whose readers may not read Japanese; empty in the Japanese one and for other texts. It
// is never part of the name the score stores.
std::string_view ReadingOfName(std::string_view sjisName);

}  // namespace tabrella::res
