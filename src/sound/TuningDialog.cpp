// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/TuningDialog.h"

#include "resources/DialogResources.h"
#include "score/TuningTable.h"

namespace tabrella {

CTuningDialog::CTuningDialog() : CDialog(res::kDlgTuning) {}

void CTuningDialog::OnInitDialog(platform::IDialogControls& controls) {
    // Appended, not sorted: the lists show the table order.
    for (int i = 0; i < kTuningCount; ++i) controls.ComboAppend(kTuningBox, m_tuningNames[i]);
    for (int b = 1; b <= kBaseToneCount; ++b) controls.ComboAppend(kBaseToneBox, m_baseNames[b]);
    CDialog::OnInitDialog(controls);
}

void CTuningDialog::DoDataExchange(platform::DataExchange& dx) {
    // The edit texts count, not the list selection: a typed name is taken as typed.
    dx.Text(kTuningBox, m_tuningText);
    dx.Text(kBaseToneBox, m_baseText);
    dx.Check(kOtsuBox, m_otsuCheck);
}

}  // namespace tabrella
