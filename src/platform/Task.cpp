// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Task.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tabrella::platform {

bool RunWithProgress(IProgress& progress, const std::function<void()>& work) {
    TaskState task;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    std::jthread worker([&] {
        try {
            TaskScope scope(&task);
            work();
        } catch (const TaskStopped&) {
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        done = true;
        ended.notify_one();
    });
    // Asked first, so that a progress that stops at once always stops the work; after a
    // stop the window goes on being drawn until the work has noticed.
    constexpr auto kPollEvery = std::chrono::milliseconds(20);
    for (;;) {
        if (!progress.Continue(task.Done(), task.Total())) task.RequestStop();
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, kPollEvery, [&] { return done; })) break;
    }
    worker.join();
    if (failure && !task.StopRequested()) std::rethrow_exception(failure);
    return !task.StopRequested();
}

}  // namespace tabrella::platform
