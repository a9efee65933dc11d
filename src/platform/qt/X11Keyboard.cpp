// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/X11Keyboard.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

// Xlib defines None, Bool and Status as macros, which break Qt's headers: it comes last.
// clang-format off
#include <X11/XKBlib.h>
#include <X11/keysym.h>
// clang-format on

namespace tabrella::qt {
namespace {

Display* X11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool Indicator(Display* display, const char* name) {
    Bool on = False;
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return false;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
}

}  // namespace

KeyboardLayout CurrentKeyboardLayout() {
    if (const char* forced = std::getenv("TABRELLA_KEYBOARD")) {
        if (std::strcmp(forced, "jis") == 0) return KeyboardLayout::Jis;
        if (std::strcmp(forced, "us") == 0) return KeyboardLayout::Us;
    }
    Display* display = X11Display();
    if (!display) return KeyboardLayout::Us;
    // Read the keymap afresh: Xlib's cached copy misses layout switches.
    XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) return KeyboardLayout::Us;
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    constexpr KeyCode kKeyRightOfL = 48;
    KeySym sym = NoSymbol;
    if (kKeyRightOfL >= xkb->min_key_code && kKeyRightOfL <= xkb->max_key_code &&
        XkbKeyNumGroups(xkb, kKeyRightOfL) > 0) {
        const int group = state.group < XkbKeyNumGroups(xkb, kKeyRightOfL) ? state.group : 0;
        sym = XkbKeySymEntry(xkb, kKeyRightOfL, 0, group);
    }
    XkbFreeKeyboard(xkb, 0, True);
    return sym == XK_colon ? KeyboardLayout::Jis : KeyboardLayout::Us;
}

LockStates CurrentLockStates() {
    Display* display = X11Display();
    if (!display) return {};
    return {Indicator(display, "Kana"), Indicator(display, "Caps Lock"),
            Indicator(display, "Num Lock"), Indicator(display, "Scroll Lock")};
}

}  // namespace tabrella::qt
