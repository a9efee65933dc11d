// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Events the platform delivers to the view, one at a time on the window thread.
#include <string>

#include "platform/DrawSurface.h"
#include "platform/ViewWindow.h"

namespace tabrella::platform {

enum class MouseEvent { LeftDown, LeftDoubleClick, RightDown, RightDoubleClick };

enum class ScrollRequest {
    LineUp,    // line left on the horizontal bar
    LineDown,  // line right
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top,
    Bottom,
    EndScroll,
};

struct CommandState {
    bool handled = false;  // a handler exists; menus and buttons are enabled
    bool checked = false;
};

class IViewEvents {
  public:
    virtual ~IViewEvents() = default;

    virtual void OnKeyDown(int virtualKey) = 0;
    virtual void OnMouse(MouseEvent event) = 0;
    virtual void OnTimer(int id) = 0;
    virtual void OnScroll(ScrollBar bar, ScrollRequest request, int trackPos) = 0;
    // How far one line request moves the page, in pixels; 0 while the bar cannot move.
    // Lets a wheel that reports pixels scroll by the page's own steps.
    virtual int LinePixels(ScrollBar bar) const = 0;
    // Steps through the zoom levels: positive steps to larger ones.
    virtual void OnZoomStep(int steps) = 0;
    virtual void OnPaint(IDrawSurface& surface) = 0;
    virtual void OnDestroy() = 0;
    // False when no handler exists for the id.
    virtual bool OnCommand(int id) = 0;
    virtual CommandState OnUpdateCommand(int id) const = 0;
    // The cursor's cell in words, for a screen reader (Shift-JIS).
    virtual std::string CursorDescription() const { return {}; }
};

}  // namespace tabrella::platform
