// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "platform/Task.h"
#include "qt/ModalCloser.h"
#include "qt/QtDialogHost.h"
#include "qt/QtProgress.h"
#include "qt/QtText.h"
#include "qt/TemplateDialog.h"
#include "resources/ControlIds.h"
#include "resources/DialogResources.h"
#include "resources/Language.h"

namespace tabrella::qt {
namespace {

// A dialog with one integer box, as the tempo dialog has.
class NumberDialog : public platform::CDialog {
  public:
    NumberDialog() : CDialog(res::kDlgTempo) {}
    int m_value = 80;
    void OnInitDialog(platform::IDialogControls& c) override {
        CDialog::OnInitDialog(c);
        c.SpinSetRange(1014, 10, 280);
        c.SpinSetPos(1014, m_value);
    }

  protected:
    void DoDataExchange(platform::DataExchange& dx) override {
        dx.IntInRange(1013, m_value, 10, 999);
    }
};

TEST(TemplateDialog, BuildsTheControlsOfItsTemplate) {
    NumberDialog logic;
    TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgRange), logic, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "範囲を指定");
    auto* ok = qobject_cast<QPushButton*>(dialog.Control(1017));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "決定");
    EXPECT_NE(qobject_cast<QLineEdit*>(dialog.Control(1019)), nullptr);
    // Controls keep the places of the template: "to" lies right of "from".
    EXPECT_GT(dialog.Control(1020)->x(), dialog.Control(1019)->x());
}

TEST(TemplateDialog, RefusesANonIntegerAndStaysOpen) {
    NumberDialog logic;
    TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgTempo), logic, nullptr);
    logic.OnInitDialog(dialog);
    dialog.show();
    auto* edit = qobject_cast<QLineEdit*>(dialog.Control(1013));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "80");
    edit->setText("8x0");
    test::ModalCloser closer;
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)), Qt::LeftButton);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.contains("整数"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(logic.m_value, 80);

    edit->setText("120");
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), platform::kIdOk);
    EXPECT_EQ(logic.m_value, 120);
}

// A logic that ends the dialog with the id of whichever button is pressed.
class ButtonsDialog : public platform::CDialog {
  public:
    explicit ButtonsDialog(int resourceId) : CDialog(resourceId) {}
    void OnButton(int id, platform::IDialogControls& c) override { c.End(id); }
};

// Enter and Space press the button with the focus; Enter anywhere else presses the default
// button, as before.
TEST(TemplateDialog, EnterPressesTheFocusedButtonElseTheDefault) {
    struct Case {
        int resourceId, focusedControl, key, expected;
    };
    const Case cases[] = {
        {res::kDlgSavePrompt, 1003, Qt::Key_Return, 1003},  // いいえ: no save over the file
        {res::kDlgSavePrompt, 1005, Qt::Key_Enter, 1005},   // ｷｬﾝｾﾙ
        {res::kDlgSavePrompt, 1003, Qt::Key_Space, 1003},
        {res::kDlgRange, 1018, Qt::Key_Return, 1018},  // キャンセル: no cut
        {res::kDlgRange, 1019, Qt::Key_Return, 1},     // in an edit box: the confirming OK
        {res::kDlgSavePrompt, 0, Qt::Key_Return, 1004},
    };
    for (const Case& c : cases) {
        ButtonsDialog logic(c.resourceId);
        TemplateDialog dialog(*res::FindDialogTemplate(c.resourceId), logic, nullptr);
        dialog.show();
        dialog.activateWindow();
        QWidget* target = c.focusedControl ? dialog.Control(c.focusedControl) : &dialog;
        ASSERT_NE(target, nullptr);
        target->setFocus();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target,
                        static_cast<Qt::Key>(c.key));
        EXPECT_FALSE(dialog.isVisible()) << c.resourceId << " " << c.focusedControl;
        EXPECT_EQ(dialog.result(), c.expected) << c.resourceId << " " << c.focusedControl;
    }
}

// Every dialog opens with the keyboard in its first field, its text selected, so that
// typing replaces it: 10 typed into the paste dialog pastes at cell 10.
TEST(TemplateDialog, OpensWithTheFirstFieldFocusedAndSelected) {
    const std::pair<int, int> cases[] = {
        {res::kDlgSavePrompt, ctl::kSaveYes},  {res::kDlgTitle, ctl::kTitleEdit},
        {res::kDlgTuning, ctl::kTuningBox},    {res::kDlgTempo, ctl::kTempoEdit},
        {res::kDlgRange, ctl::kRangeFromEdit}, {res::kDlgPaste, ctl::kPasteTargetEdit},
        {res::kDlgPlaySpeed, ctl::kSpeedBox},
    };
    for (const auto& [resourceId, first] : cases) {
        platform::CDialog logic(resourceId);
        TemplateDialog dialog(*res::FindDialogTemplate(resourceId), logic, nullptr);
        dialog.SetText(first, "37");
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(QApplication::focusWidget(), dialog.Control(first)) << resourceId;
        QLineEdit* edit = qobject_cast<QLineEdit*>(dialog.Control(first));
        if (auto* combo = qobject_cast<QComboBox*>(dialog.Control(first))) edit = combo->lineEdit();
        if (edit) {
            EXPECT_EQ(edit->selectedText(), "37") << resourceId;
        }
    }
    struct PasteLogic : platform::CDialog {
        PasteLogic() : CDialog(res::kDlgPaste) {}
        int target = 5;
        void DoDataExchange(platform::DataExchange& dx) override {
            dx.IntInRange(ctl::kPasteTargetEdit, target, 1, 2999);
        }
    } paste;
    QtDialogHost host(nullptr);
    test::ModalCloser typist([](QWidget* w) {
        QTest::keyClicks(w->focusWidget(), "10");
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(host.DoModal(paste), platform::kIdOk);
    EXPECT_EQ(paste.target, 10);
}

// No label of any dialog is cut off, in Japanese or in English.
TEST(TemplateDialog, EveryLabelFitsItsPlaceInBothLanguages) {
    for (const res::Language language : {res::Language::Japanese, res::Language::English}) {
        res::SetLanguage(language);
        for (const int id :
             {res::kDlgSavePrompt, res::kDlgSavedNotice, res::kDlgTitle, res::kDlgTuning,
              res::kDlgTempo, res::kDlgRange, res::kDlgPaste, res::kDlgPlaySpeed}) {
            platform::CDialog logic(id);
            TemplateDialog dialog(*res::FindDialogTemplate(id), logic, nullptr);
            for (const QLabel* label : dialog.findChildren<QLabel*>()) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                    << id << " " << label->text().toStdString();
            }
        }
    }
    res::SetLanguage(res::Language::Japanese);
}

// A character Shift-JIS cannot hold is refused with a message, never stored as "?".
TEST(TemplateDialog, TextShiftJisCannotHoldIsRefused) {
    for (const char* typed : {"café", "🎵", "x〜y", "平調子?"}) {
        platform::CDialog logic(res::kDlgTitle);
        TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgTitle), logic, nullptr);
        auto* edit = qobject_cast<QLineEdit*>(dialog.Control(1006));
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromUtf8(typed));
        const bool fits = QString::fromUtf8(typed) != "café" && QString::fromUtf8(typed) != "🎵";
        EXPECT_EQ(dialog.TextFitsSjis(1006), fits) << typed;
    }
    struct TitleLogic : platform::CDialog {
        TitleLogic() : CDialog(res::kDlgTitle) {}
        std::string title = "old";
        void DoDataExchange(platform::DataExchange& dx) override { dx.Text(1006, title); }
    } logic;
    TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgTitle), logic, nullptr);
    dialog.show();
    qobject_cast<QLineEdit*>(dialog.Control(1006))->setText(QStringLiteral("café"));
    test::ModalCloser closer;
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(1)), Qt::LeftButton);
    ASSERT_EQ(closer.seen.size(), 1);
    EXPECT_TRUE(closer.seen[0].text.contains("Shift-JIS"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(logic.title, "old");
}

TEST(TemplateDialog, EscapeClosesWithoutReadingAnything) {
    NumberDialog logic;
    QtDialogHost host(nullptr);
    test::ModalCloser closer([](QWidget* w) {
        if (auto* edit = w->findChild<QLineEdit*>("control1013")) edit->setText("not a number");
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(host.DoModal(logic), platform::kIdCancel);
    EXPECT_EQ(logic.m_value, 80);
}

TEST(TemplateDialog, UpDownStepsWithinItsRangeAndWritesTheBox) {
    NumberDialog logic;
    logic.m_value = 279;
    TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgTempo), logic, nullptr);
    logic.OnInitDialog(dialog);
    auto* edit = qobject_cast<QLineEdit*>(dialog.Control(1013));
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "280");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "280");
    EXPECT_EQ(dialog.GetSpinPos(1014), 280);
}

TEST(TemplateDialog, ComboKeepsTypedTextAsTyped) {
    NumberDialog logic;
    TemplateDialog dialog(*res::FindDialogTemplate(res::kDlgTuning), logic, nullptr);
    dialog.ComboAppend(1009, ToSjis("平調子"));
    dialog.ComboAppend(1009, ToSjis("雲井調子"));
    dialog.SetText(1009, ToSjis("平調子 "));
    EXPECT_EQ(dialog.GetText(1009), ToSjis("平調子 "));
}

TEST(QtDialogHost, AFileDialogOpensInTheFolderOfTheLastChosenFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QtDialogHost host(nullptr);
    platform::FileDialogRequest request;
    request.save = true;
    request.defaultExtension = "tbr";
    request.initialName = ".tbr";

    QString firstFolder;
    {
        test::ModalCloser chooser([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            firstFolder = dialog->directory().absolutePath();
            // Typed into the name box, as a user does: the dialog itself never goes there.
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(folder.filePath("score.tbr"));
            static_cast<QDialog*>(dialog)->accept();  // the dialog's own checks run
        });
        const std::optional<std::string> chosen = host.FileDialog(request);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(FromSjis(*chosen).toStdString(), folder.filePath("score.tbr").toStdString());
    }
    ASSERT_NE(firstFolder.toStdString(), folder.path().toStdString());

    QString secondFolder;
    QString proposedName;
    test::ModalCloser looker([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        secondFolder = dialog->directory().absolutePath();
        proposedName = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    EXPECT_FALSE(host.FileDialog(request).has_value());
    EXPECT_EQ(secondFolder.toStdString(), folder.path().toStdString());
    EXPECT_EQ(proposedName.toStdString(), folder.filePath(".tbr").toStdString());
}

// Enter on a question (the exit question discards the score on Yes) answers No.
TEST(QtDialogHost, EnterOnAQuestionAnswersNo) {
    QtDialogHost host(nullptr);
    test::ModalCloser closer([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_EQ(host.MessageBox(ToSjis("このまま終了しますか？"), {},
                              platform::MessageBoxKind::YesNoQuestion),
              platform::kIdNo);
    ASSERT_EQ(closer.seen.size(), 1);
}

TEST(QtDialogHost, ALongTaskShowsAProgressDialogWhoseCancelStopsIt) {
    QWidget window;
    window.show();
    QtDialogHost host(&window);
    std::unique_ptr<platform::IProgress> progress = host.ShowProgress(ToSjis("書き出し中"));
    auto dialog = [&] { return window.findChild<QProgressDialog*>(); };
    ASSERT_NE(dialog(), nullptr);

    // A task that ends at once never shows the dialog.
    EXPECT_TRUE(progress->Continue(1, 100));
    EXPECT_FALSE(dialog()->isVisible());

    // One that goes on for longer than half a second does, with its text; its cancel button
    // stops the task at the next step.
    QElapsedTimer clock;
    clock.start();
    for (long done = 2; !dialog()->isVisible() && clock.elapsed() < 5000; ++done) {
        ASSERT_TRUE(progress->Continue(done, 1000));
        QTest::qWait(20);
    }
    ASSERT_TRUE(dialog()->isVisible());
    EXPECT_EQ(dialog()->labelText(), "書き出し中");
    QPushButton* cancel = dialog()->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(progress->Continue(999, 1000));
    progress.reset();
    EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr) << "gone with the task";
}

// Work on a worker thread that tells nothing of how far it is gets the dialog with a busy
// bar once it takes long; its Cancel stops the work at its next stop point.
TEST(QtDialogHost, AWorkerTaskShowsTheProgressAndItsCancelStopsTheTask) {
    QWidget window;
    window.show();
    QtDialogHost host(&window);
    int shownBusy = -1;
    test::ModalCloser closer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QProgressDialog*>(modal);
        shownBusy = dialog->maximum() == 0;
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    std::thread::id worker;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(platform::RunWithProgress(*host.ShowProgress(ToSjis("読み込み中")), [&] {
        for (worker = std::this_thread::get_id(); clock.elapsed() < 10000;) platform::StopPoint();
    }));
    EXPECT_LT(clock.elapsed(), 5000) << "the work stopped at the Cancel";
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_EQ(shownBusy, 1);
}

}  // namespace
}  // namespace tabrella::qt
