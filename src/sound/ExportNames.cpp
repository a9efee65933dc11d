// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/ExportNames.h"

#include "resources/FileMessage.h"
#include "resources/SoundTexts.h"
#include "resources/Texts.h"

namespace tabrella {
namespace {

// Paths are the file system's bytes (UTF-8 here), where '/' and '.' are found bytewise.
std::string LastPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string LowerExtension(const std::string& path) {
    const std::string name = LastPart(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::optional<std::string> AskExportPath(platform::IDialogHost& dialogs,
                                         const platform::FileDialogRequest& request) {
    std::optional<std::string> path = dialogs.FileDialog(request);
    if (!path || path->empty()) return std::nullopt;
    const std::string name = LastPart(*path);
    bool bare = name == "." + request.defaultExtension;
    for (const platform::FileFilter& filter : request.filters) {
        bare = bare || (filter.pattern.rfind("*.", 0) == 0 && name == filter.pattern.substr(1));
    }
    if (bare) {
        dialogs.MessageBox(res::Sjis(res::Txt::EnterFileName), {}, platform::MessageBoxKind::Ok);
        return std::nullopt;
    }
    return path;
}

void ShowExportError(platform::IDialogHost& dialogs, const FileError& error) {
    ShowFileError(dialogs, res::Sjis(res::SoundTxt::CannotWriteFile), error);
}

}  // namespace tabrella
