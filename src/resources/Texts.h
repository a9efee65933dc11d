// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own Japanese texts. Kept here as UTF-8 for reading; each is converted
// to Shift-JIS once, on first use, and handed out as CP932 bytes from then on.
#include <array>
#include <string>

namespace tabrella::res {

enum class Txt {
    AppCaption,       // タブレラ
    AppTitle,         // Tabrella
    NewScoreCaption,  // 新規作成　－タブレラ
    FontGothic,       // ＭＳ ゴシック (the view's default face)
    FontPGothicHalf,  // MS Pゴシック (the default-font command)
    FontPGothicFull,  // ＭＳ Ｐゴシック (dialog font; face written before the font dialog)
    FontBrush,        // HG正楷書体-PRO (header texts)
    OverlayNo,        // ノ
    RestDot,          // ・
    FullWidthSpace,   // 　
    TempoFormat,      // %d/分
    BaseTonePrefix,   // 基音
    Otsu,             // 乙
    ExitQuestion,     // データが変更されています。このまま終了しますか？
    EnterFileName,    // ファイル名を入力してください。
    IntegerRequired,  // 整数を入力してください。
    IntegerRangeFormat,  // %d から %d までの整数を入力してください。
    ClipboardEmpty,      // 貼り付けるマス目がありません。…
    Untitled,            // 無題
    CaptionSuffix,       // 　－タブレラ (after the file's name and the change mark)
    PrintModuleMissing,  // 印刷モジュールを読み込めません:
    PrintModuleWrong,    // 印刷モジュールの版がこのプログラムと合いません:
    Count
};

const std::string& Sjis(Txt id);

// Texts of one slot value (the string names 0..14 and the mark names 0..12).
const std::string& StringName(int index);  // index 0..14
const std::string& MarkName(int index);    // index 0..12

inline constexpr int kStringNameCount = 15;
inline constexpr int kMarkNameCount = 13;

}  // namespace tabrella::res
