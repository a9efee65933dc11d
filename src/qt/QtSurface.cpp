// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtSurface.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "base/Sjis.h"
#include "qt/QtFonts.h"
#include "qt/QtText.h"

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

// A text laid out at layout size: its glyphs, or the characters when the face lacks one.
struct QtSurface::TextRun {
    bool empty = true;
    bool missing = false;
    QGlyphRun glyphs;
    QList<QPointF> positions;  // of the drawn characters, for the fallback
    QStringList chars;
};

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
    // Runs by text, for a set width (advances of the width) and for the face's own: in
    // layout pixels they are the same at every size, so each is laid out once.
    std::unordered_map<std::string, TextRun> runs[2];

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

QtSurface::QtSurface(QPainter& painter) : m_painter(painter), m_devicePen(DevicePen()) {}

QtSurface::QtSurface(QPainter& painter, double dotsPerInch, QPointF printableOrigin)
    : m_painter(painter),
      m_printer(true),
      m_dpi(dotsPerInch),
      m_printableOrigin(printableOrigin),
      m_devicePen(DevicePen()) {}

QtSurface::~QtSurface() {
    // A surface whose owner ended the painter first has nothing left to restore.
    if (m_painter.isActive()) UseTransform(nullptr);
}

void QtSurface::SetScreenMapping(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY,
                                 int viewportOrgX, int viewportOrgY) {
    m_sx = static_cast<double>(viewportExtX) / windowExtX;
    m_sy = static_cast<double>(viewportExtY) / windowExtY;
    m_ox = viewportOrgX;
    m_oy = viewportOrgY;
    m_devicePen = DevicePen();
}

void QtSurface::SetPrinterMapping() {
    const double perUnit = m_dpi / 254.0;  // one logical unit is 0.1 mm
    m_sx = perUnit;
    m_sy = -perUnit;
    m_ox = m_printableOrigin.x();
    m_oy = m_printableOrigin.y();
    m_devicePen = DevicePen();
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
    m_devicePen = DevicePen();
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

void QtSurface::UsePen(const QPen& pen) {
    if (m_penSet && pen == m_painterPen) return;
    m_painter.setPen(pen);
    m_painterPen = pen;
    m_penSet = true;
}

void QtSurface::UseTransform(const QTransform* transform) {
    if (transform) {
        m_painter.setTransform(*transform);
        m_transformed = true;
    } else if (m_transformed) {
        m_painter.resetTransform();
        m_transformed = false;
    }
}

void QtSurface::Line(platform::Point from, platform::Point to) {
    if (m_printer) {
        DeviceLine(m_devicePen, QLineF(Map(from), Map(to)));
        return;
    }
    QLine line(MapToPixel(from), MapToPixel(to));
    if (m_limit) {
        // Within a band a line outside it leaves no pixel, and a level line needs only the
        // part across it: a page's grid is most of the lines, and a key redraws a band.
        const int reach = qCeil(m_devicePen.widthF()) + 2;
        const int left = m_limit->left() - reach, right = m_limit->right() + reach;
        if (std::max(line.x1(), line.x2()) < left || std::min(line.x1(), line.x2()) > right) {
            return;
        }
        if (line.y1() == line.y2()) {
            line.setP1({std::clamp(line.x1(), left, right), line.y1()});
            line.setP2({std::clamp(line.x2(), left, right), line.y2()});
        }
    }
    DeviceLine(m_devicePen, line);
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

    auto& runs = m.runs[m_font.width > 0 ? 1 : 0];
    auto found = runs.find(std::string(sjis));
    if (found == runs.end()) {
        // Every character at the x its logical advance gives it: a one-byte character
        // advances the font width, a two-byte one twice that. A glyph of a proportional
        // face narrower or wider than that place is centred on it, as a fixed-pitch glyph
        // fills it. All of them go out as one glyph run.
        TextRun run;
        QList<quint32> indexes;
        double logicalX = 0;
        for (size_t i = 0; i < sjis.size();) {
            const size_t n =
                IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
            const FontMetrics::Glyph& g = m.GlyphOf(sjis.substr(i, n));
            if (!g.blank) {
                run.missing = run.missing || g.index == 0;
                indexes.append(g.index);
                const double place = m_font.width > 0
                                         ? static_cast<double>(n) * m_font.width * m_sx / xScale
                                         : g.advance;
                run.positions.append(
                    QPointF(logicalX * m_sx / xScale + (place - g.advance) / 2, m.ascent));
                run.chars.append(CharacterOf(sjis.substr(i, n)));
            }
            logicalX += m_font.width > 0 ? static_cast<double>(n) * m_font.width
                                         : g.advance * cellHeight / m.cellHeight;
            i += n;
        }
        run.empty = indexes.isEmpty();
        run.glyphs.setRawFont(m.raw);
        run.glyphs.setGlyphIndexes(indexes);
        run.glyphs.setPositions(run.positions);
        found = runs.emplace(std::string(sjis), std::move(run)).first;
    }
    const TextRun& run = found->second;
    if (run.empty) return;

    const QPointF origin = Map(topLeft);
    const QTransform transform(xScale, 0, 0, yScale, origin.x(), origin.y());
    if (!run.missing) {
        DeviceGlyphs(transform, run.glyphs);
    } else {
        DeviceChars(transform, m.font, run.positions, run.chars);
    }
}

void QtSurface::Rectangle(platform::Point corner1, platform::Point corner2) {
    DeviceRect(m_devicePen, PixelRect(MapToPixel(corner1), MapToPixel(corner2)));
}

void QtSurface::ClipTo(platform::Point corner1, platform::Point corner2) {
    QRectF clip = m_printer ? QRectF(Map(corner1), Map(corner2)).normalized()
                            : QRectF(PixelRect(MapToPixel(corner1), MapToPixel(corner2)));
    if (m_limit) clip &= QRectF(*m_limit);
    DeviceClip(&clip);
}

void QtSurface::ClipOff() {
    if (m_limit) {
        const QRectF limit(*m_limit);
        DeviceClip(&limit);
    } else {
        DeviceClip(nullptr);
    }
}

bool QtSurface::LimitToBand(int x1, int x2) {
    if (m_printer) return false;
    const int a = MapToPixel({x1, 0}).x();
    const int b = MapToPixel({x2, 0}).x();
    // Taller than any picture: the band runs from the top to the bottom.
    constexpr int kTall = 1 << 20;
    m_limit = QRect(QPoint(std::min(a, b), 0), QPoint(std::max(a, b), kTall));
    DeviceFill(*m_limit);
    ClipOff();
    return true;
}

void QtSurface::FillWhite(platform::Point origin, int width, int height) {
    DeviceFill(PixelRect(MapToPixel(origin), MapToPixel({origin.x + width, origin.y + height})));
}

void QtSurface::FillDeviceWhite(int widthPx, int heightPx) {
    DeviceFill(QRect(0, 0, widthPx, heightPx));
}

// ---- On the device ----------------------------------------------------------------------

void QtSurface::DeviceLine(const QPen& pen, const QLine& line) {
    UseTransform(nullptr);
    UsePen(pen);
    m_painter.drawLine(line);
}

void QtSurface::DeviceLine(const QPen& pen, const QLineF& line) {
    UseTransform(nullptr);
    UsePen(pen);
    m_painter.drawLine(line);
}

void QtSurface::DeviceRect(const QPen& pen, const QRect& outline) {
    UseTransform(nullptr);
    m_painter.fillRect(outline, Qt::white);
    UsePen(pen);
    m_painter.setBrush(Qt::NoBrush);
    // A stroked QRect covers one pixel more each way than the rectangle's own pixels.
    m_painter.drawRect(outline.adjusted(0, 0, -1, -1));
}

void QtSurface::DeviceClip(const QRectF* clip) {
    UseTransform(nullptr);
    if (clip) {
        m_painter.setClipRect(*clip);
    } else {
        m_painter.setClipping(false);
    }
}

void QtSurface::DeviceFill(const QRect& rect) {
    UseTransform(nullptr);
    m_painter.fillRect(rect, Qt::white);
}

void QtSurface::DeviceGlyphs(const QTransform& transform, const QGlyphRun& glyphs) {
    UseTransform(&transform);
    UsePen(QPen(Qt::black));
    m_painter.drawGlyphRun(QPointF(0, 0), glyphs);
}

void QtSurface::DeviceChars(const QTransform& transform, const QFont& font,
                            const QList<QPointF>& positions, const QStringList& chars) {
    UseTransform(&transform);
    UsePen(QPen(Qt::black));
    m_painter.setFont(font);
    for (qsizetype i = 0; i < chars.size(); ++i) m_painter.drawText(positions[i], chars[i]);
}

}  // namespace tabrella::qt
