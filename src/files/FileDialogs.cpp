// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileDialogs.h"

#include "resources/DialogResources.h"

namespace tabrella {

CSavePromptDialog::CSavePromptDialog() : CDialog(res::kDlgSavePrompt) {}

void CSavePromptDialog::OnButton(int id, platform::IDialogControls& controls) {
    if (id == kYes || id == kNo || id == kCancel) {
        controls.End(id);
    } else if (id == platform::kIdCancel) {
        OnCancel(controls);
    }
}

void CSavePromptDialog::OnCancel(platform::IDialogControls& controls) {
    controls.End(kCancel);
}

CSavedNoticeDialog::CSavedNoticeDialog() : CDialog(res::kDlgSavedNotice) {}

void CSavedNoticeDialog::OnInitDialog(platform::IDialogControls& controls) {
    CDialog::OnInitDialog(controls);
    controls.StartTimer(kCloseTimer, kCloseAfterMs);
}

void CSavedNoticeDialog::OnTimer(int id, platform::IDialogControls& controls) {
    if (id == kCloseTimer) controls.End(platform::kIdOk);
}

CTitleDialog::CTitleDialog() : CDialog(res::kDlgTitle) {}

void CTitleDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(kTitleEdit, m_titleText);
}

}  // namespace tabrella
