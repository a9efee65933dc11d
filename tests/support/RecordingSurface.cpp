// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingSurface.h"

namespace tabrella::test {
namespace {
std::vector<DrawOp> Filter(const std::vector<DrawOp>& ops, DrawOp::Kind kind) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops) {
        if (op.kind == kind) out.push_back(op);
    }
    return out;
}
}  // namespace

std::vector<DrawOp> DrawLog::Texts() const {
    return Filter(ops, DrawOp::Text);
}
std::vector<DrawOp> DrawLog::Lines() const {
    return Filter(ops, DrawOp::Line);
}
std::vector<DrawOp> DrawLog::Rects() const {
    return Filter(ops, DrawOp::Rect);
}
std::vector<DrawOp> DrawLog::Fills() const {
    return Filter(ops, DrawOp::Fill);
}

std::vector<DrawOp> DrawLog::TextsEqual(const std::string& sjis) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Text && op.text == sjis) out.push_back(op);
    }
    return out;
}

void RecordingSurface::SetScreenMapping(int wx, int wy, int vx, int vy, int ox, int oy) {
    DrawOp op{DrawOp::ScreenMapping};
    int values[6] = {wx, wy, vx, vy, ox, oy};
    for (int i = 0; i < 6; ++i) op.mapping[i] = values[i];
    m_log.ops.push_back(op);
}

void RecordingSurface::SetPrinterMapping() {
    m_log.ops.push_back({DrawOp::PrinterMapping});
}

void RecordingSurface::SelectFont(const platform::LogicalFont& font) {
    m_font = font;
    DrawOp op{DrawOp::Font};
    op.font = font;
    m_log.ops.push_back(op);
}

void RecordingSurface::SelectPen(const platform::Pen& pen) {
    m_pen = pen;
    DrawOp op{DrawOp::Pen};
    op.pen = pen;
    m_log.ops.push_back(op);
}

void RecordingSurface::SetTransparentText() {
    m_log.ops.push_back({DrawOp::Transparent});
}

void RecordingSurface::Line(platform::Point from, platform::Point to) {
    DrawOp op{DrawOp::Line, from, to};
    op.pen = m_pen;
    m_log.ops.push_back(op);
}

void RecordingSurface::Text(platform::Point topLeft, std::string_view sjis) {
    DrawOp op{DrawOp::Text, topLeft};
    op.text = std::string(sjis);
    op.font = m_font;
    m_log.ops.push_back(op);
}

void RecordingSurface::Rectangle(platform::Point c1, platform::Point c2) {
    DrawOp op{DrawOp::Rect, c1, c2};
    op.pen = m_pen;
    m_log.ops.push_back(op);
}

void RecordingSurface::FillWhite(platform::Point origin, int width, int height) {
    m_log.ops.push_back({DrawOp::Fill, origin, {width, height}});
}

void RecordingSurface::FillDeviceWhite(int widthPx, int heightPx) {
    m_log.ops.push_back({DrawOp::DeviceFill, {0, 0}, {widthPx, heightPx}});
}

void RecordingSurface::ClipTo(platform::Point c1, platform::Point c2) {
    m_log.ops.push_back({DrawOp::Clip, c1, c2});
}

void RecordingSurface::ClipOff() {
    m_log.ops.push_back({DrawOp::ClipOff});
}

}  // namespace tabrella::test
