// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>
#include <string_view>

namespace tabrella::qt {

// Maps the face names the score uses onto the installed Japanese faces.
void InstallFontSubstitutions();

// A font of the given Shift-JIS face for layout at `pixelSize`, unhinted.
QFont LayoutFont(std::string_view sjisFace, int weight, int pixelSize);

}  // namespace tabrella::qt
