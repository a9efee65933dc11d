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

class CTitleDialog : public platform::CDialog {
  public:
    static constexpr int kTitleEdit = ctl::kTitleEdit;

    CTitleDialog();
    std::string m_titleText;  // Shift-JIS

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;
};

}  // namespace tabrella
