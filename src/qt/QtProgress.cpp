// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtProgress.h"

#include <QCoreApplication>
#include <algorithm>

#include "base/EndSignal.h"

namespace tabrella::qt {
namespace {
constexpr int kSteps = 1000;
}

QtProgress::QtProgress(QWidget* parent, const QString& text)
    : m_dialog(text, QProgressDialog::tr("Cancel"), 0, kSteps, parent) {
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setMinimumDuration(kShowAfterMs);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setValue(0);  // starts the clock that decides whether it shows
    m_started.start();
    m_events.start();
    ++s_underWay;
}

QtProgress::~QtProgress() {
    --s_underWay;
}

bool QtProgress::Continue(long done, long total) {
    // Ending now leaves the task's file half written: it stops first, the program then ends.
    if (EndSignal() != 0) return false;
    if (m_dialog.wasCanceled()) return false;
    if (total > 0) {
        if (m_dialog.maximum() == 0) m_dialog.setRange(0, kSteps);
        m_dialog.setValue(static_cast<int>(std::clamp<long>(done * kSteps / total, 0, kSteps - 1)));
    } else if (m_dialog.maximum() != 0) {
        m_dialog.setRange(0, 0);
    }
    // The dialog shows itself only when its bar moves; a busy bar never does.
    if (!m_dialog.isVisible() && m_started.elapsed() >= kShowAfterMs) m_dialog.show();
    // Only while the dialog shows, which keeps the window from taking commands meanwhile.
    if (m_dialog.isVisible() && m_events.elapsed() >= kEventsEveryMs) {
        m_events.restart();
        QCoreApplication::processEvents();
    }
    return !m_dialog.wasCanceled() && EndSignal() == 0;
}

}  // namespace tabrella::qt
