#pragma once
// Texts of the file commands and their messages, handed out as Shift-JIS like Texts.h.
#include <string>

namespace tabrella::res {

enum class FileTxt {
    ScoreFilter,  // タブレラファイル (*.tbr)
    TextFilter,   // テキストファイル (*.txt)
    SaveFailed,   // the first line of the message when a save fails
    OpenFailed,   // the first line of the message when a file cannot be read
    Count
};

const std::string& Sjis(FileTxt id);

}  // namespace tabrella::res
