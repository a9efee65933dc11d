// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The header texts drawn down the side of the page. The title is drawn by the page drawing
// and also at once when the title command changes it (CTabrellaView::PaintTitleNow).
#include <functional>
#include <string>

#include "platform/DrawSurface.h"
#include "render/PageLayout.h"

namespace tabrella {

platform::LogicalFont TitleFont();

// Cuts a text into two-byte pieces drawn one below the other; piece j (from 1) goes to
// anchor(j). A final odd byte is dropped, and so is what would lie below any page.
void DrawVertical(platform::IDrawSurface& s, const std::string& text,
                  const std::function<platform::Point(int)>& anchor);

// The song title in its font at the title anchors of the screen or the printed page.
void DrawTitle(platform::IDrawSurface& s, const PageGeometry& g, const std::string& title,
               bool printer);

}  // namespace tabrella
