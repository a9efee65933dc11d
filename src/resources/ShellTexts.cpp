// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/ShellTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(ShellTxt::Count)> kUtf8Texts = {
    "Tabrella のバージョン情報",
    "<b>タブレラ (Tabrella)</b> バージョン %1<br><br>"
    "十三弦の箏の縦譜を打ち込み、聴き、印刷するためのエディタ。<br>"
    "Qt と FluidSynth を使って作られています。<br><br>"
    "ライセンス: GNU General Public License バージョン 3 以降 (GPL-3.0-or-later)。"
    "無保証です。",
    "タブレラ ヘルプ",
    "マス %1　%2列目から",
    "繰り返し %1〜%2",
    "カウントイン",
    "メトロノーム",
    "速さ %1%",
    "表示の言語は次回の起動から切り替わります",
    "%1 に書き出しました",
    "弦: %1　↓: 次のマス　キーの一覧: F1",
};

}  // namespace

const std::string& Sjis(ShellTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kShellTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
