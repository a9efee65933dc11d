// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "base/AtomicFile.h"
#include "base/Sjis.h"
#include "files/FileDialogs.h"
#include "resources/FileMessage.h"
#include "resources/RecoveryTexts.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

constexpr std::string_view kRecordHeader = "tabrella-recovery 1";

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::optional<std::string> Unhex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (ec != std::errc() || end != hex.data() + i + 2) return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

std::optional<std::int64_t> Number(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Makes the folder and any missing parent, each new one the owner's alone; the recovery
// folder itself is made private even when it was there already.
int MakePrivateFolder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return errno;
    return 0;
}

// Cells past the last one that holds anything say nothing: a saved file may end later.
std::vector<ScoreCell> UsedCells(const std::vector<ScoreCell>& cells) {
    auto end = cells.end();
    while (end != cells.begin() && *(end - 1) == ScoreCell{}) --end;
    return {cells.begin(), end};
}

bool SameScore(const ScoreFileContent& a, const ScoreFileContent& b) {
    return a.settings == b.settings && UsedCells(a.cells) == UsedCells(b.cells);
}

// True when the copy holds nothing the file it belongs to (or a new score) does not.
bool NothingToRecover(const FoundCopy& copy) {
    if (copy.read.error || copy.read.content.notAScore) return false;
    if (copy.record.originalPath.empty()) {
        return SameScore(copy.read.content, ScoreFileContent{});
    }
    const ScoreFileRead disk = ReadScoreFile(copy.record.originalPath);
    return !disk.error && SameScore(copy.read.content, disk.content);
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Format(const std::string& sjisFormat, const std::string& value) {
    const size_t at = sjisFormat.find("%s");
    if (at == std::string::npos) return sjisFormat;
    return sjisFormat.substr(0, at) + value + sjisFormat.substr(at + 2);
}

std::string LocalTime(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&t, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void FillDialog(CRecoveryDialog& dialog, const FoundCopy& copy) {
    const std::string& path = copy.record.originalPath;
    // File names are taken as UTF-8, as the desktop names them.
    const std::string name =
        path.empty() ? res::Sjis(res::RecoveryTxt::Untitled) : Utf8ToSjis(FileName(path));
    dialog.m_fileLine = Format(res::Sjis(res::RecoveryTxt::FileLineFormat), name);
    dialog.m_changedLine =
        Format(res::Sjis(res::RecoveryTxt::ChangedLineFormat), LocalTime(copy.record.changedAt));
    if (copy.read.error) {
        dialog.m_cellsLine = res::Sjis(res::RecoveryTxt::Unreadable) + ReasonText(*copy.read.error);
    } else {
        const std::string& format = res::Sjis(res::RecoveryTxt::CellsLineFormat);
        char line[256];
        std::snprintf(line, sizeof line, format.c_str(),
                      static_cast<int>(UsedCells(copy.read.content.cells).size()));
        dialog.m_cellsLine = line;
    }
}

// Takes the lock of a copy's writer; -1 when that writer still runs. A copy without a lock
// file had a writer that is gone (its lock file is made before the first copy).
int ClaimLock(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

// ---- The record ---------------------------------------------------------------------------

std::string FormatRecoveryRecord(const RecoveryRecord& r) {
    std::ostringstream out;
    out << kRecordHeader << "\npath " << Hex(r.originalPath) << "\n";
    if (r.originalStamp) {
        out << "size " << r.originalStamp->size << "\nmodified " << r.originalStamp->modifiedNs
            << "\n";
    }
    out << "changed " << r.changedAt << "\n";
    return out.str();
}

std::optional<RecoveryRecord> ParseRecoveryRecord(std::string_view text) {
    if (!text.starts_with(kRecordHeader)) return std::nullopt;
    RecoveryRecord r;
    std::optional<std::int64_t> size, modified, changed;
    std::optional<std::string> path;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, space), value = line.substr(space + 1);
        if (key == "path") path = Unhex(value);
        if (key == "size") size = Number(value);
        if (key == "modified") modified = Number(value);
        if (key == "changed") changed = Number(value);
    }
    if (!path || !changed) return std::nullopt;
    r.originalPath = *path;
    r.changedAt = *changed;
    if (size && modified) r.originalStamp = FileStamp{*size, *modified};
    return r;
}

std::string RecoveryFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    // XDG base directories must be absolute; a relative XDG_STATE_HOME is ignored.
    if (state && state[0] == '/') return std::string(state) + "/Tabrella/recovery";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/Tabrella/recovery";
    return {};
}

// ---- This run's copy ------------------------------------------------------------------------

RecoveryKeeper::RecoveryKeeper(std::string folder, FaultReport onFault)
    : m_folder(std::move(folder)), m_onFault(std::move(onFault)) {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    char stamp[32] = "0";
    if (::gmtime_r(&t, &utc)) std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    m_name = std::string(stamp) + "-" + std::to_string(::getpid());
    m_worker = std::thread([this] { Run(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
    if (m_lockFd >= 0) ::close(m_lockFd);
}

RecoveryKeeper::Job RecoveryKeeper::Snapshot(const CTabrellaView& view) {
    Job job;
    job.remove = !view.Modified();
    if (!job.remove) {
        const int last = view.ScreenEndCell();
        job.content.cells.assign(view.m_cells.begin() + 1, view.m_cells.begin() + 1 + last);
        job.content.settings = view.Settings();
        job.record = {view.m_filePath, view.m_fileStamp, Now()};
    }
    return job;
}

void RecoveryKeeper::ScoreChanged(const CTabrellaView& view) {
    Job job = Snapshot(view);
    {
        std::lock_guard lock(m_mutex);
        job.sequence = ++m_sequence;
        if (m_pending) m_done = m_pending->sequence;  // overtaken: dropped unwritten
        m_pending = std::move(job);
    }
    m_wake.notify_all();
}

void RecoveryKeeper::WriteNow(const CTabrellaView& view) {
    Job job = Snapshot(view);
    {
        std::lock_guard lock(m_mutex);
        job.sequence = ++m_sequence;
        m_pending.reset();
    }
    Perform(job);
    {
        std::lock_guard lock(m_mutex);
        m_done = std::max(m_done, job.sequence);
    }
    m_idle.notify_all();
}

void RecoveryKeeper::EndCleanly() {
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
        m_stop = true;
        m_done = m_sequence;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
    std::lock_guard write(m_writeMutex);
    m_written = m_sequence + 1;  // nothing after this may write again
    RemoveCopy();
    if (m_lockFd >= 0) {
        ::unlink(LockPath().c_str());
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

void RecoveryKeeper::WaitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_done >= m_sequence; });
}

void RecoveryKeeper::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        if (!m_pending) break;  // stopped with nothing left to write
        const Job job = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        Perform(job);
        lock.lock();
        m_done = std::max(m_done, job.sequence);
        m_idle.notify_all();
        // Changes that come meanwhile wait for one write together.
        m_wake.wait_for(lock, std::chrono::milliseconds(kGapMs), [this] { return m_stop; });
    }
}

void RecoveryKeeper::Perform(const Job& job) {
    std::lock_guard lock(m_writeMutex);
    // A later state is on disk already (written at once for a signal).
    if (job.sequence <= m_written) return;
    m_written = job.sequence;
    if (job.remove) {
        RemoveCopy();
        return;
    }
    if (const std::optional<FileError> error = Write(job)) {
        if (!m_faultReported && m_onFault) m_onFault(*error);
        m_faultReported = true;
    } else {
        m_faultReported = false;
    }
}

std::optional<FileError> RecoveryKeeper::Write(const Job& job) {
    if (m_folder.empty()) return FileError{m_folder, FileFault::FolderNotWritable, ENOENT};
    if (const int err = MakePrivateFolder(m_folder)) {
        return FileError{m_folder, FileFault::FolderNotWritable, err};
    }
    if (std::optional<FileError> error = TakeLock()) return error;
    // The score first: a record without its copy would offer nothing.
    if (std::optional<FileError> error =
            WriteFileAtomically(CopyPath(), FormatScoreFile(job.content), FileAccess::OwnerOnly)) {
        return error;
    }
    return WriteFileAtomically(RecordPath(), FormatRecoveryRecord(job.record),
                               FileAccess::OwnerOnly);
}

std::optional<FileError> RecoveryKeeper::TakeLock() {
    if (m_lockFd >= 0) return std::nullopt;
    // Held for the life of the process before any copy exists, so no other editor ever
    // takes this copy for one left behind.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return FileError{m_folder, FileFault::FolderNotWritable, errno};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // A starting editor may have taken the file for one left behind and removed it
            // between our open and our lock: then the lock guards nothing; start again.
            struct stat held {
            }, named{};
            if (::fstat(fd, &held) == 0 && ::stat(LockPath().c_str(), &named) == 0 &&
                held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
                m_lockFd = fd;
                return std::nullopt;
            }
            ::close(fd);
            continue;
        }
        ::close(fd);
        m_name += "-" + std::to_string(attempt);  // a name held by another: take a new one
    }
    return FileError{LockPath(), FileFault::System, EWOULDBLOCK};
}

void RecoveryKeeper::RemoveCopy() {
    ::unlink(RecordPath().c_str());
    ::unlink(CopyPath().c_str());
}

// ---- Copies left behind ---------------------------------------------------------------------

HeldLock::~HeldLock() {
    if (m_fd >= 0) ::close(m_fd);
}

void FoundCopy::Remove() {
    ::unlink(copyPath.c_str());
    ::unlink(recordPath.c_str());
    ::unlink(lockPath.c_str());
}

std::vector<FoundCopy> FindLeftCopies(const std::string& folder) {
    std::vector<FoundCopy> found;
    if (folder.empty()) return found;
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.starts_with(".")) continue;
            for (std::string_view suffix : {".tbr", ".info", ".lock"}) {
                if (name.size() > suffix.size() && name.ends_with(suffix)) {
                    names.emplace_back(name.substr(0, name.size() - suffix.size()));
                }
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        FoundCopy copy;
        copy.copyPath = folder + "/" + name + ".tbr";
        copy.recordPath = folder + "/" + name + ".info";
        copy.lockPath = folder + "/" + name + ".lock";
        copy.lock = HeldLock(ClaimLock(copy.lockPath));
        if (!copy.lock.Held()) continue;  // its editor is still running
        copy.read = ReadScoreFile(copy.copyPath);
        // What an editor killed after saving leaves: a lock, perhaps a record, no copy.
        if (copy.read.error && copy.read.error->fault == FileFault::System &&
            copy.read.error->errnum == ENOENT) {
            copy.Remove();
            continue;
        }
        std::string text;
        std::optional<RecoveryRecord> record;
        if (ReadRegularFile(copy.recordPath, text, 1 << 16) == 0)
            record = ParseRecoveryRecord(text);
        if (record) {
            copy.record = *record;
        } else {
            const std::optional<FileStamp> stamp = StampOfFile(copy.copyPath);
            copy.record.changedAt = stamp ? stamp->modifiedNs / 1000000000 : 0;
        }
        if (NothingToRecover(copy)) {
            copy.Remove();
            continue;
        }
        found.push_back(std::move(copy));
    }
    std::sort(found.begin(), found.end(), [](const FoundCopy& a, const FoundCopy& b) {
        return a.record.changedAt > b.record.changedAt;
    });
    return found;
}

bool OfferLeftCopies(CTabrellaView& view, platform::IDialogHost& dialogs, RecoveryKeeper& keeper) {
    std::vector<FoundCopy> copies = FindLeftCopies(keeper.Folder());
    for (FoundCopy& copy : copies) {
        CRecoveryDialog dialog;
        FillDialog(dialog, copy);
        const int answer = dialogs.DoModal(dialog);
        if (answer == CRecoveryDialog::kDiscard) {
            copy.Remove();
            continue;
        }
        if (answer == CRecoveryDialog::kRestore && !copy.read.error) {
            view.RestoreRecovered(copy.read.content, copy.record.originalPath,
                                  copy.record.originalStamp);
            // This run's copy is on disk before the old one goes.
            keeper.WriteNow(view);
            copy.Remove();
            return true;
        }
        // Later, a copy that cannot be restored, or a dialog ended by a request to
        // terminate: every copy left is kept for the next start.
        return false;
    }
    return false;
}

}  // namespace tabrella
