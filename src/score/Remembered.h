// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the editor keeps between runs, read from and written to the settings store. A
// value that is missing or makes no sense reads as its default, so a damaged store never
// stops the program from starting.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Settings.h"
#include "score/ZoomLevels.h"

namespace tabrella {

inline constexpr std::size_t kRecentFileCount = 4;

struct Remembered {
    int zoom = kDefaultZoom;               // one of the zoom levels
    std::string fontFace;                  // Shift-JIS; empty: the view's own default
    std::string lastFolder;                // Shift-JIS; empty: the file dialog's own choice
    std::vector<std::string> recentFiles;  // the file system's paths, newest first, at most 4
    std::string windowGeometry;            // the frame's own text; empty: the default size
    std::string language;                  // "ja" or "en"; empty: the locale's
    bool previewNotes = true;              // typed notes sound
};

Remembered ReadRemembered(const platform::ISettings& settings);
void WriteRemembered(platform::ISettings& settings, const Remembered& remembered);

// Puts `path` first; an older entry of the same path goes, and so does any past the fourth.
void AddRecentFile(std::vector<std::string>& recent, const std::string& path);
void RemoveRecentFile(std::vector<std::string>& recent, const std::string& path);

}  // namespace tabrella
