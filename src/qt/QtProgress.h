// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress of a long task as a Qt progress dialog with a cancel button, for a task on
// the window's thread or one the window's thread waits for. It shows itself only once the
// task looks like taking longer than half a second.
#include <QElapsedTimer>
#include <QProgressDialog>

#include "platform/Progress.h"

namespace tabrella::qt {

class QtProgress : public platform::IProgress {
  public:
    QtProgress(QWidget* parent, const QString& text);
    ~QtProgress() override;
    QtProgress(const QtProgress&) = delete;
    QtProgress& operator=(const QtProgress&) = delete;

    // Moves the bar (a task that tells no total gets a busy bar); once the dialog shows,
    // also lets the window handle its events now and then, a click on the cancel button
    // among them. False once cancelled or once a signal asked the program to end.
    bool Continue(long done, long total) override;

    // True while a progress is up anywhere: the program ends only after its task stopped.
    static bool AnyUnderWay() { return s_underWay > 0; }

    static constexpr int kShowAfterMs = 500;
    static constexpr int kEventsEveryMs = 20;

  private:
    QProgressDialog m_dialog;
    QElapsedTimer m_started;
    QElapsedTimer m_events;
    static inline int s_underWay = 0;
};

}  // namespace tabrella::qt
