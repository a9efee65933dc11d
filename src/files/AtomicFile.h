#pragma once
// Replacing a file so that a failed write never costs the old contents.
#include <optional>
#include <string>
#include <string_view>

#include "files/FileError.h"

namespace tabrella {

// Writes `bytes` into a new file beside `path` and renames it over the target only after
// every byte is written and flushed to disk. On failure the target is as it was and the
// new file is gone. The new file is the owner's alone until it takes the old file's
// permissions just before the rename; a success removes what killed saves of the same
// file left. A folder, device or pipe is refused; a symbolic link is followed, so the
// link stays a link. When no new file can be made in the folder, the error names the
// folder.
std::optional<FileError> WriteFileAtomically(std::string_view path, std::string_view bytes);

// Creates a file under a fresh name in $TMPDIR (else /tmp), exclusively and readable by the
// owner only, so no other program can slip a file of its own in under that name; writes
// `bytes` and stores the file system's name in `path`. On failure nothing remains.
std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path);

}  // namespace tabrella
