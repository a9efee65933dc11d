// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ImportDialog.h"

#include "resources/DialogResources.h"
#include "resources/ImportTexts.h"
#include "score/TuningTable.h"

namespace tabrella {

using res::ImportTxt;

CImportDialog::CImportDialog(std::vector<std::string> parts)
    : CDialog(res::kDlgImport),
      m_parts(std::move(parts)),
      m_tuningText(res::Sjis(ImportTxt::Automatic)),
      m_baseText(res::Sjis(ImportTxt::Automatic)),
      m_otsuText(res::Sjis(ImportTxt::Automatic)),
      m_partText(res::Sjis(ImportTxt::FirstPitchedPart)) {}

void CImportDialog::OnInitDialog(platform::IDialogControls& controls) {
    const std::string automatic = res::Sjis(ImportTxt::Automatic);
    controls.ComboAppend(kTuningBox, automatic);
    for (int i = 0; i < kTuningCount; ++i) controls.ComboAppend(kTuningBox, TuningTable()[i].name);
    controls.ComboAppend(kBaseToneBox, automatic);
    for (int b = 1; b <= kBaseToneCount; ++b) controls.ComboAppend(kBaseToneBox, BaseToneName(b));
    for (const ImportTxt t : {ImportTxt::Automatic, ImportTxt::OtsuOff, ImportTxt::OtsuOn}) {
        controls.ComboAppend(kOtsuBox, res::Sjis(t));
    }
    controls.ComboAppend(kPartBox, res::Sjis(ImportTxt::FirstPitchedPart));
    for (const std::string& part : m_parts) controls.ComboAppend(kPartBox, part);
    CDialog::OnInitDialog(controls);
}

void CImportDialog::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(kTuningBox, m_tuningText);
    dx.Text(kBaseToneBox, m_baseText);
    dx.Text(kOtsuBox, m_otsuText);
    dx.Text(kPartBox, m_partText);
}

ImportChoice CImportDialog::Choice() const {
    ImportChoice choice;
    // A text that names nothing in a list leaves that setting to the arrangement.
    if (const int row = FindTuning(m_tuningText); row >= 0) choice.tuning = row;
    if (const int b = FindBaseTone(m_baseText); b >= 1) choice.baseTone = b;
    if (m_otsuText == res::Sjis(ImportTxt::OtsuOn)) choice.otsu = true;
    if (m_otsuText == res::Sjis(ImportTxt::OtsuOff)) choice.otsu = false;
    if (m_partText != res::Sjis(ImportTxt::FirstPitchedPart)) {
        choice.track = m_partText;
        // A listed part is taken by its number: names may repeat.
        for (const std::string& part : m_parts) {
            if (part == m_partText) choice.track = part.substr(0, part.find(' '));
        }
    }
    return choice;
}

}  // namespace tabrella
