// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The virtual-key codes of the program: what the platform translates a key press into,
// what the view's key handler and the accelerator table read. Letters and digits are their
// upper-case ASCII codes.

namespace tabrella::vk {

inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kPageUp = 0x21;
inline constexpr int kPageDown = 0x22;
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
inline constexpr int kDigit0 = 0x30;
inline constexpr int kDigit1 = 0x31;
inline constexpr int kDigit9 = 0x39;
inline constexpr int kA = 0x41;
inline constexpr int kC = 0x43;
inline constexpr int kK = 0x4B;
inline constexpr int kL = 0x4C;
inline constexpr int kO = 0x4F;
inline constexpr int kX = 0x58;
inline constexpr int kZ = 0x5A;
inline constexpr int kNumpad0 = 0x60;
inline constexpr int kNumpad9 = 0x69;
inline constexpr int kMultiply = 0x6A;
inline constexpr int kAdd = 0x6B;
inline constexpr int kSubtract = 0x6D;
inline constexpr int kDecimal = 0x6E;
inline constexpr int kDivide = 0x6F;
inline constexpr int kF1 = 0x70;
inline constexpr int kF6 = 0x75;
inline constexpr int kF24 = 0x87;
inline constexpr int kOem1 = 0xBA;       // JIS ':'  US ';'  -> ○ (500)
inline constexpr int kOemPlus = 0xBB;    // JIS ';'  US '='  -> ハ
inline constexpr int kOemMinus = 0xBD;   // '-'               -> string 11
inline constexpr int kOemPeriod = 0xBE;  // '.'               -> ゝ
inline constexpr int kOem3 = 0xC0;       // JIS '@'  US '`'  -> ○ (700)
inline constexpr int kOem4 = 0xDB;       // '['               -> △ (800)
inline constexpr int kOem5 = 0xDC;       // JIS '¥'  US '\'  -> string 13
inline constexpr int kOem6 = 0xDD;       // ']'               -> △ (600)
inline constexpr int kOem7 = 0xDE;       // JIS '^'  US '''  -> string 12
inline constexpr int kOem102 = 0xE2;     // JIS 'ろ' key; not a string key

// The code of a letter key, 'A'..'Z'.
constexpr int Letter(char upper) {
    return kA + (upper - 'A');
}

}  // namespace tabrella::vk
