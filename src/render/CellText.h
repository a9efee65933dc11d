// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tabrella {

// Shift-JIS text of one slot value: the modifier or mark sign, then the string name.
// Values outside the encoding give an empty text.
std::string CellText(int value);

}  // namespace tabrella
