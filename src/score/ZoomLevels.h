// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zooms the view offers. The menu and the zoom steps go through them, and a zoom
// remembered from an earlier run counts only when it is one of them.
#include <array>

namespace tabrella {

// In percent, smallest first.
inline constexpr std::array<int, 7> kZoomLevels = {80, 90, 100, 120, 150, 200, 300};
// What a first start shows, before any zoom is remembered.
inline constexpr int kDefaultZoom = 120;

}  // namespace tabrella
