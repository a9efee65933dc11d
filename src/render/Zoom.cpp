// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom levels, the font face of the score text, and the two scroll bars.
#include <algorithm>

#include "render/PageLayout.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/ZoomLevels.h"

namespace tabrella {
namespace {

using platform::ScrollBar;
using platform::ScrollRequest;

constexpr int kLineStep = 3;
constexpr int kPageStep = 60;

// The page on the screen at 100 %, in pixels: the span the scroll bars move across.
constexpr int kPageHeightPixels = 600;
constexpr int kPageWidthPixels = 500;
// A bar's range is its page (the viewport's extent at 100 %) times the zoomed page's span in
// client heights (widths). That ratio is an integer division, so it is taken in tenths to
// keep one more digit.
constexpr int kRatioTenths = 10;

int ZoomedPagePixels(ScrollBar bar, int zoom) {
    return (bar == ScrollBar::Vertical ? kPageHeightPixels : kPageWidthPixels) * zoom / 100;
}

int ScrollRangeMax(int barPage, int zoom, int pagePixels, int clientPixels) {
    return barPage * zoom * (kRatioTenths * pagePixels / clientPixels) / (kRatioTenths * 100);
}

}  // namespace

void CTabrellaView::SetUpScreenMapping(platform::IDrawSurface& s) {
    const ScreenExtents ext = ZoomedExtents(m_viewportExtX, m_viewportExtY, m_zoom);
    const platform::ClientSize client = m_services.window.GetClientSize();
    // A new window size starts the page at its top-left again.
    if (client.width != m_lastClientWidth || client.height != m_lastClientHeight) {
        m_scrollOrgX = m_scrollOrgY = 0;
        m_hScrollPos = m_vScrollPos = 0;
    }
    SetScrollRanges(client);
    KeepCursorInView(client);
    s.SetScreenMapping(kWindowExtX, kWindowExtY, ext.x, ext.y, m_scrollOrgX, m_scrollOrgY);
    m_lastClientWidth = client.width;
    m_lastClientHeight = client.height;
}

void CTabrellaView::SetScrollRanges(platform::ClientSize client) {
    if (client.width <= 0 || client.height <= 0) return;
    const int vPage = -m_viewportExtY;
    const int hPage = m_viewportExtX;
    const int vMax = ScrollRangeMax(vPage, m_zoom, kPageHeightPixels, client.height);
    const int hMax = ScrollRangeMax(hPage, m_zoom, kPageWidthPixels, client.width);
    m_services.window.SetScrollRange(ScrollBar::Vertical, 0, vMax, vPage);
    m_services.window.SetScrollRange(ScrollBar::Horizontal, 0, hMax, hPage);
}

void CTabrellaView::OnZoom(int percent) {
    m_zoom = percent;
    const platform::ClientSize client = m_services.window.GetClientSize();
    m_services.window.GetSurface(false)->FillDeviceWhite(client.width, client.height);
    if (percent == 100) {
        m_hScrollPos = 0;
        m_services.window.SetScrollPos(ScrollBar::Horizontal, 0);
        m_scrollOrgX = 0;
    }
    KeepScrollInRange(client);
    RedrawNow();
}

void CTabrellaView::KeepScrollInRange(platform::ClientSize client) {
    // The new zoom's ranges; a position past them, and the origin that went with it,
    // would leave part of the page where no scrolling reaches.
    SetScrollRanges(client);
    for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
        const bool vertical = bar == ScrollBar::Vertical;
        const platform::ScrollInfo info = m_services.window.GetScrollInfo(bar);
        const int maxPos = std::max(info.max - info.page + 1, 0);
        int& pos = vertical ? m_vScrollPos : m_hScrollPos;
        int& org = vertical ? m_scrollOrgY : m_scrollOrgX;
        pos = std::clamp(pos, 0, maxPos);
        // The origin the position stands for at this zoom, as dragging the thumb there
        // gives it: scrolling back then ends exactly at the page's edge.
        org = -pos * ScrollUnitPixels(bar);
        m_services.window.SetScrollPos(bar, pos);
    }
}

bool CTabrellaView::KeepCursorInView(platform::ClientSize client) {
    const CursorPlace now{m_topColumn, m_cursorPos, m_cursorHalf};
    if (now == m_cursorShown && !m_showCursor) return false;
    m_cursorShown = now;
    m_showCursor = false;
    if (client.width <= 0 || client.height <= 0) return false;
    const PageGeometry g = PageGeometry::Of(*this);
    const platform::Point cell = g.PagePosition(m_cursorPos);
    const ScreenExtents ext = ZoomedExtents(m_viewportExtX, m_viewportExtY, m_zoom);
    bool scrolled = false;
    for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
        const bool vertical = bar == ScrollBar::Vertical;
        const int step = ScrollUnitPixels(bar);
        if (step <= 0) continue;
        // The cell's near and far edge in pixels from the page's corner.
        const int nearEdge = vertical ? cell.y * ext.y / kWindowExtY : cell.x * ext.x / kWindowExtX;
        const int farEdge = vertical ? (cell.y - g.CellHeight()) * ext.y / kWindowExtY
                                     : (cell.x + g.w) * ext.x / kWindowExtX;
        const int clientPixels = vertical ? client.height : client.width;
        const platform::ScrollInfo info = m_services.window.GetScrollInfo(bar);
        const int maxPos = std::max(info.max - info.page + 1, 0);
        int& pos = vertical ? m_vScrollPos : m_hScrollPos;
        int& org = vertical ? m_scrollOrgY : m_scrollOrgX;
        int wanted = -org / step;
        if (-org > nearEdge) {
            wanted = nearEdge / step;
        } else if (-org + clientPixels < farEdge) {
            wanted = std::min((farEdge - clientPixels + step - 1) / step, nearEdge / step);
        } else {
            continue;
        }
        wanted = std::clamp(wanted, 0, maxPos);
        if (-wanted * step == org) continue;
        pos = wanted;
        org = -wanted * step;
        m_services.window.SetScrollPos(bar, pos);
        scrolled = true;
    }
    return scrolled;
}

bool CTabrellaView::IsZoomChecked(int percent) const {
    return m_zoom == percent;
}

void CTabrellaView::OnFontDialog() {
    platform::FontRecord& choice = m_fontChoice;
    choice.faceName = res::Sjis(res::Txt::FontPGothicFull);
    if (!m_services.dialogs.FontDialog(choice)) return;
    // The choice is the user's face from now on, for New and Open too.
    m_fontFace = choice.faceName;
    m_defaultFontFace = m_fontFace;
    m_services.window.Invalidate();
}

void CTabrellaView::OnDefaultFont() {
    m_fontFace = res::Sjis(res::Txt::FontPGothicHalf);
    m_defaultFontFace = m_fontFace;
    m_services.window.Invalidate();
}

void CTabrellaView::OnZoomStep(int steps) {
    // From a zoom between the levels (batch work takes any), the first step goes to the
    // next level in its direction.
    auto next = std::upper_bound(kZoomLevels.begin(), kZoomLevels.end(), m_zoom);
    auto at = std::lower_bound(kZoomLevels.begin(), kZoomLevels.end(), m_zoom);
    const auto levels = static_cast<int>(kZoomLevels.size());
    int index = steps > 0 ? static_cast<int>(next - kZoomLevels.begin()) + steps - 1
                          : static_cast<int>(at - kZoomLevels.begin()) + steps;
    index = std::clamp(index, 0, levels - 1);
    if (steps == 0 || kZoomLevels[static_cast<size_t>(index)] == m_zoom) return;
    OnZoom(kZoomLevels[static_cast<size_t>(index)]);
}

int CTabrellaView::ScrollUnitPixels(ScrollBar bar) const {
    const bool vertical = bar == ScrollBar::Vertical;
    const platform::ScrollInfo info = m_services.window.GetScrollInfo(bar);
    const platform::ClientSize client = m_services.window.GetClientSize();
    const int maxPos = info.max - info.page + 1;
    if (maxPos <= 0) return 0;
    const int clientPixels = vertical ? client.height : client.width;
    return (ZoomedPagePixels(bar, m_zoom) - clientPixels) / maxPos + 1;
}

int CTabrellaView::LinePixels(ScrollBar bar) const {
    return std::max(0, kLineStep * ScrollUnitPixels(bar));
}

void CTabrellaView::OnScroll(ScrollBar bar, ScrollRequest request, int trackPos) {
    const bool vertical = bar == ScrollBar::Vertical;
    const platform::ScrollInfo info = m_services.window.GetScrollInfo(bar);
    const int maxPos = info.max - info.page + 1;
    if (maxPos <= 0) return;
    const int step = ScrollUnitPixels(bar);
    int& pos = vertical ? m_vScrollPos : m_hScrollPos;
    int& org = vertical ? m_scrollOrgY : m_scrollOrgX;
    const int barPos = info.pos;

    bool changed = true;
    switch (request) {
        case ScrollRequest::LineUp:
            if (pos > 0) {
                pos -= kLineStep;
                org += kLineStep * step;
            } else {
                changed = false;
            }
            break;
        case ScrollRequest::LineDown:
            if (pos <= maxPos) {
                pos += kLineStep;
                org -= kLineStep * step;
            } else {
                changed = false;
            }
            break;
        case ScrollRequest::PageUp:
            if (pos > 0 && pos >= kPageStep) {
                pos -= kPageStep;
                org += kPageStep * step;
            } else if (pos > 0) {
                org += barPos * step;
                pos -= barPos;
            } else {
                changed = false;
            }
            break;
        case ScrollRequest::PageDown:
            if (pos <= maxPos && maxPos - pos >= kPageStep) {
                pos += kPageStep;
                org -= kPageStep * step;
            } else if (pos <= maxPos) {
                pos += maxPos - barPos;
                org -= (maxPos - barPos) * step;
            } else {
                changed = false;
            }
            break;
        case ScrollRequest::ThumbTrack:
            pos = trackPos;
            org = -trackPos * step;
            break;
        default:
            changed = false;
            break;
    }
    if (changed) m_services.window.Invalidate();
    m_services.window.SetScrollPos(bar, pos);
}

}  // namespace tabrella
