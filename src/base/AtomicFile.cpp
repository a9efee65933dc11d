// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a link leads to, link after link, whether or not it exists yet: the link stays
// and its target is written. A loop of links is left to the write to refuse.
std::string ResolveLink(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        char to[PATH_MAX];
        const ssize_t n = ::readlink(at.c_str(), to, sizeof to);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof to) return path;
        const std::string next(to, static_cast<size_t>(n));
        at = next.front() == '/' ? next : DirectoryOf(at) + "/" + next;
    }
    return path;
}

// The temporary name of a save of `target`: a hidden file beside it that names the
// writing process, so a later save can tell one left by a killed writer.
std::string TemporaryPrefix(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return dir + "." + target.substr(dir.size()).substr(0, 100) + ".";
}

// The temporary files this process has not yet renamed or removed, where a signal handler
// can reach them: fixed slots, claimed and freed atomically, read without locks.
struct TrackedTemporary {
    std::atomic<int> state{0};  // kFree, kClaimed while the name is copied in, kNamed
    char path[PATH_MAX];
};
constexpr int kFree = 0, kClaimed = 1, kNamed = 2;
TrackedTemporary g_temporaries[16];

void Track(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    for (TrackedTemporary& slot : g_temporaries) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kClaimed)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kNamed, std::memory_order_release);
        return;
    }
}

void Untrack(const std::string& path) {
    for (TrackedTemporary& slot : g_temporaries) {
        if (slot.state.load(std::memory_order_acquire) == kNamed && path == slot.path) {
            slot.state.store(kFree);
            return;
        }
    }
}

// A name in the target's folder that no file has: created with O_EXCL, so two writers
// never share one, and readable by the owner alone until it is finished.
int CreateTemporary(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string prefix = TemporaryPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)) + ".tmp";
        // Tracked before it exists, so a signal at any moment after finds it.
        Track(tempPath);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
        const int err = errno;
        Untrack(tempPath);
        errno = err;
        if (err != EEXIST) return -1;
    }
    return -1;
}

// The permissions a new file gets from the umask, as if it had been created directly. The
// kernel tells the mask without changing it; setting it to read it back would, for that
// moment, give files that another thread creates the wrong permissions.
mode_t NewFileMode() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status)) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) return 0666 & ~static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool IsNumber(std::string_view s, std::size_t mostDigits) {
    return !s.empty() && s.size() <= mostDigits && (s[0] != '0' || s.size() == 1) &&
           s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process that made a temporary file named exactly as CreateTemporary names one,
// ".NAME.PID-N.tmp"; 0 for any other name.
long WriterOf(std::string_view name) {
    constexpr std::string_view kEnd = ".tmp";
    if (name.size() < 2 || name[0] != '.' || !name.ends_with(kEnd)) return 0;
    name.remove_suffix(kEnd.size());
    const size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || !IsNumber(name.substr(dash + 1), 20)) return 0;
    name = name.substr(0, dash);
    const size_t dot = name.rfind('.');
    constexpr size_t kLongestName = 100;  // as TemporaryPrefix cuts it
    if (dot == std::string_view::npos || dot < 2 || dot - 1 > kLongestName) return 0;
    const std::string_view pid = name.substr(dot + 1);
    if (!IsNumber(pid, 9) || pid == "0") return 0;
    return std::stol(std::string(pid));
}

// Removes what writes into `folder` left when they were killed before the rename: files
// named as our temporary files are, of this user, whose writer no longer runs. A process id
// used again keeps such a file until that process has ended too; a live writer's file is
// never taken.
void RemoveLeftTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const long writer = WriterOf(entry->d_name);
        if (writer <= 0 || writer == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(writer), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

struct Outcome {
    int err = 0;
    bool inFolder = false;  // the folder, not the file, refused: no new file can be made there
};

Outcome ReplaceFile(const std::string& target, std::string_view bytes, const struct stat* old,
                    FileAccess access) {
    std::string tempPath;
    Fd fd(CreateTemporary(target, tempPath));
    if (fd.get() < 0) return {errno, true};
    int err = WriteAll(fd.get(), bytes);
    // The finished file gets the permissions the old one had, or a new file's.
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600
                        : old                           ? old->st_mode & 07777
                                                        : NewFileMode();
    if (!err && ::fchmod(fd.get(), mode) != 0) err = errno;
    if (!err && ::fsync(fd.get()) != 0) err = errno;
    if (!err) err = fd.Close();
    if (!err && ::rename(tempPath.c_str(), target.c_str()) != 0) err = errno;
    if (err) ::unlink(tempPath.c_str());
    Untrack(tempPath);
    if (err) return {err, false};
    // Make the rename itself durable; a failure here no longer risks the contents.
    Fd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    RemoveLeftTemporaries(DirectoryOf(target));
    return {};
}

// Makes a finished file durable and renames it over the target, with the old file's
// permissions or a new file's; then removes what killed writers left in its folder.
Outcome ReplaceWith(const std::string& tempPath, const std::string& target) {
    Fd fd(::open(tempPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return {errno, false};
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? old.st_mode & 07777 : NewFileMode();
    if (::fchmod(fd.get(), mode) != 0) return {errno, false};
    if (::fsync(fd.get()) != 0) return {errno, false};
    if (int err = fd.Close()) return {err, false};
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return {errno, false};
    Untrack(tempPath);
    Fd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    RemoveLeftTemporaries(DirectoryOf(target));
    return {};
}

std::optional<FileError> ErrorOf(const Outcome& outcome, std::string_view path,
                                 const std::string& target) {
    if (!outcome.err) return std::nullopt;
    if (outcome.inFolder) {
        return FileError{DirectoryOf(target), FileFault::FolderNotWritable, outcome.err};
    }
    return MakeFileError(path, outcome.err);
}

// Only a regular file, or none yet, can be replaced: a device or pipe would lose the bytes.
int CheckReplaceable(const std::string& target, struct stat& st, bool& exists) {
    exists = ::stat(target.c_str(), &st) == 0;
    if (!exists) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : kNotRegularFile;
}

}  // namespace

void RemoveTemporariesNow() {
    for (TrackedTemporary& slot : g_temporaries) {
        if (slot.state.load(std::memory_order_acquire) == kNamed) ::unlink(slot.path);
    }
}

PendingFile::~PendingFile() {
    if (m_tempPath.empty()) return;
    ::unlink(m_tempPath.c_str());
    Untrack(m_tempPath);
}

std::optional<FileError> PendingFile::Create(std::string_view target) {
    m_path = std::string(target);
    m_target = ResolveLink(m_path);
    struct stat st {};
    bool exists = false;
    if (int err = CheckReplaceable(m_target, st, exists)) return MakeFileError(target, err);
    std::string path;
    const int fd = CreateTemporary(m_target, path);
    if (fd < 0) return ErrorOf({errno, true}, target, m_target);
    ::close(fd);
    m_tempPath = path;
    return std::nullopt;
}

std::optional<FileError> PendingFile::Commit() {
    const Outcome outcome = ReplaceWith(m_tempPath, m_target);
    if (!outcome.err) m_tempPath.clear();  // renamed: nothing left to remove
    return ErrorOf(outcome, m_path, m_target);
}

std::optional<FileError> WriteFileAtomically(std::string_view path, std::string_view bytes,
                                             FileAccess access) {
    const std::string target = ResolveLink(std::string(path));
    struct stat st {};
    bool exists = false;
    if (int err = CheckReplaceable(target, st, exists)) return MakeFileError(path, err);
    return ErrorOf(ReplaceFile(target, bytes, exists ? &st : nullptr, access), path, target);
}

std::optional<FileError> WriteFreshTempFile(std::string_view suffix, std::string_view bytes,
                                            std::string& path) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/tabrella-XXXXXX";
    name += suffix;
    Fd fd(::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC));
    if (fd.get() < 0) return MakeFileError(name, errno);
    int error = WriteAll(fd.get(), bytes);
    if (const int closeError = fd.Close(); error == 0) error = closeError;
    if (error != 0) {
        ::unlink(name.c_str());
        return MakeFileError(name, error);
    }
    path = name;
    return std::nullopt;
}

}  // namespace tabrella
