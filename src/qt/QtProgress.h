// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a long task on the window's thread as a Qt progress dialog with a cancel
// button. It shows itself only once the task looks like taking longer than half a second.
#include <QProgressDialog>

#include "platform/Progress.h"

namespace tabrella::qt {

class QtProgress : public platform::IProgress {
  public:
    QtProgress(QWidget* parent, const QString& text);
    // Moves the bar; once the dialog shows, this is also where the window handles its events
    // (a click on the cancel button among them).
    bool Continue(long done, long total) override;

    static constexpr int kShowAfterMs = 500;

  private:
    QProgressDialog m_dialog;
};

}  // namespace tabrella::qt
