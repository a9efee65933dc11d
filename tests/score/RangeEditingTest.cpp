// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Sjis.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/Texts.h"
#include "score/RangeDialogs.h"
#include "support/CellPrinting.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

using test::UserAction;
using test::ViewHarness;

constexpr int kFrom = CRangeDialog::kFromEdit;
constexpr int kTo = CRangeDialog::kToEdit;
constexpr int kDecide = CRangeDialog::kDecideButton;
constexpr int kCancel = CRangeDialog::kCancelButton;
constexpr int kTarget = CPasteDialog::kTargetEdit;
constexpr int kRun = CPasteDialog::kRunButton;

// A cell that tells where it came from, with all seven fields set.
ScoreCell Tagged(int tag) {
    ScoreCell c;
    c.first[1] = tag;
    c.first[2] = tag + 10000;
    c.first[3] = tag + 20000;
    c.second[1] = -tag;
    c.second[2] = tag + 30000;
    c.second[3] = tag + 40000;
    c.split = tag % 2;
    return c;
}

class RangeEditingTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(h.dialogs.AllScriptsUsed()); }

    void FillScore() {
        for (int k = 1; k <= kLastCellIndex; ++k) h.Cell(k) = Tagged(k);
    }
    // The tag of the cell now at k; 0 when it is empty.
    int TagAt(int k) { return h.Cell(k).first[1]; }
    int ClipTag(int i) { return h.v().m_clip.at(static_cast<size_t>(i)).first[1]; }

    void RangeCommand(int command, const std::string& from, const std::string& to) {
        h.dialogs.Expect(res::kDlgRange,
                         {UserAction::TypeText(kFrom, from), UserAction::TypeText(kTo, to),
                          UserAction::Press(kDecide)});
        h.v().OnCommand(command);
    }
    void Paste(const std::string& at) {
        h.dialogs.Expect(res::kDlgPaste,
                         {UserAction::TypeText(kTarget, at), UserAction::Press(kRun)});
        h.v().OnCommand(cmd::kPaste);
    }

    ViewHarness h;
};

// ---- The dialogs ----------------------------------------------------------------------

TEST_F(RangeEditingTest, RangeDialogOpensOnTheCursorWithTheOperationNameAndSpinRanges) {
    const struct {
        int command;
        const char* name;
    } rows[] = {{cmd::kInsertBlank, "空白を挿入"},
                {cmd::kCut, "切り取り"},
                {cmd::kCopy, "コピー操作"},
                {cmd::kEditCut, "切り取り"},
                {cmd::kEditCopy, "コピー操作"}};
    h.v().m_cursorPos = 7;
    for (const auto& row : rows) {
        h.dialogs.Expect(res::kDlgRange, {UserAction::PressEscape()});
        h.v().OnCommand(row.command);
        ASSERT_FALSE(h.dialogs.shown.empty());
        const test::FakeControls& open = h.dialogs.shown.back().controlsAtOpen;
        EXPECT_EQ(SjisToUtf8(open.GetText(CRangeDialog::kOperationEdit)), row.name);
        EXPECT_EQ(open.GetText(kFrom), "7");
        EXPECT_EQ(open.GetText(kTo), "7");
        for (int spin : {CRangeDialog::kFromSpin, CRangeDialog::kToSpin}) {
            EXPECT_EQ(open.spinRanges.at(spin), std::make_pair(1, 2999)) << spin;
            EXPECT_EQ(open.spinPos.at(spin), 7) << spin;
        }
    }
}

TEST_F(RangeEditingTest, PasteDialogOpensOnTheCursorWithItsSpinRange) {
    h.v().m_cursorPos = 12;
    h.dialogs.Expect(res::kDlgPaste, {UserAction::PressEscape()});
    h.v().OnCommand(cmd::kEditPaste);
    const test::FakeControls& open = h.dialogs.shown.at(0).controlsAtOpen;
    EXPECT_EQ(open.GetText(kTarget), "12");
    EXPECT_EQ(open.spinRanges.at(CPasteDialog::kTargetSpin), std::make_pair(1, 2999));
    EXPECT_EQ(open.spinPos.at(CPasteDialog::kTargetSpin), 12);
}

TEST_F(RangeEditingTest, SpinArrowsChangeTheNumbersThatAreRead) {
    FillScore();
    h.v().m_cursorPos = 7;
    h.dialogs.Expect(res::kDlgRange,
                     {UserAction::Up(CRangeDialog::kToSpin), UserAction::Up(CRangeDialog::kToSpin),
                      UserAction::Press(kDecide)});
    h.v().OnCommand(cmd::kInsertBlank);
    EXPECT_EQ(h.v().m_rangeStart, 7);
    EXPECT_EQ(h.v().m_rangeEnd, 9);
}

TEST_F(RangeEditingTest, CancelWithAnEmptyBoxIsRefusedAndTheDialogStaysOpen) {
    FillScore();
    h.v().m_rangeStart = h.v().m_rangeEnd = 42;
    h.dialogs.Expect(res::kDlgRange, {UserAction::TypeText(kFrom, ""), UserAction::Press(kCancel),
                                      UserAction::PressEscape()});
    h.v().OnCommand(cmd::kCut);

    const auto& shown = h.dialogs.shown.at(0);
    ASSERT_EQ(shown.controlsAtEnd.refusals.size(), 1u);
    EXPECT_EQ(shown.controlsAtEnd.refusedControls.at(0), kFrom);
    EXPECT_NE(SjisToUtf8(shown.controlsAtEnd.refusals[0]).find("1 から 2999"), std::string::npos);
    // Only the Esc that followed could close it.
    EXPECT_EQ(shown.result, platform::kIdCancel);
    EXPECT_EQ(TagAt(3), 3);
    EXPECT_EQ(h.v().m_clipCount, 0);
    EXPECT_EQ(h.v().m_rangeStart, 42);
    EXPECT_EQ(h.window.invalidations, 0);
}

TEST_F(RangeEditingTest, CancelWithGoodNumbersClosesAndNothingHappens) {
    FillScore();
    for (int command : {cmd::kInsertBlank, cmd::kCut, cmd::kCopy}) {
        h.dialogs.Expect(res::kDlgRange,
                         {UserAction::TypeText(kFrom, "3"), UserAction::Press(kCancel)});
        h.v().OnCommand(command);
        EXPECT_EQ(h.dialogs.shown.back().result, platform::kIdOk);
    }
    h.dialogs.Expect(res::kDlgPaste, {UserAction::Press(CPasteDialog::kCancelButton)});
    h.v().OnCommand(cmd::kPaste);

    EXPECT_EQ(h.dialogs.shown.back().result, platform::kIdOk);
    for (int k : {1, 3, 2999}) EXPECT_EQ(TagAt(k), k);
    EXPECT_EQ(h.v().m_clipCount, 0);
    EXPECT_EQ(h.window.invalidations, 0);
}

TEST_F(RangeEditingTest, EscapeReadsNothingBackEvenWhenTheBoxesHoldNonsense) {
    FillScore();
    h.dialogs.Expect(res::kDlgRange,
                     {UserAction::TypeText(kFrom, "abc"), UserAction::TypeText(kTo, "99999"),
                      UserAction::PressEscape()});
    h.v().OnCommand(cmd::kInsertBlank);
    EXPECT_TRUE(h.dialogs.shown.at(0).controlsAtEnd.refusals.empty());
    EXPECT_EQ(TagAt(1), 1);
    EXPECT_EQ(h.v().m_rangeStart, 0);
    EXPECT_EQ(h.window.invalidations, 0);
}

TEST_F(RangeEditingTest, NumbersOutsideOneTo2999AreRefusedInEitherBox) {
    for (const char* bad : {"0", "3000", "-1", "abc", "12x", "1.5", " "}) {
        for (int box : {kFrom, kTo}) {
            SCOPED_TRACE(std::string(bad) + " in " + std::to_string(box));
            ViewHarness fresh;
            fresh.dialogs.Expect(res::kDlgRange,
                                 {UserAction::TypeText(box, bad), UserAction::Press(kDecide),
                                  UserAction::TypeText(box, "4"), UserAction::Press(kDecide)});
            fresh.v().OnCommand(cmd::kCopy);
            const auto& end = fresh.dialogs.shown.at(0).controlsAtEnd;
            ASSERT_EQ(end.refusedControls, std::vector<int>{box});
            // The corrected number goes through.
            EXPECT_EQ(fresh.v().m_rangeStart, 1);
            EXPECT_EQ(fresh.v().m_rangeEnd, 4);
            EXPECT_EQ(fresh.v().m_clipCount, 4);
        }
    }
}

TEST_F(RangeEditingTest, DecideAfterARefusedCancelGoesAhead) {
    FillScore();
    h.dialogs.Expect(res::kDlgRange, {UserAction::TypeText(kFrom, ""), UserAction::Press(kCancel),
                                      UserAction::TypeText(kFrom, "5"),
                                      UserAction::TypeText(kTo, "6"), UserAction::Press(kDecide)});
    h.v().OnCommand(cmd::kInsertBlank);
    EXPECT_EQ(TagAt(5), 0);
    EXPECT_EQ(TagAt(7), 5);
}

TEST_F(RangeEditingTest, PasteDialogValidatesOnCancelAndPastesOnlyOnRun) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "1");
    h.dialogs.Expect(res::kDlgPaste,
                     {UserAction::TypeText(kTarget, "3000"),
                      UserAction::Press(CPasteDialog::kCancelButton), UserAction::PressEscape()});
    h.v().OnCommand(cmd::kPaste);
    EXPECT_EQ(h.dialogs.shown.back().controlsAtEnd.refusedControls, std::vector<int>{kTarget});
    EXPECT_EQ(TagAt(3), 3);

    Paste("3");
    EXPECT_EQ(TagAt(3), 1);
    EXPECT_EQ(h.window.invalidations, 1);
}

// ---- Insert blank -------------------------------------------------------------------------

TEST_F(RangeEditingTest, InsertFiveToSixMovesLaterCellsTwoPlacesAndLeavesBlanks) {
    FillScore();
    RangeCommand(cmd::kInsertBlank, "5", "6");
    EXPECT_EQ(h.Cell(4), Tagged(4));
    EXPECT_TRUE(h.Cell(5) == ScoreCell{});
    EXPECT_TRUE(h.Cell(6) == ScoreCell{});
    EXPECT_EQ(h.Cell(7), Tagged(5));
    EXPECT_EQ(h.Cell(2999), Tagged(2997));
    EXPECT_EQ(h.window.invalidations, 1);
}

TEST_F(RangeEditingTest, ARangeGivenBackwardsIsTheSameRange) {
    ViewHarness forwards;
    FillScore();
    for (int k = 1; k <= kLastCellIndex; ++k) forwards.Cell(k) = Tagged(k);
    forwards.dialogs.Expect(res::kDlgRange,
                            {UserAction::TypeText(kFrom, "5"), UserAction::TypeText(kTo, "6"),
                             UserAction::Press(kDecide)});
    forwards.v().OnCommand(cmd::kInsertBlank);
    RangeCommand(cmd::kInsertBlank, "6", "5");
    EXPECT_EQ(h.v().m_rangeStart, 5);
    EXPECT_EQ(h.v().m_rangeEnd, 6);
    EXPECT_TRUE(h.v().m_cells == forwards.v().m_cells);
}

TEST_F(RangeEditingTest, PositionsCountFromThePageShown) {
    FillScore();
    h.v().m_topColumn = 2;
    RangeCommand(cmd::kInsertBlank, "1", "1");
    EXPECT_EQ(h.v().m_rangeStart, 65);
    EXPECT_EQ(TagAt(64), 64);
    EXPECT_EQ(TagAt(65), 0);
    EXPECT_EQ(TagAt(66), 65);
}

TEST_F(RangeEditingTest, InsertOverTheWholeScoreEmptiesIt) {
    FillScore();
    RangeCommand(cmd::kInsertBlank, "1", "2999");
    EXPECT_EQ(h.v().LastUsedCell(), 0);
}

TEST_F(RangeEditingTest, InsertOverARangeRunningPastTheEndClearsOnlyToTheLastCell) {
    FillScore();
    h.v().m_topColumn = 3;  // 2900..2999 on this page is 2996..3095 of the score
    RangeCommand(cmd::kInsertBlank, "2999", "2900");
    EXPECT_EQ(h.v().m_rangeStart, 2996);
    EXPECT_EQ(h.v().m_rangeEnd, 3095);
    EXPECT_EQ(TagAt(2995), 2995);
    for (int k = 2996; k <= 2999; ++k) EXPECT_EQ(TagAt(k), 0) << k;
}

TEST_F(RangeEditingTest, InsertStartingPastTheEndChangesNothing) {
    FillScore();
    h.v().m_topColumn = 49;
    RangeCommand(cmd::kInsertBlank, "1500", "1600");
    for (int k : {1, 1568, 2999}) EXPECT_EQ(TagAt(k), k);
}

// ---- Cut, copy, paste -----------------------------------------------------------------------

TEST_F(RangeEditingTest, CutThreeToFourThenPasteAtTen) {
    FillScore();
    RangeCommand(cmd::kCut, "3", "4");
    EXPECT_EQ(h.v().m_clipCount, 2);
    EXPECT_EQ(h.v().m_clip[1], Tagged(3));
    EXPECT_EQ(h.v().m_clip[2], Tagged(4));
    EXPECT_EQ(TagAt(2), 2);
    EXPECT_EQ(h.Cell(3), Tagged(5));
    EXPECT_EQ(TagAt(2997), 2999);
    EXPECT_TRUE(h.Cell(2998).IsEmpty() && h.Cell(2999) == ScoreCell{});
    EXPECT_EQ(h.window.invalidations, 1);

    Paste("10");
    EXPECT_EQ(TagAt(9), 11);
    EXPECT_EQ(h.Cell(10), Tagged(3));
    EXPECT_EQ(h.Cell(11), Tagged(4));
    EXPECT_EQ(TagAt(12), 14);
    EXPECT_EQ(h.v().m_clipCount, 2);
    EXPECT_EQ(h.window.invalidations, 2);
}

TEST_F(RangeEditingTest, CutOverTheWholeScoreFillsTheClipboard) {
    FillScore();
    RangeCommand(cmd::kCut, "2999", "1");
    EXPECT_EQ(h.v().m_clipCount, 2999);
    EXPECT_EQ(ClipTag(1), 1);
    EXPECT_EQ(h.v().m_clip[2999], Tagged(2999));
    EXPECT_EQ(h.v().LastUsedCell(), 0);
}

TEST_F(RangeEditingTest, CutPastTheEndTakesOnlyTheCellsThatExist) {
    FillScore();
    h.v().m_topColumn = 1;  // 2960..2999 is 2992..3031 of the score
    RangeCommand(cmd::kCut, "2960", "2999");
    EXPECT_EQ(h.v().m_clipCount, 8);
    EXPECT_EQ(ClipTag(1), 2992);
    EXPECT_EQ(ClipTag(8), 2999);
    EXPECT_EQ(TagAt(2991), 2991);
    for (int k = 2992; k <= 2999; ++k) EXPECT_EQ(TagAt(k), 0) << k;
}

TEST_F(RangeEditingTest, CutAndCopyStartingPastTheEndKeepTheClipboard) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "3");
    h.v().m_topColumn = 49;
    RangeCommand(cmd::kCut, "2000", "2000");
    RangeCommand(cmd::kCopy, "1432", "1500");
    EXPECT_EQ(h.v().m_clipCount, 3);
    EXPECT_EQ(ClipTag(3), 3);
    EXPECT_EQ(TagAt(2999), 2999);
}

TEST_F(RangeEditingTest, CopyOneToThreeThenPasteTwice) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "3");
    EXPECT_EQ(h.v().m_clipCount, 3);
    for (int k : {1, 2, 3, 4, 2999}) EXPECT_EQ(TagAt(k), k);
    EXPECT_EQ(h.window.invalidations, 0);

    Paste("4");
    Paste("7");
    for (int k = 4; k <= 9; ++k) EXPECT_EQ(h.Cell(k), Tagged((k - 4) % 3 + 1)) << k;
    EXPECT_EQ(TagAt(10), 10);
}

TEST_F(RangeEditingTest, CopyReplacesTheWholeClipboard) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "5");
    RangeCommand(cmd::kCopy, "20", "21");
    EXPECT_EQ(h.v().m_clipCount, 2);
    Paste("100");
    EXPECT_EQ(TagAt(100), 20);
    EXPECT_EQ(TagAt(101), 21);
    EXPECT_EQ(TagAt(102), 102);
}

TEST_F(RangeEditingTest, PasteNearTheEndDropsWhatWouldFallPastIt) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "5");
    Paste("2997");
    EXPECT_EQ(TagAt(2996), 2996);
    EXPECT_EQ(TagAt(2997), 1);
    EXPECT_EQ(TagAt(2999), 3);
    EXPECT_EQ(TagAt(1), 1);  // nothing wraps round
}

TEST_F(RangeEditingTest, PasteCountsFromThePageShownAndWritesNothingPastTheEnd) {
    FillScore();
    RangeCommand(cmd::kCopy, "1", "2");
    h.v().m_topColumn = 2;
    Paste("1");
    EXPECT_EQ(TagAt(65), 1);
    EXPECT_EQ(TagAt(66), 2);

    h.v().m_topColumn = 49;
    Paste("2000");
    EXPECT_EQ(h.v().m_rangeStart, 3568);
    for (int k = 67; k <= 2999; ++k) ASSERT_EQ(TagAt(k), k);
    EXPECT_EQ(h.window.invalidations, 2);
}

TEST_F(RangeEditingTest, PasteWithAnEmptyClipboardOnlyRepaints) {
    FillScore();
    Paste("1");
    EXPECT_EQ(TagAt(1), 1);
    EXPECT_EQ(h.window.invalidations, 1);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);  // and says there was nothing to paste
    EXPECT_EQ(h.dialogs.messages[0].text, res::Sjis(res::Txt::ClipboardEmpty));
    RangeCommand(cmd::kCopy, "2", "2");
    Paste("1");  // with something copied, no word
    EXPECT_EQ(TagAt(1), 2);
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

// ---- Ways in ------------------------------------------------------------------------------

TEST_F(RangeEditingTest, StandardCutCopyAndPasteIdsDoWhatTheMenuDoes) {
    ViewHarness byMenu;
    FillScore();
    for (int k = 1; k <= kLastCellIndex; ++k) byMenu.Cell(k) = Tagged(k);
    auto run = [](ViewHarness& v, int cut, int copy, int paste) {
        using A = UserAction;
        v.dialogs.Expect(res::kDlgRange,
                         {A::TypeText(kFrom, "3"), A::TypeText(kTo, "8"), A::Press(kDecide)});
        v.v().OnCommand(cut);
        v.dialogs.Expect(res::kDlgRange,
                         {A::TypeText(kFrom, "20"), A::TypeText(kTo, "22"), A::Press(kDecide)});
        v.v().OnCommand(copy);
        v.dialogs.Expect(res::kDlgPaste, {A::TypeText(kTarget, "1"), A::Press(kRun)});
        v.v().OnCommand(paste);
    };
    run(byMenu, cmd::kCut, cmd::kCopy, cmd::kPaste);
    run(h, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste);
    EXPECT_TRUE(h.v().m_cells == byMenu.v().m_cells);
    EXPECT_TRUE(h.v().m_clip == byMenu.v().m_clip);
    EXPECT_EQ(h.v().m_clipCount, 3);
    EXPECT_EQ(TagAt(1), 26);  // 20..22 of the score after the cut of six cells
}

TEST_F(RangeEditingTest, TheCommandsAreEnabledWithAnEmptyClipboard) {
    for (int id : {cmd::kInsertBlank, cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kEditCut,
                   cmd::kEditCopy, cmd::kEditPaste}) {
        EXPECT_TRUE(h.v().OnUpdateCommand(id).handled) << id;
    }
}

}  // namespace
}  // namespace tabrella
