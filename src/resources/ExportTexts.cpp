// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/ExportTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(ExportTxt::Count)> kUtf8Texts = {
    "%d / %d",
    "WAVファイル (*.wav)",
    "FLACファイル (*.flac)",
    "Ogg Vorbisファイル (*.ogg)",
    "MusicXMLファイル (*.musicxml)",
    "圧縮MusicXMLファイル (*.mxl)",
    "オーディオを書き出しています...",
    "拡張子は .wav、.flac、.ogg のどれかにしてください。",
    "拡張子は .musicxml、.mxl のどちらかにしてください。",
    "書き出しを中止しました。",
    "オーディオを書き出す機能がありません。",
    "MusicXMLを書き出す機能がありません。",
    "MusicXMLを作成できませんでした。",
    "MIDIデータを作成できませんでした。",
    "MIDI・MusicXML モジュールを読み込めません: ",
    "MIDI・MusicXML モジュールの版がこのプログラムと合いません: ",
    "画像をPNGに変換できませんでした。",
};

}  // namespace

const std::string& Sjis(ExportTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kExportTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
