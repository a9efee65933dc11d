// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtGui/private/qguiapplication_p.h>
#include <gtest/gtest.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformbackingstore.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <QAction>
#include <QBackingStore>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>
#include <QWheelEvent>

#include "app/CMainFrame.h"
#include "app/InterfaceLanguage.h"
#include "qt/ModalCloser.h"
#include "qt/QtSettings.h"
#include "qt/QtText.h"
#include "qt/TemplateDialog.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FrameResources.h"
#include "resources/Language.h"
#include "resources/TuningNames.h"
#include "support/FakePlatform.h"

namespace tabrella::app {
namespace {

struct Entry {
    QString text;
    int id;  // 0 for a popup
};

QList<Entry> Entries(const QMenu* menu) {
    QList<Entry> out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        out.append({a->text(), a->menu() ? 0 : a->data().toInt()});
    }
    return out;
}

class MainFrameTest : public testing::Test {
  protected:
    void SetUp() override {
        frame.resize(900, 800);
        frame.show();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    }
    QMenu* TopMenu(int i) { return frame.menuBar()->actions().at(i)->menu(); }

    test::FakeSequencer sequencer;
    CMainFrame frame{sequencer};
};

TEST_F(MainFrameTest, MenuTreeHasEveryEntryWithItsIdInOrder) {
    const QList<QAction*> top = frame.menuBar()->actions();
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[0]->text(), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(top[1]->text(), "編集(&E)");
    EXPECT_EQ(top[2]->text(), "表示(&V)");
    EXPECT_EQ(top[3]->text(), "演奏設定(&P)");
    EXPECT_EQ(top[4]->text(), "ﾍﾙﾌﾟ(&H)");

    const QList<Entry> file = Entries(TopMenu(0));
    const QList<Entry> expectedFile = {
        {"新規作成(&N)\tCtrl+N", 32776},   {"開く(&O)...\tCtrl+O", 32773},
        {"上書き保存(&S)\tCtrl+S", 32774}, {"名前を付けて保存(&A)...", 32775},
        {"MIDIエクスポート", 32794},       {"オーディオの書き出し...", 32806},
        {"MusicXMLの書き出し...", 32807},  {"インポート...", 32824},
        {"印刷(&P)...\tCtrl+P", 57607},    {"印刷ﾌﾟﾚﾋﾞｭｰ(&V)", 57609},
        {"ﾌﾟﾘﾝﾀの設定(&R)...", 57606},     {"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", 57665},
    };
    ASSERT_EQ(file.size(), expectedFile.size());
    for (int i = 0; i < file.size(); ++i) {
        EXPECT_EQ(file[i].text, expectedFile[i].text);
        EXPECT_EQ(file[i].id, expectedFile[i].id) << file[i].text.toStdString();
    }
    // The exports beside the MIDI export prompt in the status bar as the others do.
    EXPECT_EQ(TopMenu(0)->actions()[5]->statusTip(), "曲をオーディオファイルに書き出す");
    EXPECT_EQ(TopMenu(0)->actions()[6]->statusTip(), "曲をMusicXMLファイルに書き出す");

    // Undo and redo head the Edit menu, a separator below them.
    const QList<QAction*> editActions = TopMenu(1)->actions();
    ASSERT_EQ(editActions.size(), 7);
    EXPECT_TRUE(editActions[2]->isSeparator());
    const QList<Entry> edit = Entries(TopMenu(1));
    ASSERT_EQ(edit.size(), 6);
    EXPECT_EQ(edit[0].text, "元に戻す(&U)\tCtrl+Z");
    EXPECT_EQ(edit[0].id, 57643);
    EXPECT_EQ(edit[1].text, "やり直し(&R)\tCtrl+Y");
    EXPECT_EQ(edit[1].id, 57644);
    EXPECT_EQ(edit[2].text, "空白を挿入");
    EXPECT_EQ(edit[2].id, 32798);
    EXPECT_EQ(edit[3].id, 32802);
    EXPECT_EQ(edit[4].id, 32801);
    EXPECT_EQ(edit[5].text, "貼り付け");
    EXPECT_EQ(edit[5].id, 32803);

    const QList<Entry> view = Entries(TopMenu(2));
    ASSERT_EQ(view.size(), 4);
    EXPECT_EQ(view[0].text, "フォントの選択");
    EXPECT_EQ(view[1].text, "画面サイズの変更");
    EXPECT_EQ(view[2].text, "曲名の設定");
    EXPECT_EQ(view[2].id, 32788);
    EXPECT_EQ(view[3].text, "言語");
    const QList<Entry> languages = Entries(TopMenu(2)->actions()[3]->menu());
    ASSERT_EQ(languages.size(), 3);
    EXPECT_EQ(languages[1].text, "日本語");
    EXPECT_EQ(languages[2].text, "English");
    const QList<Entry> zoom = Entries(view.size() ? TopMenu(2)->actions()[1]->menu() : nullptr);
    const QStringList zoomTexts = {" 80%", " 90%", "100%", "120%", "150%", "200%", "300%"};
    const int zoomIds[] = {32805, 32797, 32783, 143, 32787, 32784, 32785};
    ASSERT_EQ(zoom.size(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(zoom[i].text, zoomTexts[i]);
        EXPECT_EQ(zoom[i].id, zoomIds[i]);
    }
    const QList<Entry> fonts = Entries(TopMenu(2)->actions()[0]->menu());
    ASSERT_EQ(fonts.size(), 2);
    EXPECT_EQ(fonts[0].text, "フォントダイアログを開く");
    EXPECT_EQ(fonts[1].id, 32781);

    const QList<Entry> play = Entries(TopMenu(3));
    ASSERT_EQ(play.size(), 7);
    EXPECT_EQ(play[0].text, "調子の設定");
    EXPECT_EQ(play[0].id, 32795);
    EXPECT_EQ(play[1].text, "テンポ");
    EXPECT_EQ(play[1].id, 32796);
    // The practice items after a separator; only the two switches carry a check mark.
    const QStringList practice = {"範囲を繰り返し演奏...", "演奏速度...", "カウントイン",
                                  "メトロノーム"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(play[2 + i].text, practice[i]);
        EXPECT_EQ(play[2 + i].id, cmd::kPlayLoop + i);
        EXPECT_EQ(TopMenu(3)->actions()[3 + i]->isCheckable(), i >= 2) << i;
        EXPECT_FALSE(TopMenu(3)->actions()[3 + i]->statusTip().isEmpty()) << i;
    }
    // After another separator, typed notes sounding: on from the first run.
    EXPECT_EQ(play[6].text, "入力音を鳴らす");
    EXPECT_EQ(play[6].id, cmd::kPreviewNotes);
    EXPECT_TRUE(TopMenu(3)->actions()[8]->isChecked());

    const QList<Entry> help = Entries(TopMenu(4));
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(help[0].text, "Tabrella のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(help[0].id, 57664);
    EXPECT_EQ(help[1].text, "ヘルプ(&H)");
    EXPECT_EQ(help[1].id, 142);
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithTooltipsAndSeparators) {
    auto* bar = frame.findChild<QToolBar*>("toolbar");
    ASSERT_NE(bar, nullptr);
    QList<int> ids;
    for (QAction* a : bar->actions()) ids.append(a->isSeparator() ? 0 : a->data().toInt());
    const QList<int> expected = {32776, 32773, 32774, 0,     57635, 57634, 57637, 0,
                                 57607, 0,     57664, 32792, 32790, 32791, 32804};
    EXPECT_EQ(ids, expected);
    auto action = [&](int id) {
        for (QAction* a : bar->actions()) {
            if (!a->isSeparator() && a->data().toInt() == id) return a;
        }
        return static_cast<QAction*>(nullptr);
    };
    EXPECT_EQ(action(32776)->toolTip(), "新しいファイルを作る");
    EXPECT_EQ(action(32776)->statusTip(), "新規作成");
    EXPECT_EQ(action(32792)->toolTip(), "ファイルの先頭に戻る");
    EXPECT_EQ(action(57634)->toolTip(), "ｺﾋﾟｰ");
    EXPECT_EQ(action(32804)->statusTip(), "曲の最後へ");
    EXPECT_FALSE(action(32790)->icon().isNull());
}

// The first window, and one remembered from a larger screen, lie within the screen's free
// area (the offscreen screen is 800 high: no room for the first 800 and a title bar).
TEST(MainFrameSize, TheFirstAndARememberedWindowFitTheScreen) {
    test::FakeSequencer sequencer;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    CMainFrame first(sequencer);
    EXPECT_TRUE(area.contains(first.geometry()));
    EXPECT_EQ(first.width(), 620) << "a width that fits is kept";

    QWidget larger;
    larger.setGeometry(area.width(), area.height() / 2, 3 * area.width(), 2 * area.height());
    platform::MemorySettings settings;
    settings.SetValue("window/geometry", larger.saveGeometry().toBase64().toStdString());
    CMainFrame remembered(sequencer, &settings);
    EXPECT_TRUE(area.contains(remembered.geometry()));
}

TEST_F(MainFrameTest, ToolbarIconsAreMadeAtTheScreensScale) {
    auto* bar = frame.findChild<QToolBar*>("toolbar");
    ASSERT_NE(bar, nullptr);
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) continue;
        for (qreal ratio : {1.0, 1.5, 2.0}) {
            const QPixmap pixmap = a->icon().pixmap(bar->iconSize(), ratio);
            EXPECT_GE(pixmap.height(), qFloor(15 * ratio)) << a->data().toInt() << " at " << ratio;
            EXPECT_EQ(pixmap.devicePixelRatio(), ratio) << a->data().toInt();
        }
    }
}

TEST_F(MainFrameTest, GoToEndAndTopButtonsMoveTheCursor) {
    CTabrellaView& view = frame.View();
    view.m_cells[40].first[2] = 5;
    frame.SendCommand(cmd::kGoToEnd);
    EXPECT_EQ(view.m_cursorPos, 41);
    frame.SendCommand(cmd::kGoToTop);
    EXPECT_EQ(view.m_cursorPos, 1);
}

TEST_F(MainFrameTest, UndoAcceleratorsNeverReachTheViewAsKeys) {
    CTabrellaView& view = frame.View();
    view.m_cursorPos = 5;
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(view.m_cursorPos, 5);  // a plain Z would have gone to the top
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Z);
    EXPECT_EQ(view.m_cursorPos, 1);
}

TEST_F(MainFrameTest, KeysTypedIntoTheWindowReachTheView) {
    CTabrellaView& view = frame.View();
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_5);
    EXPECT_EQ(view.m_cells[1].first[2], 5);
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Down);
    EXPECT_EQ(view.m_cursorPos, 2);
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(view.m_cells[2].first[2], 0);  // keypad digits enter nothing
}

// Keys typed into the window reach the recovery copy; undoing to the saved state removes it,
// and so does closing with the changes given up. A folder that cannot be written is named
// in the status bar with the system's reason.
TEST_F(MainFrameTest, TheRecoveryCopyFollowsTheWindowAndItsFaultsShowInTheStatusBar) {
    QTemporaryDir state;
    RecoveryKeeper keeper(qt::ToNativePath(state.filePath("recovery")));
    frame.SetRecovery(&keeper);
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_5);
    keeper.WaitUntilWritten();
    EXPECT_TRUE(QFile::exists(qt::FromNativePath(keeper.CopyPath())));
    frame.SendCommand(cmd::kEditUndo);
    keeper.WaitUntilWritten();
    EXPECT_FALSE(QFile::exists(qt::FromNativePath(keeper.CopyPath())));
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_7);
    keeper.WaitUntilWritten();
    EXPECT_TRUE(QFile::exists(qt::FromNativePath(keeper.CopyPath())));
    test::ModalCloser closer([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) box->button(QMessageBox::Yes)->click();
    });
    frame.close();
    EXPECT_TRUE(QDir(state.filePath("recovery")).isEmpty());

    frame.ShowRecoveryFault(FileError{"/nowhere/recovery", FileFault::FolderNotWritable, EACCES});
    EXPECT_TRUE(frame.statusBar()->currentMessage().contains("/nowhere/recovery"));
    EXPECT_TRUE(frame.statusBar()->currentMessage().contains(qt::FromSjis(SystemReason(EACCES))));
    frame.SetRecovery(nullptr);  // the keeper goes before the frame
}

TEST_F(MainFrameTest, EditAcceleratorsOpenTheRangeAndPasteDialogs) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* dialog;
    };
    const Case cases[] = {
        {Qt::Key_X, Qt::ControlModifier, "dialog139"},
        {Qt::Key_Delete, Qt::ShiftModifier, "dialog139"},
        {Qt::Key_C, Qt::ControlModifier, "dialog139"},
        {Qt::Key_Insert, Qt::ControlModifier, "dialog139"},
        {Qt::Key_V, Qt::ControlModifier, "dialog141"},
        {Qt::Key_Insert, Qt::ShiftModifier, "dialog141"},
    };
    for (const Case& c : cases) {
        // Closing a dialog hands activation back to the frame, as a window manager would.
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        test::ModalCloser closer;
        QTest::keyClick(&frame.ViewWidget(), c.key, c.mods);
        ASSERT_EQ(closer.seen.size(), 1) << c.dialog << " for key " << c.key;
        EXPECT_EQ(closer.seen[0].objectName, c.dialog);
    }
    // Plain Insert still reaches the view and splits the cursor cell.
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Insert);
    EXPECT_EQ(frame.View().m_cells[1].split, 1);
}

TEST_F(MainFrameTest, ToolbarPasteRunsThePasteCommand) {
    CTabrellaView& view = frame.View();
    view.m_clip[1].first[2] = 7;
    view.m_clipCount = 1;
    test::ModalCloser closer([](QWidget* w) {
        if (auto* button = w->findChild<QPushButton*>("control1028")) button->click();
    });
    for (QAction* a : frame.ActionsOf(cmd::kEditPaste)) {
        if (a->shortcut().isEmpty()) {
            a->trigger();
            break;
        }
    }
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_EQ(view.m_cells[1].first[2], 7);
}

TEST_F(MainFrameTest, ZoomItemsCheckWhenTheZoomIsTheirs) {
    frame.SendCommand(cmd::kZoom150);
    for (QAction* a : frame.ActionsOf(cmd::kZoom150)) EXPECT_TRUE(a->isChecked());
    for (QAction* a : frame.ActionsOf(cmd::kZoom120)) EXPECT_FALSE(a->isChecked());
    frame.SendCommand(cmd::kZoom80);
    for (QAction* a : frame.ActionsOf(cmd::kZoom80)) EXPECT_TRUE(a->isChecked());
    for (QAction* a : frame.ActionsOf(cmd::kZoom150)) EXPECT_FALSE(a->isChecked());
}

TEST(FrameIcon, ComesOnceTheWindowHasShownItsFirstFrame) {
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    EXPECT_TRUE(frame.windowIcon().isNull());
    frame.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame.windowIcon().isNull(); }));
    EXPECT_FALSE(frame.windowIcon().pixmap(48, 48).isNull());
}

TEST_F(MainFrameTest, AboutBoxShowsNameVersionAndCredit) {
    test::ModalCloser closer;
    frame.SendCommand(cmd::kAbout);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.contains("Tabrella"));
    EXPECT_TRUE(closer.seen[0].text.contains(TABRELLA_VERSION));
    EXPECT_TRUE(closer.seen[0].text.contains("箏"));
    EXPECT_TRUE(closer.seen[0].text.contains("GPL-3.0-or-later")) << "and its licence";
}

// The sound module is loaded at the first Play; a program installed without it says so.
TEST(SoundModuleFrame, PlayWithoutTheSoundModuleSaysWhatIsMissing) {
    QTemporaryDir dir;
    const QString module = dir.filePath("tabrella-sound.so");
    fluid::ModuleSequencer sequencer(qt::ToNativePath(module));
    CMainFrame frame(sequencer);
    frame.show();
    test::ModalCloser closer;
    frame.SendCommand(cmd::kPlay);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.startsWith("音声モジュールを読み込めません: " + module))
        << closer.seen[0].text.toStdString();
    EXPECT_EQ(frame.View().m_playing, 0);  // the play ends, as after any device error
    frame.SendCommand(cmd::kStop);
    EXPECT_EQ(closer.seen.size(), 1);
}

// Printing is a module loaded at the first print job; every job reaches its dialog there.
TEST(PrintModuleFrame, PrintPreviewAndSetUpOpenTheirDialogsFromTheModule) {
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.show();
    const std::pair<int, const char*> jobs[] = {{cmd::kPrintSetup, "QPageSetupDialog"},
                                                {cmd::kPrint, "QPrintDialog"},
                                                {cmd::kPrintPreview, "QPrintPreviewDialog"}};
    for (const auto& [id, dialog] : jobs) {
        QStringList shown;
        test::ModalCloser closer([&shown](QWidget* modal) {
            shown << modal->metaObject()->className();
            modal->close();
        });
        frame.SendCommand(id);
        EXPECT_EQ(shown, QStringList{dialog}) << id;
    }
}

TEST(PrintModuleFrame, PrintWithoutThePrintModuleSaysWhatIsMissing) {
    QTemporaryDir dir;
    qputenv("TABRELLA_MODULE_DIR", dir.path().toLocal8Bit());  // an empty folder
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.show();
    test::ModalCloser closer;
    frame.SendCommand(cmd::kPrintPreview);
    qunsetenv("TABRELLA_MODULE_DIR");
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.startsWith("印刷モジュールを読み込めません: " +
                                               dir.filePath("tabrella-print.so")))
        << closer.seen[0].text.toStdString();
}

// The View menu ticks this run's language when --lang chose it, else the remembered choice;
// choosing one says at once that it applies from the next start.
TEST_F(MainFrameTest, TheLanguageMenuTicksTheLanguageInUseAndChoosingSaysWhen) {
    const struct {
        QStringList arguments;
        std::string remembered, ticked;
    } cases[] = {{{"tabrella", "--lang", "en"}, "", "en"},
                 {{"tabrella", "--lang=ja"}, "en", "ja"},
                 {{"tabrella"}, "", ""},
                 {{"tabrella", "score.tbr"}, "en", "en"}};
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageCodeTicked(c.arguments, c.remembered), c.ticked)
            << c.arguments.join(' ').toStdString();
    }
    frame.SendCommand(cmd::kLanguageEnglish);
    EXPECT_EQ(frame.statusBar()->currentMessage(), "表示の言語は次回の起動から切り替わります");
    EXPECT_TRUE(frame.ActionsOf(cmd::kLanguageEnglish).front()->isChecked());
}

TEST_F(MainFrameTest, EveryMenuAndToolbarCommandHasAHandler) {
    for (QAction* action : frame.findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (id == 0 || !action->shortcut().isEmpty()) continue;
        if (LanguageCodeOfCommand(id)) {  // the frame's own, not the view's
            EXPECT_TRUE(action->isEnabled());
            continue;
        }
        // Undo and redo wait for something to undo or redo.
        const bool enabled = id != cmd::kEditUndo && id != cmd::kEditRedo;
        EXPECT_EQ(frame.View().OnUpdateCommand(id).handled, enabled) << "command " << id;
        EXPECT_EQ(action->isEnabled(), enabled) << "command " << id;
    }
}

// The menu items follow the history: enabled exactly when there is a step to take, with a
// prompt in the status bar; Ctrl+Z, Alt+Backspace, Ctrl+Y and Ctrl+Shift+Z reach them.
TEST_F(MainFrameTest, UndoAndRedoAreEnabledWhenThereIsAStepAndTheirKeysReachThem) {
    auto item = [this](int id) {
        for (QAction* a : frame.ActionsOf(id)) {
            if (a->shortcut().isEmpty()) return a;
        }
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_NE(item(cmd::kEditUndo), nullptr);
    EXPECT_FALSE(item(cmd::kEditUndo)->statusTip().isEmpty());
    EXPECT_FALSE(item(cmd::kEditRedo)->statusTip().isEmpty());
    QList<QKeySequence> undoKeys, redoKeys;
    for (QAction* a : frame.ActionsOf(cmd::kEditUndo)) undoKeys << a->shortcut();
    for (QAction* a : frame.ActionsOf(cmd::kEditRedo)) redoKeys << a->shortcut();
    EXPECT_TRUE(undoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    EXPECT_TRUE(undoKeys.contains(QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    EXPECT_TRUE(redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(redoKeys.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));

    frame.View().OnKeyDown('5');
    frame.SendCommand(cmd::kGoToTop);  // any command updates the items
    EXPECT_TRUE(item(cmd::kEditUndo)->isEnabled());
    EXPECT_FALSE(item(cmd::kEditRedo)->isEnabled());
    frame.SendCommand(cmd::kEditUndo);
    EXPECT_TRUE(frame.View().m_cells[1].IsEmpty());
    EXPECT_FALSE(item(cmd::kEditUndo)->isEnabled());
    EXPECT_TRUE(item(cmd::kEditRedo)->isEnabled());
    frame.SendCommand(cmd::kEditRedo);
    EXPECT_EQ(frame.View().m_cells[1].first[2], 5);
}

TEST_F(MainFrameTest, StatusBarHasTheMessagePaneAndFourIndicators) {
    auto labels = frame.statusBar()->findChildren<QLabel*>();
    int indicators = 0;
    for (QLabel* l : labels) {
        if (l->property("indicator").isValid()) ++indicators;
    }
    EXPECT_EQ(indicators, 4);
    EXPECT_EQ(frame.statusBar()->currentMessage(), "ﾚﾃﾞｨ");
}

}  // namespace
}  // namespace tabrella::app

// ---- Status bar and caption ------------------------------------------------------------------

namespace tabrella::app {
namespace {

QString PaneText(CMainFrame& frame, const char* name) {
    auto* pane = frame.statusBar()->findChild<QLabel*>(name);
    return pane ? pane->text() : QStringLiteral("(no pane)");
}

bool PaneShown(CMainFrame& frame, const char* name) {
    auto* pane = frame.statusBar()->findChild<QLabel*>(name);
    return pane && !pane->isHidden();
}

// The status bar shows what changes how Play plays: a loop while it plays, count-in,
// metronome and a speed below the tempo; nothing while all are off.
TEST_F(MainFrameTest, TheStatusBarShowsTheLoopAndThePracticeSettings) {
    EXPECT_FALSE(PaneShown(frame, "practicePane"));
    CTabrellaView& view = frame.View();
    view.m_playCursor.loopFirst = 5;
    view.m_playCursor.loopLast = 12;
    view.m_countIn = true;
    view.m_playSpeed = 80;
    frame.UpdateStatus();
    EXPECT_TRUE(PaneShown(frame, "practicePane"));
    EXPECT_EQ(PaneText(frame, "practicePane"), "繰り返し 5～12　カウントイン　速さ 80%");
    frame.SendCommand(cmd::kStop);  // stopping ends the loop
    EXPECT_EQ(PaneText(frame, "practicePane"), "カウントイン　速さ 80%");
}

TEST_F(MainFrameTest, AnExportSaysInTheStatusBarWhatItWroteWhere) {
    frame.ViewWidget().ReportWritten(qt::ToNativePath("/tmp/曲.mid"));
    EXPECT_EQ(frame.statusBar()->currentMessage(), "/tmp/曲.mid に書き出しました");
}

TEST_F(MainFrameTest, StatusShowsTheCursorCellAndAKeyHintOnlyWhileTheScoreIsEmpty) {
    // The caption's one form: the file's name or 無題, the change mark, the program's name.
    EXPECT_EQ(frame.windowTitle(), "無題[*]　－タブレラ");
    EXPECT_EQ(PaneText(frame, "cellPane"), "マス 1　1列目から");
    EXPECT_TRUE(PaneShown(frame, "hintPane"));
    EXPECT_TRUE(PaneText(frame, "hintPane").contains("F1"));
    EXPECT_TRUE(PaneText(frame, "hintPane").contains("↓: 次のマス")) << "the key that moves on";
    EXPECT_FALSE(frame.isWindowModified());

    QTest::keyClick(&frame.ViewWidget(), Qt::Key_Down);
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_PageDown);
    EXPECT_EQ(PaneText(frame, "cellPane"), "マス 34　2列目から");
    EXPECT_TRUE(PaneShown(frame, "hintPane")) << "moving enters nothing";
    // A command's prompt takes the whole bar for as long as it shows.
    frame.statusBar()->showMessage("作業中のﾌｧｲﾙを印刷");
    EXPECT_FALSE(PaneShown(frame, "hintPane"));
    frame.statusBar()->clearMessage();
    EXPECT_TRUE(PaneShown(frame, "hintPane"));
    EXPECT_EQ(frame.statusBar()->currentMessage(), "ﾚﾃﾞｨ");

    QTest::keyClick(&frame.ViewWidget(), Qt::Key_5);
    EXPECT_FALSE(PaneShown(frame, "hintPane"));
    EXPECT_TRUE(frame.isWindowModified());
    EXPECT_EQ(frame.windowTitle(), "無題[*]　－タブレラ");

    // A new score is unchanged again and shows the hint.
    test::ModalCloser closer([](QWidget* w) {
        if (auto* no = w->findChild<QPushButton*>("control1003")) no->click();
    });
    frame.SendCommand(cmd::kNew);
    EXPECT_FALSE(frame.isWindowModified());
    EXPECT_TRUE(PaneShown(frame, "hintPane"));
    EXPECT_EQ(PaneText(frame, "cellPane"), "マス 1　1列目から");
}

// A key's drawing is on the screen when the key has been handled, before the event loop
// turns again (where the status bar is painted).
TEST_F(MainFrameTest, AKeysPixelsReachTheScreenBeforeTheEventLoopTurns) {
    QWidget* page = frame.ViewWidget().viewport();
    const auto shown = [&] {
        const QImage store = frame.backingStore()->handle()->toImage();
        return store.copy(QRect(page->mapTo(&frame, QPoint()), page->size()))
            .convertToFormat(QImage::Format_RGB32);
    };
    QApplication::processEvents();
    const QImage before = shown();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        QTest::keyClick(&frame.ViewWidget(), key);
        EXPECT_EQ(shown(), frame.ViewWidget().Picture().convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_NE(shown(), before) << "the cursor moved";
}

TEST_F(MainFrameTest, AccessKeysOpenTheMenusAndEscapeGivesTheKeyboardBackToTheScore) {
    QWidget* score = &frame.ViewWidget();
    ASSERT_EQ(QApplication::focusWidget(), score);
    auto focused = [] { return QApplication::focusWidget(); };
    // Alt alone, then Escape: the menu bar lets go of the keyboard, to the score.
    QTest::keyPress(focused(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(focused(), Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(focused(), frame.menuBar()) << "Alt alone leads into the menus";
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_EQ(focused(), score);
    // Alt+E, Alt+V and Alt+P open 編集, 表示 and 演奏設定.
    for (int i : {1, 2, 3}) {
        const Qt::Key key = i == 1 ? Qt::Key_E : i == 2 ? Qt::Key_V : Qt::Key_P;
        QTest::keyClick(focused(), key, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), TopMenu(i));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(focused(), Qt::Key_Escape);
        EXPECT_EQ(focused(), score) << i;
    }
    QTest::keyClick(focused(), Qt::Key_5);
    EXPECT_EQ(frame.View().m_cells[1].first[2], 5);
}

// ---- What a screen reader reads --------------------------------------------------------------

// Records the accessibility events as the bridge to the screen reader would receive them.
class AccessibilityTest : public MainFrameTest {
  protected:
    void SetUp() override {
        MainFrameTest::SetUp();
        events.clear();
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            events.append({event->object(), event->type()});
        });
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    void TearDown() override {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        QAccessible::installUpdateHandler(nullptr);
    }
    // The name changes of the score area: what makes Orca speak the focused object again.
    int Announcements() {
        QObject* score = &frame.ViewWidget();
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const auto& e) {
            return e.first == score && e.second == QAccessible::NameChanged;
        }));
    }
    QString Name() {
        return QAccessible::queryAccessibleInterface(&frame.ViewWidget())->text(QAccessible::Name);
    }
    inline static QList<std::pair<QObject*, QAccessible::Event>> events;
};

TEST_F(AccessibilityTest, TheFocusedScoreAreaIsATextThatSaysTheCursorCell) {
    QAccessibleInterface* score = QAccessible::queryAccessibleInterface(&frame.ViewWidget());
    EXPECT_EQ(score->role(), QAccessible::EditableText);
    EXPECT_TRUE(score->state().focused && score->state().readOnly);
    EXPECT_EQ(score->text(QAccessible::Name), "マス 1、空、カーソル 中、1列目 1段目 上");
    EXPECT_EQ(score->textInterface()->text(0, 100), score->text(QAccessible::Name));
}

TEST_F(AccessibilityTest, EveryKeyIsAnnouncedWithTheCellItLeavesTheCursorOn) {
    const struct {
        Qt::Key key;
        const char* said;
    } keys[] = {{Qt::Key_5, "中 五"},
                {Qt::Key_O, "中 ヲ 五"},
                {Qt::Key_Left, "カーソル 左"},
                {Qt::Key_7, "左 七"},
                {Qt::Key_Down, "マス 2"},
                {Qt::Key_Insert, "分割"},
                {Qt::Key_Up, "マス 1"},
                {Qt::Key_Down, "分割 上半分"},
                {Qt::Key_Down, "分割 下半分"},
                {Qt::Key_Down, "マス 3"},
                {Qt::Key_BracketRight, "休符 △ 1マス"}};
    for (const auto& k : keys) {
        const int before = Announcements();
        QTest::keyClick(&frame.ViewWidget(), k.key);
        EXPECT_EQ(Announcements(), before + 1) << k.said;
        EXPECT_TRUE(Name().contains(k.said)) << Name().toStdString();
    }
    // A click moves the cursor as Down does, and is said too.
    const int before = Announcements();
    QTest::mouseClick(frame.ViewWidget().viewport(), Qt::LeftButton);
    EXPECT_EQ(Announcements(), before + 1);
    EXPECT_TRUE(Name().startsWith("マス 4"));
}

TEST_F(AccessibilityTest, PlayingStepsSilentlyAndStopSaysWhereTheCursorStopped) {
    CTabrellaView& view = frame.View();
    for (int k = 1; k <= 40; ++k) view.m_cells[k].first[2] = 5;
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_X);
    QTRY_VERIFY_WITH_TIMEOUT(view.m_cursorPos > 1, 5000);
    EXPECT_EQ(Announcements(), 0) << "neither Play nor the stepping cursor is announced";
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_C);
    EXPECT_EQ(Announcements(), 1);
    EXPECT_TRUE(Name().startsWith(QStringLiteral("マス %1、").arg(view.CursorCell())));
    // Stopped from the toolbar the same.
    frame.SendCommand(cmd::kPlay);
    QTRY_VERIFY_WITH_TIMEOUT(view.m_cursorPos > 1, 5000);
    EXPECT_EQ(Announcements(), 1);
    frame.SendCommand(cmd::kStop);
    EXPECT_EQ(Announcements(), 2);
}

// The controls a screen reader offers to act on, each of which must say what it is.
QStringList UnnamedControls(QAccessibleInterface* root) {
    static const QList<QAccessible::Role> controls = {
        QAccessible::PushButton, QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ComboBox,   QAccessible::EditableText, QAccessible::SpinBox,
        QAccessible::ScrollBar,  QAccessible::MenuItem,     QAccessible::ButtonMenu};
    QStringList unnamed;
    if (!root || root->state().invisible) return unnamed;
    if (controls.contains(root->role()) && root->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("%1 (role %2)")
                       .arg(root->object() ? root->object()->objectName() : QString())
                       .arg(root->role());
    }
    for (int i = 0; i < root->childCount(); ++i) unnamed << UnnamedControls(root->child(i));
    return unnamed;
}

TEST_F(AccessibilityTest, NoControlOfTheMainWindowLacksAName) {
    EXPECT_EQ(
        UnnamedControls(QAccessible::queryAccessibleInterface(&frame)).join(' ').toStdString(), "");
    // Go to End has no tooltip: its prompt names it.
    QAction* goToEnd = frame.ActionsOf(cmd::kGoToEnd).front();
    EXPECT_EQ(frame.findChild<QToolBar*>("toolbar")->widgetForAction(goToEnd)->accessibleName(),
              "曲の最後へ");
}

TEST_F(AccessibilityTest, EveryDialogFieldIsNamedByItsLabelOrTheCaption) {
    const struct {
        int command;
        const char* field;  // object name of a field
        const char* name;
    } dialogs[] = {
        {cmd::kTempo, "control1013", "テンポ"},
        {cmd::kTuning, "control1016", "基音を選んでください。"},
        {cmd::kTitle, "control1006", "曲名を入力してください。　"},
        {cmd::kCopy, "control1020", "マス目まで"},
        {cmd::kPaste, "control1030", "マス目に貼り付け"},
        {cmd::kPlaySpeed, "", ""},
        {cmd::kPlayLoop, "", ""},
    };
    for (const auto& d : dialogs) {
        QStringList unnamed;
        QString fieldName;
        test::ModalCloser closer([&](QWidget* modal) {
            unnamed = UnnamedControls(QAccessible::queryAccessibleInterface(modal));
            // A list is named by its choice: its label comes as a relation, as on Linux.
            if (QWidget* field = modal->findChild<QWidget*>(d.field)) {
                QAccessibleInterface* f = QAccessible::queryAccessibleInterface(field);
                const auto labels = f->relations(QAccessible::Label);
                fieldName = labels.isEmpty() ? f->text(QAccessible::Name)
                                             : labels.first().first->text(QAccessible::Name);
            }
            static_cast<QDialog*>(modal)->reject();
        });
        frame.SendCommand(d.command);
        EXPECT_EQ(unnamed.join(' ').toStdString(), "") << d.command;
        if (*d.field) {
            EXPECT_EQ(fieldName.toStdString(), d.name) << d.command;
        }
    }
}

// Every dialog template, those no menu command opens at once (the recovery offer, the
// import's choices) among them: no control without a name.
TEST_F(AccessibilityTest, NoDialogOfAnyTemplateHasAnUnnamedControl) {
    for (const int id : {res::kDlgSavePrompt, res::kDlgSavedNotice, res::kDlgTitle, res::kDlgTuning,
                         res::kDlgTempo, res::kDlgRange, res::kDlgPaste, res::kDlgPlaySpeed,
                         res::kDlgRecovery, res::kDlgImport}) {
        platform::CDialog logic(id);
        qt::TemplateDialog dialog(*res::FindDialogTemplate(id), logic, &frame);
        dialog.show();
        EXPECT_EQ(
            UnnamedControls(QAccessible::queryAccessibleInterface(&dialog)).join(' ').toStdString(),
            "")
            << id;
    }
}

// ---- Wheel -----------------------------------------------------------------------------------

class WheelTest : public MainFrameTest {
  protected:
    void Wheel(QPoint angle, QPoint pixels = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* viewport = frame.ViewWidget().viewport();
        const QPointF at(50, 50);
        QWheelEvent event(at, viewport->mapToGlobal(at), pixels, angle, Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
    CTabrellaView& view = frame.View();
};

TEST_F(WheelTest, SmallStepsAddUpToOneLinePerNotch) {
    frame.SendCommand(cmd::kZoom300);  // a page taller than the window
    Wheel({0, -40});
    Wheel({0, -40});
    EXPECT_EQ(view.m_vScrollPos, 0) << "two thirds of a notch scroll nothing yet";
    Wheel({0, -40});
    EXPECT_EQ(view.m_vScrollPos, 3);
    Wheel({0, -360});
    EXPECT_EQ(view.m_vScrollPos, 12);
    // A turn back drops what the other direction had gathered.
    Wheel({0, -60});
    Wheel({0, 60});
    EXPECT_EQ(view.m_vScrollPos, 12);
    Wheel({0, 60});
    EXPECT_EQ(view.m_vScrollPos, 9);
}

TEST_F(WheelTest, PixelDeltasMoveALineOnceTheyAddUpToItsPixels) {
    frame.SendCommand(cmd::kZoom300);
    const int line = view.LinePixels(platform::ScrollBar::Vertical);
    ASSERT_GT(line, 1);
    Wheel({0, -120}, {0, -(line - 1)});  // the pixels count, not the angle
    EXPECT_EQ(view.m_vScrollPos, 0);
    Wheel({0, -1}, {0, -1});
    EXPECT_EQ(view.m_vScrollPos, 3);
    EXPECT_EQ(view.m_scrollOrgY, -line);
}

TEST_F(WheelTest, ShiftTurnsTheWheelSidewaysAndCtrlStepsTheZoom) {
    frame.SendCommand(cmd::kZoom300);
    frame.ViewWidget().viewport()->repaint();
    Wheel({0, -120}, {}, Qt::ShiftModifier);
    EXPECT_EQ(view.m_hScrollPos, 3);
    EXPECT_EQ(view.m_vScrollPos, 0);
    Wheel({-120, 0});
    EXPECT_EQ(view.m_hScrollPos, 6);

    Wheel({0, -120}, {}, Qt::ControlModifier);
    EXPECT_EQ(view.m_zoom, 200);
    Wheel({0, -60}, {}, Qt::ControlModifier);
    Wheel({0, -60}, {}, Qt::ControlModifier);
    EXPECT_EQ(view.m_zoom, 150);
    Wheel({0, 600}, {}, Qt::ControlModifier);
    EXPECT_EQ(view.m_zoom, 300);
}

// ---- Dropping a score ------------------------------------------------------------------------

bool SendDrag(QWidget& target, const QString& path, QEvent::Type type) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    if (type == QEvent::DragEnter) {
        QDragEnterEvent event(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
        return event.isAccepted();
    }
    // A drop follows the enter that made the window its target, as the platform sends them.
    if (!SendDrag(target, path, QEvent::DragEnter)) return false;
    QDropEvent event(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

TEST_F(MainFrameTest, OnlyLocalScoreFilesAreTakenWhateverTheCaseOfTheirName) {
    QTemporaryDir dir;
    const QString score = dir.filePath("dropped.TBR");
    QFile::copy(QStringLiteral(TABRELLA_TEST_DATA "/scores/titled.tbr"), score);
    EXPECT_FALSE(SendDrag(frame, dir.filePath("song.mid"), QEvent::DragEnter));
    EXPECT_TRUE(SendDrag(frame, dir.filePath("notes.txt"), QEvent::DragEnter));
    EXPECT_TRUE(SendDrag(frame, score, QEvent::Drop));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame.View().m_filePath.empty(); }, 5000));
    EXPECT_EQ(qt::FromSjis(frame.View().m_filePath), score);
}

// ---- Recent files ------------------------------------------------------------------------------

TEST_F(MainFrameTest, TheFileMenuListsTheLastFourFilesNewestFirstAndOpensThem) {
    QTemporaryDir dir;
    QStringList paths;
    for (const char* name : {"a", "b", "c[*]", "d", "e"}) {
        paths << dir.filePath(QString::fromLatin1(name) + ".tbr");
        QFile::copy(QStringLiteral(TABRELLA_TEST_DATA "/scores/titled.tbr"), paths.back());
        frame.View().OpenNamedFile(qt::ToSjis(paths.back()));
    }
    std::vector<QAction*> recent = frame.RecentFileActions();
    ASSERT_EQ(recent.size(), 4u);
    EXPECT_TRUE(recent[0]->text().startsWith("&1 ")) << recent[0]->text().toStdString();
    EXPECT_EQ(recent[0]->statusTip(), paths[4]);
    EXPECT_EQ(recent[3]->statusTip(), paths[1]);
    // They sit before Exit, which stays last.
    const QList<QAction*> file = TopMenu(0)->actions();
    EXPECT_EQ(file.back()->data().toInt(), cmd::kExit);
    EXPECT_TRUE(file.contains(recent[0]));

    recent[2]->trigger();  // c[*].tbr: unchanged score, so no prompt
    EXPECT_EQ(qt::FromSjis(frame.View().m_filePath), paths[2]);
    EXPECT_EQ(frame.RecentFileActions()[0]->statusTip(), paths[2]);
    // The "[*]" of the name is shown as it is; only the last one marks changes.
    EXPECT_EQ(frame.windowTitle(), "c[*][*].tbr[*]　－タブレラ");

    // A file that has gone is named in the open message and leaves the list.
    QFile::remove(paths[3]);
    test::ModalCloser closer;
    frame.RecentFileActions()[2]->trigger();
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_EQ(frame.RecentFileActions().size(), 3u);
    EXPECT_EQ(qt::FromSjis(frame.View().m_filePath), paths[2]);
}

// ---- Remembered between runs -------------------------------------------------------------------

TEST(RememberedFrame, ZoomFontFolderWindowAndRecentFilesComeBackInTheNextRun) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tabrella.ini");
    const QString score = dir.filePath("kept.tbr");
    QFile::copy(QStringLiteral(TABRELLA_TEST_DATA "/scores/titled.tbr"), score);
    QRect geometry;
    {
        test::FakeSequencer sequencer;
        qt::QtSettings settings(ini);
        CMainFrame frame(sequencer, &settings);
        frame.setGeometry(100, 120, 700, 650);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        geometry = frame.geometry();
        frame.SendCommand(cmd::kZoom200);
        frame.SendCommand(cmd::kDefaultFont);
        frame.View().OpenNamedFile(qt::ToSjis(score));
        frame.close();
        // Kept as it is chosen, not only by the close.
        frame.SendCommand(cmd::kPreviewNotes);
    }
    test::FakeSequencer sequencer;
    qt::QtSettings settings(ini);
    CMainFrame frame(sequencer, &settings);
    EXPECT_EQ(frame.View().m_zoom, 200);
    EXPECT_FALSE(frame.View().m_previewNotes);
    EXPECT_EQ(qt::FromSjis(frame.View().m_fontFace), "MS Pゴシック");
    ASSERT_EQ(frame.RecentFileActions().size(), 1u);
    EXPECT_EQ(frame.RecentFileActions()[0]->statusTip(), score);
    EXPECT_EQ(frame.geometry().size(), geometry.size());
    // The recent file opens again, and New keeps the remembered face.
    frame.RecentFileActions()[0]->trigger();
    EXPECT_EQ(qt::FromSjis(frame.View().m_filePath), score);
    EXPECT_EQ(qt::FromSjis(frame.View().m_fontFace), "MS Pゴシック");
}

TEST(RememberedFrame, ABrokenSettingsFileGivesTheDefaults) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tabrella.ini");
    const QByteArray contents[] = {
        QByteArray("\x00\xff[view\n=zoom\x01\x02\n[[[\n", 14),
        QByteArray("[view]\nzoom=200, 300\nfont=" + QByteArray(40, 'X') +
                   "\n[files]\nrecent1=@Variant(\n"),
    };
    for (const QByteArray& bytes : contents) {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        test::FakeSequencer sequencer;
        qt::QtSettings settings(ini);
        CMainFrame frame(sequencer, &settings);
        EXPECT_EQ(frame.View().m_zoom, 120) << bytes.toHex().toStdString();
        EXPECT_EQ(qt::FromSjis(frame.View().m_fontFace), "ＭＳ ゴシック");
        EXPECT_TRUE(frame.RecentFileActions().empty());
        // The first size, as far as the screen's free area holds it with a title bar.
        const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
        EXPECT_EQ(frame.size(), QSize(620, 800).boundedTo(room - QSize(16, 48)));
    }
}

// ---- Help
// ----------------------------------------------------------------------------------------

bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) return true;
        }
    }
    return false;
}

TEST_F(MainFrameTest, F1ShowsTheBundledHelpWithAPictureForEveryEnteringKey) {
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_F1);
    ASSERT_NE(frame.Help(), nullptr);
    EXPECT_TRUE(frame.Help()->isVisible());
    QTextBrowser& browser = frame.Help()->Browser();
    EXPECT_EQ(browser.source(), QUrl(kHelpPage));
    const QString text = browser.toPlainText();
    for (const char* legend : {"JIS キーボード", "US キーボード", "¥", "^", "@", "`", "Insert",
                               "Page Down", "F1", "Ctrl"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(legend))) << legend;
    }
    // Every picture is drawn by the program and shows ink.
    int pictures = 0;
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QUrl url(format.toImageFormat().name());
            ASSERT_EQ(url.scheme(), "cell") << url.toString().toStdString();
            const QImage image =
                browser.loadResource(QTextDocument::ImageResource, url).value<QImage>();
            EXPECT_TRUE(HasInk(image)) << url.toString().toStdString();
            ++pictures;
        }
    }
    EXPECT_EQ(pictures, 25);  // 13 strings, split, three pressings, four rests, ゝ and three signs
    // F1 again brings back the same window.
    HelpWindow* first = frame.Help();
    frame.SendCommand(cmd::kHelp);
    EXPECT_EQ(frame.Help(), first);
}

TEST(CellPictures, AreSharpAtTheScreensScaleAndNothingForNonsense) {
    const QImage five = CellPicture("0.5.0.0.0.0.0", 1);
    const QImage sharp = CellPicture("0.5.0.0.0.0.0", 2);
    EXPECT_EQ(sharp.devicePixelRatio(), 2);
    EXPECT_NEAR(sharp.width(), 2 * five.width(), 2);
    for (const char* nonsense : {"", "0.5.0.0.0.0", "a.b.c.d.e.f.g",
                                 "0.1.0.0.0.0.0_0.1.0.0.0.0.0_"
                                 "0.1.0.0.0.0.0_0.1.0.0.0.0.0_0.1.0.0.0.0.0"}) {
        EXPECT_TRUE(CellPicture(nonsense, 1).isNull()) << nonsense;
    }
}

}  // namespace
}  // namespace tabrella::app

namespace tabrella::app {
namespace {

// The window of a run in English; the other tests run in Japanese.
struct InEnglish {
    InEnglish() { res::SetLanguage(res::Language::English); }
    ~InEnglish() { res::SetLanguage(res::Language::Japanese); }
};

class EnglishFrameTest : public testing::Test {
  protected:
    void SetUp() override {
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    }
    InEnglish english;
    test::FakeSequencer sequencer;
    CMainFrame frame{sequencer};
};

// Latin letters only, but for the language's own name beside "Japanese", and in every menu
// one mnemonic per entry, no two alike, with a prompt wherever the Japanese has one.
void ExpectEnglishMenu(const QList<QAction*>& actions) {
    QSet<QChar> mnemonics;
    for (QAction* action : actions) {
        if (action->isSeparator()) continue;
        const QString text = action->text().section('\t', 0, 0);
        const QString latin =
            action->data().toInt() == cmd::kLanguageJapanese ? text.section(" (", 0, 0) : text;
        for (QChar c : latin) EXPECT_LE(c.unicode(), 0x24F) << text.toStdString();
        EXPECT_EQ(text.count('&'), 1) << text.toStdString();
        const QChar mnemonic = text.at(text.indexOf('&') + 1).toLower();
        EXPECT_FALSE(mnemonics.contains(mnemonic)) << text.toStdString();
        mnemonics.insert(mnemonic);
        res::SetLanguage(res::Language::Japanese);
        const bool prompted = !res::StringsOfCommand(action->data().toInt()).prompt.empty();
        res::SetLanguage(res::Language::English);
        EXPECT_EQ(action->statusTip().isEmpty(), !prompted || action->menu());
        if (action->menu()) ExpectEnglishMenu(action->menu()->actions());
    }
}

TEST_F(EnglishFrameTest, MenusPanesAndAboutBoxSpeakEnglish) {
    ExpectEnglishMenu(frame.menuBar()->actions());
    const QList<QAction*> top = frame.menuBar()->actions();
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[0]->menu()->actions()[3]->text(), "Save &As...");
    EXPECT_EQ(top[1]->menu()->actions()[3]->text(), "Insert &Blank Cells...");
    EXPECT_EQ(frame.statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(frame.findChild<QLabel*>("cellPane")->text(), "Cell 1   from column 1");
    EXPECT_TRUE(frame.findChild<QLabel*>("hintPane")->text().startsWith("Strings: "));

    test::ModalCloser closer;
    frame.SendCommand(cmd::kAbout);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_EQ(closer.seen[0].title, "About Tabrella");
    EXPECT_TRUE(closer.seen[0].text.startsWith("<b>Tabrella</b> version " TABRELLA_VERSION));
}

// The tuning list shows each name with its reading; the score keeps the name alone.
TEST_F(EnglishFrameTest, DialogsAndMessagesSpeakEnglishAndTheScoreKeepsItsNames) {
    QStringList tunings;
    test::ModalCloser closer([&](QWidget* modal) {
        auto* combo = modal->findChild<QComboBox*>("control1009");
        if (combo) {
            for (int i = 0; i < combo->count(); ++i) tunings.append(combo->itemText(i));
            combo->setCurrentIndex(1);
            EXPECT_EQ(modal->findChild<QCheckBox*>("control1015")->text(), "乙 (otsu)");
            modal->findChild<QPushButton*>("control1")->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    });
    frame.SendCommand(cmd::kTuning);
    EXPECT_EQ(frame.View().m_tuningName, res::TuningNames()[1]);
    ASSERT_EQ(tunings.size(), 8);
    EXPECT_EQ(tunings[0], "平調子 (Hirajōshi)");

    QTest::keyClick(&frame.ViewWidget(), Qt::Key_5);
    frame.SendCommand(cmd::kCopy);
    frame.SendCommand(cmd::kExit);
    ASSERT_EQ(closer.seen.size(), 3);
    EXPECT_EQ(closer.seen[0].title, "Tuning");
    EXPECT_EQ(closer.seen[1].title, "Choose Range");
    EXPECT_EQ(closer.seen[2].text, "The score has unsaved changes. Quit anyway?");
}

// The English page beside the Japanese one, with the same pictures in the same order.
TEST_F(EnglishFrameTest, F1ShowsTheEnglishHelpPageWithTheSameCells) {
    QTest::keyClick(&frame.ViewWidget(), Qt::Key_F1);
    ASSERT_NE(frame.Help(), nullptr);
    EXPECT_EQ(frame.Help()->windowTitle(), "Tabrella Help");
    EXPECT_EQ(frame.Help()->Browser().source(), QUrl(kEnglishHelpPage));
    EXPECT_TRUE(frame.Help()->Browser().toPlainText().contains("US keyboard"));
    auto cells = [](const char* page) {
        QFile file(QUrl(page).toString(QUrl::RemoveScheme).prepend(':'));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        QStringList out;
        const QRegularExpression cell(R"re(src="(cell:[^"]+)")re");
        for (const auto& match : cell.globalMatch(QString::fromUtf8(file.readAll()))) {
            out.append(match.captured(1));
        }
        return out;
    };
    EXPECT_EQ(cells(kEnglishHelpPage), cells(kHelpPage));
    EXPECT_GT(cells(kHelpPage).size(), 20);
}

}  // namespace
}  // namespace tabrella::app
