// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A GDI-like drawing surface in logical units. The core draws the score through this
// interface only; the Qt adapter maps it onto QPainter, tests record the calls.
#include <cstdint>
#include <string>
#include <string_view>

namespace tabrella::platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A font by face, in logical units. Always Shift-JIS character set, proof quality,
// upright, no underline or strike-out. A positive height is a character-cell height;
// width 0 means the face's own average width.
struct LogicalFont {
    int height = 0;
    int width = 0;
    int weight = 400;
    std::string face;  // Shift-JIS
    friend bool operator==(const LogicalFont&, const LogicalFont&) = default;
};

// width 0 is the surface's default thin pen (one device pixel).
struct Pen {
    int width = 0;
    Rgb color{};
    static Pen Default() { return Pen{}; }
    friend bool operator==(const Pen&, const Pen&) = default;
};

class IDrawSurface {
  public:
    virtual ~IDrawSurface() = default;

    virtual bool IsPrinter() const = 0;

    // Anisotropic mapping: the window extent (logical) spans the viewport extent (pixels);
    // logical (0, 0) lands on the viewport origin (pixels). A negative extent flips the axis.
    virtual void SetScreenMapping(int windowExtX, int windowExtY, int viewportExtX,
                                  int viewportExtY, int viewportOrgX, int viewportOrgY) = 0;
    // Tenths of a millimetre, y up, origin at the top-left of the printable area.
    virtual void SetPrinterMapping() = 0;

    virtual void SelectFont(const LogicalFont& font) = 0;
    virtual void SelectPen(const Pen& pen) = 0;
    virtual void SetTransparentText() = 0;

    virtual void Line(Point from, Point to) = 0;
    // Text anchored at the top-left of its first character cell, in the selected font.
    // A one-byte character advances the font width, a two-byte character twice that.
    virtual void Text(Point topLeft, std::string_view sjis) = 0;
    // Outlined with the selected pen and filled white.
    virtual void Rectangle(Point corner1, Point corner2) = 0;
    // White fill of the logical rectangle from `origin` with signed extents.
    virtual void FillWhite(Point origin, int width, int height) = 0;
    // White fill in device pixels from the client area's top-left corner.
    virtual void FillDeviceWhite(int widthPx, int heightPx) = 0;
    // Until ClipOff, only what falls inside the logical rectangle is drawn.
    virtual void ClipTo(Point corner1, Point corner2) = 0;
    virtual void ClipOff() = 0;
    // From now on draws only between the logical x1 and x2, over the whole height, which it
    // erases first; what lies outside keeps what the picture had. False, and nothing done,
    // where the surface cannot keep a picture that way.
    virtual bool LimitToBand(int /*x1*/, int /*x2*/) { return false; }
};

}  // namespace tabrella::platform
