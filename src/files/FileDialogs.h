// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialogs of the file commands and of the song title.
#include <string>

#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

// Asks whether to save a changed score first. Ends with the id of the button pressed;
// Esc and the close box count as ｷｬﾝｾﾙ.
class CSavePromptDialog : public platform::CDialog {
  public:
    static constexpr int kYes = ctl::kSaveYes;
    static constexpr int kNo = ctl::kSaveNo;
    static constexpr int kCancel = ctl::kSaveCancel;

    CSavePromptDialog();
    void OnButton(int id, platform::IDialogControls& controls) override;
    void OnCancel(platform::IDialogControls& controls) override;
};

// Tells that the file was saved and closes itself after a moment.
class CSavedNoticeDialog : public platform::CDialog {
  public:
    static constexpr int kCloseTimer = 1;
    static constexpr int kCloseAfterMs = 1200;

    CSavedNoticeDialog();
    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnTimer(int id, platform::IDialogControls& controls) override;
};

// Offers a recovery copy left by a run that ended without saving. Ends with the id of the
// button pressed; Esc and the close box count as Later, which keeps the copy.
class CRecoveryDialog : public platform::CDialog {
  public:
    static constexpr int kRestore = ctl::kRecoveryRestore;
    static constexpr int kDiscard = ctl::kRecoveryDiscard;
    static constexpr int kLater = ctl::kRecoveryLater;

    CRecoveryDialog();
    // Shift-JIS: the file's name, the time of the last change, the used cells or the reason
    // the copy cannot be read.
    std::string m_fileLine, m_changedLine, m_cellsLine;

    void OnInitDialog(platform::IDialogControls& controls) override;
    void OnButton(int id, platform::IDialogControls& controls) override;
    void OnCancel(platform::IDialogControls& controls) override;
};

class CTitleDialog : public platform::CDialog {
  public:
    static constexpr int kTitleEdit = ctl::kTitleEdit;

    CTitleDialog();
    std::string m_titleText;  // Shift-JIS

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
