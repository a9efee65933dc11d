// SPDX-License-Identifier: GPL-3.0-or-later
// Playback: the score from the cursor, or a passage again and again, written to a temporary
// MIDI file and handed to the sequencer, the stepping cursor that turns the pages, and the
// cleanup of the device and the file.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "base/AtomicFile.h"
#include "resources/FileMessage.h"
#include "resources/RangeTexts.h"
#include "resources/SoundTexts.h"
#include "score/CTabrellaView.h"
#include "score/Tempo.h"
#include "sound/PracticeFile.h"

namespace tabrella {

namespace {

constexpr int kPlayTimer = 1;

PracticePlan PlanOf(const CTabrellaView& v, int firstCell, int loopLast) {
    return {firstCell, loopLast != 0 ? loopLast - firstCell + 1 : 0, v.m_playSpeed, v.m_countIn,
            v.m_metronome};
}

}  // namespace

void CTabrellaView::ShowSequencerError(platform::SeqError error) {
    if (error == 0) return;
    m_services.dialogs.MessageBox(m_services.sequencer.ErrorText(error), {},
                                  platform::MessageBoxKind::Ok);
}

void CTabrellaView::RunPlayTimer(bool on) {
    m_playTimerRunning = on;
    if (on) {
        m_services.window.SetTimer(kPlayTimer, m_timerInterval);
    } else {
        m_services.window.KillTimer(kPlayTimer);
    }
}

void CTabrellaView::PreviewCell(int k) {
    // Notes typed during a play would sound over it.
    if (!m_previewNotes || m_playTimerRunning) return;
    m_services.sequencer.Preview(PreviewMidi(k));
}

void CTabrellaView::OnPlay() {
    StartPlay(CursorCell(), 0);
}

void CTabrellaView::OnPlayLoop() {
    if (!ChooseRange(res::RangeOperationName(res::RangeOperation::Loop))) return;
    // Only cells 1..2999 exist: a passage starting past them holds nothing to play.
    if (!IsCellIndex(m_rangeStart)) return;
    StartPlay(m_rangeStart, std::min(m_rangeEnd, kLastCellIndex));
}

void CTabrellaView::StartPlay(int firstCell, int loopLast) {
    // 1. The device of the last play is closed before its file goes.
    if (m_playing == 1) {
        CloseOpenedDevice();
        std::remove(m_playFilePath.c_str());
    }

    // 2, 3. The score from the first cell to one cell past the end, or the passage, as the
    // practice settings want it played.
    const bool loop = loopLast != 0;
    std::ostringstream bytes;
    WriteMidiStream(bytes, firstCell, loop ? loopLast : m_lastCell + 1);
    const std::string music =
        MakePracticeFile(bytes.str(), PlanOf(*this, firstCell, loopLast), m_tempo)
            .value_or(bytes.str());
    std::string path;
    if (const std::optional<FileError> error = WriteFreshTempFile(".mid", music, path)) {
        // The old device is closed already; nothing is left to close or delete later, and
        // no cursor steps on for a play that does not sound.
        m_playing = 0;
        m_playFilePath.clear();
        RunPlayTimer(false);
        ShowFileError(m_services.dialogs, res::Sjis(res::SoundTxt::CannotCreatePlayFile), *error);
        return;
    }
    m_playFilePath = path;
    // Playing from here on, before any message: the program may end while one is shown,
    // and then the file must go with it.
    m_mciOpen = {};
    m_playing = 1;

    // 4, 5. A device that does not open or play makes no sound: its one error is shown and
    // the play ends there, the cursor where it was and no timer stepping it silently.
    platform::SeqError error = m_services.sequencer.Open(m_playFilePath, m_mciOpen.m_deviceId);
    if (error == 0 && loop) error = m_services.sequencer.SetLooping(m_mciOpen.m_deviceId, true);
    if (error == 0) error = m_services.sequencer.Play(m_mciOpen.m_deviceId);
    if (error != 0) {
        RunPlayTimer(false);
        ShowSequencerError(error);
        // Its close is quiet: one message for the one problem (and the program may have
        // ended during it, closing the device already).
        if (m_mciOpen.m_deviceId != 0) m_services.sequencer.Close(m_mciOpen.m_deviceId);
        std::remove(m_playFilePath.c_str());
        m_playing = 0;
        m_mciOpen = {};
        m_playFilePath.clear();
        m_playCursor = {};
        return;
    }

    StartPlayCursor(firstCell, loopLast);
    RunPlayTimer(true);
}

void CTabrellaView::StartPlayCursor(int firstCell, int loopLast) {
    const PracticeLayout layout = LayOutPractice(PlanOf(*this, firstCell, loopLast), m_tempo);
    m_timerInterval = PlayTimerInterval(m_tempo, m_playSpeed);
    const std::int64_t quarter = layout.microsPerQuarter;
    m_playCursor = {};
    m_playCursor.countIn = layout.countInTicks * quarter;
    if (loopLast == 0) return;
    m_playCursor.loopFirst = firstCell;
    m_playCursor.loopLast = loopLast;
    m_playCursor.loopTopColumn = PlayPageFor(firstCell);
    m_playCursor.pass = m_countIn ? -1 : 0;
    m_playCursor.passLength = layout.passTicks * quarter;
    m_playCursor.round = m_playCursor.countIn + layout.passes * m_playCursor.passLength;
    ShowLoopStart();
}

void CTabrellaView::OnStop() {
    // Stop before any play reaches device 0; that error, like any other here, is not shown.
    m_services.sequencer.Stop(m_mciOpen.m_deviceId);
    RunPlayTimer(false);
    m_playCursor = {};  // the page and the cursor stay where the music was
    m_services.window.Invalidate();
}

void CTabrellaView::OnTimer(int /*id*/) {
    // A tick stands for the moment nearest to it, up to half an interval later.
    const std::int64_t step = std::int64_t{m_timerInterval} * 480'000;
    const std::int64_t previousTick = m_playCursor.clock + step / 2;
    m_playCursor.clock += step;
    if (m_playCursor.loopFirst != 0) {
        FollowLoop(m_playCursor.clock + step / 2);
    } else if (previousTick < m_playCursor.countIn) {
        // Counting in: the cursor stays on the first cell for the tick on which the music
        // starts, and steps from the next one, as it does when there is no count-in.
    } else {
        // The cursor cell is compared, so the cursor also stops at the end on a page moved
        // forward.
        const int last = m_cursorPos >= kLastFullRowCell ? 0 : LastUsedCell();
        if (CursorCell() < last) {
            PlayStep();
        } else {
            RunPlayTimer(false);
        }
    }
    RedrawNow();
}

void CTabrellaView::FollowLoop(std::int64_t tickTime) {
    PlayCursor& c = m_playCursor;
    if (c.round <= 0 || c.passLength <= 0) return;
    // The player starts the whole file again, count-in and all, at its end.
    const std::int64_t at = tickTime % c.round;
    const int pass = at < c.countIn ? -1 : static_cast<int>((at - c.countIn) / c.passLength);
    if (pass != c.pass) {
        // A new pass goes back to the first cell by the clock, not by counting steps: the
        // timer runs a little fast, and split cells take two steps, so steps alone drift.
        c.pass = pass;
        ShowLoopStart();
        return;
    }
    const ScoreCell* cell = CellAt(CursorCell());
    const bool onLastStep =
        CursorCell() > c.loopLast ||
        (CursorCell() == c.loopLast && !(cell && cell->IsSplit() && m_cursorHalf == 1));
    // Counting in, or on the passage's last cell until the next pass begins.
    if (pass == -1 || onLastStep) return;
    PlayStep();
}

void CTabrellaView::ShowLoopStart() {
    const PlayCursor& c = m_playCursor;
    if (m_topColumn != c.loopTopColumn) {
        m_topColumn = c.loopTopColumn;
        m_services.window.Invalidate();
    }
    m_cursorPos = c.loopFirst - kCellsPerColumn * m_topColumn;
    m_cursorHalf = 1;
    m_cursorSlot = 2;
}

int CTabrellaView::PlayPageFor(int cell) const {
    int top = m_topColumn;
    while (cell - kCellsPerColumn * top > CellsPerPage() && top < kMaxTopColumn) {
        top = std::min(top + m_columnsPerPage, kMaxTopColumn);
    }
    return top;
}

void CTabrellaView::PlayStep() {
    // As a click steps the cursor (half by half through a split cell, also on the page's
    // last place), but past the page's last cell the page turns, as a player turns it.
    const ScoreCell* cell = CellAt(CursorCell());
    m_cursorSlot = 2;
    if (cell && cell->IsSplit() && m_cursorHalf == 1) {
        m_cursorHalf = 2;
        return;
    }
    m_cursorHalf = 1;
    const int next = CursorCell() + 1;
    if (const int top = PlayPageFor(next); top != m_topColumn) {
        m_topColumn = top;
        m_services.window.Invalidate();
    }
    m_cursorPos = next - kCellsPerColumn * m_topColumn;
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
