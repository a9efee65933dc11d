// SPDX-License-Identifier: GPL-3.0-or-later
// Tunings, base tones and 乙: the pitch of every string, and the tuning command's dialog.
#include <gtest/gtest.h>

#include <array>

#include "base/Sjis.h"
#include "score/TuningTable.h"
#include "sound/TuningDialog.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using Pitches = std::array<int, 14>;
using UA = UserAction;
constexpr int kTuningDialog = 136;
constexpr int kRowToOnkai = 5, kRowPentatonic = 6, kRowHarmonic = 7;

std::string S(const char* utf8) {
    return Utf8ToSjis(utf8);
}

TEST(Pitch, ANewScoreHasTheWorkedExamplesPitches) {
    ViewHarness h;
    EXPECT_EQ(h.v().m_pitch, (Pitches{52, 64, 57, 59, 60, 64, 65, 69, 71, 72, 76, 77, 81, 83}));
    EXPECT_EQ(h.v().m_tuningName, S("平調子"));
    EXPECT_EQ(h.v().m_baseToneLabel, "");
}

TEST(Pitch, SlotValuesSoundAtTheStringPlusTheirPressing) {
    ViewHarness h;
    EXPECT_EQ(h.v().PitchOfSlot(5), 64);
    EXPECT_EQ(h.v().PitchOfSlot(105), 65);
    EXPECT_EQ(h.v().PitchOfSlot(205), 66);
    EXPECT_EQ(h.v().PitchOfSlot(305), 67);
    EXPECT_EQ(h.v().PitchOfSlot(113), 84);
    // Bare modifiers, marks, empty slots and string 14 give no note.
    for (int v : {0, 100, 200, 300, 400, 500, 900, 1000, 1100, 1200, 14, 114, -5}) {
        EXPECT_EQ(h.v().PitchOfSlot(v), -1) << v;
    }
}

TEST(Pitch, TheTableRowsAndBaseToneNamesAreInOrder) {
    const char* rows[] = {"平調子", "雲井調子", "中空調子",         "乃木調子",
                          "楽調子", "ト音階",   "ペンタトニックｍ", "ハルモニックｍ"};
    for (int i = 0; i < kTuningCount; ++i) {
        EXPECT_EQ(TuningTable()[i].name, S(rows[i]));
        EXPECT_EQ(TuningTable()[i].offsets[1], 0);
        for (int s = 3; s <= 13; ++s)
            EXPECT_LT(TuningTable()[i].offsets[s - 1], TuningTable()[i].offsets[s]);
    }
    EXPECT_EQ(BaseToneNames()[1], S("壱越"));
    EXPECT_EQ(BaseToneNames()[12], S("上無"));
    EXPECT_EQ(BaseToneName(13), "");
    EXPECT_EQ(BaseToneName(-1), "");
}

// ---- The two recomputations ---------------------------------------------------------------

TEST(RecomputePitches, BaseTone12WithThePentatonicRowPutsKinAt93) {
    ViewHarness h;
    h.v().RecomputePitches(true, S("ペンタトニックｍ"), S("上無"), 0);
    EXPECT_EQ(h.v().m_tuningIndex, kRowPentatonic);
    EXPECT_EQ(h.v().m_baseTone, 12);
    EXPECT_EQ(h.v().m_pitch[13], 93);
    EXPECT_EQ(h.v().m_pitch[1], 61 + 12);
}

TEST(RecomputePitches, OtsuPutsStringOneOnTheBaseTone) {
    ViewHarness h;
    h.v().RecomputePitches(true, S("平調子"), S("平調"), 1);
    EXPECT_EQ(h.v().m_otsuFlag, 0);
    EXPECT_EQ(h.v().m_pitch[1], 52);
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音平調乙"));
    h.v().RecomputePitches(true, S("平調子"), S("神仙"), 0);
    EXPECT_EQ(h.v().m_otsuFlag, 1);
    EXPECT_EQ(h.v().m_pitch[1], 60 + 12);
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音神仙"));
}

TEST(RecomputePitches, TheVariantsDifferOnlyForToOnkaiAndHarmonicWithOtsuOff) {
    for (int row = 0; row < kTuningCount; ++row) {
        for (int otsuCheck : {0, 1}) {
            ViewHarness command, load;
            command.v().RecomputePitches(true, TuningTable()[row].name, S("双調"), otsuCheck);
            load.v().m_tuningName = TuningTable()[row].name;
            load.v().m_baseTone = 6;
            load.v().m_otsuFlag = otsuCheck ? 0 : 1;
            load.v().RecomputePitchesForLoad();
            EXPECT_EQ(load.v().m_tuningIndex, row);
            EXPECT_EQ(load.v().m_baseToneLabel, command.v().m_baseToneLabel);
            Pitches expected = command.v().m_pitch;
            // After a load string 一 takes 五's offset: 7 in ト音階, 10 in ハルモニックｍ.
            if (otsuCheck == 0 && row == kRowToOnkai) expected[1] = 55 + 7;
            if (otsuCheck == 0 && row == kRowHarmonic) expected[1] = 55 + 10;
            EXPECT_EQ(load.v().m_pitch, expected) << "row " << row << " otsu " << otsuCheck;
            if (otsuCheck == 0 && (row == kRowToOnkai || row == kRowHarmonic)) {
                EXPECT_NE(load.v().m_pitch[1], command.v().m_pitch[1]);
            }
        }
    }
}

TEST(RecomputePitches, ALoadedNameThatMatchesNoRowSoundsAsRowZeroAndIsKept) {
    ViewHarness h;
    h.v().m_tuningIndex = 3;
    h.v().m_tuningName = S("平調子 ");
    h.v().m_baseTone = 3;
    h.v().m_otsuFlag = 1;
    h.v().RecomputePitchesForLoad();
    EXPECT_EQ(h.v().m_tuningIndex, 0);
    EXPECT_EQ(h.v().m_tuningName, S("平調子 "));
    EXPECT_EQ(h.v().m_pitch, (Pitches{52, 64, 57, 59, 60, 64, 65, 69, 71, 72, 76, 77, 81, 83}));
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音平調"));
}

TEST(RecomputePitches, ABaseToneNoDialogOffersNeitherCrashesNorOverflows) {
    for (int tone : {0, 13, -2147483647 - 1, 2147483647}) {
        ViewHarness h;
        h.v().m_baseTone = tone;
        h.v().RecomputePitchesForLoad();
        EXPECT_EQ(h.v().m_baseToneLabel, S("基音"));
        h.v().RecomputePitches(false, "", "", 0);
        EXPECT_EQ(h.v().m_baseTone, tone);
        // Any note the writer could ask for is plainly outside 0..127 or a real note.
        const int key = h.v().PitchOfSlot(305);
        EXPECT_TRUE(key < 0 || key > 127 || tone == 0 || tone == 13) << tone;
    }
}

// ---- The tuning command ------------------------------------------------------------------

TEST(TuningCommand, OpensOnTheCurrentSettingsWithListsInTableOrder) {
    ViewHarness h;
    h.dialogs.Expect(kTuningDialog, {UA::Press(platform::kIdOk)});
    ASSERT_TRUE(h.v().OnCommand(32795));
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    const FakeControls& open = h.dialogs.shown[0].controlsAtOpen;
    EXPECT_EQ(open.GetText(CTuningDialog::kTuningBox), S("平調子"));
    EXPECT_EQ(open.GetText(CTuningDialog::kBaseToneBox), S("平調"));
    EXPECT_EQ(open.GetCheck(CTuningDialog::kOtsuBox), 0);
    const auto& tunings = open.lists.at(CTuningDialog::kTuningBox);
    ASSERT_EQ(tunings.size(), 8u);
    EXPECT_EQ(tunings[7], S("ハルモニックｍ"));
    const auto& tones = open.lists.at(CTuningDialog::kBaseToneBox);
    ASSERT_EQ(tones.size(), 12u);
    EXPECT_EQ(tones[0], S("壱越"));
    EXPECT_EQ(tones[11], S("上無"));
}

TEST(TuningCommand, OkWithoutChangesKeepsThePitchesAndFillsTheLabel) {
    ViewHarness h;
    const Pitches before = h.v().m_pitch;
    h.dialogs.Expect(kTuningDialog, {UA::Press(platform::kIdOk)});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_pitch, before);
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音平調"));
    EXPECT_EQ(h.v().Modified(), 1);
    EXPECT_EQ(h.window.invalidations, 1);
}

TEST(TuningCommand, ChoosingFromTheListsAndOtsuChangesEverything) {
    ViewHarness h;
    h.dialogs.Expect(kTuningDialog,
                     {UA::Choose(CTuningDialog::kTuningBox, kRowPentatonic),
                      UA::Choose(CTuningDialog::kBaseToneBox, 11),
                      UA::Check(CTuningDialog::kOtsuBox, 1), UA::Press(platform::kIdOk)});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_tuningIndex, kRowPentatonic);
    EXPECT_EQ(h.v().m_tuningName, S("ペンタトニックｍ"));
    EXPECT_EQ(h.v().m_baseTone, 12);
    EXPECT_EQ(h.v().m_otsuFlag, 0);
    EXPECT_EQ(h.v().m_pitch[1], 61);
    EXPECT_EQ(h.v().m_pitch[13], 93);
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音上無乙"));

    // The next opening shows the new settings, 乙 checked.
    h.dialogs.Expect(kTuningDialog, {UA::PressEscape()});
    h.v().OnCommand(32795);
    const FakeControls& open = h.dialogs.shown[1].controlsAtOpen;
    EXPECT_EQ(open.GetText(CTuningDialog::kTuningBox), S("ペンタトニックｍ"));
    EXPECT_EQ(open.GetText(CTuningDialog::kBaseToneBox), S("上無"));
    EXPECT_EQ(open.GetCheck(CTuningDialog::kOtsuBox), 1);
}

TEST(TuningCommand, TypedNamesCountAndANameWithATrailingBlankMatchesNothing) {
    ViewHarness h;
    h.dialogs.Expect(kTuningDialog, {UA::TypeText(CTuningDialog::kTuningBox, S("楽調子")),
                                     UA::TypeText(CTuningDialog::kBaseToneBox, S("黄鐘")),
                                     UA::Press(platform::kIdOk)});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_tuningIndex, 4);
    EXPECT_EQ(h.v().m_baseTone, 8);

    h.dialogs.Expect(kTuningDialog, {UA::TypeText(CTuningDialog::kTuningBox, S("雲井調子 ")),
                                     UA::TypeText(CTuningDialog::kBaseToneBox, S("ド")),
                                     UA::Press(platform::kIdOk)});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_tuningIndex, 4);
    EXPECT_EQ(h.v().m_tuningName, S("楽調子"));
    EXPECT_EQ(h.v().m_baseTone, 8);
    EXPECT_EQ(h.v().Modified(), 1);
}

TEST(TuningCommand, CancelKeepsTheSettingsButStillFillsTheLabelAndRedraws) {
    ViewHarness h;
    h.v().RecomputePitches(true, S("中空調子"), S("下無"), 1);
    const Pitches before = h.v().m_pitch;
    h.v().m_baseToneLabel.clear();
    h.dialogs.Expect(kTuningDialog,
                     {UA::Choose(CTuningDialog::kTuningBox, 0),
                      UA::Check(CTuningDialog::kOtsuBox, 0), UA::Press(platform::kIdCancel)});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_tuningIndex, 2);
    EXPECT_EQ(h.v().m_baseTone, 5);
    EXPECT_EQ(h.v().m_otsuFlag, 0);
    EXPECT_EQ(h.v().m_pitch, before);
    EXPECT_EQ(h.v().m_baseToneLabel, S("基音下無乙"));
    EXPECT_EQ(h.v().Modified(), 1);
    EXPECT_EQ(h.window.invalidations, 1);
}

TEST(TuningCommand, CancelAfterALoadReplacesAnUnknownNameWithTheRowInUse) {
    ViewHarness h;
    h.v().m_tuningName = S("謎の調子");
    h.v().RecomputePitchesForLoad();
    h.dialogs.Expect(kTuningDialog, {UA::PressEscape()});
    h.v().OnCommand(32795);
    EXPECT_EQ(h.v().m_tuningName, S("平調子"));
}

}  // namespace
}  // namespace tabrella::test
