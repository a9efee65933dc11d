// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score's tempo: the range the tempo dialog keeps it in, and how any stored tempo
// sounds to the MIDI writer and the play timer.
#include <algorithm>

namespace tabrella {

inline constexpr int kTempoSpinLowest = 10;
inline constexpr int kTempoSpinHighest = 280;
inline constexpr int kTempoTypedHighest = 999;

// The tempo dialog keeps the tempo within 10..999, but a score file may hold any number.
// 60 000 000 / tempo must fit the three tempo bytes (tempo >= 4) and the play timer's
// (60 000 / tempo) / 2 - 4 milliseconds must stay positive (tempo <= 6000); a tempo of 0
// would divide by zero.
constexpr int SoundingTempo(int tempo) {
    return std::clamp(tempo, 4, 6000);
}

// Milliseconds between two steps of the play cursor: half a beat, less a little so the
// cursor never falls behind the sound.
constexpr int PlayTimerInterval(int tempo) {
    return 60000 / SoundingTempo(tempo) / 2 - 4;
}

}  // namespace tabrella
