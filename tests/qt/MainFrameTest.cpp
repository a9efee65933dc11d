#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "app/CMainFrame.h"
#include "qt/ModalCloser.h"
#include "resources/CommandIds.h"
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
    EXPECT_EQ(top[1]->text(), "編集");
    EXPECT_EQ(top[2]->text(), "表示");
    EXPECT_EQ(top[3]->text(), "演奏設定");
    EXPECT_EQ(top[4]->text(), "ﾍﾙﾌﾟ(&H)");

    const QList<Entry> file = Entries(TopMenu(0));
    const QList<Entry> expectedFile = {
        {"新規作成(&N)\tCtrl+N", 32776},   {"開く(&O)...\tCtrl+O", 32773},
        {"上書き保存(&S)\tCtrl+S", 32774}, {"名前を付けて保存(&A)...", 32775},
        {"MIDIエクスポート", 32794},       {"印刷(&P)...\tCtrl+P", 57607},
        {"印刷ﾌﾟﾚﾋﾞｭｰ(&V)", 57609},        {"ﾌﾟﾘﾝﾀの設定(&R)...", 57606},
        {"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", 57665},
    };
    ASSERT_EQ(file.size(), expectedFile.size());
    for (int i = 0; i < file.size(); ++i) {
        EXPECT_EQ(file[i].text, expectedFile[i].text);
        EXPECT_EQ(file[i].id, expectedFile[i].id) << file[i].text.toStdString();
    }

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
    ASSERT_EQ(view.size(), 3);
    EXPECT_EQ(view[0].text, "フォントの選択");
    EXPECT_EQ(view[1].text, "画面サイズの変更");
    EXPECT_EQ(view[2].text, "曲名の設定");
    EXPECT_EQ(view[2].id, 32788);
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
    ASSERT_EQ(play.size(), 6);
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

TEST_F(MainFrameTest, AboutBoxShowsNameVersionAndCredit) {
    test::ModalCloser closer;
    frame.SendCommand(cmd::kAbout);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.contains("Tabrella"));
    EXPECT_TRUE(closer.seen[0].text.contains(TABRELLA_VERSION));
    EXPECT_TRUE(closer.seen[0].text.contains("箏"));
}

TEST_F(MainFrameTest, EveryMenuAndToolbarCommandHasAHandler) {
    for (QAction* action : frame.findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (id == 0 || !action->shortcut().isEmpty()) continue;
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
