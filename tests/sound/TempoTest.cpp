// SPDX-License-Identifier: GPL-3.0-or-later
// The tempo command: the spin arrows stay within 10..280, typed tempos up to 999 count, and
// nothing that cannot be played gets through.
#include <gtest/gtest.h>

#include "base/Sjis.h"
#include "sound/TempoDialog.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;
constexpr int kTempoDialog = 137;
constexpr int kTempoCommand = 32796;
constexpr int kEdit = CTempoDialog::kTempoEdit;
constexpr int kSpin = CTempoDialog::kTempoSpin;

TEST(TempoCommand, OpensOnTheTempoWithTheArrowsLimitedTo10To280) {
    ViewHarness h;
    h.dialogs.Expect(kTempoDialog, {UA::Up(kSpin), UA::Press(platform::kIdOk)});
    ASSERT_TRUE(h.v().OnCommand(kTempoCommand));
    const FakeControls& open = h.dialogs.shown.at(0).controlsAtOpen;
    EXPECT_EQ(open.GetText(kEdit), "80");
    EXPECT_EQ(open.spinRanges.at(kSpin), (std::pair<int, int>{10, 280}));
    EXPECT_EQ(h.v().m_tempo, 81);
    EXPECT_EQ(h.window.invalidations, 1);
    EXPECT_EQ(h.v().Modified(), 1) << "a new tempo is a change Save would write";
}

TEST(TempoCommand, TheArrowsStopAt280And10) {
    ViewHarness h;
    h.v().m_tempo = 280;
    h.dialogs.Expect(kTempoDialog, {UA::Up(kSpin), UA::Press(platform::kIdOk)});
    h.v().OnCommand(kTempoCommand);
    EXPECT_EQ(h.v().m_tempo, 280);
    h.v().m_tempo = 10;
    h.dialogs.Expect(kTempoDialog, {UA::Down(kSpin), UA::Press(platform::kIdOk)});
    h.v().OnCommand(kTempoCommand);
    EXPECT_EQ(h.v().m_tempo, 10);
}

TEST(TempoCommand, TypedTempos10To999AreTakenAsTyped) {
    for (const char* typed : {"10", "280", "300", "999", " 120 "}) {
        ViewHarness h;
        h.dialogs.Expect(kTempoDialog, {UA::TypeText(kEdit, typed), UA::PressEnter()});
        h.v().OnCommand(kTempoCommand);
        EXPECT_EQ(h.v().m_tempo, std::stoi(typed)) << typed;
        EXPECT_TRUE(h.dialogs.shown.at(0).controlsAtEnd.refusals.empty());
    }
}

TEST(TempoCommand, UnplayableOrNonNumericTextIsRefusedAndTheDialogStaysOpen) {
    for (const char* typed : {"9", "0", "-80", "1000", "abc", "", "12.5", "99999999999"}) {
        ViewHarness h;
        // The refusal keeps the dialog open: the second OK with a good tempo closes it.
        h.dialogs.Expect(kTempoDialog, {UA::TypeText(kEdit, typed), UA::Press(platform::kIdOk),
                                        UA::TypeText(kEdit, "90"), UA::Press(platform::kIdOk)});
        h.v().OnCommand(kTempoCommand);
        const FakeControls& end = h.dialogs.shown.at(0).controlsAtEnd;
        ASSERT_EQ(end.refusals.size(), 1u) << typed;
        EXPECT_EQ(end.refusedControls.at(0), kEdit);
        EXPECT_EQ(end.refusals.at(0), Utf8ToSjis("10 から 999 までの整数を入力してください。"));
        EXPECT_EQ(h.v().m_tempo, 90) << typed;
    }
}

TEST(TempoCommand, CancelKeepsTheTempoAndStillRedraws) {
    ViewHarness h;
    h.dialogs.Expect(kTempoDialog, {UA::TypeText(kEdit, "150"), UA::PressEscape()});
    h.v().OnCommand(kTempoCommand);
    EXPECT_EQ(h.v().m_tempo, 80);
    EXPECT_EQ(h.window.invalidations, 1);
}

}  // namespace
}  // namespace tabrella::test
