// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a file error reads to the user: one message of headline, path and reason.
#include <string>
#include <string_view>

#include "base/FileError.h"
#include "platform/Dialog.h"

namespace tabrella {

// The reason as Shift-JIS: the caller's own text, or the system's for its error number.
std::string ReasonText(const FileError& error);

void ShowFileError(platform::IDialogHost& dialogs, std::string_view sjisHeadline,
                   const FileError& error);

}  // namespace tabrella
