// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QTranslator;

namespace tabrella::app {

// The version the build was made from.
QString Version();
// The about box's text: name, version and credit line.
QString AboutText();

// The platform to ask Qt for: X11 (through XWayland) in a Wayland session where the user
// chose none, since the keyboard layout and the lock indicators are read through X; else
// nullptr, leaving Qt's own choice (also when no X server is there to take the window).
const char* PlatformForSession(const char* chosenPlatform, const char* sessionType,
                               const char* waylandDisplay, const char* x11Display);

// What the running application needs before its first window: its names, the font
// substitutions, the interface language (with the user's remembered choice when
// `readSettings`, as the window has it) and Qt's own texts in Japanese when that is the
// language (loaded into `translator`, which must live as long as the application).
void SetUpApplication(QTranslator& translator, bool readSettings = false);

}  // namespace tabrella::app
