// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/FileTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(FileTxt::Count)> kUtf8Texts = {
    "タブレラファイル (*.tbr)",
    "テキストファイル (*.txt)",
    "ファイルを保存できませんでした。",
    "ファイルを開けませんでした。",
    "タブレラの楽譜ファイルではありません。",
    "通常のファイルではありません（フォルダ、装置、パイプなど）。",
    "このフォルダに新しいファイルを作れません: ",
    "楽譜に保存できない文字が含まれています。Shift-JIS で表せる文字だけを入力してください。",
};

}  // namespace

const std::string& Sjis(FileTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kFileTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
