// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save, Save As and Exit through the view, with real files and scripted dialogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "files/FileDialogs.h"
#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FileTexts.h"
#include "resources/KeyCodes.h"
#include "resources/Texts.h"
#include "score/RangeDialogs.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;

const std::string kData = std::string(TABRELLA_TEST_DATA) + "/scores/";

class FileCommands : public ::testing::Test {
  protected:
    ViewHarness h;
    TempDir dir;

    CTabrellaView& v() { return h.v(); }
    // The paint pass that follows an invalidation in the real window.
    void Paint() {
        DrawLog log;
        RecordingSurface surface(log);
        v().OnPaint(surface);
    }
    // The score of the file example: 五 in the centre of cell 1, 十 on the left of cell 2.
    void TypeExample() { h.Keys({vk::kDigit0 + 5, vk::kDown, vk::kLeft, vk::kDigit0}); }
    void ExpectNotice() { h.dialogs.Expect(res::kDlgSavedNotice, {UA::Tick(1)}); }
    void ExpectPrompt(UA answer) { h.dialogs.Expect(res::kDlgSavePrompt, {answer}); }
    // Saves the typed score to `path` through Save As.
    void SaveAs(const std::string& path) {
        h.dialogs.AnswerFile(path);
        ExpectNotice();
        v().OnCommand(cmd::kSaveAs);
    }
    int Shown(int resourceId) const {
        int n = 0;
        for (const auto& s : h.dialogs.shown) n += s.resourceId == resourceId;
        return n;
    }
    // A copy of a sample in the test's folder: no mistake can write into the sources.
    std::string Sample(const std::string& name) {
        const std::string copy = dir / ("sample-" + name);
        WriteBytes(copy, ReadBytes(kData + name));
        return copy;
    }
    std::string NewCaption() const { return res::Sjis(res::Txt::Untitled); }
    void TearDown() override { EXPECT_TRUE(h.dialogs.AllScriptsUsed()); }
};

// ---- Save and Save As ---------------------------------------------------------------------

TEST_F(FileCommands, SavesTheTypedExampleByteForByte) {
    TypeExample();
    const std::string path = dir / "example.tbr";
    h.dialogs.AnswerFile(path);
    ExpectNotice();
    v().OnCommand(cmd::kSave);
    EXPECT_EQ(ReadBytes(path), ReadBytes(kData + "example.tbr"));
    EXPECT_EQ(v().m_filePath, path);
    EXPECT_EQ(v().Modified(), 0);
    EXPECT_EQ(h.window.caption, path);
}

TEST_F(FileCommands, SaveWithAFileWritesAtOnceAndTheNoticeClosesOnItsTimer) {
    TypeExample();
    const std::string path = dir / "a.tbr";
    SaveAs(path);
    h.Keys({vk::kDigit0 + 3});
    ASSERT_EQ(v().Modified(), 1);
    ExpectNotice();
    v().OnCommand(cmd::kSave);

    EXPECT_EQ(h.dialogs.fileRequests.size(), 1u);  // only the first save asked for a name
    EXPECT_EQ(ParseScoreFile(ReadBytes(path)).cells.at(1).first[1], 3);
    EXPECT_EQ(v().Modified(), 0);
    const auto& notice = h.dialogs.shown.back();
    EXPECT_EQ(notice.resourceId, res::kDlgSavedNotice);
    EXPECT_EQ(notice.controlsAtOpen.timers, (std::map<int, int>{{1, 1200}}));
    EXPECT_EQ(notice.result, platform::kIdOk);
}

TEST_F(FileCommands, TheNoticeAlsoClosesByEnterOrEscape) {
    for (UA key : {UA::PressEnter(), UA::PressEscape()}) {
        h.dialogs.Expect(res::kDlgSavedNotice, {key});
        h.dialogs.AnswerFile(dir / "b.tbr");
        v().OnCommand(cmd::kSaveAs);
        EXPECT_EQ(h.dialogs.shown.back().resourceId, res::kDlgSavedNotice);
    }
}

TEST_F(FileCommands, SaveWithoutAFileCancelledWritesNothing) {
    TypeExample();
    h.window.caption = "before";
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kSave);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(v().Modified(), 1);
    EXPECT_EQ(v().m_filePath, "");
    EXPECT_EQ(h.window.caption, NewCaption());
    EXPECT_EQ(Shown(res::kDlgSavedNotice), 0);
}

TEST_F(FileCommands, SaveAsCancelledKeepsTheFileAndCaption) {
    TypeExample();
    const std::string path = dir / "kept.tbr";
    SaveAs(path);
    const std::string before = ReadBytes(path);
    h.Keys({vk::kDigit0 + 7});
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kSaveAs);
    EXPECT_EQ(v().m_filePath, path);
    EXPECT_EQ(h.window.caption, path);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(v().Modified(), 1);
}

TEST_F(FileCommands, SaveDialogOffersBothTypesAndProposesTheTitle) {
    v().m_title = S("さくら");
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kSaveAs);
    v().m_title.clear();
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kSave);

    ASSERT_EQ(h.dialogs.fileRequests.size(), 2u);
    const platform::FileDialogRequest& r = h.dialogs.fileRequests[0];
    EXPECT_TRUE(r.save);
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].label, S("タブレラファイル (*.tbr)"));
    EXPECT_EQ(r.filters[0].pattern, "*.tbr");
    EXPECT_EQ(r.filters[1].label, S("テキストファイル (*.txt)"));
    EXPECT_EQ(r.filters[1].pattern, "*.txt");
    EXPECT_EQ(r.defaultExtension, "tbr");
    EXPECT_TRUE(r.confirmOverwrite);
    EXPECT_EQ(r.initialName, S("さくら.tbr"));
    // No bare ".tbr": Enter would save a hidden file the Open dialog does not list.
    EXPECT_EQ(h.dialogs.fileRequests[1].initialName, "");
}

TEST_F(FileCommands, OpenDialogOffersScoreFilesWithoutAName) {
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kOpen);
    ASSERT_EQ(h.dialogs.fileRequests.size(), 1u);
    const platform::FileDialogRequest& r = h.dialogs.fileRequests[0];
    EXPECT_FALSE(r.save);
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters[0].label, S("タブレラファイル (*.tbr)"));
    EXPECT_EQ(r.defaultExtension, "tbr");
    EXPECT_EQ(r.initialName, "");
    EXPECT_FALSE(r.mustExist);
}

TEST_F(FileCommands, ATextFileTypeGetsTheSameContent) {
    TypeExample();
    SaveAs(dir / "score.txt");
    EXPECT_EQ(ReadBytes(dir / "score.txt"), ReadBytes(kData + "example.tbr"));
}

// ---- Open then Save --------------------------------------------------------------------------

// Each sample opened and saved again gives its .saved.tbr twin, or itself when it has none.
TEST_F(FileCommands, OpenThenSaveReproducesEverySample) {
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".saved.tbr") || !name.ends_with(".tbr")) continue;
        SCOPED_TRACE(name);
        ++samples;
        const std::string saved = kData + name.substr(0, name.size() - 4) + ".saved.tbr";
        const std::string expected = ReadBytes(Exists(saved) ? saved : kData + name);
        h.dialogs.AnswerFile(Sample(name));
        v().OnCommand(cmd::kOpen);
        Paint();
        SaveAs(dir / name);
        EXPECT_EQ(ReadBytes(dir / name), expected);
    }
    EXPECT_GE(samples, 5);
}

TEST_F(FileCommands, OpenResetsTheViewButKeepsZoomClipboardAndRange) {
    v().m_cursorPos = 40;
    v().m_topColumn = 3;
    v().m_cursorSlot = 3;
    v().m_zoom = 150;
    v().m_fontFace = "x";
    v().m_scrollOrgX = 12;
    v().m_clipCount = 4;
    v().m_clip[1].first[2] = 9;
    v().m_rangeStart = 5;
    v().m_cells[2500].first[1] = 1;
    const std::string titled = Sample("titled.tbr");
    h.dialogs.AnswerFile(titled);
    v().OnCommand(cmd::kOpen);

    EXPECT_EQ(v().m_cursorPos, 1);
    EXPECT_EQ(v().m_topColumn, 0);
    EXPECT_EQ(v().m_cursorSlot, 2);
    EXPECT_EQ(v().m_fontFace, res::Sjis(res::Txt::FontGothic));
    EXPECT_EQ(v().m_scrollOrgX, 0);
    EXPECT_EQ(v().m_cells[2500], ScoreCell{});
    EXPECT_EQ(v().m_zoom, 150);
    EXPECT_EQ(v().m_clipCount, 4);
    EXPECT_EQ(v().m_clip[1].first[2], 9);
    EXPECT_EQ(v().m_rangeStart, 5);
    // Four records: the end lies one past them until the redraw counts the cells.
    EXPECT_EQ(v().m_lastCell, 5);
    EXPECT_EQ(v().m_cells[3].first[3], -7);
    EXPECT_EQ(v().m_title, S("さくら"));
    EXPECT_EQ(v().m_tempo, 120);
    EXPECT_EQ(h.window.caption, titled);
    EXPECT_EQ(v().m_filePath, titled);
    EXPECT_GT(h.window.invalidations, 0);
}

struct TuningCase {
    const char* tuning;
    int otsu, tone;
    int index, string1, string5;
    const char* label;
};

// After a load, 乙 off gives string 一 the pitch of string 五, so the rows whose 五 is not
// an octave above 一 differ from the tuning command.
TEST_F(FileCommands, OpenDerivesTheTuningFromTheFile) {
    const std::vector<TuningCase> cases = {
        {"平調子", 1, 3, 0, 64, 64, "基音平調"},
        {"ト音階", 1, 3, 5, 59, 59, "基音平調"},
        {"ハルモニックｍ", 0, 1, 7, 50, 60, "基音壱越乙"},
        {"琴古調子", 1, 12, 0, 73, 73, "基音上無"},
        {"平調子", 0, 0, 0, 49, 61, "基音乙"},
    };
    for (const TuningCase& c : cases) {
        SCOPED_TRACE(c.tuning);
        const std::string path = dir / "t.tbr";
        WriteBytes(path, "0 1 0 0 0 0 0 \r\nTitle NULL \r\n" + S(c.tuning) + "\r\n" +
                             std::to_string(c.otsu) + " \r\n" + std::to_string(c.tone) +
                             " \r\n80 \r\n");
        h.dialogs.AnswerFile(path);
        v().OnCommand(cmd::kOpen);
        EXPECT_EQ(v().m_tuningIndex, c.index);
        EXPECT_EQ(v().m_tuningName, S(c.tuning));
        EXPECT_EQ(v().m_pitch[1], c.string1);
        EXPECT_EQ(v().m_pitch[5], c.string5);
        EXPECT_EQ(v().m_baseToneLabel, S(c.label));
    }
}

TEST_F(FileCommands, OpenFailureShowsTheReasonAndKeepsEverything) {
    TypeExample();
    const std::string path = dir / "mine.tbr";
    SaveAs(path);
    h.Keys({vk::kDigit0 + 9});
    const ScoreCell cell1 = v().m_cells[1];
    const std::string missing = dir / "missing.tbr";
    h.dialogs.AnswerFile(missing);
    ExpectPrompt(UA::Press(1003));
    v().OnCommand(cmd::kOpen);

    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text,
              S("ファイルを開けませんでした。") + "\n" + missing + "\n" + SystemReason(ENOENT));
    EXPECT_EQ(h.dialogs.messages[0].caption, "Tabrella");
    EXPECT_EQ(v().m_filePath, path);
    EXPECT_EQ(h.window.caption, path);
    EXPECT_EQ(v().m_cells[1], cell1);
    EXPECT_EQ(v().Modified(), 1);
}

TEST_F(FileCommands, OpenOfAFolderIsRefusedWithTheSystemsReason) {
    h.dialogs.AnswerFile(dir.path());
    v().OnCommand(cmd::kOpen);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].text.find(SystemReason(EISDIR)), std::string::npos);
    EXPECT_EQ(v().m_filePath, "");
}

TEST_F(FileCommands, ACancelledOpenDialogKeepsTheFilePath) {
    TypeExample();
    const std::string path = dir / "mine.tbr";
    SaveAs(path);
    h.dialogs.AnswerFile(std::nullopt);
    v().OnCommand(cmd::kOpen);
    EXPECT_EQ(v().m_filePath, path);
    EXPECT_EQ(h.window.caption, path);
    ExpectNotice();
    v().OnCommand(cmd::kSave);  // still saves to its file without asking
    EXPECT_EQ(h.dialogs.fileRequests.size(), 2u);
}

// ---- The save prompt of New and Open ----------------------------------------------------------

TEST_F(FileCommands, NewOnAnUnchangedScoreAsksNothingAndStartsAfresh) {
    h.dialogs.AnswerFile(Sample("titled.tbr"));
    v().OnCommand(cmd::kOpen);
    v().m_zoom = 200;
    v().m_clipCount = 2;
    v().OnCommand(cmd::kNew);

    EXPECT_TRUE(h.dialogs.shown.empty());
    EXPECT_EQ(v().LastUsedCell(), 0);
    EXPECT_EQ(v().m_title, "");
    EXPECT_EQ(v().m_filePath, "");
    EXPECT_EQ(v().m_tuningName, S("平調子"));
    EXPECT_EQ(v().m_baseTone, 3);
    EXPECT_EQ(v().m_otsuFlag, 1);
    EXPECT_EQ(v().m_tempo, 80);
    EXPECT_EQ(v().m_baseToneLabel, "");
    EXPECT_EQ(v().m_pitch,
              (std::array<int, 14>{52, 64, 57, 59, 60, 64, 65, 69, 71, 72, 76, 77, 81, 83}));
    EXPECT_EQ(v().m_zoom, 200);
    EXPECT_EQ(v().m_clipCount, 2);
    EXPECT_EQ(h.window.caption, NewCaption());
}

TEST_F(FileCommands, CancelAtThePromptLeavesNewAndOpenWithoutEffect) {
    TypeExample();
    const std::string path = dir / "mine.tbr";
    SaveAs(path);
    v().m_title = S("題");
    h.Keys({vk::kDigit0 + 4});
    const auto cells = v().m_cells;
    for (int command : {cmd::kNew, cmd::kOpen}) {
        for (UA answer : {UA::Press(1005), UA::PressEscape()}) {
            ExpectPrompt(answer);
            v().OnCommand(command);
            EXPECT_EQ(v().m_cells, cells);
            EXPECT_EQ(v().m_title, S("題"));
            EXPECT_EQ(v().m_filePath, path);
            EXPECT_EQ(h.window.caption, path);
            EXPECT_EQ(v().Modified(), 1);
        }
    }
    EXPECT_EQ(h.dialogs.fileRequests.size(), 1u);  // Open never reached its dialog
}

TEST_F(FileCommands, NoAtThePromptGoesOnWithoutSaving) {
    TypeExample();
    const std::string path = dir / "mine.tbr";
    SaveAs(path);
    const std::string saved = ReadBytes(path);
    h.Keys({vk::kDigit0 + 4});
    ExpectPrompt(UA::Press(1003));
    v().OnCommand(cmd::kNew);
    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_EQ(v().LastUsedCell(), 0);
    EXPECT_EQ(v().Modified(), 0);
}

TEST_F(FileCommands, YesOnAScoreWithoutAFileAsksForANameAndCancellingChangesNothing) {
    TypeExample();
    const auto cells = v().m_cells;
    for (int command : {cmd::kNew, cmd::kOpen}) {
        ExpectPrompt(UA::Press(1004));
        h.dialogs.AnswerFile(std::nullopt);
        v().OnCommand(command);
        EXPECT_EQ(v().m_cells, cells);
        EXPECT_EQ(v().Modified(), 1);
    }
    EXPECT_EQ(h.dialogs.fileRequests.size(), 2u);  // both were save dialogs
    EXPECT_TRUE(h.dialogs.fileRequests[1].save);
}

TEST_F(FileCommands, YesByEnterSavesFirstThenNewStartsAfresh) {
    TypeExample();
    const std::string path = dir / "first.tbr";
    ExpectPrompt(UA::PressEnter());
    h.dialogs.AnswerFile(path);
    ExpectNotice();
    v().OnCommand(cmd::kNew);
    EXPECT_EQ(ReadBytes(path), ReadBytes(kData + "example.tbr"));
    EXPECT_EQ(v().LastUsedCell(), 0);
    EXPECT_EQ(v().m_filePath, "");
    EXPECT_EQ(h.window.caption, NewCaption());
}

TEST_F(FileCommands, YesOnOpenSavesShowsTheNoticeThenTheOpenDialog) {
    TypeExample();
    const std::string path = dir / "first.tbr";
    SaveAs(path);
    h.Keys({vk::kUp, vk::kDigit0 + 8});
    ExpectPrompt(UA::Press(1004));
    ExpectNotice();
    const std::string titled = Sample("titled.tbr");
    h.dialogs.AnswerFile(titled);
    v().OnCommand(cmd::kOpen);

    EXPECT_EQ(ParseScoreFile(ReadBytes(path)).cells.at(0).first[2], 8);
    ASSERT_EQ(h.dialogs.shown.size(), 3u);
    EXPECT_EQ(h.dialogs.shown[1].resourceId, res::kDlgSavePrompt);
    EXPECT_EQ(h.dialogs.shown[2].resourceId, res::kDlgSavedNotice);
    EXPECT_FALSE(h.dialogs.fileRequests.back().save);
    EXPECT_EQ(v().m_filePath, titled);
}

TEST_F(FileCommands, YesWhoseSaveFailsAbandonsTheCommand) {
    TypeExample();
    ExpectPrompt(UA::Press(1004));
    h.dialogs.AnswerFile("/dev/full");
    v().OnCommand(cmd::kNew);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(v().m_cells[1].first[2], 5);
    EXPECT_EQ(v().Modified(), 1);
}

// ---- Open without the dialog: a dropped or a recent file -----------------------------------

TEST_F(FileCommands, AFileOpenedFromOutsideTheDialogAsksTheSavePromptFirst) {
    const std::string titled = Sample("titled.tbr");
    TypeExample();
    ExpectPrompt(UA::Press(1005));  // ｷｬﾝｾﾙ: the typed score stays
    v().OpenFileAsked(titled);
    EXPECT_EQ(v().m_cells[1].first[2], 5);
    EXPECT_EQ(v().m_filePath, "");

    ExpectPrompt(UA::Press(1003));  // いいえ: opened without saving
    v().OpenFileAsked(titled);
    EXPECT_EQ(v().m_filePath, titled);
    EXPECT_EQ(v().Modified(), 0);
    EXPECT_TRUE(h.dialogs.fileRequests.empty()) << "no Open dialog";

    // An unchanged score opens at once; a missing file gives the open message only.
    v().OpenFileAsked(dir / "gone.tbr");
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(v().m_filePath, titled);
}

// ---- Exit and the close box ----------------------------------------------------------------

// Names in any script go through Save As, the caption and Open unchanged: each lands on
// exactly its file, and two names never on one.
TEST_F(FileCommands, FileNamesInAnyScriptLandOnExactlyTheirFiles) {
    const std::vector<std::string> names = {"x〜yé.tbr", "w〜.tbr",    "é.tbr", "ü.tbr",
                                            "中文.tbr",  "한국어.tbr", "🎵.tbr"};
    for (size_t i = 0; i < names.size(); ++i) {
        v().m_cells[1].first[2] = static_cast<int>(i) + 1;
        const std::string path = dir / names[i];
        h.dialogs.AnswerFile(path);
        ExpectNotice();
        v().OnCommand(cmd::kSaveAs);
        EXPECT_EQ(v().m_filePath, path);
        EXPECT_EQ(h.window.caption, path);
    }
    auto onDisk = dir.Names();
    std::sort(onDisk.begin(), onDisk.end());
    auto want = names;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(onDisk, want);
    for (size_t i = 0; i < names.size(); ++i) {
        h.dialogs.AnswerFile(dir / names[i]);
        v().OnCommand(cmd::kOpen);
        EXPECT_EQ(v().m_cells[1].first[2], static_cast<int>(i) + 1) << names[i];
        EXPECT_EQ(h.window.caption, dir / names[i]);
    }
    EXPECT_TRUE(h.dialogs.messages.empty());
}

void RunRange(ViewHarness& x, int command, const char* from, const char* to) {
    x.dialogs.Expect(res::kDlgRange, {UA::TypeText(CRangeDialog::kFromEdit, from),
                                      UA::TypeText(CRangeDialog::kToEdit, to),
                                      UA::Press(CRangeDialog::kDecideButton)});
    x.v().OnCommand(command);
}

// Every command that changes what Save writes marks the score, so Exit asks; copying,
// moving, zooming, printing and playing do not.
TEST(ModifiedByCommands, EveryChangeOfTheScoreMakesExitAsk) {
    const std::vector<std::pair<const char*, std::function<void(ViewHarness&)>>> changes = {
        {"cut", [](ViewHarness& x) { RunRange(x, cmd::kCut, "1", "100"); }},
        {"insert blank", [](ViewHarness& x) { RunRange(x, cmd::kInsertBlank, "2", "3"); }},
        {"paste",
         [](ViewHarness& x) {
             RunRange(x, cmd::kCopy, "2", "2");
             x.dialogs.Expect(res::kDlgPaste, {UA::TypeText(CPasteDialog::kTargetEdit, "1"),
                                               UA::Press(CPasteDialog::kRunButton)});
             x.v().OnCommand(cmd::kPaste);
         }},
        {"insert key", [](ViewHarness& x) { x.Keys({vk::kInsert}); }},
        {"mark key", [](ViewHarness& x) { x.Keys({vk::kOem6}); }},
        {"title",
         [](ViewHarness& x) {
             x.dialogs.Expect(res::kDlgTitle,
                              {UA::TypeText(CTitleDialog::kTitleEdit, S("春")), UA::PressEnter()});
             x.v().OnCommand(cmd::kTitle);
         }},
        {"tempo",
         [](ViewHarness& x) {
             x.dialogs.Expect(res::kDlgTempo, {UA::TypeText(1013, "120"), UA::PressEnter()});
             x.v().OnCommand(cmd::kTempo);
         }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        ViewHarness x;
        x.Cell(1).first[2] = 3;
        x.Cell(2).first[2] = 4;
        change(x);
        EXPECT_EQ(x.v().Modified(), 1);
        x.dialogs.AnswerMessage(platform::kIdNo);
        x.v().OnCommand(cmd::kExit);
        EXPECT_EQ(x.dialogs.messages.size(), 1u);
        EXPECT_EQ(x.window.closeRequests, 0);
        EXPECT_TRUE(x.dialogs.AllScriptsUsed());
    }
    ViewHarness x;
    x.Cell(1).first[2] = 3;
    RunRange(x, cmd::kCopy, "1", "5");
    x.Keys({vk::kDown, vk::kLeft, vk::kPageDown, vk::kPageUp, vk::kC});
    for (int id : {cmd::kZoom150, cmd::kZoom100, cmd::kDefaultFont, cmd::kPrint, cmd::kPrintPreview,
                   cmd::kGoToEnd, cmd::kGoToTop}) {
        x.v().OnCommand(id);
    }
    EXPECT_EQ(x.v().Modified(), 0);
}

TEST_F(FileCommands, ExitOnAnUnchangedScoreClosesWithoutAQuestion) {
    v().m_title = S("題");  // a title alone is no change
    v().OnCommand(cmd::kExit);
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(h.window.closeRequests, 1);
}

TEST_F(FileCommands, ExitOnAChangedScoreAsksAndNoKeepsItRunning) {
    TypeExample();
    const auto cells = v().m_cells;
    h.dialogs.AnswerMessage(platform::kIdNo);
    v().OnCommand(cmd::kExit);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, S("データが変更されています。このまま終了しますか？"));
    EXPECT_EQ(h.dialogs.messages[0].caption, "Tabrella");
    EXPECT_EQ(h.dialogs.messages[0].kind, platform::MessageBoxKind::YesNoQuestion);
    EXPECT_EQ(h.window.closeRequests, 0);
    EXPECT_EQ(v().m_cells, cells);
    EXPECT_EQ(v().Modified(), 1);
}

TEST_F(FileCommands, ExitYesClosesAndTheFramesCloseDoesNotAskAgain) {
    TypeExample();
    h.dialogs.AnswerMessage(platform::kIdYes);
    v().OnCommand(cmd::kExit);
    EXPECT_EQ(h.window.closeRequests, 1);
    EXPECT_TRUE(v().QueryClose());
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

TEST_F(FileCommands, TheCloseBoxAsksTheExitQuestionOnlyWhenChanged) {
    EXPECT_TRUE(v().QueryClose());
    EXPECT_TRUE(h.dialogs.messages.empty());
    TypeExample();
    h.dialogs.AnswerMessage(platform::kIdNo);
    EXPECT_FALSE(v().QueryClose());
    h.dialogs.AnswerMessage(platform::kIdYes);
    EXPECT_TRUE(v().QueryClose());
    EXPECT_EQ(h.dialogs.messages.size(), 2u);
}

TEST_F(FileCommands, ExitDeletesTheTemporaryPlayFile) {
    const std::string play = dir / "play.mid";
    WriteBytes(play, "MThd");
    v().m_playFilePath = play;
    v().m_playing = 1;
    v().OnCommand(cmd::kExit);
    EXPECT_FALSE(Exists(play));
}

// ---- Accelerators ------------------------------------------------------------------------

TEST_F(FileCommands, CtrlNOAndSCarryTheViewsOwnCommands) {
    TypeExample();
    const std::string path = dir / "keys.tbr";
    h.dialogs.AnswerFile(path);
    ExpectNotice();
    EXPECT_TRUE(v().OnCommand(cmd::kFileSave));
    EXPECT_EQ(ReadBytes(path), ReadBytes(kData + "example.tbr"));

    EXPECT_TRUE(v().OnCommand(cmd::kFileNew));
    EXPECT_EQ(v().LastUsedCell(), 0);

    h.dialogs.AnswerFile(path);
    EXPECT_TRUE(v().OnCommand(cmd::kFileOpen));
    EXPECT_EQ(v().m_cells[2].first[1], 10);
    for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, cmd::kNew, cmd::kOpen, cmd::kSave,
                   cmd::kSaveAs, cmd::kExit, cmd::kTitle}) {
        EXPECT_TRUE(v().OnUpdateCommand(id).handled) << id;
    }
}

}  // namespace
}  // namespace tabrella::test
