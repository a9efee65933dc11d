// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/CellText.h"

#include "resources/Texts.h"
#include "score/ScoreCell.h"

namespace tabrella {

std::string CellText(int value) {
    if (value < 0 || value >= slot::kPastCodes) return {};
    if (value >= slot::kReserved) return res::MarkName(slot::Pressing(value));
    if (slot::StringPart(value) >= res::kStringNameCount) return {};
    return res::MarkName(slot::Pressing(value)) + res::StringName(slot::StringPart(value));
}

}  // namespace tabrella
