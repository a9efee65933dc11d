// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns Qt key events into the virtual-key codes the view understands, for the physical
// keys of the Japanese 106/109 and the US layouts.
#include <QString>
#include <Qt>

namespace tabrella::qt {

enum class KeyboardLayout { Jis, Us };

struct KeyPress {
    int key = 0;  // Qt::Key
    Qt::KeyboardModifiers modifiers;
    quint32 nativeScanCode = 0;  // the X keycode on X11; 0 when unknown
    QString text;
};

inline constexpr int kNoKey = -1;

// The virtual-key code of a press, or kNoKey for keys the view has no code for.
int TranslateKey(const KeyPress& press, KeyboardLayout layout);

// The Qt key of a virtual-key code the accelerator table uses.
Qt::Key QtKeyOf(int virtualKey);

}  // namespace tabrella::qt
