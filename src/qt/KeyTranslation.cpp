// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/KeyTranslation.h"

#include "resources/KeyCodes.h"

namespace tabrella::qt {
namespace {

// Punctuation keys by X keycode: the code differs by the legend of the layout.
int ByKeycode(quint32 keycode, KeyboardLayout layout) {
    const bool jis = layout == KeyboardLayout::Jis;
    if (keycode >= 10 && keycode <= 18) return vk::kDigit1 + static_cast<int>(keycode - 10);
    switch (keycode) {
        case 19:
            return vk::kDigit0;
        case 20:
            return vk::kOemMinus;
        case 21:
            return jis ? vk::kOem7 : vk::kOemPlus;
        case 132:
            return jis ? vk::kOem5 : kNoKey;
        case 34:
            return jis ? vk::kOem3 : vk::kOem4;
        case 35:
            return jis ? vk::kOem4 : vk::kOem6;
        case 47:
            return jis ? vk::kOemPlus : vk::kOem1;
        case 48:
            return jis ? vk::kOem1 : vk::kOem7;
        case 49:
            return jis ? kNoKey : vk::kOem3;  // 半角/全角 on JIS
        case 51:
            return jis ? vk::kOem6 : vk::kOem5;
        case 97:
            return jis ? vk::kOem102 : kNoKey;
        case 60:
            return vk::kOemPeriod;
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
                return vk::kOemMinus;
            case Qt::Key_AsciiCircum:
            case Qt::Key_AsciiTilde:
                return vk::kOem7;
            case Qt::Key_yen:
            case Qt::Key_Backslash:
            case Qt::Key_Bar:
                return vk::kOem5;
            case Qt::Key_At:
            case Qt::Key_QuoteLeft:
                return vk::kOem3;
            case Qt::Key_BracketLeft:
            case Qt::Key_BraceLeft:
                return vk::kOem4;
            case Qt::Key_Semicolon:
            case Qt::Key_Plus:
                return vk::kOemPlus;
            case Qt::Key_Colon:
            case Qt::Key_Asterisk:
                return vk::kOem1;
            case Qt::Key_BracketRight:
            case Qt::Key_BraceRight:
                return vk::kOem6;
            case Qt::Key_Period:
            case Qt::Key_Greater:
                return vk::kOemPeriod;
            default:
                return kNoKey;
        }
    }
    switch (key) {
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return vk::kOemMinus;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return vk::kOemPlus;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return vk::kOem4;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return vk::kOem6;
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return vk::kOem1;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
            return vk::kOem7;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
            return vk::kOem3;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
            return vk::kOem5;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return vk::kOemPeriod;
        default:
            return kNoKey;
    }
}

int SpecialKey(int key) {
    switch (key) {
        case Qt::Key_Backspace:
            return vk::kBack;
        case Qt::Key_Tab:
            return vk::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::kReturn;
        case Qt::Key_Escape:
            return vk::kEscape;
        case Qt::Key_Space:
            return vk::kSpace;
        case Qt::Key_PageUp:
            return vk::kPageUp;
        case Qt::Key_PageDown:
            return vk::kPageDown;
        case Qt::Key_End:
            return vk::kEnd;
        case Qt::Key_Home:
            return vk::kHome;
        case Qt::Key_Left:
            return vk::kLeft;
        case Qt::Key_Up:
            return vk::kUp;
        case Qt::Key_Right:
            return vk::kRight;
        case Qt::Key_Down:
            return vk::kDown;
        case Qt::Key_Insert:
            return vk::kInsert;
        case Qt::Key_Delete:
            return vk::kDelete;
        default:
            break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return vk::kF1 + (key - Qt::Key_F1);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return vk::kA + (key - Qt::Key_A);
    return kNoKey;
}

int KeypadKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return vk::kNumpad0 + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Asterisk:
            return vk::kMultiply;
        case Qt::Key_Plus:
            return vk::kAdd;
        case Qt::Key_Minus:
            return vk::kSubtract;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return vk::kDecimal;
        case Qt::Key_Slash:
            return vk::kDivide;
        default:
            return SpecialKey(key);  // Enter, arrows, Home ... as on the main block
    }
}

}  // namespace

Qt::Key QtKeyOf(int virtualKey) {
    switch (virtualKey) {
        case vk::kInsert:
            return Qt::Key_Insert;
        case vk::kDelete:
            return Qt::Key_Delete;
        case vk::kBack:
            return Qt::Key_Backspace;
        default:
            break;
    }
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF24) {
        return static_cast<Qt::Key>(Qt::Key_F1 + (virtualKey - vk::kF1));
    }
    return static_cast<Qt::Key>(virtualKey);  // letters and digits are their ASCII codes
}

int TranslateKey(const KeyPress& press, KeyboardLayout layout) {
    // The keypad never gives digits or punctuation of the main block.
    if (press.modifiers.testFlag(Qt::KeypadModifier)) return KeypadKey(press.key);
    if (press.nativeScanCode != 0) {
        if (const int code = ByKeycode(press.nativeScanCode, layout); code != 0) return code;
    }
    if (press.key >= Qt::Key_0 && press.key <= Qt::Key_9)
        return vk::kDigit0 + (press.key - Qt::Key_0);
    if (const int code = SpecialKey(press.key); code != kNoKey) return code;
    return ByCharacter(press.key, layout);
}

}  // namespace tabrella::qt
