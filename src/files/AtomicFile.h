#pragma once
// Writing whole files so that a failure never leaves a partial file behind.
#include <optional>
#include <string>
#include <string_view>

namespace tabrella {

// A file that could not be written: its path as the caller named it and the system's reason.
struct FileError {
    std::string path;    // as given (Shift-JIS for paths the view holds)
    std::string reason;  // the system's description of errno, untranslated ASCII
};

// The file system's name (UTF-8) for a path the view holds in Shift-JIS.
std::string FileSystemPath(std::string_view sjisPath);

// Writes `bytes` to a new file beside `sjisPath` and renames it over `sjisPath` only once
// every byte is written and flushed. On failure the old file is untouched and no temporary
// file remains. A target that is not a regular file (a device) is written in place.
std::optional<FileError> WriteFileAtomically(const std::string& sjisPath, std::string_view bytes);

// Creates a file under a fresh name in $TMPDIR (else /tmp), exclusively and readable by the
// owner only, so no other program can slip a file of its own in under that name; writes
// `bytes` and stores the file system's name in `path`. On failure nothing remains.
std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path);

}  // namespace tabrella
