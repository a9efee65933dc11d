// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shift-JIS (code page 932) conversion. Everything the editor holds is CP932 bytes;
// only resources (once) and the platform edge convert.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tabrella {

// UTF-8 -> CP932. Characters CP932 cannot hold become '?'.
std::string Utf8ToSjis(std::string_view utf8);

// CP932 -> UTF-8. Invalid bytes become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// A table of UTF-8 texts as Shift-JIS, for the resource tables that convert once.
template <std::size_t N>
std::array<std::string, N> Utf8ToSjisAll(const std::array<std::string_view, N>& utf8) {
    std::array<std::string, N> out;
    for (std::size_t i = 0; i < N; ++i) out[i] = Utf8ToSjis(utf8[i]);
    return out;
}

// True when byte b starts a two-byte CP932 character.
constexpr bool IsSjisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Cuts CP932 text to at most `limit` bytes without splitting a two-byte character.
std::string ClampSjis(std::string text, std::size_t limit);

}  // namespace tabrella
