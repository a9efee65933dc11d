// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSurface.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "base/Sjis.h"
#include "platform/qt/QtFonts.h"
#include "platform/qt/QtText.h"

namespace tabrella::qt {
namespace {

// Glyphs are laid out at this size and scaled down, so that any logical size keeps its
// exact proportions (hinting would snap them to whole pixels).
constexpr int kLayoutPixels = 256;

// One Shift-JIS character as text; converted once, since a page draws the same few
// characters over and over.
const QString& CharacterOf(std::string_view sjisChar) {
    static std::unordered_map<std::string, QString> cache;
    auto it = cache.find(std::string(sjisChar));
    if (it == cache.end()) it = cache.emplace(std::string(sjisChar), FromSjis(sjisChar)).first;
    return it->second;
}

}  // namespace

struct QtSurface::FontMetrics {
    struct Glyph {
        quint32 index = 0;  // 0: the face has no glyph for the character
        double advance = 0;
        bool blank = false;  // a space: advances, draws nothing
    };

    QFont font;
    QRawFont raw;
    double ascent;
    double cellHeight;   // ascent + descent: the logical font height maps onto this
    double fullAdvance;  // advance of a full-width character
    std::unordered_map<std::string, Glyph> glyphs;  // by Shift-JIS character

    const Glyph& GlyphOf(std::string_view sjisChar) {
        auto it = glyphs.find(std::string(sjisChar));
        if (it != glyphs.end()) return it->second;
        const QString& ch = CharacterOf(sjisChar);
        Glyph g;
        g.blank = ch.trimmed().isEmpty();
        const QList<quint32> indexes =
            raw.isValid() ? raw.glyphIndexesForString(ch) : QList<quint32>{};
        if (indexes.size() == 1) g.index = indexes.front();
        g.advance = QFontMetricsF(font).horizontalAdvance(ch);
        return glyphs.emplace(std::string(sjisChar), g).first->second;
    }
};

QtSurface::QtSurface(QPainter& painter) : m_painter(painter) {}

QtSurface::QtSurface(QPainter& painter, double dotsPerInch, QPointF printableOrigin)
    : m_painter(painter), m_printer(true), m_dpi(dotsPerInch), m_printableOrigin(printableOrigin) {}

void QtSurface::SetScreenMapping(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY,
                                 int viewportOrgX, int viewportOrgY) {
    m_sx = static_cast<double>(viewportExtX) / windowExtX;
    m_sy = static_cast<double>(viewportExtY) / windowExtY;
    m_ox = viewportOrgX;
    m_oy = viewportOrgY;
}

void QtSurface::SetPrinterMapping() {
    const double perUnit = m_dpi / 254.0;  // one logical unit is 0.1 mm
    m_sx = perUnit;
    m_sy = -perUnit;
    m_ox = m_printableOrigin.x();
    m_oy = m_printableOrigin.y();
}

QtSurface::FontMetrics& QtSurface::Metrics(const platform::LogicalFont& font) {
    static std::map<std::tuple<std::string, int>, std::unique_ptr<FontMetrics>> cache;
    auto key = std::make_tuple(font.face, font.weight);
    auto it = cache.find(key);
    if (it == cache.end()) {
        auto m = std::make_unique<FontMetrics>();
        m->font = LayoutFont(font.face, font.weight, kLayoutPixels);
        m->raw = QRawFont::fromFont(m->font);
        QFontMetricsF fm(m->font);
        m->ascent = fm.ascent();
        m->cellHeight = fm.ascent() + fm.descent();
        m->fullAdvance = fm.horizontalAdvance(QChar(0x3000));
        if (m->fullAdvance <= 0) m->fullAdvance = kLayoutPixels;
        it = cache.emplace(key, std::move(m)).first;
    }
    return *it->second;
}

void QtSurface::SelectFont(const platform::LogicalFont& font) {
    m_font = font;
    m_metrics = &Metrics(font);
}

void QtSurface::SelectPen(const platform::Pen& pen) {
    m_pen = pen;
}

QPen QtSurface::DevicePen() const {
    QColor color(m_pen.color.r, m_pen.color.g, m_pen.color.b);
    // On the screen a logical width below a pixel still draws one pixel; on paper the
    // width is true size.
    double width = m_pen.width * std::abs(m_sx);
    if (!m_printer) width = std::max(1.0, std::round(width));
    if (m_pen.width == 0) width = m_printer ? std::max(1.0, m_dpi / 254.0) : 1.0;
    QPen pen(color, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCosmetic(!m_printer);
    return pen;
}

void QtSurface::Line(platform::Point from, platform::Point to) {
    m_painter.setPen(DevicePen());
    if (m_printer) {
        m_painter.drawLine(Map(from), Map(to));
    } else {
        m_painter.drawLine(MapToPixel(from), MapToPixel(to));
    }
}

namespace {
// Pixels from one rounded corner up to, not including, the other, as GDI fills.
QRect PixelRect(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}
}  // namespace

void QtSurface::Text(platform::Point topLeft, std::string_view sjis) {
    if (sjis.empty() || !m_metrics) return;
    FontMetrics& m = *m_metrics;
    const double cellHeight = m_font.height > 0 ? m_font.height : -m_font.height * 1.0757;
    // Device pixels per layout pixel, across and down.
    const double yScale = cellHeight * std::abs(m_sy) / m.cellHeight;
    const double xScale = m_font.width > 0 ? 2.0 * m_font.width * std::abs(m_sx) / m.fullAdvance
                                           : cellHeight * std::abs(m_sx) / m.cellHeight;

    // Every character at the x its logical advance gives it: a one-byte character advances
    // the font width, a two-byte one twice that. A glyph of a proportional face that is
    // narrower or wider than that place is centred on it, as a fixed-pitch glyph fills it.
    // All of them go out as one glyph run.
    QList<quint32> indexes;
    QList<QPointF> positions;
    bool missing = false;
    double logicalX = 0;
    for (size_t i = 0; i < sjis.size();) {
        const size_t n =
            IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
        const FontMetrics::Glyph& g = m.GlyphOf(sjis.substr(i, n));
        if (!g.blank) {
            missing = missing || g.index == 0;
            indexes.append(g.index);
            const double place = m_font.width > 0 ? n * m_font.width * m_sx / xScale : g.advance;
            positions.append(QPointF(logicalX * m_sx / xScale + (place - g.advance) / 2, m.ascent));
        }
        logicalX += m_font.width > 0 ? static_cast<double>(n) * m_font.width
                                     : g.advance * cellHeight / m.cellHeight;
        i += n;
    }
    if (indexes.isEmpty()) return;

    const QPointF origin = Map(topLeft);
    m_painter.save();
    m_painter.setTransform(QTransform(xScale, 0, 0, yScale, origin.x(), origin.y()));
    m_painter.setPen(Qt::black);
    if (!missing) {
        QGlyphRun run;
        run.setRawFont(m.raw);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        m_painter.drawGlyphRun(QPointF(0, 0), run);
    } else {
        // A face without some character: let Qt find another face for it.
        m_painter.setFont(m.font);
        size_t k = 0;
        for (size_t i = 0; i < sjis.size();) {
            const size_t n =
                IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
            if (!m.GlyphOf(sjis.substr(i, n)).blank) {
                m_painter.drawText(positions[static_cast<qsizetype>(k++)],
                                   CharacterOf(sjis.substr(i, n)));
            }
            i += n;
        }
    }
    m_painter.restore();
}

void QtSurface::Rectangle(platform::Point corner1, platform::Point corner2) {
    const QRect rect = PixelRect(MapToPixel(corner1), MapToPixel(corner2));
    m_painter.fillRect(rect, Qt::white);
    m_painter.setPen(DevicePen());
    m_painter.setBrush(Qt::NoBrush);
    // A stroked QRect covers one pixel more each way than the rectangle's own pixels.
    m_painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

void QtSurface::ClipTo(platform::Point corner1, platform::Point corner2) {
    if (m_printer) {
        m_painter.setClipRect(QRectF(Map(corner1), Map(corner2)).normalized());
    } else {
        m_painter.setClipRect(PixelRect(MapToPixel(corner1), MapToPixel(corner2)));
    }
}

void QtSurface::ClipOff() {
    m_painter.setClipping(false);
}

void QtSurface::FillWhite(platform::Point origin, int width, int height) {
    m_painter.fillRect(
        PixelRect(MapToPixel(origin), MapToPixel({origin.x + width, origin.y + height})),
        Qt::white);
}

void QtSurface::FillDeviceWhite(int widthPx, int heightPx) {
    m_painter.fillRect(QRect(0, 0, widthPx, heightPx), Qt::white);
}

}  // namespace tabrella::qt
