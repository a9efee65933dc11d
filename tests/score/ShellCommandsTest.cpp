#include <gtest/gtest.h>

#include <filesystem>

#include "resources/CommandIds.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

TEST(ShellCommands, HelpShowsTheProgramsOwnHelpWindowWithoutABrowser) {
    test::ViewHarness h;
    EXPECT_TRUE(h.v().OnCommand(cmd::kHelp));
    EXPECT_EQ(h.window.helpShown, 1);
    EXPECT_TRUE(h.window.openedUrls.empty());
    // The page is also installed for reading elsewhere.
    const std::string url = HelpPageUrl();
    ASSERT_EQ(url.rfind("file://", 0), 0u) << url;
    EXPECT_TRUE(std::filesystem::exists(url.substr(7))) << url;
}

TEST(ShellCommands, PrintAndPreviewDrawThePageOnThePrinterWithoutCursor) {
    test::ViewHarness h;
    h.v().m_cells[1].first[2] = 5;
    for (int id : {cmd::kPrint, cmd::kPrintPreview}) {
        h.window.printed.Clear();
        EXPECT_TRUE(h.v().OnCommand(id));
        ASSERT_FALSE(h.window.printed.ops.empty());
        EXPECT_EQ(h.window.printed.ops[0].kind, test::DrawOp::PrinterMapping);
        EXPECT_TRUE(h.window.printed.Rects().empty()) << "no cursor box on paper";
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
