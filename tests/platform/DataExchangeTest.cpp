// SPDX-License-Identifier: GPL-3.0-or-later
// Integer fields of dialogs: what a dialog box takes as a number, and how a refusal keeps
// the dialog open without touching the fields that were not read.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/Sjis.h"
#include "platform/Dialog.h"
#include "resources/DialogResources.h"
#include "support/ScriptedDialogHost.h"

namespace tabrella::test {
namespace {

using platform::DataExchange;
using platform::ParseDialogInt;

std::string S(const char* utf8) {
    return Utf8ToSjis(utf8);
}

TEST(ParseDialogInt, TakesDecimalIntegersWithBlanksAroundAndAnOptionalSign) {
    const std::pair<const char*, int> accepted[] = {
        {"0", 0},
        {"7", 7},
        {"-12", -12},
        {"+12", 12},
        {" 42", 42},
        {"42  ", 42},
        {"\t42\t", 42},
        {"  -7 ", -7},
        {"007", 7},
        {"-0", 0},
        {"+0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& [text, value] : accepted) {
        const std::optional<int> got = ParseDialogInt(text);
        ASSERT_TRUE(got.has_value()) << "'" << text << "'";
        EXPECT_EQ(*got, value) << "'" << text << "'";
    }
}

TEST(ParseDialogInt, RefusesEverythingElse) {
    const char* refused[] = {"",    "   ", "+",          "-",
                             "+-5", "-+5", "++5",        "--5",
                             "1 2", "12a", "a12",        "0x10",
                             "1.5", "1e3", "2147483648", "-2147483649",
                             "+ 5", "- 5", "5-",         "99999999999999999999"};
    for (const char* text : refused) {
        EXPECT_FALSE(ParseDialogInt(text).has_value()) << "'" << text << "'";
    }
    EXPECT_FALSE(ParseDialogInt(S("１２")).has_value()) << "full-width digits";
    EXPECT_FALSE(ParseDialogInt(S("　12")).has_value()) << "full-width blank";
}

// ---- DataExchange over in-memory controls ---------------------------------------------------

constexpr int kEditName = 2001, kEditCount = 2002, kEditTempo = 2003, kCheckFlag = 2004;

struct Fields {
    std::string name = "old";
    int count = 5;
    int tempo = 80;
    int flag = 1;
};

void Exchange(DataExchange& dx, Fields& f) {
    dx.Text(kEditName, f.name);
    dx.Int(kEditCount, f.count);
    dx.IntInRange(kEditTempo, f.tempo, 1, 300);
    dx.Check(kCheckFlag, f.flag);
}

TEST(DataExchange, LoadingWritesEveryFieldIntoItsControl) {
    FakeControls controls(nullptr);
    Fields f{S("さくら"), -3, 120, 1};
    DataExchange dx(controls, false);
    Exchange(dx, f);
    EXPECT_FALSE(dx.Failed());
    EXPECT_EQ(controls.texts[kEditName], S("さくら"));
    EXPECT_EQ(controls.texts[kEditCount], "-3");
    EXPECT_EQ(controls.texts[kEditTempo], "120");
    EXPECT_EQ(controls.checks[kCheckFlag], 1);
    EXPECT_TRUE(controls.refusals.empty());
}

TEST(DataExchange, LoadingDoesNotCheckTheRange) {
    FakeControls controls(nullptr);
    Fields f;
    f.tempo = 0;
    DataExchange dx(controls, false);
    Exchange(dx, f);
    EXPECT_FALSE(dx.Failed());
    EXPECT_EQ(controls.texts[kEditTempo], "0");
}

TEST(DataExchange, SavingReadsEveryFieldBack) {
    FakeControls controls(nullptr);
    controls.texts = {{kEditName, S("六段")}, {kEditCount, " 12 "}, {kEditTempo, "300"}};
    controls.checks[kCheckFlag] = 0;
    Fields f;
    DataExchange dx(controls, true);
    Exchange(dx, f);
    EXPECT_FALSE(dx.Failed());
    EXPECT_EQ(f.name, S("六段"));
    EXPECT_EQ(f.count, 12);
    EXPECT_EQ(f.tempo, 300);
    EXPECT_EQ(f.flag, 0);
}

TEST(DataExchange, ANonIntegerIsRefusedOnItsControlAndStopsTheExchange) {
    FakeControls controls(nullptr);
    controls.texts = {{kEditName, "new"}, {kEditCount, "12x"}, {kEditTempo, "100"}};
    controls.checks[kCheckFlag] = 0;
    Fields f;
    DataExchange dx(controls, true);
    Exchange(dx, f);
    EXPECT_TRUE(dx.Failed());
    ASSERT_EQ(controls.refusedControls, (std::vector<int>{kEditCount}));
    EXPECT_EQ(SjisToUtf8(controls.refusals[0]), "整数を入力してください。");
    EXPECT_EQ(f.name, "new");  // read before the refusal
    EXPECT_EQ(f.count, 5);
    EXPECT_EQ(f.tempo, 80);  // not read after it
    EXPECT_EQ(f.flag, 1);
}

TEST(DataExchange, ANumberOutsideTheRangeIsRefusedWithTheRangeInTheMessage) {
    for (const char* text : {"0", "301", "-5", "abc", ""}) {
        FakeControls controls(nullptr);
        controls.texts = {{kEditName, "x"}, {kEditCount, "1"}, {kEditTempo, text}};
        Fields f;
        DataExchange dx(controls, true);
        Exchange(dx, f);
        EXPECT_TRUE(dx.Failed()) << text;
        ASSERT_EQ(controls.refusedControls, (std::vector<int>{kEditTempo})) << text;
        EXPECT_EQ(SjisToUtf8(controls.refusals[0]), "1 から 300 までの整数を入力してください。");
        EXPECT_EQ(f.tempo, 80) << text;
        EXPECT_EQ(f.flag, 1) << text;
    }
}

TEST(DataExchange, TheRangeBoundsAreAccepted) {
    for (const auto& [text, value] : {std::pair{"1", 1}, std::pair{"300", 300}}) {
        FakeControls controls(nullptr);
        controls.texts = {{kEditCount, "0"}, {kEditTempo, text}};
        Fields f;
        DataExchange dx(controls, true);
        Exchange(dx, f);
        EXPECT_FALSE(dx.Failed());
        EXPECT_EQ(f.tempo, value);
    }
}

// ---- A dialog: confirmation validates, refusals keep it open, cancel reads nothing ---------

class ProbeDialog : public platform::CDialog {
  public:
    ProbeDialog() : CDialog(res::kDlgTempo) {}
    Fields fields;

  protected:
    void DoDataExchange(DataExchange& dx) override { Exchange(dx, fields); }
};

TEST(DialogConfirmation, ARefusedNumberKeepsTheDialogOpen) {
    ProbeDialog dialog;
    FakeControls controls(res::FindDialogTemplate(res::kDlgTempo));
    dialog.OnInitDialog(controls);
    controls.texts[kEditTempo] = "fast";
    dialog.OnButton(platform::kIdOk, controls);
    EXPECT_FALSE(controls.ended.has_value());
    EXPECT_EQ(controls.refusals.size(), 1u);
    EXPECT_EQ(dialog.fields.tempo, 80);

    controls.texts[kEditTempo] = "96";
    dialog.OnButton(platform::kIdOk, controls);
    ASSERT_TRUE(controls.ended.has_value());
    EXPECT_EQ(*controls.ended, platform::kIdOk);
    EXPECT_EQ(dialog.fields.tempo, 96);
}

TEST(DialogConfirmation, CancelReadsNothing) {
    ProbeDialog dialog;
    FakeControls controls(res::FindDialogTemplate(res::kDlgTempo));
    dialog.OnInitDialog(controls);
    controls.texts[kEditName] = "typed";
    controls.texts[kEditTempo] = "nonsense";
    dialog.OnButton(platform::kIdCancel, controls);
    ASSERT_TRUE(controls.ended.has_value());
    EXPECT_EQ(*controls.ended, platform::kIdCancel);
    EXPECT_TRUE(controls.refusals.empty());
    EXPECT_EQ(dialog.fields.name, "old");
}

TEST(DialogConfirmation, ThroughTheHostARefusalThenAGoodNumberConfirms) {
    ScriptedDialogHost host;
    host.Expect(res::kDlgTempo,
                {UserAction::TypeText(kEditTempo, "0"), UserAction::PressEnter(),
                 UserAction::TypeText(kEditTempo, "1.5"), UserAction::Press(platform::kIdOk),
                 UserAction::TypeText(kEditTempo, "132"), UserAction::PressEnter()});
    ProbeDialog dialog;
    EXPECT_EQ(host.DoModal(dialog), platform::kIdOk);
    EXPECT_EQ(dialog.fields.tempo, 132);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].controlsAtOpen.texts.at(kEditTempo), "80");
    EXPECT_EQ(host.shown[0].controlsAtEnd.refusals.size(), 2u);
}

TEST(DialogConfirmation, ThroughTheHostEscapeCancelsWithoutReading) {
    ScriptedDialogHost host;
    host.Expect(res::kDlgTempo,
                {UserAction::TypeText(kEditTempo, "200"), UserAction::PressEscape()});
    ProbeDialog dialog;
    EXPECT_EQ(host.DoModal(dialog), platform::kIdCancel);
    EXPECT_EQ(dialog.fields.tempo, 80);
}

}  // namespace
}  // namespace tabrella::test
