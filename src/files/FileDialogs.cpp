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

CRecoveryDialog::CRecoveryDialog() : CDialog(res::kDlgRecovery) {}

void CRecoveryDialog::OnInitDialog(platform::IDialogControls& controls) {
    CDialog::OnInitDialog(controls);
    controls.SetText(ctl::kRecoveryFile, m_fileLine);
    controls.SetText(ctl::kRecoveryChanged, m_changedLine);
    controls.SetText(ctl::kRecoveryCells, m_cellsLine);
}

void CRecoveryDialog::OnButton(int id, platform::IDialogControls& controls) {
    if (id == kRestore || id == kDiscard || id == kLater) {
        controls.End(id);
    } else if (id == platform::kIdCancel) {
        OnCancel(controls);
    }
}

void CRecoveryDialog::OnCancel(platform::IDialogControls& controls) {
    controls.End(kLater);
}

CTitleDialog::CTitleDialog() : CDialog(res::kDlgTitle) {}

void CTitleDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(kTitleEdit, m_titleText);
}

}  // namespace tabrella
