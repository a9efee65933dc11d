// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two small dialogs of range editing: a range of cells, and the cell to paste at.
// Both hold page positions; the commands add the page offset themselves.
#include <string>

#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

class CRangeDialog : public platform::CDialog {
  public:
    static constexpr int kFromEdit = ctl::kRangeFromEdit;
    static constexpr int kToEdit = ctl::kRangeToEdit;
    static constexpr int kFromSpin = ctl::kRangeFromSpin;
    static constexpr int kToSpin = ctl::kRangeToSpin;
    static constexpr int kOperationEdit = ctl::kRangeOperationEdit;
    static constexpr int kDecideButton = ctl::kRangeDecide;
    static constexpr int kCancelButton = ctl::kRangeCancel;

    CRangeDialog();

    int m_fromCell = 1;
    int m_toCell = 1;
    std::string m_operationName;  // Shift-JIS
    int m_cancelled = 0;

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnButton(int id, platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

class CPasteDialog : public platform::CDialog {
  public:
    static constexpr int kTargetEdit = ctl::kPasteTargetEdit;
    static constexpr int kTargetSpin = ctl::kPasteTargetSpin;
    static constexpr int kRunButton = ctl::kPasteRun;
    static constexpr int kCancelButton = ctl::kPasteCancel;

    CPasteDialog();

    int m_targetCell = 1;
    int m_cancelled = 0;

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnButton(int id, platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
