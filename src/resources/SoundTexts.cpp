// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/SoundTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(SoundTxt::Count)> kUtf8Texts = {
    "MIDIファイル (*.mid)",
    "ファイルを書き込めませんでした。",
    "演奏用の一時ファイルを作成できませんでした。",
    "演奏速度は 50 から 100 までの 5 の倍数で入力してください。",
};

}  // namespace

const std::string& Sjis(SoundTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kSoundTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
