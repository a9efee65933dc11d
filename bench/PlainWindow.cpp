// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baseline: a plain Qt main window of the editor's build (menu bar of five
// menus, a toolbar of fifteen buttons, a status bar of five panes) whose central widget
// paints one line of Japanese in IPAGothic. Nothing of Tabrella is linked.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

// Every key moves a box and repaints the whole widget, as the editor moves its cursor.
class Line : public QWidget {
  public:
    Line() { setFocusPolicy(Qt::StrongFocus); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setFont(QFont(QStringLiteral("IPAGothic"), 20));
        p.drawText(rect(), Qt::AlignCenter,
                   QStringLiteral("一 二 三 四 五 六 七 八 九 十 斗 為 巾"));
        p.setPen(Qt::red);
        p.drawRect(20, 20 + 30 * m_keys, 40, 30);
    }
    void keyPressEvent(QKeyEvent*) override {
        m_keys = (m_keys + 1) % 2;
        update();
    }

  private:
    int m_keys = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    // As many entries as the editor's menus hold.
    const std::pair<const char*, int> menus[] = {
        {"ファイル(&F)", 11}, {"編集", 6}, {"表示", 10}, {"演奏設定", 6}, {"ヘルプ(&H)", 2}};
    for (const auto& [title, entries] : menus) {
        QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(title));
        for (int i = 1; i <= entries; ++i) menu->addAction(QStringLiteral("項目 %1").arg(i));
    }
    QToolBar* bar = window.addToolBar(QStringLiteral("toolbar"));
    bar->setIconSize(QSize(16, 15));
    for (int i = 0; i < 15; ++i) {
        const auto icon = static_cast<QStyle::StandardPixmap>(QStyle::SP_FileIcon + i % 8);
        bar->addAction(window.style()->standardIcon(icon), QStringLiteral("ボタン %1").arg(i));
    }
    window.statusBar()->showMessage(QStringLiteral("レディ"));
    for (const char* pane : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromUtf8(pane));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        window.statusBar()->addPermanentWidget(label);
    }
    auto* line = new Line;
    window.setCentralWidget(line);
    line->setFocus();
    window.resize(620, 800);
    window.setWindowTitle(QStringLiteral("タブレラ"));
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
