// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/RangeTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"

namespace tabrella::res {

const std::string& RangeOperationName(RangeOperation op) {
    static constexpr std::array<std::string_view, 4> kUtf8 = {"空白を挿入", "切り取り",
                                                              "コピー操作", "繰り返し演奏"};
    static const std::array<std::string, 4> names = Utf8ToSjisAll(kUtf8);
    return names.at(static_cast<size_t>(op));
}

}  // namespace tabrella::res
