#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "resources/Sjis.h"

namespace tabrella {
namespace {

// glibc's text of an error number, never translated: the message box expects Shift-JIS and a
// translated text would come in the locale's encoding.
std::string Reason(int error) {
    const char* text = strerrordesc_np(error);
    return text ? text : "error " + std::to_string(error);
}

// 0, or the errno of the first failing write.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A symbolic link is followed, so the file it names is replaced and the link stays.
std::string ResolvedTarget(const std::string& target) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.c_str(), nullptr),
                                                     &std::free);
    return real ? std::string(real.get()) : target;
}

int WriteInPlace(const std::string& target, std::string_view bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

int WriteAndRename(const std::string& target, std::string_view bytes, mode_t mode) {
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    ::fchmod(fd, mode);  // mkostemp leaves 0600; a file system without modes may refuse
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
}

}  // namespace

std::string FileSystemPath(std::string_view sjisPath) {
    return SjisToUtf8(sjisPath);
}

std::optional<FileError> WriteFileAtomically(const std::string& sjisPath, std::string_view bytes) {
    std::string target = FileSystemPath(sjisPath);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    int error = 0;
    if (exists) target = ResolvedTarget(target);
    if (exists && !S_ISREG(st.st_mode)) {
        error = WriteInPlace(target, bytes);
    } else {
        error = WriteAndRename(target, bytes, exists ? (st.st_mode & 07777) : NewFileMode());
    }
    if (error == 0) return std::nullopt;
    return FileError{sjisPath, Reason(error)};
}

std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/tabrella-XXXXXX";
    name += suffix;
    const int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) return FileError{Utf8ToSjis(name), Reason(errno)};
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(name.c_str());
        return FileError{Utf8ToSjis(name), Reason(error)};
    }
    path = name;
    return std::nullopt;
}

}  // namespace tabrella
