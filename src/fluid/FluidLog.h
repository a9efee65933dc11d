// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FluidSynth and libasound print to stderr by default; the user sees their reasons in a
// message instead. FluidSynth's log is process-wide, so the last error is too.
#include <string>

namespace tabrella::fluid {

// Routes both libraries' messages here, once per process.
void SilenceLibraries();

// The last error FluidSynth logged since the previous call (UTF-8).
std::string TakeLastError();

}  // namespace tabrella::fluid
