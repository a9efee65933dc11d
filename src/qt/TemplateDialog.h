// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A QDialog built from a dialog template, exposing its controls to the dialog's logic.
#include <QDialog>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "platform/Dialog.h"
#include "resources/DialogResources.h"

class QLineEdit;
class QToolButton;

namespace tabrella::qt {

// An up-down control: two arrows that step a position within a range and write it into
// the buddy edit box, like the spin control of a dialog resource.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(QLineEdit* buddy, QWidget* parent);
    void SetRange(int lower, int upper);
    void SetPos(int pos);
    int Pos() const;
    void Step(int delta);

  private:
    QLineEdit* m_buddy;
    int m_lower = 0, m_upper = 100, m_pos = 0;
};

class TemplateDialog : public QDialog, public platform::IDialogControls {
    Q_OBJECT
  public:
    TemplateDialog(const res::DialogTemplate& tmpl, platform::CDialog& logic, QWidget* parent);

    std::string GetText(int id) const override;
    bool TextFitsSjis(int id) const override;
    void SetText(int id, std::string_view sjis) override;
    int GetCheck(int id) const override;
    void SetCheck(int id, int state) override;
    void ComboAppend(int id, std::string_view sjis) override;
    void SpinSetRange(int id, int lower, int upper) override;
    void SpinSetPos(int id, int pos) override;
    int GetSpinPos(int id) const override;
    void StartTimer(int id, int intervalMs) override;
    void RefuseInput(int controlId, std::string_view sjisMessage) override;
    const platform::RefusalTexts& Refusals() const override { return res::InputRefusals(); }
    void End(int result) override { done(result); }

    QWidget* Control(int id) const;
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Opens with the keyboard in the first field, its text selected, so that typing replaces it.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Lays the template's controls out in dialog units of its font.
    void Build(const res::DialogTemplate& tmpl);
    QWidget* MakeControl(const res::ControlTemplate& c);
    QWidget* MakeSpin(const res::ControlTemplate& c);
    QWidget* MakeButton(const res::ControlTemplate& c);
    // Puts the control at its place and, when it has an id, makes it reachable by that id.
    void Place(QWidget* widget, const res::ControlTemplate& c, QRect area);
    void NameFields(const res::DialogTemplate& tmpl, const std::vector<QWidget*>& made);

    platform::CDialog& m_logic;
    int m_defaultButton = platform::kIdOk;
    // The first edit or combo box of the template, else its first check box, else the
    // default button.
    QWidget* m_firstField = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, UpDown*> m_spins;
    std::map<QObject*, UpDown*> m_spinOfBuddy;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace tabrella::qt
