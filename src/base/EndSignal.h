// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A signal that asks the program to end (SIGTERM, SIGHUP, SIGINT), noted by its handler so
// that long work under way stops at its next step and leaves no file half written.

namespace tabrella {

// Safe in a signal handler.
void NoteEndSignal(int signal) noexcept;
// The signal noted, or 0.
int EndSignal() noexcept;

}  // namespace tabrella
