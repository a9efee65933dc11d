// Playback: the score from the cursor written to a temporary MIDI file and handed to the
// sequencer, the stepping cursor, and the cleanup of the device and the file.
#include <cstdio>
#include <sstream>

#include "files/AtomicFile.h"
#include "resources/SoundTexts.h"
#include "score/CTabrellaView.h"
#include "sound/Tempo.h"

namespace tabrella {

namespace {
constexpr int kPlayTimer = 1;
}

void CTabrellaView::ShowSequencerError(platform::SeqError error) {
    if (error == 0) return;
    m_services.dialogs.MessageBox(m_services.sequencer.ErrorText(error), {},
                                  platform::MessageBoxKind::Ok);
}

void CTabrellaView::OnPlay() {
    // 1. The device of the last play is closed before its file goes.
    if (m_playing == 1) {
        CloseOpenedDevice();
        std::remove(m_playFilePath.c_str());
    }

    // 2, 3. The score from the cursor cell to one cell past the end.
    std::ostringstream bytes;
    WriteMidiStream(bytes, CursorCell(), m_lastCell + 1);
    std::string path;
    if (const std::optional<FileError> error = WriteFreshTempFile(".mid", bytes.str(), path)) {
        // The old device is closed already; nothing is left to close or delete later.
        m_playing = 0;
        m_playFilePath.clear();
        ShowFileError(res::Sjis(res::SoundTxt::CannotCreatePlayFile), *error);
        return;
    }
    m_playFilePath = path;

    // 4, 5. Errors are shown and playing goes on: the cursor still steps. A device that
    // did not open has nothing to play, so its one error is all the user sees.
    m_mciOpen = {0, m_playFilePath};
    const platform::SeqError openError =
        m_services.sequencer.Open(m_playFilePath, m_mciOpen.m_deviceId);
    ShowSequencerError(openError);
    if (openError == 0) ShowSequencerError(m_services.sequencer.Play(m_mciOpen.m_deviceId));

    // 6, 7.
    m_playing = 1;
    m_timerInterval = PlayTimerInterval(m_tempo);
    m_services.window.SetTimer(kPlayTimer, m_timerInterval);
}

void CTabrellaView::OnStop() {
    // Stop before any play reaches device 0; that error, like any other here, is not shown.
    m_services.sequencer.Stop(m_mciOpen.m_deviceId);
    m_services.window.KillTimer(kPlayTimer);
    m_services.window.Invalidate();
}

void CTabrellaView::OnTimer(int /*id*/) {
    // The cursor cell is compared, so the cursor also stops at the end on a page moved forward.
    const int last = m_cursorPos >= 2997 ? 0 : LastUsedCell();
    if (CursorCell() < last) {
        CursorDown();
    } else {
        m_services.window.KillTimer(kPlayTimer);
    }
    RedrawNow();
}

void CTabrellaView::DeletePlayFile() {
    if (m_playing == 1) std::remove(m_playFilePath.c_str());
}

void CTabrellaView::OnDestroy() {
    if (m_playing == 0) return;
    CloseOpenedDevice();
    std::remove(m_playFilePath.c_str());
}

void CTabrellaView::CloseOpenedDevice() {
    // A play whose open failed left no device: closing it would only report that, a second
    // message about the one problem the user has already seen.
    if (m_mciOpen.m_deviceId == 0) return;
    ShowSequencerError(m_services.sequencer.Close(m_mciOpen.m_deviceId));
}

}  // namespace tabrella
