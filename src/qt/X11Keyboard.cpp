// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/X11Keyboard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

// Xlib defines None, Bool and Status as macros, which break Qt's headers: it comes last.
// clang-format off
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
// clang-format on

namespace tabrella::qt {
namespace {

Display* X11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// What a KeyboardWatch keeps; empty answers are asked of the server at the next call.
struct Kept {
    bool watching = false;
    int xkbEventBase = -1;
    std::optional<KeyboardLayout> layout;
    int group = -1;  // the keymap group the layout was read in
    std::optional<LockStates> locks;
    Atom indicators[4] = {};  // Kana, Caps Lock, Num Lock, Scroll Lock
};
Kept g_kept;

constexpr const char* kIndicatorNames[4] = {"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};

bool Indicator(Display* display, Atom atom) {
    Bool on = False;
    if (atom == None) return false;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
}

KeyboardLayout ReadLayout(Display* display, int& group) {
    // Read the keymap afresh: Xlib's cached copy misses layout switches.
    XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) return KeyboardLayout::Us;
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    group = state.group;
    constexpr KeyCode kKeyRightOfL = 48;
    KeySym sym = NoSymbol;
    if (kKeyRightOfL >= xkb->min_key_code && kKeyRightOfL <= xkb->max_key_code &&
        XkbKeyNumGroups(xkb, kKeyRightOfL) > 0) {
        const int keyGroup = state.group < XkbKeyNumGroups(xkb, kKeyRightOfL) ? state.group : 0;
        sym = XkbKeySymEntry(xkb, kKeyRightOfL, 0, keyGroup);
    }
    XkbFreeKeyboard(xkb, 0, True);
    return sym == XK_colon ? KeyboardLayout::Jis : KeyboardLayout::Us;
}

}  // namespace

KeyboardLayout CurrentKeyboardLayout() {
    if (const char* forced = std::getenv("TABRELLA_KEYBOARD")) {
        if (std::strcmp(forced, "jis") == 0) return KeyboardLayout::Jis;
        if (std::strcmp(forced, "us") == 0) return KeyboardLayout::Us;
    }
    Display* display = X11Display();
    if (!display) return KeyboardLayout::Us;
    if (g_kept.watching && g_kept.layout) return *g_kept.layout;
    int group = 0;
    const KeyboardLayout layout = ReadLayout(display, group);
    if (g_kept.watching) {
        g_kept.layout = layout;
        g_kept.group = group;
    }
    return layout;
}

LockStates CurrentLockStates() {
    Display* display = X11Display();
    if (!display) return {};
    if (g_kept.watching && g_kept.locks) return *g_kept.locks;
    Atom atoms[4];
    for (int i = 0; i < 4; ++i) {
        atoms[i] =
            g_kept.watching ? g_kept.indicators[i] : XInternAtom(display, kIndicatorNames[i], True);
    }
    const LockStates states{Indicator(display, atoms[0]), Indicator(display, atoms[1]),
                            Indicator(display, atoms[2]), Indicator(display, atoms[3])};
    if (g_kept.watching) g_kept.locks = states;
    return states;
}

KeyboardWatch::KeyboardWatch(std::function<void()> locksChanged)
    : m_locksChanged(std::move(locksChanged)) {
    Display* display = X11Display();
    int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!display || g_kept.watching ||
        !XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
        return;
    }
    // Only these bits change; what Qt selected for itself stays as it was.
    constexpr unsigned int kNotices = XkbNewKeyboardNotifyMask | XkbMapNotifyMask |
                                      XkbStateNotifyMask | XkbIndicatorStateNotifyMask;
    XkbSelectEvents(display, XkbUseCoreKbd, kNotices, kNotices);
    XFlush(display);
    g_kept = Kept{true, eventBase, {}, -1, {}, {}};
    for (int i = 0; i < 4; ++i) {
        g_kept.indicators[i] = XInternAtom(display, kIndicatorNames[i], True);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_active = true;
}

KeyboardWatch::~KeyboardWatch() {
    if (!m_active) return;
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    g_kept = Kept{};
}

bool KeyboardWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != g_kept.xkbEventBase) return false;
    // Every XKB event has its own type in the second byte; a state notice holds the
    // effective group in byte 13 (xkbStateNotify of XKBproto.h).
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(event);
    switch (bytes[1]) {
        case XkbNewKeyboardNotify:
        case XkbMapNotify:
            g_kept.layout.reset();
            break;
        case XkbStateNotify:
            if (bytes[13] != g_kept.group) g_kept.layout.reset();
            break;
        case XkbIndicatorStateNotify:
            g_kept.locks.reset();
            if (m_locksChanged) m_locksChanged();
            break;
        default:
            break;
    }
    return false;  // Qt follows the same notices for its own keyboard
}

}  // namespace tabrella::qt
