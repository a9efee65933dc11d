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

// キャンセル closes like 決定, validation included, and only marks the result. 決定 clears
// the mark again, so a キャンセル refused for a bad number cannot stick to a later 決定.
void CRangeDialog::OnButton(int id, IDialogControls& controls) {
    if (id == kDecideButton || id == platform::kIdOk) {
        m_cancelled = 0;
        OnOK(controls);
    } else if (id == kCancelButton) {
        m_cancelled = 1;
        OnOK(controls);
    } else {
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
    if (id == kRunButton || id == platform::kIdOk) {
        m_cancelled = 0;
        OnOK(controls);
    } else if (id == kCancelButton) {
        m_cancelled = 1;
        OnOK(controls);
    } else {
        CDialog::OnButton(id, controls);
    }
}

}  // namespace tabrella
