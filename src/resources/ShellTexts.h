// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the main window's own parts: the about box, the help window and the status-bar
// panes (UTF-8 here, handed out as Shift-JIS; "%1" and "%2" are filled in by the window).
#include <string>

namespace tabrella::res {

enum class ShellTxt {
    AboutCaption,         // Tabrella のバージョン情報
    AboutText,            // rich text; %1 is the version
    HelpCaption,          // タブレラ ヘルプ
    CellPaneFormat,       // マス %1　%2列目から
    LoopPaneFormat,       // 繰り返し %1〜%2 (the looped cells)
    CountInPane,          // カウントイン
    MetronomePane,        // メトロノーム
    SpeedPaneFormat,      // 速さ %1%
    LanguageAtNextStart,  // 表示の言語は次回の起動から切り替わります
    WrittenFormat,        // %1 に書き出しました (%1: the file's path)
    KeyHintFormat,  // 弦: %1　↓: 次のマス　キーの一覧: F1 (%1: the keys of the strings)
    Count
};

const std::string& Sjis(ShellTxt id);

}  // namespace tabrella::res
