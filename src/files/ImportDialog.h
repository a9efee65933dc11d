// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import's settings, as the command line's options give them: the tuning, the base
// tone, 乙 and the part, each automatic or chosen from a list.
#include <string>
#include <vector>

#include "exchange/Arrangement.h"
#include "platform/Dialog.h"
#include "resources/ControlIds.h"

namespace tabrella {

class CImportDialog : public platform::CDialog {
  public:
    static constexpr int kTuningBox = ctl::kImportTuningBox;
    static constexpr int kBaseToneBox = ctl::kImportBaseToneBox;
    static constexpr int kOtsuBox = ctl::kImportOtsuBox;
    static constexpr int kPartBox = ctl::kImportPartBox;

    // The file's parts or tracks, each "number name" (Shift-JIS).
    explicit CImportDialog(std::vector<std::string> parts);

    // What the user fixed; the track is a part's number, or a name as typed.
    ImportChoice Choice() const;

    void OnInitDialog(platform::IDialogControls& controls) override;

  protected:
    void DoDataExchange(platform::DataExchange& dx) override;

  private:
    std::vector<std::string> m_parts;
    std::string m_tuningText, m_baseText, m_otsuText, m_partText;  // Shift-JIS
};

}  // namespace tabrella
