// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: menu, toolbar, accelerators and status bar built from the frame
// resources, every command sent by id through the view's command table.
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "app/HelpWindow.h"
#include "exchange/ExchangeModule.h"
#include "files/Recovery.h"
#include "fluid/ModuleSound.h"
#include "platform/Sequencer.h"
#include "platform/Settings.h"
#include "qt/QtDialogHost.h"
#include "qt/QtViewWidget.h"
#include "qt/X11Keyboard.h"
#include "resources/FrameResources.h"
#include "score/CTabrellaView.h"
#include "score/Remembered.h"

class QAction;
class QLabel;
class QMenu;

namespace tabrella::app {

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // Without a settings store the frame keeps its own in memory, so that nothing but the
    // editor itself ever reads or writes the user's settings.
    explicit CMainFrame(platform::ISequencer& sequencer, platform::ISettings* settings = nullptr);
    ~CMainFrame() override;

    CTabrellaView& View() { return *m_view; }
    qt::QtViewWidget& ViewWidget() { return *m_viewWidget; }
    platform::IDialogHost& Dialogs() { return m_dialogs; }
    // Sends a command id to its handler; ids without one do nothing.
    void SendCommand(int id);
    // The actions built for a command id: menu entry, toolbar button, accelerators.
    std::vector<QAction*> ActionsOf(int id) const;
    // Ends the program as the close box does but without its question, for a request to
    // terminate from outside: the play file goes and the sequencer is closed.
    void EndWithoutQuestion();
    // The recent-file entries of the File menu, newest first.
    std::vector<QAction*> RecentFileActions() const { return m_recentActions; }
    // The help window once it has been opened.
    HelpWindow* Help() const { return m_help; }
    // The keeper of the recovery copy, told of every change; written at once when the
    // program is asked to terminate, removed when the window closes with nothing to keep.
    void SetRecovery(RecoveryKeeper* keeper);
    // Says in the status bar that no recovery copy can be written, and why.
    void ShowRecoveryFault(const FileError& error);
    // True once a request to terminate has ended the program: nothing may start a loop.
    bool Ended() const { return m_ended; }
    // Writes what the program keeps between runs (also done when the window closes).
    void Remember();
    // Brings the status bar and the caption's unsaved mark up to the view's state.
    void UpdateStatus();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QAction* CommandAction(const QString& text, int id);
    void BuildMenu(QMenu* menu, const std::vector<res::MenuItem>& items);
    void BuildToolbar();
    void BuildAccelerators();
    void BuildStatusBar();
    void UpdateCommandUI();
    void UpdateLockIndicators();
    void ShowAbout();
    void ShowHelp();
    void ShutDownView();
    void ApplyRemembered();
    // Shrinks and moves the window into the screen's free area: the first size and a size
    // remembered on a larger screen may not fit.
    void FitToScreen();
    void NoteCurrentFile();
    void RebuildRecentFiles();
    void OpenRecentFile(const QString& path);

    qt::QtViewWidget* m_viewWidget;
    qt::QtDialogHost m_dialogs;
    fluid::ModuleAudioRenderer m_audio;
    exchange::ModuleNotationWriter m_musicXml;
    exchange::ModuleMelodyReader m_melodyReader;
    platform::ISequencer& m_sequencer;
    std::unique_ptr<CTabrellaView> m_view;
    std::unique_ptr<platform::MemorySettings> m_ownSettings;
    platform::ISettings& m_settings;
    Remembered m_remembered;
    std::multimap<int, QAction*> m_actions;
    std::vector<QLabel*> m_indicators;
    QLabel* m_hintPane = nullptr;
    QLabel* m_cellPane = nullptr;
    QMenu* m_fileMenu = nullptr;
    std::vector<QAction*> m_recentSeparators;
    std::vector<QAction*> m_recentActions;
    QPointer<HelpWindow> m_help;
    std::unique_ptr<qt::KeyboardWatch> m_keyboardWatch;
    QLabel* m_practicePane = nullptr;
    bool m_prompting = false;      // the status bar shows a command's prompt
    std::string m_languageTicked;  // the View menu's language: this run's, then the one chosen
    bool m_viewShutDown = false;
    RecoveryKeeper* m_recovery = nullptr;
    bool m_ended = false;
};

}  // namespace tabrella::app
