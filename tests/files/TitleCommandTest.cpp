// SPDX-License-Identifier: GPL-3.0-or-later
// The song title dialog and the title painted at once.
#include <gtest/gtest.h>

#include "files/FileTestSupport.h"
#include "render/PageLayout.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/KeyCodes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;
constexpr int kEdit = 1006;

class TitleCommand : public ::testing::Test {
  protected:
    ViewHarness h;

    CTabrellaView& v() { return h.v(); }
    void Run(std::vector<UA> actions) {
        h.dialogs.Expect(res::kDlgTitle, std::move(actions));
        v().OnCommand(cmd::kTitle);
    }
    std::string ShownText() const { return h.dialogs.shown.back().controlsAtOpen.GetText(kEdit); }
};

TEST_F(TitleCommand, OkWithTextSetsTheTitleAndTheBoxOpensWithIt) {
    Run({UA::TypeText(kEdit, S("春の海")), UA::Press(platform::kIdOk)});
    EXPECT_EQ(ShownText(), "");
    EXPECT_EQ(v().m_title, S("春の海"));
    Run({UA::PressEscape()});
    EXPECT_EQ(ShownText(), S("春の海"));
}

TEST_F(TitleCommand, AnEmptyBoxOrCancelKeepsTheOldTitle) {
    v().m_title = S("六段");
    Run({UA::TypeText(kEdit, ""), UA::PressEnter()});
    EXPECT_EQ(v().m_title, S("六段"));
    Run({UA::TypeText(kEdit, S("千鳥")), UA::Press(platform::kIdCancel)});
    EXPECT_EQ(v().m_title, S("六段"));
    Run({UA::TypeText(kEdit, S("千鳥")), UA::PressEscape()});
    EXPECT_EQ(v().m_title, S("六段"));
}

// A new title is a change Save would write; the same title again, Cancel or an empty box
// change nothing.
TEST_F(TitleCommand, CountsAsAChangeOnlyWhenTheTitleChanges) {
    Run({UA::TypeText(kEdit, S("春")), UA::PressEnter()});
    EXPECT_EQ(v().Modified(), 1);
    v().SetDocumentFile(v().m_filePath, true);
    Run({UA::TypeText(kEdit, S("春")), UA::PressEnter()});
    Run({UA::TypeText(kEdit, S("夏")), UA::Press(platform::kIdCancel)});
    Run({UA::TypeText(kEdit, ""), UA::PressEnter()});
    EXPECT_EQ(v().Modified(), 0);
}

// Text the score cannot store is refused with a message, never kept as "?".
TEST_F(TitleCommand, ACharacterShiftJisCannotHoldIsRefused) {
    h.dialogs.notSjisTexts = {kEdit};
    Run({UA::TypeText(kEdit, "caf?"), UA::PressEnter(), UA::Press(platform::kIdCancel)});
    EXPECT_EQ(v().m_title, "");
    ASSERT_EQ(h.dialogs.shown.back().controlsAtEnd.refusals.size(), 1u);
    EXPECT_EQ(h.dialogs.shown.back().controlsAtEnd.refusals[0],
              S("楽譜に保存できない文字が含まれています。Shift-JIS "
                "で表せる文字だけを入力してください。"));
    EXPECT_EQ(v().Modified(), 0);
}

TEST_F(TitleCommand, HalfWidthBlanksBecomeFullWidthSoTheTitleStaysOneWord) {
    Run({UA::TypeText(kEdit, "Haru no\tumi"), UA::PressEnter()});
    const std::string space = S("　");
    EXPECT_EQ(v().m_title, "Haru" + space + "no" + space + "umi");
}

TEST_F(TitleCommand, PaintsTheTitleAtOnceDownTheSideOfThePage) {
    h.window.immediate.Clear();
    Run({UA::TypeText(kEdit, S("春の海")), UA::PressEnter()});

    const DrawLog& log = h.window.immediate;
    ASSERT_FALSE(log.ops.empty());
    EXPECT_EQ(log.ops.front().kind, DrawOp::Transparent);
    const auto mapping = std::find_if(log.ops.begin(), log.ops.end(), [](const DrawOp& op) {
        return op.kind == DrawOp::ScreenMapping;
    });
    ASSERT_NE(mapping, log.ops.end());
    EXPECT_EQ(mapping->mapping[0], kWindowExtX);
    EXPECT_EQ(mapping->mapping[2], 220 * 120 / 100);  // the zoom of a new view

    const std::vector<DrawOp> texts = log.Texts();
    ASSERT_EQ(texts.size(), 3u);
    const PageGeometry g = PageGeometry::Of(v());
    const char* pieces[] = {"春", "の", "海"};
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(texts[j - 1].text, S(pieces[j - 1]));
        EXPECT_EQ(texts[j - 1].a, g.TitleAnchor(j, false));
        EXPECT_EQ(texts[j - 1].font.height, 130);
        EXPECT_EQ(texts[j - 1].font.face, S("HG正楷書体-PRO"));
    }
    EXPECT_EQ(texts[0].a, (platform::Point{1920, -820}));
    EXPECT_EQ(texts[1].a.y - texts[0].a.y, -200);
    // The next paint pass clears what remains of a longer old title.
    EXPECT_GT(h.window.invalidations, 0);
}

TEST_F(TitleCommand, PaintsEvenWhenCancelled) {
    v().m_title = S("六段");
    h.window.immediate.Clear();
    Run({UA::PressEscape()});
    EXPECT_EQ(h.window.immediate.Texts().size(), 2u);
}

TEST_F(TitleCommand, TheTitleIsDrawnTheSameByThePageDrawing) {
    v().m_title = S("春の海");
    DrawLog page;
    RecordingSurface surface(page);
    v().OnPaint(surface);
    h.window.immediate.Clear();
    Run({UA::PressEscape()});
    std::vector<DrawOp> fromPage;
    for (const DrawOp& op : page.Texts()) {
        if (op.font.height == 130) fromPage.push_back(op);
    }
    const std::vector<DrawOp> now = h.window.immediate.Texts();
    ASSERT_EQ(fromPage.size(), now.size());
    for (size_t i = 0; i < now.size(); ++i) {
        EXPECT_EQ(now[i].text, fromPage[i].text);
        EXPECT_EQ(now[i].a, fromPage[i].a);
        EXPECT_EQ(now[i].font, fromPage[i].font);
    }
}

}  // namespace
}  // namespace tabrella::test
