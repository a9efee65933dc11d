// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The playing-speed dialog: a percentage of the score's tempo, chosen from the list or
// typed; only 50..100 in steps of 5 closes it.
#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

class CPlaySpeedDialog : public platform::CDialog {
  public:
    static constexpr int kSpeedBox = ctl::kSpeedBox;

    explicit CPlaySpeedDialog(int speed);

    int m_speed;  // percent, in and out

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnOK(platform::IDialogControls& controls) override;
};

}  // namespace tabrella
