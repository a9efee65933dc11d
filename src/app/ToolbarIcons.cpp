// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <functional>
#include <initializer_list>
#include <map>

#include "resources/CommandIds.h"

namespace tabrella::app {
namespace {

using PixmapMaker = std::function<QPixmap(QSize)>;

// An icon made at the size the screen asks for, so that it is as sharp at 2x as at 1x.
class MadeIconEngine : public QIconEngine {
  public:
    explicit MadeIconEngine(PixmapMaker make) : m_make(std::move(make)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        auto key = std::make_pair(size.width(), size.height());
        auto it = m_made.find(key);
        if (it == m_made.end()) {
            // Exactly the pixels asked for: the icon sets the scale of what it hands out.
            QPixmap made = m_make(size);
            made.setDevicePixelRatio(1.0);
            it = m_made.emplace(key, made).first;
        }
        if (mode != QIcon::Disabled) return it->second;
        QStyleOption option;
        return QApplication::style()->generatedIconPixmap(QIcon::Disabled, it->second, &option);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new MadeIconEngine(m_make); }

  private:
    PixmapMaker m_make;
    std::map<std::pair<int, int>, QPixmap> m_made;
};

// A picture drawn on a 32 x 30 grid scaled to the pixels asked for, in one pen width and
// colour for every fallback, so that the icons match and read alike in every language.
using Picture = void (*)(QPainter&);

QPixmap PictureIcon(Picture draw, QColor color, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 32.0, size.height() / 30.0);
    p.setPen(QPen(color, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    draw(p);
    return pixmap;
}

void Scissors(QPainter& p) {
    p.drawLine(QPointF(9, 3), QPointF(21, 20));
    p.drawLine(QPointF(23, 3), QPointF(11, 20));
    p.drawEllipse(QPointF(9, 23), 4.5, 4.5);
    p.drawEllipse(QPointF(23, 23), 4.5, 4.5);
}

void TwoSheets(QPainter& p) {
    p.drawRect(QRectF(4, 3, 15, 19));
    p.drawRect(QRectF(13, 9, 15, 19));
    for (const double y : {15.0, 19.0, 23.0}) p.drawLine(QPointF(17, y), QPointF(24, y));
}

void Clipboard(QPainter& p) {
    p.drawRoundedRect(QRectF(5, 4, 22, 24), 2, 2);
    p.drawRect(QRectF(11, 2, 10, 5));
    for (const double y : {13.0, 18.0, 23.0}) p.drawLine(QPointF(10, y), QPointF(22, y));
}

void Printer(QPainter& p) {
    p.drawRect(QRectF(9, 2, 14, 9));
    p.drawRoundedRect(QRectF(3, 11, 26, 11), 2, 2);
    p.drawRect(QRectF(9, 18, 14, 10));
    p.drawLine(QPointF(12, 23), QPointF(20, 23));
}

void About(QPainter& p) {
    p.drawEllipse(QPointF(16, 15), 12, 12);
    p.drawLine(QPointF(16, 13), QPointF(16, 21));
    p.drawPoint(QPointF(16, 9));
}

// The media pictures are filled shapes in the pen's colour.
void Filled(QPainter& p, std::initializer_list<QPolygonF> shapes) {
    p.setBrush(p.pen().color());
    for (const QPolygonF& shape : shapes) p.drawPolygon(shape);
}

void ToTop(QPainter& p) {
    Filled(p, {QPolygonF({{5, 6}, {8, 6}, {8, 24}, {5, 24}}),
               QPolygonF({{18, 6}, {18, 24}, {9, 15}}), QPolygonF({{28, 6}, {28, 24}, {19, 15}})});
}

void PlayTriangle(QPainter& p) {
    Filled(p, {QPolygonF({{9, 5}, {26, 15}, {9, 25}})});
}

void StopSquare(QPainter& p) {
    Filled(p, {QPolygonF({{8, 7}, {24, 7}, {24, 23}, {8, 23}})});
}

void ToEnd(QPainter& p) {
    Filled(p, {QPolygonF({{4, 6}, {13, 15}, {4, 24}}), QPolygonF({{14, 6}, {23, 15}, {14, 24}}),
               QPolygonF({{24, 6}, {27, 6}, {27, 24}, {24, 24}})});
}

}  // namespace

QIcon ToolbarIcon(int id, const QStyle* style) {
    // The fallback is made only when the theme has no such icon, and only at the size the
    // screen asks for: a style's standard icon decodes every size it comes in, which cost
    // more than the rest of the window together, so it is taken only on a screen scaled
    // beyond the one small pixmap the style offers for the toolbar's size.
    auto themed = [&](const char* name, PixmapMaker fallback) {
        // One look into the theme (each looks through all its folders): an icon the theme
        // lacks comes back under no name, as hasThemeIcon finds out.
        const QString themeName = QString::fromLatin1(name);
        QIcon icon = QIcon::fromTheme(themeName);
        return icon.name() == themeName ? icon : QIcon(new MadeIconEngine(std::move(fallback)));
    };
    auto standard = [&](QStyle::StandardPixmap pixmap) -> PixmapMaker {
        return [=](QSize size) {
            return size.width() <= 16 && size.height() <= 16
                       ? style->standardPixmap(pixmap)
                       : style->standardIcon(pixmap).pixmap(size, 1.0);
        };
    };
    auto picture = [](Picture draw, QColor color) -> PixmapMaker {
        return [=](QSize size) { return PictureIcon(draw, color, size); };
    };
    switch (id) {
        case cmd::kNew:
            return themed("document-new", standard(QStyle::SP_FileIcon));
        case cmd::kOpen:
            return themed("document-open", standard(QStyle::SP_DialogOpenButton));
        case cmd::kSave:
            return themed("document-save", standard(QStyle::SP_DialogSaveButton));
        case cmd::kEditCut:
            return themed("edit-cut", picture(Scissors, QColor(160, 40, 40)));
        case cmd::kEditCopy:
            return themed("edit-copy", picture(TwoSheets, QColor(40, 80, 160)));
        case cmd::kEditPaste:
            return themed("edit-paste", picture(Clipboard, QColor(40, 120, 60)));
        case cmd::kPrint:
            return themed("document-print", picture(Printer, QColor(50, 50, 50)));
        case cmd::kAbout:
            return themed("help-about", picture(About, QColor(40, 80, 160)));
        case cmd::kGoToTop:
            return themed("go-first", picture(ToTop, QColor(50, 50, 50)));
        case cmd::kPlay:
            return themed("media-playback-start", picture(PlayTriangle, QColor(50, 50, 50)));
        case cmd::kStop:
            return themed("media-playback-stop", picture(StopSquare, QColor(50, 50, 50)));
        case cmd::kGoToEnd:
            return themed("go-last", picture(ToEnd, QColor(50, 50, 50)));
        default:
            return {};
    }
}

}  // namespace tabrella::app
