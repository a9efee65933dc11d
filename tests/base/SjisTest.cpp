// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "base/Sjis.h"
#include "resources/Texts.h"

namespace tabrella {
namespace {

std::string Hex(const std::string& s) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(Sjis, ConvertsTheProgramsTextsToCodePage932) {
    EXPECT_EQ(Hex(Utf8ToSjis("平調子")), "95 BD 92 B2 8E 71");
    EXPECT_EQ(Hex(Utf8ToSjis("ﾌｧｲﾙ(&F)")), "CC A7 B2 D9 28 26 46 29");
    // The full-width minus of the new-score caption exists only in CP932, not in SHIFT_JIS.
    EXPECT_EQ(SjisToUtf8(res::Sjis(res::Txt::NewScoreCaption)), "新規作成　－タブレラ");
}

TEST(Sjis, BackslashStaysABackslash) {
    EXPECT_EQ(Utf8ToSjis("a\\b"), "a\\b");
}

TEST(Sjis, RoundTripsEveryCellText) {
    for (int i = 0; i < res::kStringNameCount; ++i) {
        EXPECT_EQ(Utf8ToSjis(SjisToUtf8(res::StringName(i))), res::StringName(i));
    }
    EXPECT_EQ(SjisToUtf8(res::MarkName(3)), "ォ");
    EXPECT_EQ(SjisToUtf8(res::StringName(14)), " ");
}

TEST(Sjis, ReplacesWhatCannotBeConvertedInsteadOfFailing) {
    EXPECT_EQ(Utf8ToSjis("a\xF0\x9F\x8E\xB5z"), "a?z");               // an emoji has no CP932 form
    EXPECT_EQ(SjisToUtf8(std::string("a\x81", 2)), "a\xEF\xBF\xBD");  // a cut lead byte
}

}  // namespace
}  // namespace tabrella
