// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The view owns every piece of editor state as plain fields. Its member operations live
// in the subsystem folders, one topic per file: KeyEntry.cpp and RangeEditing.cpp in
// score/, DrawScore.cpp in render/, ScoreFile.cpp in files/, Playback.cpp in sound/ and
// so on; each group of declarations below names its file.
#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "base/FileError.h"
#include "base/FileRead.h"
#include "platform/DrawSurface.h"
#include "platform/Sequencer.h"
#include "platform/Services.h"
#include "platform/ViewEvents.h"
#include "score/EditHistory.h"
#include "score/ScoreCell.h"
#include "score/ScoreSettings.h"
#include "score/ScoreWatcher.h"
#include "score/ZoomLevels.h"

namespace tabrella {

struct ImportChoice;
struct ImportedMelody;
struct ScoreFileContent;
struct PageGeometry;
struct PageFonts;

// Parameters of the last sequencer open; m_deviceId names the device for stop and close.
struct SequencerOpen {
    platform::DeviceId m_deviceId = 0;
};

// How the stepping cursor follows the play in progress. Times are in 1/480 us, so that
// MIDI ticks at the play's microseconds per quarter count exactly.
struct PlayCursor {
    int loopFirst = 0;  // the passage played again and again, as score cells; 0 plays once
    int loopLast = 0;
    int loopTopColumn = 0;   // the page that shows loopFirst
    int pass = 0;            // the pass the cursor is in; -1 while counting in
    std::int64_t clock = 0;  // timer time since the play began
    std::int64_t countIn = 0;
    std::int64_t passLength = 0;
    std::int64_t round = 0;  // the whole looped file, which the player starts again
};

// The cursor, page geometry and scrolling of a fresh score, which New and Open put back by
// one assignment. The view keeps these fields under their own names by deriving from it.
// The zoom is not among them: it stays as the user set it.
struct PageView {
    int m_topColumn = 0;
    int m_cursorPos = 1;
    int m_cursorHalf = 1;
    int m_cursorSlot = 2;
    int m_originX = 80;
    int m_originY = -100;
    int m_rowHeight = 160;
    int m_columnWidth = 230;
    int m_rowsPerColumn = 16;
    int m_columnsPerPage = 7;
    int m_viewportExtX = 220;
    int m_viewportExtY = -120;
    int m_scrollOrgX = 0;
    int m_scrollOrgY = 0;
    int m_hScrollPos = 0;
    int m_vScrollPos = 0;

    friend bool operator==(const PageView&, const PageView&) = default;
};

class CTabrellaView : public platform::IViewEvents, public PageView, public ScoreSettings {
  public:
    explicit CTabrellaView(platform::Services services);
    ~CTabrellaView() override = default;
    CTabrellaView(const CTabrellaView&) = delete;
    CTabrellaView& operator=(const CTabrellaView&) = delete;

    // ---- Score model --------------------------------------------------------------
    std::array<ScoreCell, kCellArraySize> m_cells{};
    // The cursor (m_topColumn, m_cursorPos, m_cursorHalf, m_cursorSlot) is in PageView.
    int m_cursorCell = 1;  // set by every screen drawing
    // Range and clipboard outlive New and Open, so cells can be carried between scores.
    int m_rangeStart = 0;
    int m_rangeEnd = 0;
    std::array<ScoreCell, kCellArraySize> m_clip{};  // entries 1..2999
    int m_clipCount = 0;
    int m_lastCell = 1;
    // The modified state is the history's: see Modified().
    EditHistory m_history;

    // ---- Page layout, zoom and scrolling (the rest in PageView) -----------------------
    int m_zoom = kDefaultZoom;
    int m_lastClientWidth = 0;
    int m_lastClientHeight = 0;
    int m_cursorX = 0;
    int m_cursorY = 0;
    // Where RedrawNow drew its last cursor box (column edge - 3, cell top).
    int m_lastBoxX = 0;
    int m_lastBoxY = 0;
    std::string m_fontFace;  // Shift-JIS
    // The face New and Open return to: ＭＳ ゴシック until the user chooses one, in this run
    // or (remembered) in an earlier one.
    std::string m_defaultFontFace;  // Shift-JIS
    // What the font dialog showed last: its size and style stay for the next time.
    platform::FontRecord m_fontChoice;

    // ---- Files -----------------------------------------------------------------------
    std::string m_filePath;  // the file system's own name, never converted
    // The file's size and time when the score last matched it (opened, saved, or the base
    // of a restored recovery copy): Save asks before overwriting a file changed since.
    std::optional<FileStamp> m_fileStamp;
    // Told after every key, command and load that changed the score or its saved state.
    IScoreWatcher* m_watcher = nullptr;

    // ---- Score settings -----------------------------------------------------------------
    // The title, tuning, 乙, base tone, pitches, label and tempo are ScoreSettings' fields.
    ScoreSettings& Settings() { return *this; }
    const ScoreSettings& Settings() const { return *this; }

    // ---- Sound -----------------------------------------------------------------------
    int m_playing = 0;
    std::string m_playFilePath;  // the file system's name of the temporary MIDI file
    SequencerOpen m_mciOpen;
    int m_timerInterval = 0;
    PlayCursor m_playCursor;
    // Practice settings, only for what is played; kept for the run, not in the score.
    int m_playSpeed = 100;  // percent of m_tempo: 50..100 in steps of 5
    bool m_countIn = false;
    bool m_metronome = false;
    // A key that stores a note sounds its cell (not while playing); remembered between runs.
    bool m_previewNotes = true;

    // ---- Shared operations -------------------------------------------------------------
    int CursorCell() const { return m_cursorPos + kCellsPerColumn * m_topColumn; }
    // Highest cell 2999..1 with a non-zero slot (split not looked at); 0 when none.
    int LastUsedCell() const;
    // Sets m_lastCell and m_cursorCell as a drawing on the screen would, without drawing:
    // batch work learns the end of the score the window would show without any fonts.
    void MeasureScreenEnd();
    // The last cell a drawing on the screen would leave in m_lastCell, without drawing.
    int ScreenEndCell() const;
    // Tells the watcher when the score or its saved state changed since it was last told.
    void NoteScoreChange();
    // nullptr when k names no cell of the score (see IsCellIndex).
    ScoreCell* CellAt(long long k);
    const ScoreCell* CellAt(long long k) const;
    void ClearCell(int k);
    int CellsPerPage() const { return 2 * m_rowsPerColumn * m_columnsPerPage; }

    // ---- Events (platform::IViewEvents) ------------------------------------------------
    void OnKeyDown(int virtualKey) override;
    void OnMouse(platform::MouseEvent event) override;
    void OnTimer(int id) override;
    void OnScroll(platform::ScrollBar bar, platform::ScrollRequest request, int trackPos) override;
    int LinePixels(platform::ScrollBar bar) const override;
    void OnZoomStep(int steps) override;
    void OnPaint(platform::IDrawSurface& surface) override;
    void OnDestroy() override;
    bool OnCommand(int id) override;
    platform::CommandState OnUpdateCommand(int id) const override;
    // render/CellDescription.cpp
    std::string CursorDescription() const override;

    // ---- Keyboard and mouse entry (score/KeyEntry.cpp) ----------------------------------
    void CursorDown();
    void CursorUp();
    void CursorRight();
    void CursorLeft();
    void OnGoToTop();
    void OnGoToEnd();

    // ---- Range editing (score/RangeEditing.cpp) -----------------------------------------
    void OnInsertBlank();
    void OnCut();
    void OnCopy();
    void OnPaste();
    // nullptr when i names no clipboard entry (see IsCellIndex).
    ScoreCell* ClipAt(long long i);
    const ScoreCell* ClipAt(long long i) const;

    // ---- Undo and redo (score/UndoCommands.cpp) ----------------------------------------
    void OnUndo();
    void OnRedo();
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }

    // ---- Drawing (render/DrawScore.cpp) -----------------------------------------------
    // Page 0 is the page the screen shows, on any surface. On a printer, page n >= 1 is page
    // n of the whole printout: the columns from 7 (n - 1) on, numbered when there are more.
    void DrawScore(platform::IDrawSurface& surface, int printedPage = 0);
    void RedrawNow();
    // The same picture, drawn again only in the columns of these page places and the column
    // on either side: what a key changes when it leaves the page where it was.
    void RedrawAround(std::initializer_list<int> places);
    // While RedrawAround draws: the logical x band it draws in; cells further than a
    // column from it are left out.
    struct Band {
        int left, right;
    };
    std::optional<Band> m_drawBand;
    // The pages the whole score prints on: its used cells from the first column, at least one.
    int PrintedPageCount() const;
    // What print and preview offer: every page of the score, and the page the screen shows.
    platform::PrintPages PrintedPages();

    // ---- Zoom, fonts and scrolling (render/Zoom.cpp) ------------------------------------
    void OnZoom(int percent);
    // The cursor where the view last showed it. When it has moved since (keys, playback,
    // go to top or end, undo), or a key was pressed, the next screen drawing scrolls just
    // enough to show its cell; scrolling by the bars alone leaves it where it is.
    struct CursorPlace {
        int topColumn = 0, pos = 1, half = 1;
        friend bool operator==(const CursorPlace&, const CursorPlace&) = default;
    };
    CursorPlace m_cursorShown;
    bool m_showCursor = false;
    bool IsZoomChecked(int percent) const;
    void OnFontDialog();
    void OnDefaultFont();

    // ---- Tuning and pitch (sound/Tuning.cpp) ----------------------------------------
    // MIDI note of a slot value, or -1: only string parts 1..13 sound.
    int PitchOfSlot(int value) const;
    // The tuning command: the dialog, then the tuning-command recomputation.
    void OnTuning();
    // Tuning-command variant. With `ok` the dialog's texts choose the row and base tone
    // (names that match nothing change nothing); `otsuCheck` non-zero turns 乙 on.
    void RecomputePitches(bool ok, const std::string& tuningText, const std::string& baseText,
                          int otsuCheck);
    // Score-load variant, for the reader once m_tuningName, m_otsuFlag and m_baseTone are
    // read: finds m_tuningIndex from the name and recomputes m_pitch and the label.
    void RecomputePitchesForLoad();
    // What a file or an import stored, with the pitches and label it derives, as the
    // score's settings.
    void LoadSettings(const StoredSettings& stored);
    // "基音" with the base tone's name, and "乙" when it is on: the label the tuning gives.
    std::string BaseToneLabelOf() const;

    // ---- MIDI file writer and export (sound/MidiWriter.cpp, sound/MidiExport.cpp) -------
    // Writes a whole Standard MIDI File for cells firstCell..endCell into `out` in one
    // write (any stream will do). False when the stream failed.
    bool WriteMidiStream(std::ostream& out, int firstCell, int endCell) const;
    // A Standard MIDI File of what playback sounds in `cell`, with the same events: its own
    // notes, a ゝ's note, or the note it holds on from its start. Empty when nothing sounds.
    std::string PreviewMidi(int cell) const;
    void OnMidiExport();
    // Writes the export to `path` whole or not at all (also for batch use).
    std::optional<FileError> ExportMidi(const std::string& path) const;
    // The last cell the exports play: m_lastCell, one cell of silence more with the cursor
    // on cell 1.
    int ExportEndCell() const;

    // ---- Audio and MusicXML exports (sound/AudioExport.cpp, sound/MusicXmlExport.cpp) ----
    void OnAudioExport();
    // Renders what the MIDI export writes into an audio file, whole or not at all; the
    // format follows the extension (.wav, .flac, .ogg or .oga). Stopped by `progress`, it
    // leaves nothing behind.
    std::optional<FileError> ExportAudio(const std::string& path,
                                         platform::IProgress& progress) const;
    void OnMusicXmlExport();
    // Writes the score as MusicXML whole or not at all: compressed for .mxl, plain for
    // .musicxml and .xml.
    std::optional<FileError> ExportMusicXml(const std::string& path) const;
    // The notes the MIDI export sounds, as staff notation with the tablature as text
    // (sound/Notation.cpp).
    platform::NotationScore NotationOfScore() const;

    // ---- Playback (sound/Playback.cpp, sound/PlaySpeedCommand.cpp) ----------------------
    void OnPlay();
    void OnStop();
    // Plays a passage chosen in the range dialog again and again until Stop.
    void OnPlayLoop();
    void OnPlaySpeed();
    // For Exit: the temporary file of the last play goes before the window closes.
    void DeletePlayFile();

    // ---- Tempo (sound/TempoCommand.cpp) ---------------------------------------------------
    void OnTempo();

    // ---- Printing, about and help (score/ShellCommands.cpp) -----------------------------
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnHelp();

    // ---- Score files (files/ScoreFile.cpp) ------------------------------------------------
    // Cells 1..m_lastCell and the settings, as a file holds them.
    ScoreFileContent ScoreFileFields() const;
    // Stores what a file held into a view that was just reset; m_lastCell from the count,
    // the pitches from the stored tuning.
    void StoreScoreFileFields(const ScoreFileContent& content);
    // Replaces the file only once every byte is on disk; the old file survives a failure.
    std::optional<FileError> WriteScoreFile(const std::string& path) const;

    // ---- File commands (files/FileCommands.cpp) ------------------------------------------
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnExit();
    // Opens a score as Open does after its dialog: reads the whole file first and changes
    // nothing when that fails. For the command line as much as for the dialog.
    std::optional<FileError> LoadScoreFile(const std::string& path);
    // Open without its dialog (a file named on the command line): a file that cannot be
    // read gives the same message and leaves everything as it was.
    void OpenNamedFile(const std::string& path);
    // Open of a file chosen outside the Open dialog (dropped on the window, a recent file):
    // the save prompt first, then as OpenNamedFile.
    void OpenFileAsked(const std::string& path);
    // Asks the exit question when the score has unsaved changes; false keeps the window.
    // The frame calls it before closing by the close box.
    bool QueryClose();
    // True exactly when the score differs from what its file holds (or, without a file,
    // from a new score): the history's clean point, the one modified state.
    bool Modified() const { return m_history.Modified(); }
    // Ties the score to `path` (empty: none) and sets the caption. `clean`: the score is now
    // what that file holds (saved, opened) or a new score; otherwise (an import) no state
    // of the history is saved anywhere.
    void SetDocumentFile(const std::string& path, bool clean);
    // Puts a recovered score in place of this one, changed against `path` (empty: none),
    // whose file had `stamp` when the copy was made; Save goes back to that file.
    void RestoreRecovered(const ScoreFileContent& content, const std::string& path,
                          std::optional<FileStamp> stamp);

    // ---- Import (files/ImportCommand.cpp) -------------------------------------------------
    // The save prompt, then a MIDI or MusicXML file arranged for the koto as the score.
    void OnImport();
    // Replaces the score with the melody of `path` arranged for the koto, as Open replaces
    // it but with no file of its own; `report` says what was placed, moved and dropped and
    // which tuning was chosen. Nothing changes when the file cannot be imported.
    std::optional<FileError> ImportFile(const std::string& path, const ImportChoice& choice,
                                        std::string& report);
    // Runs `work`, which must touch nothing of the view, on a worker thread while the
    // window shows `sjisText` with a progress and Cancel; false when it was stopped.
    bool RunWithProgress(const std::string& sjisText, const std::function<void()>& work);

    // ---- Song title (files/TitleCommand.cpp) ----------------------------------------------
    void OnTitle();

  private:
    // Puts what the import read and arranged in place of the score, or changes nothing.
    std::optional<FileError> ApplyImport(const ImportedMelody& imported, std::string& report);
    // Keys that store into the cursor cell k; each refuses cells that do not exist.
    void EditForKey(int key, int k);
    void MoveOrPlaceRest(int key, int k);
    // False when the key runs no command.
    bool RunKeyCommand(int key);
    void EnterString(int k, int string);
    void ClearCursorSlot(int k);
    void StepModifier(int k);
    void PlacePairRest(int k, int code);
    void PlaceRest(int k, int code);
    void PlaceTechnique(int k, int code);
    void PlaceRepeat(int k);

    // Range editing: asks for the range and sets m_rangeStart..m_rangeEnd; false when the
    // user did not confirm. CutShortRange gives how many cells of that range exist.
    bool ChooseRange(const std::string& operationName);
    int CutShortRange() const;
    void CopyRangeToClip(int count);
    void SetBaseToneLabel();
    void ShowSequencerError(platform::SeqError error);
    void RunPlayTimer(bool on);
    // After a key that stores a note: cell k sounds, cutting off the cell sounded before.
    void PreviewCell(int k);
    void CloseOpenedDevice();
    // Playback: cells firstCell.. to the end, or firstCell..loopLast again and again.
    void StartPlay(int firstCell, int loopLast);
    void StartPlayCursor(int firstCell, int loopLast);
    // One step of the playing cursor, turning the page forward past its last cell.
    void PlayStep();
    void FollowLoop(std::int64_t tickTime);
    void ShowLoopStart();
    // The top column of the page the playing cursor shows `cell` on: the page shown, or
    // as many pages further as it takes (at most to the last column a page may start at).
    int PlayPageFor(int cell) const;
    // File commands: the save prompt, saving and the state a load or New starts from.
    bool SavePromptAllows();
    bool SaveScore();
    bool SaveTo(const std::string& path);
    // False when the file changed on disk since the score last matched it and the user
    // would rather not overwrite it.
    bool MayOverwriteFile(const std::string& path);
    std::optional<std::string> AskSavePath();
    void SetFileCaption();
    // Empty cells, a fresh page and history; the settings are the caller's to set.
    void ResetView();
    void PaintTitleNow();

    void DrawPage(platform::IDrawSurface& surface, bool immediate, int topColumn, int pageNumber);
    void DrawPageCells(platform::IDrawSurface& s, const PageGeometry& g, const PageFonts& f,
                       int topColumn);
    void DrawCursor(platform::IDrawSurface& s, const PageGeometry& g, const PageFonts& f,
                    bool immediate);
    void DrawHeader(platform::IDrawSurface& s, const PageGeometry& g, const PageFonts& f,
                    int pageNumber);
    void SetUpScreenMapping(platform::IDrawSurface& surface);
    void SetScrollRanges(platform::ClientSize client);
    void KeepScrollInRange(platform::ClientSize client);
    // Scrolls just enough to show the cursor's cell when it moved; true when it scrolled.
    bool KeepCursorInView(platform::ClientSize client);
    // Pixels per scroll unit of a bar (the e + 1 of the scroll rule); 0 while it cannot move.
    int ScrollUnitPixels(platform::ScrollBar bar) const;

    platform::Services m_services;
    // Set once Exit has had its answer, so the frame's close does not ask a second time.
    bool m_closeConfirmed = false;
    std::uint64_t m_watchedRevision = 0;
    bool m_playTimerRunning = false;  // the cursor steps with a play
};

}  // namespace tabrella
