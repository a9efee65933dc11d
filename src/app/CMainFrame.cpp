#include "app/CMainFrame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "app/AppInfo.h"
#include "app/ToolbarIcons.h"
#include "platform/qt/QtText.h"
#include "platform/qt/X11Keyboard.h"
#include "resources/CommandIds.h"
#include "resources/FileTexts.h"
#include "resources/Texts.h"
#include "score/CommandTable.h"

namespace tabrella::app {

using qt::FromSjis;

CMainFrame::CMainFrame(platform::ISequencer& sequencer)
    : m_viewWidget(new qt::QtViewWidget(this)), m_dialogs(this) {
    m_view = std::make_unique<CTabrellaView>(
        platform::Services{*m_viewWidget, m_dialogs, sequencer, &m_audio, &m_musicXml});
    m_viewWidget->SetView(m_view.get());
    m_viewWidget->onCaption = [this](const QString& caption) { setWindowTitle(caption); };
    m_viewWidget->onCloseMainWindow = [this] { close(); };
    m_viewWidget->onAbout = [this] { ShowAbout(); };
    m_viewWidget->onHelp = [this] { ShowHelp(); };
    setCentralWidget(m_viewWidget);

    for (const res::MenuItem& popup : res::MainMenu()) {
        BuildMenu(menuBar()->addMenu(FromSjis(popup.text)), popup.popup);
    }
    BuildToolbar();
    BuildAccelerators();
    BuildStatusBar();
    UpdateCommandUI();
    m_viewWidget->setFocus();
}

CMainFrame::~CMainFrame() {
    ShutDownView();
}

void CMainFrame::ShutDownView() {
    // Playback must release its device and file while the window still exists.
    if (m_viewShutDown) return;
    m_viewShutDown = true;
    m_view->OnDestroy();
}

QAction* CMainFrame::CommandAction(const QString& text, int id) {
    auto* action = new QAction(text, this);
    action->setData(id);
    const res::CommandStrings strings = res::StringsOfCommand(id);
    action->setStatusTip(FromSjis(strings.prompt));
    if (!strings.tooltip.empty()) action->setToolTip(FromSjis(strings.tooltip));
    if (const CommandEntry* entry = FindCommand(id); entry && entry->checked) {
        action->setCheckable(true);
    }
    connect(action, &QAction::triggered, this, [this, id] { SendCommand(id); });
    m_actions.emplace(id, action);
    return action;
}

void CMainFrame::BuildMenu(QMenu* menu, const std::vector<res::MenuItem>& items) {
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    for (const res::MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (!item.popup.empty()) {
            BuildMenu(menu->addMenu(FromSjis(item.text)), item.popup);
        } else {
            menu->addAction(CommandAction(FromSjis(item.text), item.id));
        }
    }
}

void CMainFrame::BuildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setIconSize(QSize(16, 15));
    for (int id : res::ToolbarButtons()) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = CommandAction(QString(), id);
        action->setIcon(ToolbarIcon(id, style()));
        if (action->toolTip().isEmpty() || res::StringsOfCommand(id).tooltip.empty()) {
            action->setToolTip(QString());
        }
        bar->addAction(action);
    }
}

void CMainFrame::BuildAccelerators() {
    for (const res::Accelerator& a : res::Accelerators()) {
        Qt::KeyboardModifiers mods;
        if (a.modifiers & res::kShift) mods |= Qt::ShiftModifier;
        if (a.modifiers & res::kCtrl) mods |= Qt::ControlModifier;
        if (a.modifiers & res::kAlt) mods |= Qt::AltModifier;
        Qt::Key qtKey;
        switch (a.virtualKey) {
            case 0x2D:
                qtKey = Qt::Key_Insert;
                break;
            case 0x2E:
                qtKey = Qt::Key_Delete;
                break;
            case 0x08:
                qtKey = Qt::Key_Backspace;
                break;
            case 0x75:
                qtKey = Qt::Key_F6;
                break;
            default:
                qtKey = static_cast<Qt::Key>(a.virtualKey);
                break;  // letters
        }
        // Accelerators stay enabled even without a handler, so that their keys never
        // reach the view (Ctrl+Z must not act as Z).
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(QKeyCombination(mods, qtKey)));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(a.id);
        const int id = a.id;
        connect(action, &QAction::triggered, this, [this, id] { SendCommand(id); });
        addAction(action);
        m_actions.emplace(id, action);
    }
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QString ready = FromSjis(res::IdleMessage());
    bar->showMessage(ready);
    connect(bar, &QStatusBar::messageChanged, bar, [bar, ready](const QString& message) {
        if (message.isEmpty()) bar->showMessage(ready);
    });
    for (const std::string& name : res::StatusIndicators()) {
        auto* label = new QLabel(this);
        label->setProperty("indicator", FromSjis(name));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(FromSjis(name)) + 8);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(label);
        m_indicators.push_back(label);
    }
    UpdateLockIndicators();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this] { UpdateLockIndicators(); });
    poll->start(100);
}

void CMainFrame::UpdateLockIndicators() {
    const qt::LockStates s = qt::CurrentLockStates();
    const bool on[] = {s.kana, s.caps, s.num, s.scroll};
    for (size_t i = 0; i < m_indicators.size() && i < 4; ++i) {
        m_indicators[i]->setText(on[i] ? m_indicators[i]->property("indicator").toString()
                                       : QString());
    }
}

void CMainFrame::UpdateCommandUI() {
    for (auto& [id, action] : m_actions) {
        const platform::CommandState state = m_view->OnUpdateCommand(id);
        if (action->shortcut().isEmpty()) action->setEnabled(state.handled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void CMainFrame::SendCommand(int id) {
    m_view->OnCommand(id);
    UpdateCommandUI();
}

std::vector<QAction*> CMainFrame::ActionsOf(int id) const {
    std::vector<QAction*> out;
    auto [first, last] = m_actions.equal_range(id);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
    return out;
}

void CMainFrame::ShowAbout() {
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("Tabrella のバージョン情報"));
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.setText(AboutText());
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void CMainFrame::ShowHelp() {
    const QString page = HelpPagePath(QCoreApplication::applicationDirPath());
    if (!QFileInfo(page).isFile()) {
        QMessageBox::warning(
            this, QApplication::applicationDisplayName(),
            FromSjis(res::Sjis(res::FileTxt::HelpMissing)) + QLatin1Char('\n') + page);
        return;
    }
    // A local file address, so '#', '%' and any script in the path stay part of the name.
    QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void CMainFrame::EndWithoutQuestion() {
    ShutDownView();
    // Also ends any dialog's loop, so an open dialog cannot keep the program alive.
    QCoreApplication::exit(0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The close box asks about unsaved changes as Exit does.
    if (!m_view->QueryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    ShutDownView();
}

}  // namespace tabrella::app
