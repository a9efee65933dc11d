// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/CellText.h"

#include "resources/Texts.h"

namespace tabrella {

std::string CellText(int value) {
    if (value < 0 || value > 1299) return {};
    if (value >= 400) return res::MarkName(value / 100);
    if (value % 100 >= res::kStringNameCount) return {};
    return res::MarkName(value / 100) + res::StringName(value % 100);
}

}  // namespace tabrella
