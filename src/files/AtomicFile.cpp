#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "resources/Sjis.h"

namespace tabrella {
namespace {

// Closes the descriptor on every path out of a function.
class Fd {
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the error close() may carry (delayed write errors).
    int Close() {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }

  private:
    int m_fd;
};

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

std::string ResolveLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name in the target's folder that no file has: created with O_EXCL, so two writers
// never share one. The umask decides its permissions, as for any new file.
int CreateTemporary(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = target.substr(dir.size()).substr(0, 100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "." + base + "." + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

int WriteInPlace(const std::string& target, std::string_view bytes) {
    Fd fd(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    if (int err = WriteAll(fd.get(), bytes)) return err;
    return fd.Close();
}

int ReplaceFile(const std::string& target, std::string_view bytes, const struct stat* old) {
    std::string tempPath;
    Fd fd(CreateTemporary(target, tempPath));
    if (fd.get() < 0) return errno;
    int err = WriteAll(fd.get(), bytes);
    // A replaced file keeps the permissions it had.
    if (!err && old && ::fchmod(fd.get(), old->st_mode & 07777) != 0) err = errno;
    if (!err && ::fsync(fd.get()) != 0) err = errno;
    if (!err) err = fd.Close();
    if (!err && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(tempPath.c_str());
        return err;
    }
    // Make the rename itself durable; a failure here no longer risks the contents.
    Fd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return 0;
}

std::string TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

// Copies a finished file into a target that cannot be replaced.
int CopyInPlace(const std::string& from, const std::string& target) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return errno;
    Fd out(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (out.get() < 0) return errno;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (int err = WriteAll(out.get(), std::string_view(buffer, static_cast<size_t>(n)))) {
            return err;
        }
    }
    return out.Close();
}

// Makes the finished file durable and renames it over the target, with the target's
// permissions when there was one.
int ReplaceWith(const std::string& tempPath, const std::string& target) {
    Fd fd(::open(tempPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0) {
        return errno;
    }
    if (::fsync(fd.get()) != 0) return errno;
    if (int err = fd.Close()) return err;
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return errno;
    Fd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return 0;
}

}  // namespace

PendingFile::~PendingFile() {
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

std::optional<FileError> PendingFile::Create(std::string_view sjisTarget) {
    m_sjisTarget = std::string(sjisTarget);
    m_target = ResolveLink(NativeFilePath(sjisTarget));
    struct stat st {};
    if (::stat(m_target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return MakeFileError(sjisTarget, EISDIR);
        m_inPlace = !S_ISREG(st.st_mode);
    } else if (errno != ENOENT) {
        return MakeFileError(sjisTarget, errno);
    }
    std::string path;
    int fd = -1;
    if (m_inPlace) {
        // Nothing is created beside a device: the file waits in the temporary folder.
        path = TempFolder() + "/tabrella-XXXXXX";
        fd = ::mkostemp(path.data(), O_CLOEXEC);
    } else {
        fd = CreateTemporary(m_target, path);
    }
    if (fd < 0) return MakeFileError(sjisTarget, errno);
    ::close(fd);
    m_tempPath = path;
    return std::nullopt;
}

std::optional<FileError> PendingFile::Commit() {
    const int err =
        m_inPlace ? CopyInPlace(m_tempPath, m_target) : ReplaceWith(m_tempPath, m_target);
    if (err == 0 && !m_inPlace) m_tempPath.clear();  // renamed: nothing left to remove
    if (err) return MakeFileError(m_sjisTarget, err);
    return std::nullopt;
}

std::optional<FileError> WriteFileAtomically(std::string_view sjisPath, std::string_view bytes) {
    const std::string target = ResolveLink(NativeFilePath(sjisPath));
    struct stat st {};
    int err = 0;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            err = EISDIR;
        } else if (!S_ISREG(st.st_mode)) {
            err = WriteInPlace(target, bytes);
        } else {
            err = ReplaceFile(target, bytes, &st);
        }
    } else if (errno == ENOENT) {
        err = ReplaceFile(target, bytes, nullptr);
    } else {
        err = errno;
    }
    if (err) return MakeFileError(sjisPath, err);
    return std::nullopt;
}

std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/tabrella-XXXXXX";
    name += suffix;
    Fd fd(::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC));
    if (fd.get() < 0) return MakeFileError(Utf8ToSjis(name), errno);
    int error = WriteAll(fd.get(), bytes);
    if (const int closeError = fd.Close(); error == 0) error = closeError;
    if (error != 0) {
        ::unlink(name.c_str());
        return MakeFileError(Utf8ToSjis(name), error);
    }
    path = name;
    return std::nullopt;
}

}  // namespace tabrella
