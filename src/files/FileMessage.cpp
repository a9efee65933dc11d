// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileMessage.h"

#include "resources/FileTexts.h"

namespace tabrella {

std::string ReasonText(const FileError& error) {
    if (!error.reason.empty()) return error.reason;
    std::string text = error.inFolder ? res::Sjis(res::FileTxt::FolderNotWritable) : "";
    if (error.errnum == kNotRegularFile) return text + res::Sjis(res::FileTxt::NotRegularFile);
    return text + SystemReason(error.errnum);
}

void ShowFileError(platform::IDialogHost& dialogs, std::string_view sjisHeadline,
                   const FileError& error) {
    dialogs.FileMessageBox(sjisHeadline, error.path, ReasonText(error));
}

}  // namespace tabrella
