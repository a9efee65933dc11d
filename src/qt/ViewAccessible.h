// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader sees of the score area: a read-only text object whose name and text
// are the cursor's cell in words (the view makes the words; this only serves them).
#include <QAccessibleWidget>

namespace tabrella::qt {

class QtViewWidget;

class ViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit ViewAccessible(QtViewWidget* widget);

    // Gives this interface to every view widget; installed once, by the first widget.
    static void InstallFactory();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTextInterface, over the description; the caret stays at its start.
    void selection(int, int* start, int* end) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override;
    int characterCount() const override;
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override;

  private:
    QString Description() const;
};

}  // namespace tabrella::qt
