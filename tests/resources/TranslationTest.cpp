// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of the interface has its English, one Shift-JIS can carry through the core;
// the locale picks the language as gettext would.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "base/Sjis.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/English.h"
#include "resources/FileMessage.h"
#include "resources/FrameResources.h"
#include "resources/Language.h"
#include "resources/RangeTexts.h"
#include "resources/RecoveryTexts.h"
#include "resources/TuningNames.h"

namespace tabrella::res {
namespace {

// The other tests run in Japanese: each case puts it back.
class Translation : public testing::Test {
  protected:
    void TearDown() override { SetLanguage(Language::Japanese); }

    // `text(i)` in both languages for i below `count`: a text one has, the other has too.
    template <class TextOf>
    void ExpectBothHaveEach(int count, TextOf text, const char* table) {
        for (int i = 0; i < count; ++i) {
            SetLanguage(Language::Japanese);
            const std::string japanese = text(i);
            SetLanguage(Language::English);
            EXPECT_EQ(japanese.empty(), text(i).empty()) << table << " #" << i;
        }
    }
};

template <class Id>
std::string TextOf(int i) {
    return Sjis(static_cast<Id>(i));
}

TEST_F(Translation, EveryTextOfEveryTableHasAnEnglishEntry) {
    ExpectBothHaveEach(int(Txt::Count), TextOf<Txt>, "Txt");
    ExpectBothHaveEach(int(FileTxt::Count), TextOf<FileTxt>, "FileTxt");
    ExpectBothHaveEach(int(ImportTxt::Count), TextOf<ImportTxt>, "ImportTxt");
    ExpectBothHaveEach(int(ExportTxt::Count), TextOf<ExportTxt>, "ExportTxt");
    ExpectBothHaveEach(int(SeqTxt::Count), TextOf<SeqTxt>, "SeqTxt");
    ExpectBothHaveEach(int(SoundTxt::Count), TextOf<SoundTxt>, "SoundTxt");
    ExpectBothHaveEach(int(ShellTxt::Count), TextOf<ShellTxt>, "ShellTxt");
    ExpectBothHaveEach(int(RecoveryTxt::Count), TextOf<RecoveryTxt>, "RecoveryTxt");
    ExpectBothHaveEach(
        4, [](int i) { return RangeOperationName(RangeOperation(i)); }, "range");
    ExpectBothHaveEach(
        int(StatusIndicators().size()), [](int i) { return StatusIndicators().at(i); }, "panes");
    ExpectBothHaveEach(
        1, [](int) { return IdleMessage(); }, "idle");

    // Menus: the same tree with the same ids, every entry named.
    std::set<int> ids(ToolbarButtons().begin(), ToolbarButtons().end());
    SetLanguage(Language::Japanese);
    const std::vector<MenuItem> japanese = MainMenu();
    SetLanguage(Language::English);
    const std::vector<MenuItem> english = MainMenu();
    auto compare = [&](auto& self, const std::vector<MenuItem>& ja,
                       const std::vector<MenuItem>& en) -> void {
        ASSERT_EQ(ja.size(), en.size());
        for (size_t i = 0; i < ja.size(); ++i) {
            EXPECT_EQ(ja[i].id, en[i].id);
            EXPECT_EQ(ja[i].text.empty(), en[i].text.empty()) << SjisToUtf8(ja[i].text);
            ids.insert(ja[i].id);
            self(self, ja[i].popup, en[i].popup);
        }
    };
    compare(compare, japanese, english);
    ids.insert(cmd::kEditUndo);
    ExpectBothHaveEach(
        int(ids.size()), [&](int i) { return StringsOfCommand(*std::next(ids.begin(), i)).prompt; },
        "prompts");
    ExpectBothHaveEach(
        int(ids.size()),
        [&](int i) { return StringsOfCommand(*std::next(ids.begin(), i)).tooltip; }, "tooltips");

    // Dialogs: caption and every control, keyed by the template's order.
    for (int dialog : {kDlgSavePrompt, kDlgSavedNotice, kDlgTitle, kDlgTuning, kDlgTempo, kDlgRange,
                       kDlgPaste, kDlgPlaySpeed, kDlgRecovery, kDlgImport}) {
        SetLanguage(Language::Japanese);
        const DialogTemplate ja = *FindDialogTemplate(dialog);
        SetLanguage(Language::English);
        const DialogTemplate en = *FindDialogTemplate(dialog);
        EXPECT_FALSE(en.caption.empty()) << dialog;
        ASSERT_EQ(ja.controls.size(), en.controls.size());
        for (size_t i = 0; i < ja.controls.size(); ++i) {
            EXPECT_EQ(ja.controls[i].text.empty(), en.controls[i].text.empty())
                << dialog << " control " << i;
        }
    }
    EXPECT_EQ(english::Dialogs().size(), 10u) << "a table for a dialog that is gone";

    // Each tuning and base tone shows its reading in English and none in Japanese.
    std::vector<std::string> names(TuningNames().begin(), TuningNames().end());
    names.insert(names.end(), BaseToneNameTexts().begin() + 1, BaseToneNameTexts().end());
    for (const std::string& name : names) {
        {
            SetLanguage(Language::English);
            EXPECT_FALSE(ReadingOfName(name).empty()) << SjisToUtf8(name);
            SetLanguage(Language::Japanese);
            EXPECT_TRUE(ReadingOfName(name).empty());
        }
    }
}

// A file fault reads as words of its own in each language: a kind left without text, or
// shown with another kind's, would tell the user the wrong reason.
TEST_F(Translation, EveryFileFaultHasItsOwnReasonInBothLanguages) {
    for (const Language language : {Language::Japanese, Language::English}) {
        SetLanguage(language);
        std::set<std::string> reasons;
        for (int i = 0; i < kFileFaultCount; ++i) {
            const std::string reason =
                ReasonText(FileError{"f", static_cast<FileFault>(i), ENOENT, "foreign words"});
            EXPECT_FALSE(reason.empty()) << "fault #" << i;
            reasons.insert(reason);
        }
        EXPECT_EQ(reasons.size(), std::size_t{kFileFaultCount}) << CodeOf(language);
    }
}

// The English goes through the core as Shift-JIS like the Japanese: a character it cannot
// hold would reach the screen as "?".
TEST_F(Translation, EveryEnglishTextSurvivesShiftJis) {
    std::vector<std::string_view> texts;
    auto add = [&](const auto& table) { texts.insert(texts.end(), table.begin(), table.end()); };
    add(english::kTexts);
    add(english::kFileTexts);
    add(english::kImportTexts);
    add(english::kExportTexts);
    add(english::kSequencerTexts);
    add(english::kSoundTexts);
    add(english::kShellTexts);
    add(english::kRangeOperations);
    add(english::kStatusIndicators);
    for (const auto& row : english::kMenu) texts.push_back(row.text);
    for (const auto& row : english::kCommands) texts.insert(texts.end(), {row.prompt, row.tooltip});
    for (const auto& dialog : english::Dialogs()) {
        texts.push_back(dialog.caption);
        add(dialog.controls);
    }
    for (std::string_view text : texts) EXPECT_EQ(SjisToUtf8(Utf8ToSjis(text)), text);
}

TEST_F(Translation, TheLocaleChoosesJapaneseForJapaneseAndForCElseEnglish) {
    constexpr auto ja = Language::Japanese, en = Language::English;
    struct Case {
        const char *language, *lcAll, *lcMessages, *lang;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, ja},
        {nullptr, nullptr, nullptr, "C", ja},
        {nullptr, nullptr, nullptr, "C.UTF-8", ja},
        {nullptr, nullptr, nullptr, "POSIX", ja},
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", ja},
        {nullptr, nullptr, nullptr, "ja_JP.eucJP", ja},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", en},
        {nullptr, nullptr, nullptr, "de_DE@euro", en},
        {"", "", "", "fr_FR.UTF-8", en},
        {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", ja},
        {nullptr, "", "ja_JP.UTF-8", "en_US.UTF-8", ja},
        {nullptr, nullptr, "en_GB.UTF-8", "ja_JP.UTF-8", en},
        {"ja", nullptr, nullptr, "en_US.UTF-8", ja},
        {"en_GB:ja", nullptr, nullptr, "ja_JP.UTF-8", en},
        {"fr:ja", nullptr, nullptr, "de_DE.UTF-8", ja},
        {"fr:de", nullptr, nullptr, "ja_JP.UTF-8", ja},
        {"en", nullptr, nullptr, "C.UTF-8", ja},  // C ignores LANGUAGE, as gettext does
        {"en", "C", nullptr, "ja_JP.UTF-8", ja},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageOfLocale(c.language, c.lcAll, c.lcMessages, c.lang), c.expected)
            << (c.language ? c.language : "-") << " " << (c.lcAll ? c.lcAll : "-") << " "
            << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
    }
    EXPECT_EQ(LanguageOfCode("ja"), ja);
    EXPECT_EQ(LanguageOfCode(CodeOf(en)), en);
    EXPECT_EQ(LanguageOfCode("english"), std::nullopt);
}

}  // namespace
}  // namespace tabrella::res
