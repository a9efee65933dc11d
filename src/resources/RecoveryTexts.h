// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the recovery copy and of the overwrite question it brings, as Shift-JIS like
// Texts.h; both languages are kept here.
#include <string>

namespace tabrella::res {

enum class RecoveryTxt {
    Untitled,           // the name of a score that had no file
    FileLineFormat,     // printf: the file's name
    ChangedLineFormat,  // printf: the time of the last change
    CellsLineFormat,    // printf: the number of used cells
    Unreadable,         // put before the reason of a copy that is no score
    FolderWarning,      // status bar: put before the folder and the system's reason
    DiskChanged,        // Save's question when the file changed on disk
    Count
};

const std::string& Sjis(RecoveryTxt id);

}  // namespace tabrella::res
