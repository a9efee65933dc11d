// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Long reading and arranging work run on a worker thread while the window's thread shows
// its progress. The work touches nothing of the window; the caller applies its result, on
// its own thread, only when the work was not stopped.
#include <atomic>
#include <functional>

#include "platform/Progress.h"

namespace tabrella::platform {

// Shared by the work and the thread that waits for it.
class TaskState {
  public:
    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    void Report(long done, long total) {
        m_done.store(done, std::memory_order_relaxed);
        m_total.store(total, std::memory_order_relaxed);
    }
    long Done() const { return m_done.load(std::memory_order_relaxed); }
    long Total() const { return m_total.load(std::memory_order_relaxed); }

    // The task of the calling thread while a TaskScope lives, else none: deep loops check
    // it without every function on the way passing it on.
    static TaskState* Current() { return t_current; }

  private:
    friend class TaskScope;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_done{0}, m_total{0};
    static inline thread_local TaskState* t_current = nullptr;
};

class TaskScope {
  public:
    explicit TaskScope(TaskState* task) : m_outer(TaskState::t_current) {
        TaskState::t_current = task;
    }
    ~TaskScope() { TaskState::t_current = m_outer; }
    TaskScope(const TaskScope&) = delete;
    TaskScope& operator=(const TaskScope&) = delete;

  private:
    TaskState* m_outer;
};

// Thrown where work notices that its task was asked to stop; whoever set up the TaskScope
// catches it. Nothing of the work's result is kept.
struct TaskStopped {};

// A point where the work of this thread may stop.
inline void StopPoint() {
    if (const TaskState* task = TaskState::Current(); task && task->StopRequested()) {
        throw TaskStopped{};
    }
}

// Tells the thread that waits how far the work of this thread is.
inline void ReportProgress(long done, long total) {
    if (TaskState* task = TaskState::Current()) task->Report(done, total);
}

// Runs `work` on a worker thread and waits, asking `progress` now and then (which on the
// window's thread keeps the window drawn and takes the Cancel). True when the work ran to
// its end; false when the progress stopped it, whether or not the work had noticed yet.
// An exception the work throws (other than TaskStopped) is thrown again here.
bool RunWithProgress(IProgress& progress, const std::function<void()>& work);

}  // namespace tabrella::platform
