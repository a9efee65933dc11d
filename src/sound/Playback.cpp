// Playback: the stepping cursor and the cleanup of the sequencer device.
#include "score/CTabrellaView.h"

#include <cstdio>

namespace tabrella {

namespace {
constexpr int kPlayTimer = 1;
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

void CTabrellaView::OnDestroy() {
    if (m_playing == 0) return;
    if (platform::SeqError err = m_services.sequencer.Close(m_mciOpen.m_deviceId); err != 0) {
        m_services.dialogs.MessageBox(m_services.sequencer.ErrorText(err), {},
                                      platform::MessageBoxKind::Ok);
    }
    std::remove(m_playFilePath.c_str());
}

void CTabrellaView::DeletePlayFile() {
    if (m_playing == 1) std::remove(m_playFilePath.c_str());
}

}  // namespace tabrella
