// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two small dialogs of range editing: a range of cells, and the cell to paste at.
// Both hold page positions; the commands add the page offset themselves.
#include <string>

#include "platform/Dialog.h"

namespace tabrella {

class CRangeDialog : public platform::CDialog {
  public:
    static constexpr int kFromEdit = 1019;
    static constexpr int kToEdit = 1020;
    static constexpr int kFromSpin = 1021;
    static constexpr int kToSpin = 1022;
    static constexpr int kOperationEdit = 1006;
    static constexpr int kDecideButton = 1017;
    static constexpr int kCancelButton = 1018;

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
    static constexpr int kTargetEdit = 1030;
    static constexpr int kTargetSpin = 1021;
    static constexpr int kRunButton = 1028;
    static constexpr int kCancelButton = 1018;

    CPasteDialog();

    int m_targetCell = 1;
    int m_cancelled = 0;

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnButton(int id, platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
