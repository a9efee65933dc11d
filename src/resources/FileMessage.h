// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a file error reads to the user: one message of headline, path and reason.
#include <string>
#include <string_view>

#include "base/FileError.h"
#include "platform/Dialog.h"

namespace tabrella {

// The reason as Shift-JIS in the language of the run: the words of its fault kind, the
// system's for an error number, or a foreign party's own.
std::string ReasonText(const FileError& error);

void ShowFileError(platform::IDialogHost& dialogs, std::string_view sjisHeadline,
                   const FileError& error);

}  // namespace tabrella
