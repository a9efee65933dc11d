#pragma once
// Errors of file operations as values: the path as the user named it and the system's
// reason. The command that called turns them into a message; nothing here shows one.
#include <string>
#include <string_view>

namespace tabrella {

struct FileError {
    std::string path;    // Shift-JIS, as held by the view
    std::string reason;  // Shift-JIS, the system's text for the error number

    friend bool operator==(const FileError&, const FileError&) = default;
};

// The system's text for an error number, as Shift-JIS.
std::string SystemReason(int errnum);
FileError MakeFileError(std::string_view sjisPath, int errnum);

// The view holds paths as Shift-JIS; the file system names files in UTF-8.
std::string NativeFilePath(std::string_view sjisPath);

}  // namespace tabrella
