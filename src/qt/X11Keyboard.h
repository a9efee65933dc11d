// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard facts only X11 can tell: the layout in use and the lock indicators.
#include <QAbstractNativeEventFilter>
#include <functional>

#include "qt/KeyTranslation.h"

namespace tabrella::qt {

// The layout now in use: TABRELLA_KEYBOARD=jis|us overrides; on X11 the current keymap
// decides (the JIS key right of L types ':' unshifted); otherwise US.
KeyboardLayout CurrentKeyboardLayout();

struct LockStates {
    bool kana = false, caps = false, num = false, scroll = false;
    friend bool operator==(const LockStates&, const LockStates&) = default;
};
// Off wherever the platform cannot tell.
LockStates CurrentLockStates();

// While one exists, the two answers above are kept rather than asked of the X server at
// every key: XKB's own notices on the program's connection say when the keymap or its
// group changed and when an indicator went on or off, and only then is it asked again.
// `locksChanged` is called on the latter. Without an X display it does nothing.
class KeyboardWatch : public QAbstractNativeEventFilter {
  public:
    explicit KeyboardWatch(std::function<void()> locksChanged);
    ~KeyboardWatch() override;
    KeyboardWatch(const KeyboardWatch&) = delete;
    KeyboardWatch& operator=(const KeyboardWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<void()> m_locksChanged;
    bool m_active = false;  // the one watch of the program
};

}  // namespace tabrella::qt
