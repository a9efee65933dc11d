// SPDX-License-Identifier: GPL-3.0-or-later
// The playing-speed command and its dialog.
#include <string>

#include "resources/DialogResources.h"
#include "resources/SoundTexts.h"
#include "score/CTabrellaView.h"
#include "sound/PlaySpeedDialog.h"
#include "sound/PracticeFile.h"

namespace tabrella {

CPlaySpeedDialog::CPlaySpeedDialog(int speed) : CDialog(res::kDlgPlaySpeed), m_speed(speed) {}

void CPlaySpeedDialog::OnInitDialog(platform::IDialogControls& controls) {
    for (int s = kPlaySpeedLowest; s <= kPlaySpeedHighest; s += kPlaySpeedStep) {
        controls.ComboAppend(kSpeedBox, std::to_string(s));
    }
    controls.SetText(kSpeedBox, std::to_string(m_speed));
}

void CPlaySpeedDialog::OnOK(platform::IDialogControls& controls) {
    // The typed text decides; anything but a listed speed keeps the dialog open.
    const std::optional<int> speed = platform::ParseDialogInt(controls.GetText(kSpeedBox));
    if (!speed || !IsPlaySpeed(*speed)) {
        controls.RefuseInput(kSpeedBox, res::Sjis(res::SoundTxt::PlaySpeedRefused));
        return;
    }
    m_speed = *speed;
    controls.End(platform::kIdOk);
}

void CTabrellaView::OnPlaySpeed() {
    // Only what is played changes: the score, its tempo and its modified flag stay.
    CPlaySpeedDialog dialog(m_playSpeed);
    if (m_services.dialogs.DoModal(dialog) == platform::kIdOk) m_playSpeed = dialog.m_speed;
}

}  // namespace tabrella
