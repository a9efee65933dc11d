// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything that follows opening a score file, run on one file's bytes and checked: the
// load with its tuning, the paint pass, the immediate redraw and the printed page, the MIDI
// export parsed back, and a save that must read back as the same score. Shared by the
// fuzzer and the regression tests, so it reports a text instead of using a test framework.
#include <string>
#include <string_view>

namespace tabrella::test {

// Runs the whole path on `fileBytes`, using files in the existing folder `workDir`.
// Returns an empty text when every check held, else what went wrong first.
std::string CheckOpenPath(std::string_view fileBytes, const std::string& workDir);

// Empty when `bytes` are a well-formed MIDI file of the writer's kind (header, true track
// length, every data byte below 0x80, nothing after the end of track) in which every note
// that starts also ends; else the first fault found. With `cells` the pass covered (0 or
// more), the track must also last 238 to 240 ticks for each of them.
std::string MidiFileFault(std::string_view bytes, int cells = -1);

}  // namespace tabrella::test
