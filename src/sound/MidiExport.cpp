// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI export command: the score from its first cell into a file the user names.
#include <sstream>

#include "base/AtomicFile.h"
#include "resources/FileMessage.h"
#include "resources/SoundTexts.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

const std::string kMidiExtension = ".mid";

// A name that is only the extension: the user typed nothing and the dialog added ".mid".
bool IsBareExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return path.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos,
                        kMidiExtension) == 0;
}

}  // namespace

void CTabrellaView::OnMidiExport() {
    platform::FileDialogRequest request;
    request.save = true;
    request.filters = {{res::Sjis(res::SoundTxt::MidiFilterLabel), "*.mid"}};
    request.defaultExtension = "mid";
    request.initialName = m_title + kMidiExtension;
    request.confirmOverwrite = true;
    const std::optional<std::string> path = m_services.dialogs.FileDialog(request);
    if (!path || path->empty()) return;
    if (IsBareExtension(*path)) {
        m_services.dialogs.MessageBox(res::Sjis(res::Txt::EnterFileName), {},
                                      platform::MessageBoxKind::Ok);
        return;
    }
    if (const std::optional<FileError> error = ExportMidi(*path)) {
        ShowFileError(m_services.dialogs, res::Sjis(res::SoundTxt::CannotWriteFile), *error);
    } else {
        m_services.window.ReportWritten(*path);
    }
}

std::optional<FileError> CTabrellaView::ExportMidi(const std::string& path) const {
    std::ostringstream bytes;
    if (!WriteMidiStream(bytes, 1, ExportEndCell())) return FileError{path, FileFault::MidiFailed};
    return WriteFileAtomically(path, bytes.str());
}

int CTabrellaView::ExportEndCell() const {
    // With the cursor on the first cell one cell of silence follows the last note.
    return CursorCell() == 1 ? m_lastCell + 1 : m_lastCell;
}

}  // namespace tabrella
