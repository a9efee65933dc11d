// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "qt/KeyTranslation.h"

namespace tabrella::qt {
namespace {

struct PhysicalKey {
    quint32 keycode;
    int qtKey;  // what Qt reports for the key on that layout
    int expected;
};

int Press(quint32 keycode, int qtKey, KeyboardLayout layout, Qt::KeyboardModifiers mods = {}) {
    return TranslateKey({qtKey, mods, keycode, {}}, layout);
}

TEST(KeyTranslation, JisPunctuationKeysGiveTheirCodes) {
    const PhysicalKey keys[] = {
        {20, Qt::Key_Minus, 0xBD},  {21, Qt::Key_AsciiCircum, 0xDE},  {132, Qt::Key_yen, 0xDC},
        {34, Qt::Key_At, 0xC0},     {35, Qt::Key_BracketLeft, 0xDB},  {47, Qt::Key_Semicolon, 0xBB},
        {48, Qt::Key_Colon, 0xBA},  {51, Qt::Key_BracketRight, 0xDD}, {97, Qt::Key_Backslash, 0xE2},
        {60, Qt::Key_Period, 0xBE}, {49, Qt::Key_unknown, kNoKey},
    };
    for (const PhysicalKey& k : keys) {
        EXPECT_EQ(Press(k.keycode, k.qtKey, KeyboardLayout::Jis), k.expected)
            << "keycode " << k.keycode;
    }
}

TEST(KeyTranslation, UsPunctuationKeysGiveTheirCodes) {
    const PhysicalKey keys[] = {
        {20, Qt::Key_Minus, 0xBD},       {21, Qt::Key_Equal, 0xBB},
        {34, Qt::Key_BracketLeft, 0xDB}, {35, Qt::Key_BracketRight, 0xDD},
        {47, Qt::Key_Semicolon, 0xBA},   {48, Qt::Key_Apostrophe, 0xDE},
        {49, Qt::Key_QuoteLeft, 0xC0},   {51, Qt::Key_Backslash, 0xDC},
        {60, Qt::Key_Period, 0xBE},
    };
    for (const PhysicalKey& k : keys) {
        EXPECT_EQ(Press(k.keycode, k.qtKey, KeyboardLayout::Us), k.expected)
            << "keycode " << k.keycode;
    }
}

TEST(KeyTranslation, TheJisNumberRowGivesTheThirteenStringKeysInOrder) {
    // 1 2 3 4 5 6 7 8 9 0 - ^ ¥ : 一 .. 巾
    const quint32 row[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 132};
    const int codes[] = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37,
                         0x38, 0x39, 0x30, 0xBD, 0xDE, 0xDC};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(Press(row[i], Qt::Key_unknown, KeyboardLayout::Jis), codes[i]);
    }
}

TEST(KeyTranslation, ShiftedDigitRowStillGivesTheDigit) {
    EXPECT_EQ(Press(10, Qt::Key_Exclam, KeyboardLayout::Us, Qt::ShiftModifier), 0x31);
    EXPECT_EQ(Press(19, Qt::Key_ParenRight, KeyboardLayout::Us, Qt::ShiftModifier), 0x30);
}

TEST(KeyTranslation, KeypadKeysAreNeverDigits) {
    for (int d = 0; d <= 9; ++d) {
        const int code = Press(90, Qt::Key_0 + d, KeyboardLayout::Jis, Qt::KeypadModifier);
        EXPECT_EQ(code, 0x60 + d);
        EXPECT_FALSE(code >= 0x30 && code <= 0x39);
    }
    EXPECT_EQ(Press(82, Qt::Key_Minus, KeyboardLayout::Us, Qt::KeypadModifier), 0x6D);
    EXPECT_EQ(Press(91, Qt::Key_Period, KeyboardLayout::Us, Qt::KeypadModifier), 0x6E);
    EXPECT_EQ(Press(104, Qt::Key_Enter, KeyboardLayout::Us, Qt::KeypadModifier), 0x0D);
}

TEST(KeyTranslation, SameKeysOnBothLayouts) {
    for (KeyboardLayout layout : {KeyboardLayout::Jis, KeyboardLayout::Us}) {
        EXPECT_EQ(Press(65, Qt::Key_Space, layout), 0x20);
        EXPECT_EQ(Press(118, Qt::Key_Insert, layout), 0x2D);
        EXPECT_EQ(Press(36, Qt::Key_Return, layout), 0x0D);
        EXPECT_EQ(Press(110, Qt::Key_Home, layout), 0x24);
        EXPECT_EQ(Press(112, Qt::Key_PageUp, layout), 0x21);
        EXPECT_EQ(Press(117, Qt::Key_PageDown, layout), 0x22);
        EXPECT_EQ(Press(111, Qt::Key_Up, layout), 0x26);
        EXPECT_EQ(Press(116, Qt::Key_Down, layout), 0x28);
        EXPECT_EQ(Press(113, Qt::Key_Left, layout), 0x25);
        EXPECT_EQ(Press(114, Qt::Key_Right, layout), 0x27);
        EXPECT_EQ(Press(32, Qt::Key_O, layout), 0x4F);
        EXPECT_EQ(Press(46, Qt::Key_L, layout), 0x4C);
        EXPECT_EQ(Press(53, Qt::Key_X, layout), 0x58);
    }
}

TEST(KeyTranslation, WithoutAPhysicalKeyTheTypedCharacterDecides) {
    // Offscreen and synthetic events carry no keycode.
    EXPECT_EQ(Press(0, Qt::Key_Colon, KeyboardLayout::Jis), 0xBA);
    EXPECT_EQ(Press(0, Qt::Key_Semicolon, KeyboardLayout::Jis), 0xBB);
    EXPECT_EQ(Press(0, Qt::Key_Semicolon, KeyboardLayout::Us), 0xBA);
    EXPECT_EQ(Press(0, Qt::Key_Equal, KeyboardLayout::Us), 0xBB);
    EXPECT_EQ(Press(0, Qt::Key_5, KeyboardLayout::Us), 0x35);
    EXPECT_EQ(Press(0, Qt::Key_yen, KeyboardLayout::Jis), 0xDC);
}

}  // namespace
}  // namespace tabrella::qt
