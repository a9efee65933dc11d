// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/TemplateDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/QtText.h"
#include "resources/SpeechTexts.h"
#include "resources/TuningNames.h"

namespace tabrella::qt {

UpDown::UpDown(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {+1, -1}) {
        auto* arrow = new QToolButton(this);
        arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrow->setObjectName(delta > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        arrow->setAccessibleName(
            FromSjis(res::Sjis(delta > 0 ? res::SpeechTxt::StepUp : res::SpeechTxt::StepDown)));
        connect(arrow, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(arrow);
    }
}

void UpDown::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

void UpDown::SetPos(int pos) {
    m_pos = pos;
    if (m_buddy) m_buddy->setText(QString::number(pos));
}

int UpDown::Pos() const {
    // The buddy's text is the position whenever it holds a number.
    if (m_buddy) {
        if (auto v = platform::ParseDialogInt(ToSjis(m_buddy->text()))) return *v;
    }
    return m_pos;
}

void UpDown::Step(int delta) {
    const int lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    SetPos(std::clamp(Pos() + delta, lo, hi));
    if (m_buddy) m_buddy->selectAll();
}

namespace {

// Dialog units: a quarter of the average character width across, an eighth of the
// character height down.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics fm(font);
        const QString sample =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = fm.horizontalAdvance(sample) / 52.0;
        m_baseY = fm.height();
    }

    QRect Rect(int x, int y, int w, int h) const {
        return QRect(qRound(x * m_baseX / 4), qRound(y * m_baseY / 8), qRound(w * m_baseX / 4),
                     qRound(h * m_baseY / 8));
    }

  private:
    double m_baseX = 0, m_baseY = 0;
};

}  // namespace

TemplateDialog::TemplateDialog(const res::DialogTemplate& tmpl, platform::CDialog& logic,
                               QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(FromSjis(tmpl.caption));
    setObjectName(QStringLiteral("dialog%1").arg(tmpl.id));
    Build(tmpl);
}

void TemplateDialog::Build(const res::DialogTemplate& tmpl) {
    QFont font(FromSjis(tmpl.fontFace));
    font.setPointSize(tmpl.fontPoints);
    setFont(font);
    const DialogUnits units(font);
    setFixedSize(units.Rect(0, 0, tmpl.width, tmpl.height).size());
    std::vector<QWidget*> made;
    QWidget* firstCheck = nullptr;
    for (const res::ControlTemplate& c : tmpl.controls) {
        QWidget* control = MakeControl(c);
        made.push_back(control);
        Place(control, c, units.Rect(c.x, c.y, c.width, c.height));
        const bool field = c.kind == res::ControlKind::Edit || c.kind == res::ControlKind::ComboBox;
        if (field && !m_firstField) m_firstField = control;
        if (c.kind == res::ControlKind::CheckBox && !firstCheck) firstCheck = control;
    }
    if (!m_firstField) m_firstField = firstCheck ? firstCheck : Control(m_defaultButton);
    NameFields(tmpl, made);
}

namespace {

bool IsField(const res::ControlTemplate& c) {
    return c.kind == res::ControlKind::Edit || c.kind == res::ControlKind::ComboBox;
}

// The text that names a field for a screen reader: the first line of the labels stacked
// just above it, else a label on its line. Places in dialog units.
int LabelOf(const res::DialogTemplate& tmpl, const res::ControlTemplate& field) {
    constexpr int kLine = 14, kNear = 8;
    const auto& controls = tmpl.controls;
    const int count = static_cast<int>(controls.size());
    auto isLabel = [&](int i) {
        return controls[i].kind == res::ControlKind::Static && !controls[i].text.empty();
    };
    // The label right above a box of these places, or -1.
    auto labelAbove = [&](int top, int left, int right) {
        int found = -1;
        for (int i = 0; i < count; ++i) {
            const res::ControlTemplate& s = controls[i];
            const int gap = top - (s.y + s.height);
            if (isLabel(i) && s.x < right && left < s.x + s.width && gap >= -2 && gap <= kNear &&
                (found < 0 || s.y > controls[found].y)) {
                found = i;
            }
        }
        return found;
    };
    int above = labelAbove(field.y, field.x, field.x + field.width);
    for (int up = above; up >= 0;
         up = labelAbove(controls[up].y, controls[up].x, controls[up].x + controls[up].width)) {
        above = up;
    }
    if (above >= 0) return above;
    // The nearest label on a box's line after it, or before it; -1 when none.
    auto onLine = [&](const res::ControlTemplate& box, bool afterIt) {
        const int top = box.y, bottom = box.y + std::min(box.height, kLine);
        int found = -1;
        for (int i = 0; i < count; ++i) {
            const res::ControlTemplate& s = controls[i];
            if (!isLabel(i) || s.y >= bottom || top >= s.y + s.height) continue;
            const bool nearer =
                found < 0 || (afterIt ? s.x < controls[found].x : s.x > controls[found].x);
            if ((afterIt ? s.x >= box.x + box.width : s.x < box.x) && nearer) found = i;
        }
        return found;
    };
    // Words before a box name it ("テンポ [80] 拍/分") unless they follow another box, as
    // 「マス目から」 follows the first of the range's two: there the words come after.
    const int before = onLine(field, false), after = onLine(field, true);
    const bool claimed =
        before >= 0 && std::any_of(controls.begin(), controls.end(), [&](const auto& c) {
            return &c != &field && IsField(c) && onLine(c, true) == before;
        });
    if (before >= 0 && !claimed) return before;
    return after >= 0 ? after : before;
}

}  // namespace

void TemplateDialog::NameFields(const res::DialogTemplate& tmpl,
                                const std::vector<QWidget*>& made) {
    for (size_t i = 0; i < tmpl.controls.size(); ++i) {
        const res::ControlTemplate& c = tmpl.controls[i];
        if (!IsField(c)) continue;
        // A field with no label of its own is named by the dialog's caption.
        const int label = LabelOf(tmpl, c);
        auto* text = label >= 0 ? qobject_cast<QLabel*>(made[static_cast<size_t>(label)]) : nullptr;
        if (text) text->setBuddy(made[i]);
        const QString name = text ? text->text() : windowTitle();
        made[i]->setAccessibleName(name);
        // A list's own name is its choice; its typing field is named like an edit box.
        if (auto* combo = qobject_cast<QComboBox*>(made[i]); combo && combo->lineEdit()) {
            combo->lineEdit()->setAccessibleName(name);
        }
    }
}

void TemplateDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_firstField || !m_firstField->isEnabled()) return;
    m_firstField->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(m_firstField)) edit->selectAll();
    if (auto* combo = qobject_cast<QComboBox*>(m_firstField)) combo->lineEdit()->selectAll();
}

QWidget* TemplateDialog::MakeControl(const res::ControlTemplate& c) {
    const QString text = FromSjis(c.text);
    switch (c.kind) {
        case res::ControlKind::Static:
            return new QLabel(text, this);
        case res::ControlKind::Edit:
            return new QLineEdit(text, this);
        case res::ControlKind::Spin:
            return MakeSpin(c);
        case res::ControlKind::Button:
        case res::ControlKind::DefaultButton:
            return MakeButton(c);
        case res::ControlKind::CheckBox:
            return new QCheckBox(text, this);
        case res::ControlKind::ComboBox: {
            auto* combo = new QComboBox(this);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            return combo;
        }
        case res::ControlKind::GroupBox:
            return new QGroupBox(text, this);
    }
    return nullptr;
}

QWidget* TemplateDialog::MakeSpin(const res::ControlTemplate& c) {
    // The buddy edit box comes before its spin in the template.
    auto* buddy = qobject_cast<QLineEdit*>(Control(c.buddy));
    auto* spin = new UpDown(buddy, this);
    m_spins[c.id] = spin;
    if (buddy) {
        m_spinOfBuddy[buddy] = spin;
        buddy->installEventFilter(this);
    }
    return spin;
}

QWidget* TemplateDialog::MakeButton(const res::ControlTemplate& c) {
    auto* button = new QPushButton(FromSjis(c.text), this);
    button->setAutoDefault(false);
    if (c.kind == res::ControlKind::DefaultButton) {
        button->setDefault(true);
        m_defaultButton = c.id;
    }
    const int id = c.id;
    connect(button, &QPushButton::clicked, this, [this, id] { m_logic.OnButton(id, *this); });
    return button;
}

void TemplateDialog::Place(QWidget* widget, const res::ControlTemplate& c, QRect area) {
    // A combo box is as tall as one line; its template height was for the open list.
    if (c.kind == res::ControlKind::ComboBox) area.setHeight(widget->sizeHint().height());
    widget->setGeometry(area);
    // A group box's frame stays behind the controls it surrounds.
    if (c.kind == res::ControlKind::GroupBox) widget->lower();
    if (c.id > 0) {
        widget->setObjectName(QStringLiteral("control%1").arg(c.id));
        m_controls[c.id] = widget;
    }
}

namespace {

// A list entry may show a reading beside its name; what the dialog reads is the name.
QString ComboValue(const QComboBox* combo) {
    const QString shown = combo->currentText();
    const int i = combo->findText(shown, Qt::MatchExactly);
    return i >= 0 && combo->itemData(i).isValid() ? combo->itemData(i).toString() : shown;
}

}  // namespace

QWidget* TemplateDialog::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string TemplateDialog::GetText(int id) const {
    QWidget* w = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return ToSjis(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return ToSjis(ComboValue(combo));
    if (auto* label = qobject_cast<QLabel*>(w)) return ToSjis(label->text());
    return {};
}

bool TemplateDialog::TextFitsSjis(int id) const {
    QWidget* w = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return FitsSjis(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return FitsSjis(ComboValue(combo));
    return true;
}

void TemplateDialog::SetText(int id, std::string_view sjis) {
    QWidget* w = Control(id);
    const QString text = FromSjis(sjis);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int i = combo->findData(text);
        combo->setEditText(i >= 0 ? combo->itemText(i) : text);
    }
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
}

int TemplateDialog::GetCheck(int id) const {
    auto* box = qobject_cast<QCheckBox*>(Control(id));
    return box && box->isChecked() ? 1 : 0;
}

void TemplateDialog::SetCheck(int id, int state) {
    if (auto* box = qobject_cast<QCheckBox*>(Control(id))) box->setChecked(state != 0);
}

void TemplateDialog::ComboAppend(int id, std::string_view sjis) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(id))) {
        // Adding to an empty editable combo would replace the typed text; keep it.
        const QString typed = combo->currentText();
        if (const std::string_view reading = res::ReadingOfName(sjis); !reading.empty()) {
            const QString name = FromSjis(sjis);
            combo->addItem(name + QStringLiteral(" (") +
                               QString::fromUtf8(reading.data(), qsizetype(reading.size())) +
                               QLatin1Char(')'),
                           name);
        } else {
            combo->addItem(FromSjis(sjis));
        }
        combo->setEditText(typed);
    }
}

void TemplateDialog::SpinSetRange(int id, int lower, int upper) {
    if (auto it = m_spins.find(id); it != m_spins.end()) it->second->SetRange(lower, upper);
}

void TemplateDialog::SpinSetPos(int id, int pos) {
    if (auto it = m_spins.find(id); it != m_spins.end()) it->second->SetPos(pos);
}

int TemplateDialog::GetSpinPos(int id) const {
    auto it = m_spins.find(id);
    return it == m_spins.end() ? 0 : it->second->Pos();
}

void TemplateDialog::StartTimer(int id, int intervalMs) {
    auto& timer = m_timers[id];
    timer = std::make_unique<QTimer>();
    connect(timer.get(), &QTimer::timeout, this, [this, id] { m_logic.OnTimer(id, *this); });
    timer->start(intervalMs);
}

void TemplateDialog::RefuseInput(int controlId, std::string_view sjisMessage) {
    QMessageBox::warning(this, windowTitle(), FromSjis(sjisMessage));
    if (QWidget* w = Control(controlId)) {
        w->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
    }
}

void TemplateDialog::reject() {
    // Esc and the close box: the logic decides, normally closing without reading anything.
    m_logic.OnCancel(*this);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A button with the focus is the one Enter means; elsewhere the default button.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            m_logic.OnButton(m_defaultButton, *this);
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto it = m_spinOfBuddy.find(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (it != m_spinOfBuddy.end() && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            it->second->Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tabrella::qt
