// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the file commands and their messages, handed out as Shift-JIS like Texts.h.
#include <string>

namespace tabrella::res {

enum class FileTxt {
    ScoreFilter,        // タブレラファイル (*.tbr)
    TextFilter,         // テキストファイル (*.txt)
    SaveFailed,         // the first line of the message when a save fails
    OpenFailed,         // the first line of the message when a file cannot be read
    NotAScore,          // the reason given for a file whose cells are not numbers
    NotRegularFile,     // the reason given for a folder, device or pipe
    FolderNotWritable,  // put before the reason when no new file can be made in a folder
    NotShiftJis,        // a dialog's text holds a character a score cannot store
    Count
};

const std::string& Sjis(FileTxt id);

}  // namespace tabrella::res
