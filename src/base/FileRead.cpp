// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/FileError.h"

namespace tabrella {

int ReadRegularFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        ::close(fd);
        return err;
    }
    // Straight into the text, sized for the file as it is now and one byte more, which
    // tells whether it has grown since; it may grow up to the limit.
    int err = 0;
    const std::size_t start = out.size();
    std::size_t filled = start;
    out.resize(start + std::min(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1,
                                maxBytes + 1));
    for (;;) {
        if (filled == out.size()) {
            if (filled - start > maxBytes) {
                err = EFBIG;
                break;
            }
            out.resize(start + std::min((filled - start) * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, out.data() + filled, out.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    out.resize(filled);
    ::close(fd);
    return err;
}

std::optional<FileStamp> StampOfFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace tabrella
