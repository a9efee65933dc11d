// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the exports share: the file a user names for them and the message of a failure.
#include <optional>
#include <string>

#include "base/FileError.h"
#include "platform/Dialog.h"

namespace tabrella {

// The extension of the name's last part, without the dot, in lower case; empty when none.
std::string LowerExtension(const std::string& path);

// Asks for the file to write; nothing when the user cancelled, or when the name is only an
// extension (the user typed nothing and the dialog added one), which is said first.
std::optional<std::string> AskExportPath(platform::IDialogHost& dialogs,
                                         const platform::FileDialogRequest& request);

// "ファイルを書き込めませんでした。", the path and the reason.
void ShowExportError(platform::IDialogHost& dialogs, const FileError& error);

}  // namespace tabrella
