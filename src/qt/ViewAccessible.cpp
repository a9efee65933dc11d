// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/ViewAccessible.h"

#include "qt/QtViewWidget.h"

namespace tabrella::qt {

namespace {

QAccessibleInterface* ViewFactory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<QtViewWidget*>(object)) return new ViewAccessible(view);
    return nullptr;
}

}  // namespace

// A text object rather than a table: Orca speaks the focused object's new name as the
// cursor moves, and a braille display shows its text, with no 3000 cells to expose.
ViewAccessible::ViewAccessible(QtViewWidget* widget)
    : QAccessibleWidget(widget, QAccessible::EditableText) {}

void ViewAccessible::InstallFactory() {
    static const bool installed = (QAccessible::installFactory(ViewFactory), true);
    (void)installed;
}

QString ViewAccessible::Description() const {
    return static_cast<const QtViewWidget*>(widget())->CursorDescription();
}

QString ViewAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name || t == QAccessible::Value) return Description();
    return QAccessibleWidget::text(t);
}

QAccessible::State ViewAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.editable = false;
    s.focusable = true;
    return s;
}

void* ViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void ViewAccessible::selection(int, int* start, int* end) const {
    *start = *end = 0;
}

QString ViewAccessible::text(int start, int end) const {
    return Description().mid(start, end - start);
}

int ViewAccessible::characterCount() const {
    return static_cast<int>(Description().size());
}

QString ViewAccessible::attributes(int, int* start, int* end) const {
    *start = 0;
    *end = characterCount();
    return {};
}

}  // namespace tabrella::qt
