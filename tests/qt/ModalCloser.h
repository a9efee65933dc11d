// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Closes the modal windows a command opens, recording what they were, so that tests can
// drive commands that show dialogs and message boxes.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace tabrella::test {

struct SeenModal {
    QString objectName;
    QString title;
    QString text;  // a message box's text
};

class ModalCloser {
  public:
    // `act` may act on the dialog before it is closed; by default it is rejected.
    explicit ModalCloser(std::function<void(QWidget*)> act = {}) : m_act(std::move(act)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(20);
    }
    QList<SeenModal> seen;

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last) return;
        m_last = modal;
        SeenModal s{modal->objectName(), modal->windowTitle(), {}};
        if (auto* box = qobject_cast<QMessageBox*>(modal)) s.text = box->text();
        seen.append(s);
        if (m_act) {
            m_act(modal);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        m_last = nullptr;
    }

    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    QWidget* m_last = nullptr;
};

}  // namespace tabrella::test
