// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A melody read from a foreign file, arranged for the koto: its notes on the cell grid,
// each on a string and pressing that sounds exactly its key, in a tuning chosen for it.
#include <optional>
#include <string>
#include <vector>

#include "platform/Melody.h"
#include "score/ScoreCell.h"
#include "score/ScoreDefaults.h"

namespace tabrella {

// What the user fixed of an import; what is left open is chosen for the melody.
struct ImportChoice {
    std::optional<int> tuning;    // row 0..7 of the tuning table
    std::optional<int> baseTone;  // 1..12
    std::optional<bool> otsu;     // 乙 on or off
    std::string track;            // Shift-JIS, as platform::IMelodyReader::Read takes it
    std::optional<int> tempo;     // the score's; for a recording also the beat it is heard at
};

struct Arrangement {
    std::vector<ScoreCell> cells;  // cell 1 first
    int tuning = 0;
    int baseTone = score_defaults::kBaseTone;
    bool otsu = false;
    int placed = 0;       // notes written into the cells
    int moved = 0;        // of those, the notes moved by octaves into the koto's reach
    int dropped = 0;      // notes of the file not written
    int octaveShift = 0;  // octaves the whole part was moved before any note alone
    // Notes a string reached that the hand could not play with the rest of their chord:
    // bar (from 1, 4/4) and key. Counted in `dropped` too.
    struct Drop {
        int bar = 0;
        int key = 0;
        friend bool operator==(const Drop&, const Drop&) = default;
    };
    std::vector<Drop> chordDrops;
    int cutAtBar = 0;  // the first bar left out of a piece longer than the score, or 0
    int cutNotes = 0;  // the notes from there on, counted in `dropped` too
    // Notes past ArrangeLimits, counted in `dropped` too.
    int notesOverLimit = 0;
    int chordNotesOverLimit = 0;
};

// How much of a melody is arranged, far above any real one: a file built to hurt would
// otherwise hold the chord search for minutes. The first notes by onset are kept, and the
// highest of a chord.
struct ArrangeLimits {
    int notes = 100'000;
    int chordNotes = 64;
};

// Onsets go to the nearest sixteenth: one on an eighth starts a whole cell, one between
// the second half of a split cell. A note sounding on at the start of a later cell holds
// it (an empty cell); a silence takes rest cells. Each note gets the string and pressing
// that sound its key exactly: an open string first, then ヲ, then オ, ォ only where nothing
// else reaches; among equals the string nearest the one played before. A chord takes
// different strings, three at most, one of them pressed and never by ォ, keeping its
// highest notes first. The whole part first moves by the octaves that leave the fewest
// notes out of reach; a note still out of reach then moves by octaves until a string
// reaches it, keeping the direction of the step into it where an octave does. The tuning,
// base tone and 乙 left open are the ones that drop the fewest notes, then move the fewest,
// then press the fewest strings. A piece longer than the score is cut at a bar line.
Arrangement Arrange(const platform::Melody& melody, const ImportChoice& choice,
                    const ArrangeLimits& limits = {});

}  // namespace tabrella
