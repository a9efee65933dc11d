// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a long task that runs on the window's thread.

namespace tabrella::platform {

// Asked now and then while the task runs; false stops the task.
class IProgress {
  public:
    virtual ~IProgress() = default;
    virtual bool Continue(long done, long total) = 0;
};

}  // namespace tabrella::platform
