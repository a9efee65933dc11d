#include "render/HeaderText.h"

#include <string_view>

#include "resources/Texts.h"

namespace tabrella {

platform::LogicalFont TitleFont() { return {130, 0, 400, res::Sjis(res::Txt::FontBrush)}; }

void DrawVertical(platform::IDrawSurface& s, const std::string& text,
                  const std::function<platform::Point(int)>& anchor) {
    for (size_t i = 0, j = 1; i + 1 < text.size(); i += 2, ++j) {
        s.Text(anchor(static_cast<int>(j)), std::string_view(text).substr(i, 2));
    }
}

void DrawTitle(platform::IDrawSurface& s, const PageGeometry& g, const std::string& title,
               bool printer) {
    s.SelectFont(TitleFont());
    DrawVertical(s, title, [&](int j) { return g.TitleAnchor(j, printer); });
}

}  // namespace tabrella
