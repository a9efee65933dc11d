// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "resources/CommandIds.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

TEST(ShellCommands, HelpAsksTheFrameForTheHelpPage) {
    test::ViewHarness h;
    EXPECT_TRUE(h.v().OnCommand(cmd::kHelp));
    EXPECT_EQ(h.window.helpShown, 1);
}

TEST(ShellCommands, PrintingLeavesTheEndOfTheScoreWhereTheCursorPutIt) {
    // The printer's drawing does not raise the end to the cursor; the repaint after the
    // dialog must, or Save writes fewer cells than before the preview.
    for (int id : {cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup}) {
        test::ViewHarness h;
        h.v().m_cells[2].first[2] = 5;
        h.v().m_cursorPos = 9;
        h.Paint();
        ASSERT_EQ(h.v().m_lastCell, 9);
        const int before = h.window.invalidations;
        h.v().OnCommand(id);
        ASSERT_GT(h.window.invalidations, before) << id;
        h.Paint();
        EXPECT_EQ(h.v().m_lastCell, 9) << id;
    }
}

TEST(ShellCommands, PrintAndPreviewOfferEveryPageAndTheScreensPageWithoutCursor) {
    test::ViewHarness h;
    h.v().m_cells[1].first[2] = 5;
    h.v().m_cells[230].first[2] = 6;  // a second page
    for (int id : {cmd::kPrint, cmd::kPrintPreview}) {
        h.window.printedPages.clear();
        h.window.current.Clear();
        EXPECT_TRUE(h.v().OnCommand(id));
        ASSERT_EQ(h.window.printedPages.size(), 2u);
        for (const test::DrawLog* page :
             {&h.window.printedPages[0], &h.window.printedPages[1], &h.window.current}) {
            ASSERT_FALSE(page->ops.empty());
            EXPECT_EQ(page->ops[0].kind, test::DrawOp::PrinterMapping);
            EXPECT_TRUE(page->Rects().empty()) << "no cursor box on paper";
        }
    }
    EXPECT_TRUE(h.v().OnCommand(cmd::kPrintSetup));
    EXPECT_EQ(h.window.printJobs, (std::vector<platform::PrintJob>{platform::PrintJob::Print,
                                                                   platform::PrintJob::Preview,
                                                                   platform::PrintJob::Setup}));
}

TEST(ShellCommands, PaneCommandsHaveNoHandler) {
    test::ViewHarness h;
    for (int id : {cmd::kNextPane, cmd::kPrevPane}) {
        EXPECT_FALSE(h.v().OnCommand(id));
        EXPECT_FALSE(h.v().OnUpdateCommand(id).handled);
    }
}

}  // namespace
}  // namespace tabrella
