// SPDX-License-Identifier: GPL-3.0-or-later
// The tempo command and its dialog.
#include "resources/DialogResources.h"
#include "score/CTabrellaView.h"
#include "score/Tempo.h"
#include "sound/TempoDialog.h"

namespace tabrella {

CTempoDialog::CTempoDialog(int initialTempo)
    : CDialog(res::kDlgTempo), m_initialTempo(initialTempo) {}

void CTempoDialog::OnInitDialog(platform::IDialogControls& controls) {
    CDialog::OnInitDialog(controls);
    controls.SpinSetRange(kTempoSpin, kTempoSpinLowest, kTempoSpinHighest);
    controls.SpinSetPos(kTempoSpin, m_initialTempo);  // shows the tempo in the edit box
}

void CTempoDialog::OnOK(platform::IDialogControls& controls) {
    m_newTempo = controls.GetSpinPos(kTempoSpin);
    CDialog::OnOK(controls);
}

void CTempoDialog::DoDataExchange(platform::DataExchange& dx) {
    // The arrows stop at 280 but a typed tempo up to 999 is taken as typed. Below 10 a
    // cell lasts over three seconds, and 0 or less cannot be played at all.
    dx.IntInRange(kTempoEdit, m_newTempo, kTempoSpinLowest, kTempoTypedHighest);
}

void CTabrellaView::OnTempo() {
    CTempoDialog dialog(m_tempo);
    if (m_services.dialogs.DoModal(dialog) == platform::kIdOk) m_tempo = dialog.m_newTempo;
    m_services.window.Invalidate();
}

}  // namespace tabrella
