// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>

class QStyle;

namespace tabrella::app {

// The toolbar picture of a command: the desktop theme's icon where there is one,
// otherwise one drawn here.
QIcon ToolbarIcon(int commandId, const QStyle* style);

}  // namespace tabrella::app
