#include <gtest/gtest.h>

#include <filesystem>

#include "resources/CommandIds.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

TEST(ShellCommands, HelpOpensTheProgramsOwnHelpPage) {
    test::ViewHarness h;
    EXPECT_TRUE(h.v().OnCommand(cmd::kHelp));
    ASSERT_EQ(h.window.openedUrls.size(), 1u);
    const std::string& url = h.window.openedUrls[0];
    ASSERT_EQ(url.rfind("file://", 0), 0u) << url;
    EXPECT_TRUE(std::filesystem::exists(url.substr(7))) << url;
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

TEST(ShellCommands, UndoAndPaneCommandsHaveNoHandler) {
    test::ViewHarness h;
    for (int id : {cmd::kEditUndo, cmd::kNextPane, cmd::kPrevPane}) {
        EXPECT_FALSE(h.v().OnCommand(id));
        EXPECT_FALSE(h.v().OnUpdateCommand(id).handled);
    }
}

}  // namespace
}  // namespace tabrella
