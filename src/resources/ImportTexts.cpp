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
    "MIDI・MusicXML・音声ファイル (*.mid *.midi *.musicxml *.xml *.mxl *.wav *.flac *.ogg)",
    "MIDIファイル (*.mid *.midi)",
    "MusicXMLファイル (*.musicxml *.xml *.mxl)",
    "インポートできませんでした。",
    "MIDIファイルでもMusicXMLファイルでも音声ファイルでもありません。",
    "ファイルが壊れているか、途中で切れています。",
    "この形式には対応していません。MIDIはフォーマット0と1、MusicXMLはパートごとの楽譜"
    "(score-partwise)を読み込めます。",
    "指定されたトラックがファイルにありません。",
    "読み込める音がありません。",
    "MIDI・MusicXML・音声を読み込む機能がありません。",
    "%d音を配置しました（うちオクターブを移した音 %d）。配置できなかった音: %d。"
    "調子: %s　%s",
    "読み込んだパート: %s",
    "ほかのパート（--trackで選べます）: %s",
    "選べるトラック: %s",
    "その名前のトラックが複数あります。番号で選んでください。",
    "パート全体を%+dオクターブ移しました。",
    "片手では弾けない和音から外した音 %d: %s",
    "楽譜に入りきらないため、%d小節目から先の%d音を省きました。",
    "題名のうちShift-JISにない文字を「?」にしました: %s",
    "繰り返しを展開しました（%dか所）。",
    "弱起の小節の前を休符で埋めました。",
    "ファイルが大きすぎます（%sを超えています）。",
    "%lld音",
    "XMLの要素%lld個",
    "XML %lldバイト",
    "圧縮ファイル内のファイル%lld個",
    "音が多すぎるため、最初の%d音より後の%d音を省きました。",
    "%d音を超える和音から、低いほうの%d音を省きました。",
    "基音%s%s",
    "乙",
    "自動",
    "乙なし",
    "乙あり",
    "自動（音高のある最初のパート）",
    "ファイルを読み込んでいます...",
    "音声ファイル (*.wav *.flac *.ogg)",
    "録音が無音です。聞き取れる大きさの音がありません。",
    "録音に音高のある音が聞き取れません（雑音だけです）。",
    "聞き取ったテンポ: %d（1分間の四分音符の数）",
    "指定されたテンポ: %d",
    "録音の音律: A = 440 Hzから%+dセント（これを基準に音高を読みました）",
    "音高の確かでない音: %d",
    "音符にするには短すぎて省いた音: %d",
    "最初の%d分だけを読み、残りの%d秒を省きました。",
    "旋律にしては低すぎるか高すぎる音高 (C2〜C7の外) を雑音として省いた音: %d",
};

}  // namespace

const std::string& Sjis(ImportTxt id) {
    static const LocalizedTable texts(kUtf8Texts, english::kImportTexts);
    return texts.At(static_cast<size_t>(id));
}

}  // namespace tabrella::res
