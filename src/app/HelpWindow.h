// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help page in a window of the program. The page is bundled in the executable, so it
// works offline and wherever the program is installed; the pictures of cells in it are
// drawn by the program's own score drawing.
#include <QDialog>
#include <QImage>
#include <QTextBrowser>

namespace tabrella::app {

// Shows the bundled page and draws its "cell:" pictures when the page asks for them.
class HelpBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
};

class HelpWindow : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent);
    QTextBrowser& Browser() { return *m_browser; }

  private:
    HelpBrowser* m_browser;
};

// The addresses of the bundled pages, one per language with the same content.
inline constexpr char kHelpPage[] = "qrc:/help/index.html";
inline constexpr char kEnglishHelpPage[] = "qrc:/help/index.en.html";
// The page in the language of the run.
const char* HelpPage();

// The first cells of a score as the window draws them at 200 %, cut out of the page with
// the lines around them. `cells` names up to four cells, separated by "_", each as its
// seven numbers in file order separated by "." ("0.5.0.0.0.0.0" is 五 in the centre).
// A null image when the text names no cells.
QImage CellPicture(const QString& cells, double pixelRatio);

}  // namespace tabrella::app
