// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the import must hold for any bytes read as a MIDI or MusicXML file, for the fuzzers
// and for the test that replays what they found: why it failed, or nothing.
#include <string>
#include <string_view>

#include "exchange/Arrangement.h"
#include "platform/Melody.h"

namespace tabrella::test {

// Only notes (strings 1..13, a pressing up to ォ) and rests in the cells a score has, each
// note of the melody counted once, as placed or dropped.
std::string ArrangementFault(const platform::Melody& melody, const Arrangement& arrangement);

// The reader refuses the bytes, or the arrangement of what it read holds as above; and so
// under small limits, where the file is refused by the limit passed or read as before.
std::string ImportFault(std::string_view bytes);

}  // namespace tabrella::test
