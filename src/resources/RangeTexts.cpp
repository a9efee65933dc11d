// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/RangeTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {

const std::string& RangeOperationName(RangeOperation op) {
    static constexpr std::array<std::string_view, 4> kUtf8 = {"空白を挿入", "切り取り",
                                                              "コピー操作", "繰り返し演奏"};
    static const LocalizedTable names(kUtf8, english::kRangeOperations);
    return names.At(static_cast<size_t>(op));
}

}  // namespace tabrella::res
