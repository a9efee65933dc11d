// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words a screen reader says for the score and the names of controls that show no
// text of their own (UTF-8 here, handed out as Shift-JIS; "%1" ... "%3" are filled in).
#include <string>

namespace tabrella::res {

enum class SpeechTxt {
    CellFormat,      // マス %1 (as the status bar counts)
    PlaceFormat,     // %1列目 %2段目 %3 (column, row, upper or lower cell of the row)
    UpperCell,       // 上
    LowerCell,       // 下
    SplitFirstHalf,  // 分割 上半分 (the cursor's half)
    SplitSecondHalf,
    FirstHalf,     // 上半分 (before the first half's content)
    SecondHalf,    // 下半分
    CursorFormat,  // カーソル %1 (the slot)
    Left,
    Centre,
    Right,
    Empty,    // 空
    Covered,  // the second cell of a two-cell rest
    PairRest,
    Rest,
    DottedPairRest,
    DottedRest,
    Repeat,
    Ha,
    Tsu,
    Hi,
    Wo,  // the pressing signs before a string
    O,
    SmallO,
    String1,  // 一 ... 巾, in order
    String13 = String1 + 12,
    Separator,  // between the parts of a sentence
    ScoreArea,  // the score area's name before any cell is described
    ScrollVertical,
    ScrollHorizontal,
    StepUp,  // the arrows beside a number box
    StepDown,
    Count
};

const std::string& Sjis(SpeechTxt id);

}  // namespace tabrella::res
