#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "resources/CommandIds.h"

namespace tabrella::app {
namespace {

// A small square with one character, readable at toolbar size.
QPixmap GlyphIcon(const QString& glyph, QColor color) {
    QPixmap pixmap(32, 30);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
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
    // The fallback is made only when the theme has no such icon: a style's standard icon
    // decodes every size it comes in, which cost more than the rest of the window together.
    // The one pixmap the style offers for the toolbar's size is all a fallback needs.
    auto themed = [&](const char* name, auto fallback) {
        const QString themeName = QString::fromLatin1(name);
        return QIcon::hasThemeIcon(themeName) ? QIcon::fromTheme(themeName) : QIcon(fallback());
    };
    auto standard = [&](QStyle::StandardPixmap pixmap) {
        return [=] { return style->standardPixmap(pixmap); };
    };
    auto glyph = [](const char* text, QColor color) {
        return [=] { return GlyphIcon(QString::fromUtf8(text), color); };
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
