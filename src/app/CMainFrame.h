#pragma once
// The main window: menu, toolbar, accelerators and status bar built from the frame
// resources, every command sent by id through the view's command table.
#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

#include "exchange/MusicXmlWriter.h"
#include "platform/Sequencer.h"
#include "platform/fluid/FluidAudioRenderer.h"
#include "platform/qt/QtDialogHost.h"
#include "platform/qt/QtViewWidget.h"
#include "resources/FrameResources.h"
#include "score/CTabrellaView.h"

class QAction;
class QLabel;
class QMenu;

namespace tabrella::app {

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(platform::ISequencer& sequencer);
    ~CMainFrame() override;

    CTabrellaView& View() { return *m_view; }
    qt::QtViewWidget& ViewWidget() { return *m_viewWidget; }
    // Sends a command id to its handler; ids without one do nothing.
    void SendCommand(int id);
    // The actions built for a command id: menu entry, toolbar button, accelerators.
    std::vector<QAction*> ActionsOf(int id) const;
    // Ends the program as the close box does but without its question, for a request to
    // terminate from outside: the play file goes and the sequencer is closed.
    void EndWithoutQuestion();

  protected:
    void closeEvent(QCloseEvent* event) override;

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

    qt::QtViewWidget* m_viewWidget;
    qt::QtDialogHost m_dialogs;
    platform::fluid::FluidAudioRenderer m_audio;
    exchange::MusicXmlWriter m_musicXml;
    std::unique_ptr<CTabrellaView> m_view;
    std::multimap<int, QAction*> m_actions;
    std::vector<QLabel*> m_indicators;
    bool m_viewShutDown = false;
};

}  // namespace tabrella::app
