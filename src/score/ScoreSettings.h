// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a score holds besides its cells, as one value: the view keeps these fields under
// their own names by deriving from it, so New, Open, Import and undo each put the whole
// of it back by one assignment.
#include <array>
#include <cstdint>
#include <string>

#include "score/ScoreDefaults.h"
#include "score/TuningTable.h"

namespace tabrella {

// What a score file stores besides its cells. Default-made, a new score's: the file reader
// starts from it and keeps it for every field a file lacks.
struct StoredSettings {
    std::string m_title;  // Shift-JIS; empty: no title
    std::string m_tuningName = TuningTable()[score_defaults::kTuningIndex].name;  // Shift-JIS
    std::uint8_t m_otsuFlag = score_defaults::kOtsuFlag;                          // 1: 乙 off
    int m_baseTone = score_defaults::kBaseTone;
    int m_tempo = score_defaults::kTempo;

    friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

// The stored settings and what the tuning derives from them. Default-made, a new score's.
struct ScoreSettings : StoredSettings {
    int m_tuningIndex = score_defaults::kTuningIndex;
    std::array<int, 14> m_pitch = NewScorePitches();  // MIDI note of each string index 0..13
    std::string m_baseToneLabel;  // Shift-JIS; empty until the tuning command fills it

    friend bool operator==(const ScoreSettings&, const ScoreSettings&) = default;
};

}  // namespace tabrella
