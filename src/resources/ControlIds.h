// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control ids of the dialogs: the templates (DialogResources.cpp) give their controls these
// ids, and the dialog classes reach the controls by them. OK and Cancel are
// platform::kIdOk and platform::kIdCancel. Where two dialogs share an id, the second name
// says so.

namespace tabrella::ctl {

// Save prompt (CSavePromptDialog): its three buttons.
inline constexpr int kSaveYes = 1004;
inline constexpr int kSaveNo = 1003;
inline constexpr int kSaveCancel = 1005;

// Song title (CTitleDialog).
inline constexpr int kTitleEdit = 1006;

// Tuning (CTuningDialog).
inline constexpr int kTuningBox = 1009;
inline constexpr int kBaseToneBox = 1016;
inline constexpr int kOtsuBox = 1015;

// Tempo (CTempoDialog): the edit box and its up-down control.
inline constexpr int kTempoEdit = 1013;
inline constexpr int kTempoSpin = 1014;

// Range (CRangeDialog): from and to, each with its up-down control, and the name of the
// operation in an edit box.
inline constexpr int kRangeFromEdit = 1019;
inline constexpr int kRangeToEdit = 1020;
inline constexpr int kRangeFromSpin = 1021;
inline constexpr int kRangeToSpin = 1022;
inline constexpr int kRangeOperationEdit = kTitleEdit;
inline constexpr int kRangeDecide = 1017;
inline constexpr int kRangeCancel = 1018;

// Paste (CPasteDialog): the cell to paste at, with its up-down control.
inline constexpr int kPasteTargetEdit = 1030;
inline constexpr int kPasteTargetSpin = kRangeFromSpin;
inline constexpr int kPasteRun = 1028;
inline constexpr int kPasteCancel = kRangeCancel;

// Playing speed (CPlaySpeedDialog).
inline constexpr int kSpeedBox = 1040;

// The recovery offer (CRecoveryDialog): three lines about the copy and its three buttons.
inline constexpr int kRecoveryFile = 1050;
inline constexpr int kRecoveryChanged = 1051;
inline constexpr int kRecoveryCells = 1052;
inline constexpr int kRecoveryRestore = 1053;
inline constexpr int kRecoveryDiscard = 1054;
inline constexpr int kRecoveryLater = 1055;

// Import (CImportDialog): what the arrangement is given, each left open by "automatic".
inline constexpr int kImportTuningBox = 1060;
inline constexpr int kImportBaseToneBox = 1061;
inline constexpr int kImportOtsuBox = 1062;
inline constexpr int kImportPartBox = 1063;

}  // namespace tabrella::ctl
