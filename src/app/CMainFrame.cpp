// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CMainFrame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "app/AppInfo.h"
#include "app/HelpWindow.h"
#include "app/InterfaceLanguage.h"
#include "app/ToolbarIcons.h"
#include "qt/KeyTranslation.h"
#include "qt/QtText.h"
#include "qt/X11Keyboard.h"
#include "resources/CommandIds.h"
#include "resources/FileMessage.h"
#include "resources/FileTexts.h"
#include "resources/RecoveryTexts.h"
#include "resources/ShellTexts.h"
#include "resources/Texts.h"
#include "score/CommandTable.h"

namespace tabrella::app {

using qt::FromSjis;

namespace {

const QString kModifiedMark = QStringLiteral("[*]");

// The first local score file among dropped things, or nothing.
QString DroppedScore(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("tbr") || suffix == QLatin1String("txt")) return path;
    }
    return {};
}

// What to type first, on the layout in use: the number row gives the strings.
QString KeyHint(qt::KeyboardLayout layout) {
    const QString strings = layout == qt::KeyboardLayout::Jis ? QStringLiteral("1〜9 0 - ^ ¥")
                                                              : QStringLiteral("1〜9 0 - ' \\");
    return FromSjis(res::Sjis(res::ShellTxt::KeyHintFormat)).arg(strings);
}

}  // namespace

CMainFrame::CMainFrame(platform::ISequencer& sequencer, platform::ISettings* settings)
    : m_viewWidget(new qt::QtViewWidget(this)),
      m_dialogs(this),
      m_sequencer(sequencer),
      m_ownSettings(settings ? nullptr : std::make_unique<platform::MemorySettings>()),
      m_settings(settings ? *settings : *m_ownSettings) {
    m_view = std::make_unique<CTabrellaView>(platform::Services{
        *m_viewWidget, m_dialogs, sequencer, &m_audio, &m_musicXml, &m_melodyReader});
    m_viewWidget->SetView(m_view.get());
    m_viewWidget->onCaption = [this](const QString& name) {
        // One form everywhere: the file's name (or Untitled), the change mark, the program.
        // A "[*]" inside a name is shown as it is; the one after it marks unsaved changes.
        setWindowTitle(QString(name).replace(kModifiedMark, kModifiedMark + kModifiedMark) +
                       kModifiedMark + qt::FromSjis(res::Sjis(res::Txt::CaptionSuffix)));
        NoteCurrentFile();
    };
    m_view->SetDocumentFile({}, true);  // the caption of an untitled score from the start
    m_viewWidget->onCloseMainWindow = [this] { close(); };
    m_viewWidget->onNews = [this](const QString& news) { statusBar()->showMessage(news, 15000); };
    m_viewWidget->onAbout = [this] { ShowAbout(); };
    m_viewWidget->onHelp = [this] { ShowHelp(); };
    m_viewWidget->onInput = [this] { UpdateStatus(); };
    setCentralWidget(m_viewWidget);
    setAcceptDrops(true);
    m_viewWidget->viewport()->installEventFilter(this);

    for (const res::MenuItem& popup : res::MainMenu()) {
        QMenu* menu = menuBar()->addMenu(FromSjis(popup.text));
        if (!m_fileMenu) m_fileMenu = menu;
        BuildMenu(menu, popup.popup);
    }
    BuildToolbar();
    BuildAccelerators();
    BuildStatusBar();
    resize(620, 800);
    ApplyRemembered();
    FitToScreen();
    UpdateCommandUI();
    UpdateStatus();
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
    if (const CommandEntry* entry = FindCommand(id);
        (entry && entry->checked) || LanguageCodeOfCommand(id)) {
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
        // A screen reader reads a button's name, not its tooltip: the tooltip, or the
        // prompt where the button has none.
        const res::CommandStrings strings = res::StringsOfCommand(id);
        bar->widgetForAction(action)->setAccessibleName(
            FromSjis(strings.tooltip.empty() ? strings.prompt : strings.tooltip));
    }
}

void CMainFrame::BuildAccelerators() {
    for (const res::Accelerator& a : res::Accelerators()) {
        Qt::KeyboardModifiers mods;
        if (a.modifiers & res::kShift) mods |= Qt::ShiftModifier;
        if (a.modifiers & res::kCtrl) mods |= Qt::ControlModifier;
        if (a.modifiers & res::kAlt) mods |= Qt::AltModifier;
        const Qt::Key qtKey = qt::QtKeyOf(a.virtualKey);
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
    // F1 opens the help as the Help menu does.
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    help->setData(cmd::kHelp);
    connect(help, &QAction::triggered, this, [this] { SendCommand(cmd::kHelp); });
    addAction(help);
    m_actions.emplace(cmd::kHelp, help);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QString ready = FromSjis(res::IdleMessage());
    bar->showMessage(ready);
    connect(bar, &QStatusBar::messageChanged, this, [this, bar, ready](const QString& message) {
        if (message.isEmpty()) bar->showMessage(ready);
        // A command's prompt needs the whole width; the hint steps aside meanwhile.
        m_prompting = !message.isEmpty() && message != ready;
        UpdateStatus();
    });
    // A hint of the keys while the score is empty, then where the cursor is.
    m_hintPane = new QLabel(this);
    m_hintPane->setObjectName(QStringLiteral("hintPane"));
    bar->addPermanentWidget(m_hintPane);
    // The practice settings that change what Play does: loop, count-in, metronome, speed.
    m_practicePane = new QLabel(this);
    m_practicePane->setObjectName(QStringLiteral("practicePane"));
    bar->addPermanentWidget(m_practicePane);
    m_cellPane = new QLabel(this);
    m_cellPane->setObjectName(QStringLiteral("cellPane"));
    m_cellPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addPermanentWidget(m_cellPane);
    for (const std::string& name : res::StatusIndicators()) {
        auto* label = new QLabel(this);
        label->setProperty("indicator", FromSjis(name));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(FromSjis(name)) + 8);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(label);
        m_indicators.push_back(label);
    }
    // XKB tells when a lock key changes its light; nothing is asked on a timer.
    m_keyboardWatch = std::make_unique<qt::KeyboardWatch>([this] { UpdateLockIndicators(); });
    UpdateLockIndicators();
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
        if (const std::optional<std::string> code = LanguageCodeOfCommand(id)) {
            action->setChecked(*code == m_languageTicked);
            continue;
        }
        const platform::CommandState state = m_view->OnUpdateCommand(id);
        if (action->shortcut().isEmpty()) action->setEnabled(state.handled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void CMainFrame::UpdateStatus() {
    const CTabrellaView& view = *m_view;
    if (!m_cellPane) return;  // the status bar is still being built
    m_cellPane->setText(FromSjis(res::Sjis(res::ShellTxt::CellPaneFormat))
                            .arg(view.CursorCell())
                            .arg(view.m_topColumn + 1));
    const bool hint = view.LastUsedCell() == 0 && !m_prompting;
    if (hint) m_hintPane->setText(KeyHint(qt::CurrentKeyboardLayout()));
    m_hintPane->setVisible(hint);
    QStringList practice;
    if (view.m_playCursor.loopLast != 0) {
        practice << FromSjis(res::Sjis(res::ShellTxt::LoopPaneFormat))
                        .arg(view.m_playCursor.loopFirst)
                        .arg(view.m_playCursor.loopLast);
    }
    if (view.m_countIn) practice << FromSjis(res::Sjis(res::ShellTxt::CountInPane));
    if (view.m_metronome) practice << FromSjis(res::Sjis(res::ShellTxt::MetronomePane));
    if (view.m_playSpeed != 100) {
        practice << FromSjis(res::Sjis(res::ShellTxt::SpeedPaneFormat)).arg(view.m_playSpeed);
    }
    m_practicePane->setText(practice.join(QStringLiteral("　")));
    m_practicePane->setVisible(!practice.isEmpty());
    // Setting it, even unchanged, sends the window's title to the X server again.
    if (isWindowModified() != view.Modified()) setWindowModified(view.Modified());
}

void CMainFrame::SendCommand(int id) {
    // The language is the frame's to keep; it is read once, at the next start.
    if (std::optional<std::string> code = LanguageCodeOfCommand(id)) {
        m_languageTicked = *code;
        m_remembered.language = std::move(*code);
        WriteRemembered(m_settings, m_remembered);
        statusBar()->showMessage(FromSjis(res::Sjis(res::ShellTxt::LanguageAtNextStart)), 15000);
    }
    m_view->OnCommand(id);
    // Kept at once, as the language is: the program may not end by its close box.
    if (id == cmd::kPreviewNotes) Remember();
    UpdateCommandUI();
    UpdateStatus();
    m_viewWidget->AnnounceCursor(true);
}

std::vector<QAction*> CMainFrame::ActionsOf(int id) const {
    std::vector<QAction*> out;
    auto [first, last] = m_actions.equal_range(id);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
    return out;
}

void CMainFrame::ShowAbout() {
    QMessageBox box(this);
    box.setWindowTitle(FromSjis(res::Sjis(res::ShellTxt::AboutCaption)));
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.setText(AboutText());
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void CMainFrame::ShowHelp() {
    if (!m_help) m_help = new HelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void CMainFrame::SetRecovery(RecoveryKeeper* keeper) {
    m_recovery = keeper;
    m_view->m_watcher = keeper;
}

void CMainFrame::ShowRecoveryFault(const FileError& error) {
    statusBar()->showMessage(FromSjis(res::Sjis(res::RecoveryTxt::FolderWarning)) +
                             qt::FromNativePath(error.path) + QStringLiteral(" (") +
                             FromSjis(ReasonText(error)) + QStringLiteral(")"));
}

void CMainFrame::EndWithoutQuestion() {
    // Nothing typed may be lost: the copy is on disk before the program ends.
    if (m_recovery && !m_ended) m_recovery->WriteNow(*m_view);
    m_ended = true;
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
    Remember();
    ShutDownView();
    // Saved, or its changes given up: nothing is left to recover.
    if (m_recovery) m_recovery->EndCleanly();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The icon is drawn from SVG at every size the window system may show, with an icon
    // plugin loaded for it: as long as a tenth of the start-up. It comes once the window
    // has shown its first frame, a moment the eye does not tell apart. So does the sound,
    // loaded in the background for the first Play.
    if (watched == m_viewWidget->viewport() && event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(QIcon(QStringLiteral(":/tabrella.svg")));
            m_sequencer.Prepare();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::changeEvent(QEvent* event) {
    // Every caption carries the mark of unsaved changes, whoever sets it.
    if (event->type() == QEvent::WindowTitleChange && !windowTitle().contains(kModifiedMark)) {
        setWindowTitle(windowTitle() + kModifiedMark);
    }
    QMainWindow::changeEvent(event);
}

// ---- Remembered between runs ------------------------------------------------------------

void CMainFrame::ApplyRemembered() {
    m_remembered = ReadRemembered(m_settings);
    m_languageTicked = LanguageCodeTicked(QCoreApplication::arguments(), m_remembered.language);
    m_view->m_zoom = m_remembered.zoom;
    m_view->m_previewNotes = m_remembered.previewNotes;
    if (!m_remembered.fontFace.empty()) {
        m_view->m_fontFace = m_remembered.fontFace;
        m_view->m_defaultFontFace = m_remembered.fontFace;
    }
    m_dialogs.SetLastFolder(qt::FromNativePath(m_remembered.lastFolder));
    if (!m_remembered.windowGeometry.empty()) {
        restoreGeometry(
            QByteArray::fromBase64(QByteArray::fromStdString(m_remembered.windowGeometry)));
    }
    RebuildRecentFiles();
}

void CMainFrame::FitToScreen() {
    const QScreen* shown = screen();
    if (!shown) return;
    const QRect area = shown->availableGeometry();
    // The window manager's frame and title bar are not known before the window shows; leave
    // room for a usual one.
    const QSize room = (area.size() - QSize(16, 48)).expandedTo(QSize(200, 150));
    if (width() > room.width() || height() > room.height()) resize(size().boundedTo(room));
    // A place remembered on a larger screen may lie partly outside this one.
    const QPoint from = pos();
    const QPoint last =
        area.topLeft() + QPoint(area.width() - width() - 16, area.height() - height() - 48);
    const QPoint at(std::clamp(from.x(), area.left(), std::max(area.left(), last.x())),
                    std::clamp(from.y(), area.top(), std::max(area.top(), last.y())));
    if (at != from) move(at);
}

void CMainFrame::Remember() {
    m_remembered.zoom = m_view->m_zoom;
    m_remembered.previewNotes = m_view->m_previewNotes;
    m_remembered.fontFace = m_view->m_defaultFontFace;
    m_remembered.lastFolder = qt::ToNativePath(m_dialogs.LastFolder());
    m_remembered.windowGeometry = saveGeometry().toBase64().toStdString();
    WriteRemembered(m_settings, m_remembered);
}

void CMainFrame::NoteCurrentFile() {
    // The caption names the file once it was opened or saved.
    if (m_view->m_filePath.empty()) return;
    AddRecentFile(m_remembered.recentFiles, m_view->m_filePath);
    RebuildRecentFiles();
    Remember();
}

void CMainFrame::RebuildRecentFiles() {
    for (QAction* action : m_recentActions) delete action;
    for (QAction* separator : m_recentSeparators) delete separator;
    m_recentActions.clear();
    m_recentSeparators.clear();
    if (m_remembered.recentFiles.empty()) return;

    // The entries sit between two separators of their own, just before Exit.
    QAction* exit = nullptr;
    for (QAction* action : m_fileMenu->actions()) {
        if (action->data().toInt() == cmd::kExit) exit = action;
    }
    m_recentSeparators.push_back(m_fileMenu->insertSeparator(exit));
    const QFontMetrics metrics(m_fileMenu->font());
    for (size_t i = 0; i < m_remembered.recentFiles.size(); ++i) {
        const QString path = qt::FromNativePath(m_remembered.recentFiles[i]);
        QString shown = metrics.elidedText(path, Qt::ElideMiddle, 420);
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace('&', QStringLiteral("&&"))),
            m_fileMenu);
        action->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
        m_fileMenu->insertAction(exit, action);
        m_recentActions.push_back(action);
    }
    m_recentSeparators.push_back(m_fileMenu->insertSeparator(exit));
}

void CMainFrame::OpenRecentFile(const QString& path) {
    m_view->OpenFileAsked(qt::ToNativePath(path));
    // A file that has gone leaves the list, as its open failed with a message.
    if (!QFileInfo::exists(path)) {
        RemoveRecentFile(m_remembered.recentFiles, qt::ToNativePath(path));
        RebuildRecentFiles();
        Remember();
    }
    UpdateStatus();
}

// ---- Files dropped on the window --------------------------------------------------------

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedScore(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedScore(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedScore(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opens as Open does, save prompt first; the prompt is a modal dialog, so it waits
    // until the drop has ended.
    QTimer::singleShot(0, this, [this, path] {
        activateWindow();
        m_view->OpenFileAsked(qt::ToNativePath(QFileInfo(path).absoluteFilePath()));
        UpdateStatus();
    });
}

}  // namespace tabrella::app
