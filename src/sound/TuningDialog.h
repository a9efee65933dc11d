// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning dialog: tuning and base tone chosen or typed in editable combo boxes, and 乙.
#include <array>
#include <string>

#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

class CTuningDialog : public platform::CDialog {
  public:
    static constexpr int kTuningBox = ctl::kTuningBox;
    static constexpr int kBaseToneBox = ctl::kBaseToneBox;
    static constexpr int kOtsuBox = ctl::kOtsuBox;

    CTuningDialog();

    std::array<std::string, 50> m_tuningNames;  // the first eight are used
    std::string m_tuningText;                   // Shift-JIS, in and out
    std::array<std::string, 13> m_baseNames;    // index 0 empty
    std::string m_baseText;                     // Shift-JIS, in and out
    int m_otsuCheck = 0;                        // 1: checked (乙 on)

    void OnInitDialog(platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
