// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/SequencerTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(SeqTxt::Count)> kUtf8Texts = {
    "エラーはありません。",
    "General MIDI の音色ファイル (SoundFont) が見つかりません。TABRELLA_SOUNDFONT "
    "で場所を指定してください。",
    "音色ファイルを読み込めません: ",
    "音声出力装置を開けません",
    "シンセサイザーを作成できません: ",
    "MIDI ファイルを開けません: ",
    "指定されたデバイスは開かれていません。",
    "MIDI ファイルを演奏できません: ",
    "不明なエラーです (%u)。",
    "音声モジュールを読み込めません: ",
    "音声モジュールの版がこのプログラムと合いません: ",
};

}  // namespace

const std::string& Sjis(SeqTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kSequencerTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
