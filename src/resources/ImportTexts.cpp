// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/ImportTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "base/Sjis.h"
#include "resources/English.h"
#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(ImportTxt::Count)> kUtf8Texts = {
    "MIDI・MusicXMLファイル (*.mid *.midi *.musicxml *.xml *.mxl)",
    "MIDIファイル (*.mid *.midi)",
    "MusicXMLファイル (*.musicxml *.xml *.mxl)",
    "インポートできませんでした。",
    "MIDIファイルでもMusicXMLファイルでもありません。",
    "ファイルが壊れているか、途中で切れています。",
    "この形式には対応していません。MIDIはフォーマット0と1、MusicXMLはパートごとの楽譜"
    "(score-partwise)を読み込めます。",
    "指定されたトラックがファイルにありません。",
    "読み込める音がありません。",
    "MIDIとMusicXMLを読み込む機能がありません。",
    "%d音を配置しました（うちオクターブを移した音 %d）。配置できなかった音: %d。"
    "調子: %s　%s",
};

}  // namespace

const std::string& Sjis(ImportTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kImportTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
