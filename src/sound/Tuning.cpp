// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/Tuning.h"

#include <algorithm>
#include <string_view>

#include "resources/Texts.h"
#include "resources/TuningNames.h"
#include "score/CTabrellaView.h"
#include "sound/TuningDialog.h"

namespace tabrella {
namespace {

// Semitones above the base tone per string index 0..13, rows in table order.
constexpr std::array<std::array<int, 14>, kTuningCount> kOffsets = {{
    {0, 0, 5, 7, 8, 12, 13, 17, 19, 20, 24, 25, 29, 31},   // 平調子
    {0, 0, 5, 6, 10, 12, 13, 17, 18, 22, 24, 25, 29, 31},  // 雲井調子
    {0, 0, 5, 7, 8, 12, 14, 15, 19, 20, 24, 26, 27, 31},   // 中空調子
    {0, 0, 5, 7, 9, 12, 14, 17, 19, 21, 24, 26, 29, 31},   // 乃木調子
    {0, 0, 5, 7, 10, 12, 14, 17, 19, 22, 24, 26, 29, 31},  // 楽調子
    {0, 0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21},     // ト音階
    {0, 0, 5, 8, 10, 12, 15, 17, 20, 22, 24, 27, 29, 32},  // ペンタトニックｍ
    {0, 0, 5, 6, 9, 10, 12, 13, 15, 17, 18, 21, 22, 24},   // ハルモニックｍ
}};

// A base tone read from a score file may be any number; the note is kept far from overflow
// and exact for every tone that could sound. Notes outside 0..127 are never written.
int NoteOf(int offset, int baseTone) {
    const long long note = static_cast<long long>(offset) + BaseNote(0) + baseTone;
    return static_cast<int>(std::clamp(note, -10000LL, 10000LL));
}

}  // namespace

const std::array<TuningRow, kTuningCount>& TuningTable() {
    static const auto table = [] {
        std::array<TuningRow, kTuningCount> rows;
        for (size_t i = 0; i < rows.size(); ++i) rows[i] = {res::TuningNames()[i], kOffsets[i]};
        return rows;
    }();
    return table;
}

const std::array<std::string, kBaseToneCount + 1>& BaseToneNames() {
    return res::BaseToneNameTexts();
}

int FindTuning(const std::string& name) {
    int found = -1;
    for (int i = 0; i < kTuningCount; ++i) {
        if (TuningTable()[i].name == name) found = i;
    }
    return found;
}

int FindBaseTone(const std::string& name) {
    for (int b = 1; b <= kBaseToneCount; ++b) {
        if (BaseToneNames()[b] == name) return b;
    }
    return -1;
}

const std::string& BaseToneName(int baseTone) {
    const bool known = baseTone >= 1 && baseTone <= kBaseToneCount;
    return BaseToneNames()[known ? baseTone : 0];
}

ScoreSettings NewScoreSettings() {
    ScoreSettings s;
    const TuningRow& row = TuningTable()[static_cast<size_t>(s.m_tuningIndex)];
    for (int i = 0; i < 14; ++i) s.m_pitch[i] = row.offsets[i] + BaseNote(s.m_baseTone);
    s.m_pitch[1] += 12;  // 乙 off: string 一 an octave above the base tone
    return s;
}

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

std::array<int, 14> LoadedPitches(int row, int baseTone, int otsuFlag) {
    const TuningRow& r = TuningTable()[static_cast<size_t>(row)];
    std::array<int, 14> pitch{};
    for (int i = 0; i < 14; ++i) pitch[i] = NoteOf(r.offsets[i], baseTone);
    // Scores load 一 at the offset of 五 when 乙 is off, not an octave up: in ト音階 and
    // ハルモニックｍ the two differ, and stored scores have always sounded this way.
    if (otsuFlag != 0) pitch[1] = pitch[5];
    return pitch;
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
