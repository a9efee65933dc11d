// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/KeyTranslation.h"

namespace tabrella::qt {
namespace {

// Punctuation keys by X keycode: the code differs by the legend of the layout.
int ByKeycode(quint32 keycode, KeyboardLayout layout) {
    const bool jis = layout == KeyboardLayout::Jis;
    if (keycode >= 10 && keycode <= 18) return 0x31 + static_cast<int>(keycode - 10);
    switch (keycode) {
        case 19:
            return 0x30;
        case 20:
            return 0xBD;
        case 21:
            return jis ? 0xDE : 0xBB;
        case 132:
            return jis ? 0xDC : kNoKey;
        case 34:
            return jis ? 0xC0 : 0xDB;
        case 35:
            return jis ? 0xDB : 0xDD;
        case 47:
            return jis ? 0xBB : 0xBA;
        case 48:
            return jis ? 0xBA : 0xDE;
        case 49:
            return jis ? kNoKey : 0xC0;  // 半角/全角 on JIS
        case 51:
            return jis ? 0xDD : 0xDC;
        case 97:
            return jis ? 0xE2 : kNoKey;
        case 60:
            return 0xBE;
        default:
            return 0;  // not a punctuation key: decide by the Qt key
    }
}

// Punctuation by the character it typed, when the physical key is unknown.
int ByCharacter(int key, KeyboardLayout layout) {
    if (layout == KeyboardLayout::Jis) {
        switch (key) {
            case Qt::Key_Minus:
            case Qt::Key_Equal:
                return 0xBD;
            case Qt::Key_AsciiCircum:
            case Qt::Key_AsciiTilde:
                return 0xDE;
            case Qt::Key_yen:
            case Qt::Key_Backslash:
            case Qt::Key_Bar:
                return 0xDC;
            case Qt::Key_At:
            case Qt::Key_QuoteLeft:
                return 0xC0;
            case Qt::Key_BracketLeft:
            case Qt::Key_BraceLeft:
                return 0xDB;
            case Qt::Key_Semicolon:
            case Qt::Key_Plus:
                return 0xBB;
            case Qt::Key_Colon:
            case Qt::Key_Asterisk:
                return 0xBA;
            case Qt::Key_BracketRight:
            case Qt::Key_BraceRight:
                return 0xDD;
            case Qt::Key_Period:
            case Qt::Key_Greater:
                return 0xBE;
            default:
                return kNoKey;
        }
    }
    switch (key) {
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return 0xBD;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return 0xBB;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return 0xDB;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return 0xDD;
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return 0xBA;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
            return 0xDE;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
            return 0xC0;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
            return 0xDC;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return 0xBE;
        default:
            return kNoKey;
    }
}

int SpecialKey(int key) {
    switch (key) {
        case Qt::Key_Backspace:
            return 0x08;
        case Qt::Key_Tab:
            return 0x09;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 0x0D;
        case Qt::Key_Escape:
            return 0x1B;
        case Qt::Key_Space:
            return 0x20;
        case Qt::Key_PageUp:
            return 0x21;
        case Qt::Key_PageDown:
            return 0x22;
        case Qt::Key_End:
            return 0x23;
        case Qt::Key_Home:
            return 0x24;
        case Qt::Key_Left:
            return 0x25;
        case Qt::Key_Up:
            return 0x26;
        case Qt::Key_Right:
            return 0x27;
        case Qt::Key_Down:
            return 0x28;
        case Qt::Key_Insert:
            return 0x2D;
        case Qt::Key_Delete:
            return 0x2E;
        default:
            break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    return kNoKey;
}

int KeypadKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Asterisk:
            return 0x6A;
        case Qt::Key_Plus:
            return 0x6B;
        case Qt::Key_Minus:
            return 0x6D;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 0x6E;
        case Qt::Key_Slash:
            return 0x6F;
        default:
            return SpecialKey(key);  // Enter, arrows, Home ... as on the main block
    }
}

}  // namespace

int TranslateKey(const KeyPress& press, KeyboardLayout layout) {
    // The keypad never gives digits or punctuation of the main block.
    if (press.modifiers.testFlag(Qt::KeypadModifier)) return KeypadKey(press.key);
    if (press.nativeScanCode != 0) {
        if (const int code = ByKeycode(press.nativeScanCode, layout); code != 0) return code;
    }
    if (press.key >= Qt::Key_0 && press.key <= Qt::Key_9) return '0' + (press.key - Qt::Key_0);
    if (const int code = SpecialKey(press.key); code != kNoKey) return code;
    return ByCharacter(press.key, layout);
}

}  // namespace tabrella::qt
