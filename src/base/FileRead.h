// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a whole file the user named, before anything is made of it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tabrella {

// Appends the bytes of the regular file `path` to `out`; 0, or the system's error number:
// EISDIR for a folder, kNotRegularFile for a device or pipe (a FIFO is opened without
// waiting for a writer, then refused), EFBIG past `maxBytes`, which also stops reading a
// device such as /dev/zero that never ends.
int ReadRegularFile(const std::string& path, std::string& out, std::size_t maxBytes);

// What tells one version of a file from the next without reading it: its size and the time
// of its last modification.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // since the epoch

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file `path` names (links followed); nothing when there is none.
std::optional<FileStamp> StampOfFile(const std::string& path);

}  // namespace tabrella
