// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A drawing surface that records every call in logical units, for asserting what was
// drawn where.
#include <string>
#include <vector>

#include "platform/DrawSurface.h"

namespace tabrella::test {

struct DrawOp {
    enum Kind {
        ScreenMapping,
        PrinterMapping,
        Font,
        Pen,
        Transparent,
        Line,
        Text,
        Rect,
        Fill,
        DeviceFill,
        Clip,
        ClipOff
    };
    Kind kind;
    platform::Point a{}, b{};  // Line: from/to. Rect: corners. Fill: origin, (width,height) in b.
    std::string text;          // Shift-JIS
    platform::LogicalFont font{};  // the font selected when a Text was drawn
    platform::Pen pen{};           // the pen selected for a Line or Rect
    int mapping[6] = {};
};

class DrawLog {
  public:
    std::vector<DrawOp> ops;

    std::vector<DrawOp> Texts() const;
    // Texts drawn with exactly this Shift-JIS text.
    std::vector<DrawOp> TextsEqual(const std::string& sjis) const;
    std::vector<DrawOp> Lines() const;
    std::vector<DrawOp> Rects() const;
    std::vector<DrawOp> Fills() const;
    void Clear() { ops.clear(); }
};

class RecordingSurface : public platform::IDrawSurface {
  public:
    explicit RecordingSurface(DrawLog& log, bool printer = false)
        : m_log(log), m_printer(printer) {}

    bool IsPrinter() const override { return m_printer; }
    void SetScreenMapping(int wx, int wy, int vx, int vy, int ox, int oy) override;
    void SetPrinterMapping() override;
    void SelectFont(const platform::LogicalFont& font) override;
    void SelectPen(const platform::Pen& pen) override;
    void SetTransparentText() override;
    void Line(platform::Point from, platform::Point to) override;
    void Text(platform::Point topLeft, std::string_view sjis) override;
    void Rectangle(platform::Point c1, platform::Point c2) override;
    void FillWhite(platform::Point origin, int width, int height) override;
    void FillDeviceWhite(int widthPx, int heightPx) override;
    void ClipTo(platform::Point c1, platform::Point c2) override;
    void ClipOff() override;

  private:
    DrawLog& m_log;
    bool m_printer;
    platform::LogicalFont m_font{};
    platform::Pen m_pen{};
};

}  // namespace tabrella::test
