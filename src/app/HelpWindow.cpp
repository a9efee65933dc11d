// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpWindow.h"

#include <QVBoxLayout>

#include "app/BatchWindow.h"
#include "app/CommandLine.h"
#include "platform/Sequencer.h"
#include "qt/QtText.h"
#include "render/PageLayout.h"
#include "resources/Language.h"
#include "resources/ShellTexts.h"
#include "score/CTabrellaView.h"

namespace tabrella::app {
namespace {

constexpr int kPictureZoom = 200;
constexpr int kMaxPictureCells = 4;

std::optional<ScoreCell> ParseCell(const QString& text) {
    const QStringList numbers = text.split(QLatin1Char('.'));
    if (numbers.size() != 7) return std::nullopt;
    ScoreCell cell;
    for (int j = 1; j <= 7; ++j) {
        bool ok = false;
        cell.Field(j) = numbers[j - 1].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return cell;
}

}  // namespace

QImage CellPicture(const QString& cells, double pixelRatio) {
    const QStringList parts = cells.split(QLatin1Char('_'));
    if (parts.size() > kMaxPictureCells) return {};
    BatchWindow window(kRenderWidth, kRenderHeight, pixelRatio);
    BatchDialogs dialogs;
    platform::NoSequencer sound;  // the pictures never play
    CTabrellaView view(platform::Services{window, dialogs, sound});
    view.m_zoom = kPictureZoom;
    int k = 0;
    for (const QString& part : parts) {
        const std::optional<ScoreCell> cell = ParseCell(part);
        if (!cell) return {};
        view.m_cells[static_cast<size_t>(++k)] = *cell;
    }
    view.m_cursorPos = view.CellsPerPage();  // the cursor box stays out of the picture
    window.Paint(view);

    // From just above the first cell's column (its double top line shows) to just below
    // the last cell, in the window's pixels: x scales by extent / 1000, y by extent / 600.
    const PageGeometry page = PageGeometry::Of(view);
    const platform::Point first = page.CellPosition(1, 0);
    const platform::Point last = page.CellPosition(k, 0);
    const ScreenExtents ext = ZoomedExtents(view.m_viewportExtX, view.m_viewportExtY, view.m_zoom);
    const double sx = ext.x / double(kWindowExtX), sy = -ext.y / double(kWindowExtY);
    const QRectF logical(
        QPointF((first.x - 6) * sx, -(first.y + 24) * sy),
        QPointF((first.x + page.w + 6) * sx, -(last.y - page.CellHeight() - 8) * sy));
    const QRect pixels(
        QRectF(logical.topLeft() * pixelRatio, logical.size() * pixelRatio).toAlignedRect());
    QImage picture = window.Picture().copy(pixels);
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

const char* HelpPage() {
    return res::CurrentLanguage() == res::Language::English ? kEnglishHelpPage : kHelpPage;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("cell")) {
        return CellPicture(name.path(), devicePixelRatioF());
    }
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new HelpBrowser(this)) {
    setObjectName(QStringLiteral("help"));
    setWindowTitle(qt::FromSjis(res::Sjis(res::ShellTxt::HelpCaption)));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->setSource(QUrl(QString::fromLatin1(HelpPage())));
    resize(780, 680);
}

}  // namespace tabrella::app
