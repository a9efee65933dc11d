// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/RangeDialogs.h"

#include "resources/DialogResources.h"
#include "score/ScoreCell.h"

namespace tabrella {
namespace {

using platform::IDialogControls;

constexpr int kLowestPosition = 1;
constexpr int kHighestPosition = kLastCellIndex;

void SetUpSpin(IDialogControls& controls, int spinId, int pos) {
    controls.SpinSetRange(spinId, kLowestPosition, kHighestPosition);
    controls.SpinSetPos(spinId, pos);
}

// キャンセル closes like the confirming button, validation included, and only marks the
// result. Confirming clears the mark again, so a キャンセル refused for a bad number cannot
// stick to a later confirmation. False for the other buttons.
bool ConfirmOrCancel(platform::CDialog& dialog, int id, int confirmId, int& cancelled,
                     IDialogControls& controls) {
    if (id != confirmId && id != platform::kIdOk && id != CRangeDialog::kCancelButton) return false;
    cancelled = id == CRangeDialog::kCancelButton ? 1 : 0;
    dialog.OnOK(controls);
    return true;
}

}  // namespace

CRangeDialog::CRangeDialog() : CDialog(res::kDlgRange) {}

void CRangeDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.IntInRange(kFromEdit, m_fromCell, kLowestPosition, kHighestPosition);
    dx.IntInRange(kToEdit, m_toCell, kLowestPosition, kHighestPosition);
    dx.Text(kOperationEdit, m_operationName);
}

void CRangeDialog::OnInitDialog(IDialogControls& controls) {
    CDialog::OnInitDialog(controls);
    SetUpSpin(controls, kFromSpin, m_fromCell);
    SetUpSpin(controls, kToSpin, m_toCell);
}

void CRangeDialog::OnButton(int id, IDialogControls& controls) {
    if (!ConfirmOrCancel(*this, id, kDecideButton, m_cancelled, controls)) {
        CDialog::OnButton(id, controls);
    }
}

CPasteDialog::CPasteDialog() : CDialog(res::kDlgPaste) {}

void CPasteDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.IntInRange(kTargetEdit, m_targetCell, kLowestPosition, kHighestPosition);
}

void CPasteDialog::OnInitDialog(IDialogControls& controls) {
    CDialog::OnInitDialog(controls);
    SetUpSpin(controls, kTargetSpin, m_targetCell);
}

void CPasteDialog::OnButton(int id, IDialogControls& controls) {
    if (!ConfirmOrCancel(*this, id, kRunButton, m_cancelled, controls)) {
        CDialog::OnButton(id, controls);
    }
}

}  // namespace tabrella
