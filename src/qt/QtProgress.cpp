// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtProgress.h"

#include <algorithm>

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
}

bool QtProgress::Continue(long done, long total) {
    const long step = total > 0 ? done * kSteps / total : 0;
    m_dialog.setValue(static_cast<int>(std::clamp<long>(step, 0, kSteps - 1)));
    return !m_dialog.wasCanceled();
}

}  // namespace tabrella::qt
