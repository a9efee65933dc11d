// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/SpeechTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

// A Japanese voice reads the string names as players call them; the signs are named as the
// page shows them, with what they do where the sign alone says little.
constexpr std::array<std::string_view, static_cast<size_t>(SpeechTxt::Count)> kUtf8Texts = {
    "マス %1",
    "%1列目 %2段目 %3",
    "上",
    "下",
    "分割 上半分",
    "分割 下半分",
    "上半分",
    "下半分",
    "カーソル %1",
    "左",
    "中",
    "右",
    "空",
    "○の続き",
    "休符 ○ 2マス",
    "休符 △ 1マス",
    "点付き休符 ○ 2マス",
    "点付き休符 △ 1マス",
    "繰り返し ゝ",
    "ハ 押し手を戻す",
    "ツ 突く",
    "ヒ 引く",
    "ヲ",
    "オ",
    "ォ",
    "一",
    "二",
    "三",
    "四",
    "五",
    "六",
    "七",
    "八",
    "九",
    "十",
    "斗",
    "為",
    "巾",
    "、",
    "譜面",
    "縦スクロールバー",
    "横スクロールバー",
    "1 増やす",
    "1 減らす",
};

}  // namespace

const std::string& Sjis(SpeechTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kSpeechTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
