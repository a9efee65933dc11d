// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning dialog: tuning and base tone chosen or typed in editable combo boxes, and 乙.
#include <array>
#include <string>

#include "platform/Dialog.h"

namespace tabrella {

class CTuningDialog : public platform::CDialog {
  public:
    static constexpr int kTuningBox = 1009;
    static constexpr int kBaseToneBox = 1016;
    static constexpr int kOtsuBox = 1015;

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
