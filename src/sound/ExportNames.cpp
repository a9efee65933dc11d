#include "sound/ExportNames.h"

#include "resources/SoundTexts.h"
#include "resources/Texts.h"

namespace tabrella {
namespace {

// Shift-JIS never uses '/' or '.' inside a two-byte character, so both are found bytewise.
std::string LastPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string LowerExtension(const std::string& sjisPath) {
    const std::string name = LastPart(sjisPath);
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
    const std::string text =
        res::Sjis(res::SoundTxt::CannotWriteFile) + "\n" + error.path + "\n" + error.reason;
    dialogs.MessageBox(text, {}, platform::MessageBoxKind::Ok);
}

}  // namespace tabrella
