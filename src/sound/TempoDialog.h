// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tempo dialog: an edit box with an up-down control; the typed text decides.
#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

class CTempoDialog : public platform::CDialog {
  public:
    static constexpr int kTempoEdit = ctl::kTempoEdit;
    static constexpr int kTempoSpin = ctl::kTempoSpin;

    explicit CTempoDialog(int initialTempo);

    int m_initialTempo;
    int m_newTempo = 0;

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnOK(platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
