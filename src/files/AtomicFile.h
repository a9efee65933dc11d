#pragma once
// Replacing a file so that a failed write never costs the old contents.
#include <optional>
#include <string_view>

#include "files/FileError.h"

namespace tabrella {

// Writes `bytes` into a new file beside `sjisPath` and renames it over the target only
// after every byte is written and flushed to disk. On failure the target is as it was
// and the new file is gone. A target that is a device or pipe is written in place, since
// it cannot be replaced; a symbolic link is followed, so the link stays a link.
std::optional<FileError> WriteFileAtomically(std::string_view sjisPath, std::string_view bytes);

}  // namespace tabrella
