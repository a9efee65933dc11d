// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replacing a file so that a failed write never costs the old contents.
#include <optional>
#include <string>
#include <string_view>

#include "base/FileError.h"

namespace tabrella {

// Writes `bytes` into a new file beside `path` and renames it over the target only after
// every byte is written and flushed to disk. On failure the target is as it was and the
// new file is gone. The new file is the owner's alone until it takes the old file's
// permissions just before the rename; a success removes what killed writers left in the
// same folder. A folder, device or pipe is refused; a symbolic link is followed, so the
// link stays a link. When no new file can be made in the folder, the error names the
// folder. OwnerOnly makes the file readable and writable by its owner alone, whatever the
// old file or the umask allowed.
enum class FileAccess { AsTarget, OwnerOnly };
std::optional<FileError> WriteFileAtomically(std::string_view path, std::string_view bytes,
                                             FileAccess access = FileAccess::AsTarget);

// A new file beside a target, for a writer that names the file it writes rather than
// handing over bytes (a library that renders into a file). Commit puts it in the target's
// place as WriteFileAtomically would, keeping the target's permissions and following its
// link; a folder, device or pipe is refused. A file never committed is removed, so a
// failed or abandoned write leaves the target as it was.
class PendingFile {
  public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::optional<FileError> Create(std::string_view target);
    // The file system's name of the new file, for the writer.
    const std::string& NativePath() const { return m_tempPath; }
    std::optional<FileError> Commit();

  private:
    std::string m_path;    // as named
    std::string m_target;  // links followed
    std::string m_tempPath;
};

// Removes the temporary files of writes still under way; safe in a signal handler, for one
// that ends the program.
void RemoveTemporariesNow();

// Creates a file under a fresh name in $TMPDIR (else /tmp), exclusively and readable by the
// owner only, so no other program can slip a file of its own in under that name; writes
// `bytes` and stores the file system's name in `path`. On failure nothing remains.
std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path);

}  // namespace tabrella
