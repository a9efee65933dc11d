// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/HeaderText.h"

#include <algorithm>
#include <string_view>

#include "base/Sjis.h"
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

std::vector<std::string_view> SjisCharacters(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < text.size() && out.size() < limit;) {
        const std::size_t n =
            IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

void DrawVertical(platform::IDrawSurface& s, const std::string& text,
                  const std::function<platform::Point(int)>& anchor) {
    const std::string_view rest(text);
    for (std::size_t i = 0, j = 1; i < rest.size(); ++j) {
        const platform::Point at = anchor(static_cast<int>(j));
        if (at.y < kBelowAnyPage) break;
        const std::string_view c = SjisCharacters(rest.substr(i), 1).front();
        s.Text(at, c);
        i += c.size();
    }
}

void DrawTitle(platform::IDrawSurface& s, const PageGeometry& g, const std::string& title,
               bool printer) {
    platform::LogicalFont font = TitleFont();
    constexpr int kStep = 200;      // a character's place at the full size
    constexpr int kMinStep = 40;    // the smallest place; the font shrinks in proportion
    constexpr int kClearance = 50;  // kept free above the text below
    const platform::Point top = g.TitleAnchor(1, printer);
    const int below = printer ? g.TuningAnchor(1).y : g.BaseToneAnchor(1).y;
    const int room = top.y - below - kClearance;
    // n characters at step t, in a font 130/200 of t high, take (n - 1) t + 0.65 t.
    const int fits = std::max(1, (room - kMinStep * 13 / 20) / kMinStep + 1);
    // What lies beyond the characters that fit is never drawn: read no further.
    std::vector<std::string_view> chars = SjisCharacters(title, static_cast<std::size_t>(fits) + 1);
    if (chars.empty()) return;
    const int n = static_cast<int>(chars.size());
    int step = std::clamp(room * 20 / (20 * n - 7), kMinStep, kStep);
    if (n > fits) {
        step = kMinStep;
        chars.resize(static_cast<std::size_t>(fits));
        chars.back() = "\x81\x63";  // …
    }
    font.height = font.height * step / kStep;
    s.SelectFont(font);
    for (int j = 0; j < static_cast<int>(chars.size()); ++j) {
        s.Text({top.x, top.y - j * step}, chars[static_cast<std::size_t>(j)]);
    }
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
