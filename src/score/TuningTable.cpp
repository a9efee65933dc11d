// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/TuningTable.h"

#include <algorithm>

#include "resources/TuningNames.h"
#include "score/ScoreDefaults.h"

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

int NoteOf(int offset, int baseTone) {
    const long long note = static_cast<long long>(offset) + BaseNote(0) + baseTone;
    return static_cast<int>(std::clamp(note, -10000LL, 10000LL));
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

std::array<int, 14> NewScorePitches() {
    const TuningRow& row = TuningTable()[score_defaults::kTuningIndex];
    std::array<int, 14> pitch{};
    for (int i = 0; i < 14; ++i) pitch[i] = row.offsets[i] + BaseNote(score_defaults::kBaseTone);
    pitch[1] += 12;  // 乙 off: string 一 an octave above the base tone
    return pitch;
}

}  // namespace tabrella
