// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Errors of file operations as values: the path as the file system names it and why. The
// command that called turns them into a message; nothing here shows one. Paths are never
// converted: a name in any script reaches the file it names.
#include <string>
#include <string_view>

namespace tabrella {

// Not an error number of the system: the path names a folder, device or pipe where only a
// regular file will do.
inline constexpr int kNotRegularFile = -1;

struct FileError {
    std::string path;       // the file system's own bytes
    std::string reason;     // Shift-JIS, when the caller knows better than an error number
    int errnum = 0;         // the system's error number (or kNotRegularFile) when reason is empty
    bool inFolder = false;  // no new file could be made in the folder `path`

    friend bool operator==(const FileError&, const FileError&) = default;
};

// The system's text for an error number, as Shift-JIS.
std::string SystemReason(int errnum);
FileError MakeFileError(std::string_view path, int errnum);

}  // namespace tabrella
