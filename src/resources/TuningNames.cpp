// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/TuningNames.h"

#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Language.h"

namespace tabrella::res {

const std::array<std::string, 8>& TuningNames() {
    static constexpr std::array<std::string_view, 8> kUtf8 = {
        "平調子", "雲井調子", "中空調子",         "乃木調子",
        "楽調子", "ト音階",   "ペンタトニックｍ", "ハルモニックｍ"};
    static const auto names = Utf8ToSjisAll(kUtf8);
    return names;
}

const std::array<std::string, 13>& BaseToneNameTexts() {
    static constexpr std::array<std::string_view, 13> kUtf8 = {
        "",     "壱越", "断金", "平調", "勝絶", "下無", "双調",
        "鳧鐘", "黄鐘", "鸞鐘", "盤渉", "神仙", "上無"};
    static const auto names = Utf8ToSjisAll(kUtf8);
    return names;
}

std::string_view ReadingOfName(std::string_view sjisName) {
    if (CurrentLanguage() == Language::Japanese || sjisName.empty()) return {};
    for (size_t i = 0; i < TuningNames().size(); ++i) {
        if (TuningNames()[i] == sjisName) return english::kTuningReadings[i];
    }
    for (size_t i = 0; i < BaseToneNameTexts().size(); ++i) {
        if (BaseToneNameTexts()[i] == sjisName) return english::kBaseToneReadings[i];
    }
    return {};
}

}  // namespace tabrella::res
