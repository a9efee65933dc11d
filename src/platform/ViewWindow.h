// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the view needs of its window and of the frame around it.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/DrawSurface.h"

namespace tabrella::platform {

struct ClientSize {
    int width = 0;
    int height = 0;
};

enum class ScrollBar { Horizontal, Vertical };

struct ScrollInfo {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
};

enum class PrintJob { Print, Preview, Setup };

// What a print job can print: pages 1..count of the whole score, drawn by draw(surface, n),
// and page 0, the page the screen shows (the printer's "current page").
struct PrintPages {
    int count = 1;
    std::function<void(IDrawSurface&, int page)> draw;
    std::string title;      // Shift-JIS: the score's title, the PDF's title
    std::string pdfNearby;  // the score's file with ".pdf" for its ending, or empty
};

class IViewWindow {
  public:
    virtual ~IViewWindow() = default;

    // Marks the whole client area for a repaint with background erase.
    virtual void Invalidate() = 0;
    // A surface on the window itself, usable at once; released when the pointer goes.
    // With `erase` the window's picture is first cleared to the background.
    virtual std::unique_ptr<IDrawSurface> GetSurface(bool erase) = 0;
    virtual ClientSize GetClientSize() const = 0;

    // Sets range and page size; the bar keeps its position.
    virtual void SetScrollRange(ScrollBar bar, int min, int max, int page) = 0;
    virtual ScrollInfo GetScrollInfo(ScrollBar bar) const = 0;
    virtual void SetScrollPos(ScrollBar bar, int pos) = 0;

    // Ticks arrive through the view's OnTimer(id) until killed.
    virtual void SetTimer(int id, int intervalMs) = 0;
    virtual void KillTimer(int id) = 0;

    virtual void SetCaption(std::string_view sjis) = 0;
    // Shows a file's path as the caption, spelled as the file system names it.
    virtual void SetPathCaption(std::string_view nativePath) = 0;
    virtual void CloseMainWindow() = 0;

    // Shows the program's own help page in a window of the program.
    virtual void ShowHelp() = 0;
    // Runs the frame's print, preview or printer set-up on the score's pages.
    virtual void RunPrintJob(PrintJob job, const PrintPages& pages) = 0;
    virtual void ShowAbout() = 0;
    // Says, where the window shows passing news, that an export wrote this file (named as
    // the file system names it).
    virtual void ReportWritten(std::string_view nativePath) { (void)nativePath; }
};

}  // namespace tabrella::platform
