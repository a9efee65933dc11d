// SPDX-License-Identifier: GPL-3.0-or-later
// A window that drags the file named on its command line, as a file manager would: a
// press of the left button in it starts the drag, and the pointer carries it from there.
// The end-to-end tests move the pointer with xdotool, so the drop goes through the X
// server's drag and drop protocol like a person's.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
  public:
    explicit DragSource(const QString& path) : m_url(QUrl::fromLocalFile(path)) {
        setWindowTitle(QStringLiteral("drag source"));
        resize(160, 120);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls({m_url});
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
    }

  private:
    QUrl m_url;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) return 2;
    DragSource source(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
    source.move(1000, 40);
    source.show();
    return QApplication::exec();
}
