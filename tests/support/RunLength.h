// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How long the random and long runs of the tests are. An optimised build makes every run
// whole. Under the sanitizers each event costs ten to twenty times as much, so the sanitized
// build makes a fifth of each run (every seed and case still runs), unless the environment
// sets TABRELLA_LONG_RUNS=1.

namespace tabrella::test {

// The number of events or rounds to make of a run whose whole length is `full`.
int RunLength(int full);

}  // namespace tabrella::test
