// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// IDrawSurface on a QPainter. Every logical point is mapped here (anisotropic screen
// mapping or 0.1 mm printer mapping, y up) and drawn in device pixels, so text stays
// upright and each character lands where its logical advance puts it.
#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <optional>

#include "platform/DrawSurface.h"

namespace tabrella::qt {

class QtSurface : public platform::IDrawSurface {
  public:
    // A screen surface, or a printer surface with its resolution and the device position
    // of the printable area's top-left corner.
    explicit QtSurface(QPainter& painter);
    QtSurface(QPainter& painter, double dotsPerInch, QPointF printableOrigin);
    // Leaves the painter without the last text's transform, for whoever draws next with it
    // (the next printed page).
    ~QtSurface() override;

    bool IsPrinter() const override { return m_printer; }
    void SetScreenMapping(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY,
                          int viewportOrgX, int viewportOrgY) override;
    void SetPrinterMapping() override;
    void SelectFont(const platform::LogicalFont& font) override;
    void SelectPen(const platform::Pen& pen) override;
    void SetTransparentText() override {}
    void Line(platform::Point from, platform::Point to) override;
    void Text(platform::Point topLeft, std::string_view sjis) override;
    void Rectangle(platform::Point corner1, platform::Point corner2) override;
    void FillWhite(platform::Point origin, int width, int height) override;
    void FillDeviceWhite(int widthPx, int heightPx) override;
    void ClipTo(platform::Point corner1, platform::Point corner2) override;
    void ClipOff() override;
    bool LimitToBand(int x1, int x2) override;
    // The band LimitToBand drew in, in device pixels; none when it drew everywhere.
    const std::optional<QRect>& Limit() const { return m_limit; }

    QPointF Map(platform::Point p) const { return {p.x * m_sx + m_ox, p.y * m_sy + m_oy}; }
    // The device pixel a logical point falls on, rounded as a GDI mapping rounds.
    QPoint MapToPixel(platform::Point p) const { return Map(p).toPoint(); }

  protected:
    // What every drawing comes down to, in device pixels. The drawing benchmark records
    // them to replay them with bare QPainter calls.
    virtual void DeviceLine(const QPen& pen, const QLine& line);     // screen
    virtual void DeviceLine(const QPen& pen, const QLineF& line);    // paper
    virtual void DeviceRect(const QPen& pen, const QRect& outline);  // filled white
    virtual void DeviceFill(const QRect& rect);                      // white
    virtual void DeviceClip(const QRectF* clip);                     // nullptr: no clip
    // The glyphs at layout size, placed on the device by `transform`, in black.
    virtual void DeviceGlyphs(const QTransform& transform, const QGlyphRun& glyphs);
    // Characters the face lacks, for Qt to find in another face.
    virtual void DeviceChars(const QTransform& transform, const QFont& font,
                             const QList<QPointF>& positions, const QStringList& chars);

  private:
    struct FontMetrics;
    struct TextRun;
    FontMetrics& Metrics(const platform::LogicalFont& font);
    QPen DevicePen() const;
    // The painter's state is set only where it differs from what the drawing needs.
    void UsePen(const QPen& pen);
    void UseTransform(const QTransform* transform);

    QPainter& m_painter;
    bool m_printer = false;
    double m_dpi = 0;
    QPointF m_printableOrigin;
    double m_sx = 1, m_sy = -1, m_ox = 0, m_oy = 0;
    platform::LogicalFont m_font;
    FontMetrics* m_metrics = nullptr;
    platform::Pen m_pen;
    QPen m_devicePen;   // m_pen on this device
    QPen m_painterPen;  // what the painter holds, once m_penSet
    bool m_penSet = false;
    bool m_transformed = false;  // the painter holds a text transform, not the identity
    std::optional<QRect> m_limit;
};

// A painter on a picture, with the view's text hint; a base of the surfaces that own one.
struct PicturePainter {
    explicit PicturePainter(QPaintDevice* picture) : painter(picture) {
        painter.setRenderHint(QPainter::TextAntialiasing);
    }
    QPainter painter;
};

// A surface with a painter of its own. The painter is a base made before the surface, so
// it still exists while the surface ends.
class PictureSurface : protected PicturePainter, public QtSurface {
  public:
    explicit PictureSurface(QPaintDevice* picture) : PicturePainter(picture), QtSurface(painter) {}
};

}  // namespace tabrella::qt
