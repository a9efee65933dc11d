// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the import must hold for any bytes read as a MIDI file, for the fuzzer and for the
// tests that replay what it found. Each returns why it failed, or nothing.
#include <string>
#include <string_view>

#include "platform/Melody.h"
#include "sound/Arrangement.h"

namespace tabrella::test {

// The arrangement writes only notes (strings 1..13, a pressing up to ォ) and rests (○ and △
// in a first centre slot) into the score's cells, every note an octave of a melody key,
// and counts each note of the melody once: placed or dropped.
std::string ArrangementFault(const platform::Melody& melody, const Arrangement& arrangement);

// The reader refuses the bytes or gives notes in order that end no earlier than they
// start; then the arrangement of every non-drum channel holds as above.
std::string MidiImportFault(std::string_view bytes);

}  // namespace tabrella::test
