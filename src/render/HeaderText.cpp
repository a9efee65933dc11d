// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/HeaderText.h"

#include <string_view>

#include "resources/Texts.h"
#include "score/CTabrellaView.h"

namespace tabrella {

platform::LogicalFont TitleFont() {
    return {130, 0, 400, res::Sjis(res::Txt::FontBrush)};
}

namespace {
// One metre below the top: no page reaches that far. A title of a megabyte read from a
// file would otherwise cost half a million invisible characters on every paint.
constexpr int kBelowAnyPage = -10000;
}  // namespace

void DrawVertical(platform::IDrawSurface& s, const std::string& text,
                  const std::function<platform::Point(int)>& anchor) {
    for (size_t i = 0, j = 1; i + 1 < text.size(); i += 2, ++j) {
        const platform::Point at = anchor(static_cast<int>(j));
        if (at.y < kBelowAnyPage) break;
        s.Text(at, std::string_view(text).substr(i, 2));
    }
}

void DrawTitle(platform::IDrawSurface& s, const PageGeometry& g, const std::string& title,
               bool printer) {
    s.SelectFont(TitleFont());
    DrawVertical(s, title, [&](int j) { return g.TitleAnchor(j, printer); });
}

void CTabrellaView::PaintTitleNow() {
    std::unique_ptr<platform::IDrawSurface> surface = m_services.window.GetSurface(false);
    surface->SetTransparentText();
    SetUpScreenMapping(*surface);
    DrawTitle(*surface, PageGeometry::Of(*this), m_title, false);
    // Drawing over the old title leaves the tail of a longer one; the next paint pass
    // draws the page afresh.
    m_services.window.Invalidate();
}

}  // namespace tabrella
