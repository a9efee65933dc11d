// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recovery copy: while the score differs from its saved state, a copy of it in the score
// file format (what Save would write) and a small record of where it belongs are kept in the
// user's state folder, at most a moment behind the last change. A run that ends without
// saving (killed, crashed, the power gone) leaves them for the next start to offer.
//
// Each running editor writes under a name of its own, <time>-<pid>, and holds an exclusive
// flock on <name>.lock for its whole life: the kernel lets go of it however the process
// ends, so a copy whose lock can be taken belongs to no live editor. The files:
//   <name>.tbr   the score, Shift-JIS, as Save writes it
//   <name>.info  the record (FormatRecoveryRecord)
//   <name>.lock  empty; only its lock matters
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/FileError.h"
#include "base/FileRead.h"
#include "files/ScoreFile.h"
#include "platform/Dialog.h"
#include "score/ScoreWatcher.h"

namespace tabrella {

struct RecoveryRecord {
    std::string originalPath;  // the file system's bytes; empty when the score had no file
    std::optional<FileStamp> originalStamp;  // that file when it was opened or saved
    std::int64_t changedAt = 0;              // the last change, seconds since the epoch

    friend bool operator==(const RecoveryRecord&, const RecoveryRecord&) = default;
};

// Lines of "key value"; the path in hexadecimal, so that any byte a name may hold survives.
std::string FormatRecoveryRecord(const RecoveryRecord& record);
// Nothing when the text is not a record.
std::optional<RecoveryRecord> ParseRecoveryRecord(std::string_view text);

// $XDG_STATE_HOME/Tabrella/recovery, else ~/.local/state/Tabrella/recovery; empty when
// neither the variable nor a home folder is known.
std::string RecoveryFolder();

// Keeps this run's copy. Told of each change on the interface thread, it takes a snapshot
// there (the used cells and the settings) and leaves the writing to a worker thread, which
// writes at most every kGapMs, so a change reaches the disk well within two seconds.
class RecoveryKeeper : public IScoreWatcher {
  public:
    static constexpr int kGapMs = 700;
    // Told once, from the worker, when a copy cannot be written (again after a success).
    using FaultReport = std::function<void(const FileError&)>;

    explicit RecoveryKeeper(std::string folder, FaultReport onFault = {});
    // Finishes a write still waiting; the copy stays (only EndCleanly removes it).
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    void ScoreChanged(const CTabrellaView& view) override;
    // Writes the copy of the score as it is now before returning (or removes it when the
    // score is saved): for a request to terminate, after which nothing more may run.
    void WriteNow(const CTabrellaView& view);
    // The program ends with nothing left to recover: the copy, its record and the lock go.
    void EndCleanly();
    // Returns once every change told so far is on disk (for tests).
    void WaitUntilWritten();

    const std::string& Folder() const { return m_folder; }
    std::string CopyPath() const { return m_folder + "/" + m_name + ".tbr"; }
    std::string RecordPath() const { return m_folder + "/" + m_name + ".info"; }
    std::string LockPath() const { return m_folder + "/" + m_name + ".lock"; }

  private:
    struct Job {
        std::uint64_t sequence = 0;
        bool remove = false;  // the score is saved: no copy
        ScoreFileContent content;
        RecoveryRecord record;
    };
    Job Snapshot(const CTabrellaView& view);
    void Run();
    void Perform(const Job& job);
    std::optional<FileError> Write(const Job& job);
    std::optional<FileError> TakeLock();
    void RemoveCopy();

    std::string m_folder;
    std::string m_name;
    FaultReport m_onFault;
    int m_lockFd = -1;
    bool m_faultReported = false;  // worker's, under m_writeMutex

    std::mutex m_mutex;  // guards the fields up to m_idle
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    std::uint64_t m_sequence = 0;
    std::uint64_t m_done = 0;  // the sequence of the last job performed or dropped
    bool m_stop = false;

    std::mutex m_writeMutex;  // one write at a time: the worker's or WriteNow's
    std::uint64_t m_written = 0;
    std::thread m_worker;
};

// A copy left by an editor that no longer runs. While it is held, its lock is held too, so
// another editor starting at the same moment does not offer it as well.
class HeldLock {
  public:
    explicit HeldLock(int fd = -1) : m_fd(fd) {}
    HeldLock(HeldLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    HeldLock& operator=(HeldLock&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~HeldLock();
    bool Held() const { return m_fd >= 0; }

  private:
    int m_fd;
};

struct FoundCopy {
    std::string copyPath, recordPath, lockPath;
    RecoveryRecord record;  // the copy file's own time when the record is missing or damaged
    ScoreFileRead read;
    HeldLock lock;

    // Removes the copy, its record and its lock.
    void Remove();
};

// Copies in `folder` whose writers no longer run, newest first. Those identical to the file
// they belong to (or to a new score, when they have none) are removed on the way, unoffered.
std::vector<FoundCopy> FindLeftCopies(const std::string& folder);

// Shows the offer for each copy left behind, newest first, until one is restored (the rest
// are kept for the next start). Restore puts it in the view, changed and tied to its file,
// and writes this run's own copy before the old one goes. True when a copy was restored.
bool OfferLeftCopies(CTabrellaView& view, platform::IDialogHost& dialogs, RecoveryKeeper& keeper);

}  // namespace tabrella
