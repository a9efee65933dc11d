// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The play file for practising: the writer's bytes made slower, looped, counted in or
// clicked on every beat. Only what is played changes; the score, its file and the MIDI
// export never see any of it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabrella {

inline constexpr int kPlaySpeedLowest = 50;  // percent of the score's tempo
inline constexpr int kPlaySpeedHighest = 100;
inline constexpr int kPlaySpeedStep = 5;

constexpr bool IsPlaySpeed(int percent) {
    return percent >= kPlaySpeedLowest && percent <= kPlaySpeedHighest &&
           percent % kPlaySpeedStep == 0;
}

// Microseconds per quarter note at `speedPercent` of the score's tempo: at 100 % exactly
// the writer's value, else 60 000 000 / (tempo x speed / 100) rounded, kept within the
// three tempo bytes.
int MicrosPerQuarter(int tempo, int speedPercent);

// The play timer's interval at a speed: at 100 % exactly PlayTimerInterval(tempo).
int PlayTimerInterval(int tempo, int speedPercent);

// What one play asks of the file besides the score's own music.
struct PracticePlan {
    int firstCell = 1;  // the score cell the music starts with: it fixes beats and bars
    int loopCells = 0;  // cells of the passage played again and again; 0 plays once
    int speedPercent = 100;
    bool countIn = false;
    bool metronome = false;
};

// Where things fall in a practice file, shared by the file and the stepping cursor.
// Ticks count from the writer's first event (its one tick of the program change).
struct PracticeLayout {
    int microsPerQuarter = 0;
    int countInTicks = 0;  // before the music starts; 0 without a count-in
    int passTicks = 0;     // one pass of a loop; 0 when playing once
    int passes = 1;
};

inline constexpr int kTicksPerQuarter = 480;
inline constexpr int kTicksPerCell = 240;

PracticeLayout LayOutPractice(const PracticePlan& plan, int tempo);

// The bytes to play for what `writerBytes` (WriteMidiStream's file from plan.firstCell)
// holds: the writer's own bytes untouched when nothing is asked, nothing when they are not
// a file the writer makes.
std::optional<std::string> MakePracticeFile(std::string_view writerBytes, const PracticePlan& plan,
                                            int tempo);

}  // namespace tabrella
