// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/Texts.h"

#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(Txt::Count)> kUtf8Texts = {
    "タブレラ",
    "Tabrella",
    "新規作成　－タブレラ",
    "ＭＳ ゴシック",
    "MS Pゴシック",
    "ＭＳ Ｐゴシック",
    "HG正楷書体-PRO",
    "ノ",
    "・",
    "　",
    "%d/分",
    "基音",
    "乙",
    "データが変更されています。このまま終了しますか？",
    "ファイル名を入力してください。",
    "整数を入力してください。",
    "%d から %d までの整数を入力してください。",
    "貼り付けるマス目がありません。先に切り取りかコピーをしてください。",
    "無題",
    "　－タブレラ",
    "印刷モジュールを読み込めません: ",
    "印刷モジュールの版がこのプログラムと合いません: ",
};

constexpr std::array<std::string_view, kStringNameCount> kStringNames = {
    "", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "斗", "為", "巾", " "};

constexpr std::array<std::string_view, kMarkNameCount> kMarkNames = {
    "", "ヲ", "オ", "ォ", "", "○", "△", "○", "△", "ゝ", "ハ", "ツ", "ヒ"};

}  // namespace

const std::string& Sjis(Txt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kTexts);
    return texts.At(static_cast<size_t>(id));
}

const std::string& StringName(int index) {
    static const auto names = Utf8ToSjisAll(kStringNames);
    return names.at(static_cast<size_t>(index));
}

const std::string& MarkName(int index) {
    static const auto names = Utf8ToSjisAll(kMarkNames);
    return names.at(static_cast<size_t>(index));
}

}  // namespace tabrella::res
