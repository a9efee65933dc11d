// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names of the range operations, shown at the top of the range dialog (Shift-JIS).
#include <string>

namespace tabrella::res {

enum class RangeOperation { InsertBlank, Cut, Copy, Loop };

const std::string& RangeOperationName(RangeOperation op);

}  // namespace tabrella::res
