#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "resources/CommandIds.h"

namespace tabrella::app {
namespace {

// A small square with one character, readable at toolbar size.
QIcon GlyphIcon(const QString& glyph, QColor color) {
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
    return QIcon(pixmap);
}

}  // namespace

QIcon ToolbarIcon(int id, const QStyle* style) {
    auto themed = [&](const char* name, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
    };
    switch (id) {
        case cmd::kNew: return themed("document-new", QStyle::SP_FileIcon);
        case cmd::kOpen: return themed("document-open", QStyle::SP_DialogOpenButton);
        case cmd::kSave: return themed("document-save", QStyle::SP_DialogSaveButton);
        case cmd::kEditCut: return QIcon::fromTheme("edit-cut", GlyphIcon("切", QColor(160, 40, 40)));
        case cmd::kEditCopy: return QIcon::fromTheme("edit-copy", GlyphIcon("写", QColor(40, 80, 160)));
        case cmd::kEditPaste: return QIcon::fromTheme("edit-paste", GlyphIcon("貼", QColor(40, 120, 60)));
        case cmd::kPrint: return QIcon::fromTheme("document-print", GlyphIcon("印", Qt::black));
        case cmd::kAbout: return themed("help-about", QStyle::SP_MessageBoxInformation);
        case cmd::kGoToTop: return themed("go-first", QStyle::SP_MediaSkipBackward);
        case cmd::kPlay: return themed("media-playback-start", QStyle::SP_MediaPlay);
        case cmd::kStop: return themed("media-playback-stop", QStyle::SP_MediaStop);
        case cmd::kGoToEnd: return themed("go-last", QStyle::SP_MediaSkipForward);
        default: return {};
    }
}

}  // namespace tabrella::app
