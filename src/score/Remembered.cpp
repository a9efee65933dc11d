// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/Remembered.h"

#include <algorithm>
#include <charconv>

#include "resources/Language.h"
#include "score/ZoomLevels.h"

namespace tabrella {
namespace {

constexpr std::string_view kZoomKey = "view/zoom";
constexpr std::string_view kFontKey = "view/font";
constexpr std::string_view kFolderKey = "files/lastFolder";
constexpr std::string_view kGeometryKey = "window/geometry";
constexpr std::string_view kLanguageKey = "view/language";
constexpr std::string_view kPreviewKey = "sound/previewNotes";
// A face name has room for 31 bytes in the font record.
constexpr std::size_t kFaceNameBytes = 31;

std::string RecentKey(std::size_t i) {
    return "files/recent" + std::to_string(i + 1);
}

// Texts that hold a control character (a line break, a NUL) were not written by us.
bool PlainText(const std::string& text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// The program keeps only whole paths, as the file dialog gives them.
bool WholePath(const std::string& path) {
    return !path.empty() && path.front() == '/' && PlainText(path);
}

int ZoomOf(const std::optional<std::string>& text) {
    int value = 0;
    if (!text) return Remembered{}.zoom;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    const bool whole = error == std::errc() && stop == end;
    const bool level =
        std::find(kZoomLevels.begin(), kZoomLevels.end(), value) != kZoomLevels.end();
    return whole && level ? value : Remembered{}.zoom;
}

}  // namespace

Remembered ReadRemembered(const platform::ISettings& settings) {
    Remembered r;
    r.zoom = ZoomOf(settings.Value(kZoomKey));
    if (auto face = settings.Value(kFontKey);
        face && !face->empty() && face->size() <= kFaceNameBytes && PlainText(*face)) {
        r.fontFace = *face;
    }
    if (auto folder = settings.PathValue(kFolderKey); folder && WholePath(*folder)) {
        r.lastFolder = *folder;
    }
    for (std::size_t i = kRecentFileCount; i-- > 0;) {
        auto path = settings.PathValue(RecentKey(i));
        if (path && WholePath(*path)) AddRecentFile(r.recentFiles, *path);
    }
    if (auto geometry = settings.Value(kGeometryKey); geometry && PlainText(*geometry)) {
        r.windowGeometry = *geometry;
    }
    if (auto language = settings.Value(kLanguageKey); language && res::LanguageOfCode(*language)) {
        r.language = *language;
    }
    // Only a stored "0" turns it off: anything else is the default.
    r.previewNotes = settings.Value(kPreviewKey) != "0";
    return r;
}

void WriteRemembered(platform::ISettings& settings, const Remembered& r) {
    settings.SetValue(kZoomKey, std::to_string(r.zoom));
    if (r.fontFace.empty()) {
        settings.Remove(kFontKey);
    } else {
        settings.SetValue(kFontKey, r.fontFace);
    }
    settings.SetPathValue(kFolderKey, r.lastFolder);
    for (std::size_t i = 0; i < kRecentFileCount; ++i) {
        if (i < r.recentFiles.size()) {
            settings.SetPathValue(RecentKey(i), r.recentFiles[i]);
        } else {
            settings.Remove(RecentKey(i));
        }
    }
    settings.SetValue(kGeometryKey, r.windowGeometry);
    if (r.language.empty()) {
        settings.Remove(kLanguageKey);
    } else {
        settings.SetValue(kLanguageKey, r.language);
    }
    settings.SetValue(kPreviewKey, r.previewNotes ? "1" : "0");
}

void AddRecentFile(std::vector<std::string>& recent, const std::string& path) {
    RemoveRecentFile(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > kRecentFileCount) recent.resize(kRecentFileCount);
}

void RemoveRecentFile(std::vector<std::string>& recent, const std::string& path) {
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
}

}  // namespace tabrella
