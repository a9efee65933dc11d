// SPDX-License-Identifier: GPL-3.0-or-later
// The MusicXML export: the notes the MIDI export sounds, as notation, into a .musicxml or a
// compressed .mxl file.
#include "base/AtomicFile.h"
#include "resources/ExportTexts.h"
#include "score/CTabrellaView.h"
#include "sound/ExportNames.h"

namespace tabrella {

void CTabrellaView::OnMusicXmlExport() {
    platform::FileDialogRequest request;
    request.save = true;
    request.filters = {{res::Sjis(res::ExportTxt::MusicXmlFilterLabel), "*.musicxml"},
                       {res::Sjis(res::ExportTxt::MxlFilterLabel), "*.mxl"}};
    request.defaultExtension = "musicxml";
    request.initialName = m_title + ".musicxml";
    request.confirmOverwrite = true;
    const std::optional<std::string> path = AskExportPath(m_services.dialogs, request);
    if (!path) return;
    if (const std::optional<FileError> error = ExportMusicXml(*path)) {
        ShowExportError(m_services.dialogs, *error);
    } else {
        m_services.window.ReportWritten(*path);
    }
}

std::optional<FileError> CTabrellaView::ExportMusicXml(const std::string& path) const {
    const std::string extension = LowerExtension(path);
    if (extension != "musicxml" && extension != "xml" && extension != "mxl") {
        return FileError{path, FileFault::UnknownNotationType};
    }
    if (!m_services.notation) {
        return FileError{path, FileFault::NoNotationWriter};
    }
    const std::optional<std::string> bytes =
        m_services.notation->MusicXml(NotationOfScore(), extension == "mxl");
    if (!bytes) {
        const std::string why = m_services.notation->Failure();
        if (why.empty()) return FileError{path, FileFault::NotationFailed};
        return ForeignFileError(path, why);
    }
    return WriteFileAtomically(path, *bytes);
}

}  // namespace tabrella
