// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard facts only X11 can tell: the layout in use and the lock indicators.
#include "platform/qt/KeyTranslation.h"

namespace tabrella::qt {

// The layout now in use: TABRELLA_KEYBOARD=jis|us overrides; on X11 the current keymap
// decides (the JIS key right of L types ':' unshifted); otherwise US.
KeyboardLayout CurrentKeyboardLayout();

struct LockStates {
    bool kana = false, caps = false, num = false, scroll = false;
};
// Off wherever the platform cannot tell.
LockStates CurrentLockStates();

}  // namespace tabrella::qt
