// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolbarIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <functional>
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

// A small square with one character, readable at toolbar size; drawn on a 32 x 30 grid
// scaled to the pixels asked for.
QPixmap GlyphIcon(const QString& glyph, QColor color, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 32.0, size.height() / 30.0);
    p.setPen(QPen(color, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2, 1, 28, 28), 4, 4);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QRectF(2, 1, 28, 28), Qt::AlignCenter, glyph);
    return pixmap;
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
    auto glyph = [](const char* text, QColor color) -> PixmapMaker {
        return [=](QSize size) { return GlyphIcon(QString::fromUtf8(text), color, size); };
    };
    switch (id) {
        case cmd::kNew:
            return themed("document-new", standard(QStyle::SP_FileIcon));
        case cmd::kOpen:
            return themed("document-open", standard(QStyle::SP_DialogOpenButton));
        case cmd::kSave:
            return themed("document-save", standard(QStyle::SP_DialogSaveButton));
        case cmd::kEditCut:
            return themed("edit-cut", glyph("切", QColor(160, 40, 40)));
        case cmd::kEditCopy:
            return themed("edit-copy", glyph("写", QColor(40, 80, 160)));
        case cmd::kEditPaste:
            return themed("edit-paste", glyph("貼", QColor(40, 120, 60)));
        case cmd::kPrint:
            return themed("document-print", glyph("印", Qt::black));
        case cmd::kAbout:
            return themed("help-about", standard(QStyle::SP_MessageBoxInformation));
        case cmd::kGoToTop:
            return themed("go-first", standard(QStyle::SP_MediaSkipBackward));
        case cmd::kPlay:
            return themed("media-playback-start", standard(QStyle::SP_MediaPlay));
        case cmd::kStop:
            return themed("media-playback-stop", standard(QStyle::SP_MediaStop));
        case cmd::kGoToEnd:
            return themed("go-last", standard(QStyle::SP_MediaSkipForward));
        default:
            return {};
    }
}

}  // namespace tabrella::app
