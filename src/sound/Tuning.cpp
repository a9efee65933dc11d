// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning command and the pitches of the score's strings.
#include <algorithm>

#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/TuningTable.h"
#include "sound/TuningDialog.h"

namespace tabrella {

void CTabrellaView::OnTuning() {
    CTuningDialog dialog;
    for (int i = 0; i < kTuningCount; ++i) dialog.m_tuningNames[i] = TuningTable()[i].name;
    dialog.m_tuningText = m_tuningName;
    for (int b = 0; b <= kBaseToneCount; ++b) dialog.m_baseNames[b] = BaseToneNames()[b];
    dialog.m_baseText = BaseToneName(m_baseTone);
    dialog.m_otsuCheck = m_otsuFlag == 0 ? 1 : 0;
    const bool ok = m_services.dialogs.DoModal(dialog) == platform::kIdOk;
    // Cancel still recomputes: the label is filled and the octave of 一 follows 乙.
    RecomputePitches(ok, dialog.m_tuningText, dialog.m_baseText, dialog.m_otsuCheck);
    m_services.window.Invalidate();
}

void CTabrellaView::RecomputePitches(bool ok, const std::string& tuningText,
                                     const std::string& baseText, int otsuCheck) {
    // Names that match nothing leave that part of the setting as it was.
    if (const int row = FindTuning(tuningText); ok && row >= 0) m_tuningIndex = row;
    if (m_tuningIndex < 0 || m_tuningIndex >= kTuningCount) m_tuningIndex = 0;
    const TuningRow& row = TuningTable()[m_tuningIndex];
    m_tuningName = row.name;
    if (const int b = FindBaseTone(baseText); ok && b >= 0) m_baseTone = b;
    for (int i = 0; i < 14; ++i) m_pitch[i] = NoteOf(row.offsets[i], m_baseTone);
    m_otsuFlag = otsuCheck != 0 ? 0 : 1;
    if (m_otsuFlag == 1) m_pitch[1] += 12;
    SetBaseToneLabel();
}

void CTabrellaView::RecomputePitchesForLoad() {
    // An unknown name gives row 0's pitches and stays as read.
    m_tuningIndex = std::max(FindTuning(m_tuningName), 0);
    m_pitch = LoadedPitches(m_tuningIndex, m_baseTone, m_otsuFlag);
    SetBaseToneLabel();
}

void CTabrellaView::LoadSettings(const StoredSettings& stored) {
    static_cast<StoredSettings&>(*this) = stored;
    RecomputePitchesForLoad();
}

void CTabrellaView::SetBaseToneLabel() {
    m_baseToneLabel = BaseToneLabelOf();
}

std::string CTabrellaView::BaseToneLabelOf() const {
    std::string label = res::Sjis(res::Txt::BaseTonePrefix) + BaseToneName(m_baseTone);
    if (m_otsuFlag == 0) label += res::Sjis(res::Txt::Otsu);
    return label;
}

int CTabrellaView::PitchOfSlot(int value) const {
    const int string = slot::StringPart(value);
    if (value <= 0 || string < 1 || string > kStringCount) return -1;
    return m_pitch[string] + slot::Pressing(value);
}

}  // namespace tabrella
