// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The header texts drawn down the side of the page. The title is drawn by the page drawing
// and also at once when the title command changes it (CTabrellaView::PaintTitleNow).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DrawSurface.h"
#include "render/PageLayout.h"

namespace tabrella {

platform::LogicalFont TitleFont();

// Cuts Shift-JIS text into its characters (a lead byte with its trail byte, or one byte),
// at most `limit` of them.
std::vector<std::string_view> SjisCharacters(std::string_view text, std::size_t limit);

// Draws a text's characters one below the other; character j (from 1) goes to anchor(j).
// What would lie below any page is not drawn.
void DrawVertical(platform::IDrawSurface& s, const std::string& text,
                  const std::function<platform::Point(int)>& anchor);

// The song title at the title anchors of the screen or the printed page, scaled down when
// it is too long to end above the header text below it (the tuning name on paper, the
// base-tone label on the screen); a title too long even at the smallest size ends in "…".
void DrawTitle(platform::IDrawSurface& s, const PageGeometry& g, const std::string& title,
               bool printer);

}  // namespace tabrella
