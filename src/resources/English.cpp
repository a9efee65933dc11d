// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/English.h"

#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/FrameResources.h"

namespace tabrella::res::english {

// The score's own texts (fonts, signs, the tempo and page marks) stay as they are.
const Table<Txt> kTexts = {
    "Tabrella",
    "Tabrella",
    "Untitled - Tabrella",
    "ＭＳ ゴシック",
    "MS Pゴシック",
    "ＭＳ Ｐゴシック",
    "HG正楷書体-PRO",
    "ノ",
    "・",
    "　",
    "%d/分",
    "基音",
    "乙",
    "The score has unsaved changes. Quit anyway?",
    "Please enter a file name.",
    "Please enter a whole number.",
    "Please enter a whole number from %d to %d.",
    "There are no cells to paste. Cut or copy some first.",
    "Untitled",
    " - Tabrella",
    "Cannot load the printing module: ",
    "The printing module does not match this version of the program: ",
};

const Table<FileTxt> kFileTexts = {
    "Tabrella Files (*.tbr)",
    "Text Files (*.txt)",
    "The file could not be saved.",
    "The file could not be opened.",
    "This is not a Tabrella score file.",
    "This is not a regular file (it is a folder, a device, a pipe or the like).",
    "No new file can be made in this folder: ",
    "The text holds characters a score cannot store. Please use only characters that "
    "Shift-JIS can represent.",
};

const Table<ImportTxt> kImportTexts = {
    "MIDI, MusicXML and Audio Files (*.mid *.midi *.musicxml *.xml *.mxl *.wav *.flac *.ogg)",
    "MIDI Files (*.mid *.midi)",
    "MusicXML Files (*.musicxml *.xml *.mxl)",
    "The file could not be imported.",
    "This is not a MIDI file, a MusicXML file or audio.",
    "The file is damaged or cut short.",
    "This kind of file is not supported. MIDI formats 0 and 1 and part-wise MusicXML "
    "(score-partwise) can be read.",
    "The file has no such track.",
    "There are no notes to read.",
    "This build cannot read MIDI, MusicXML or audio.",
    "Placed %d notes (%d of them moved by an octave). Notes that could not be placed: %d. "
    "Tuning: %s  %s",
    "Part read: %s",
    "Other parts (choose with --track): %s",
    "Tracks to choose from: %s",
    "More than one track has that name; please choose one by its number.",
    "The whole part was moved by %+d octave(s).",
    "Notes left out of chords one hand cannot play, %d: %s",
    "The piece does not fit the score: from bar %d on, %d notes were left out.",
    "Characters of the title that Shift-JIS lacks became \"?\": %s",
    "Repeats were played out (%d).",
    "The pickup bar was filled out with rests before it.",
    "The file is too large: more than %s.",
    "%lld notes",
    "%lld XML elements",
    "%lld bytes of XML",
    "%lld files in the archive",
    "Too many notes: after the first %d, %d notes were left out.",
    "Chords of more than %d notes kept their highest; %d notes were left out.",
    "base tone %s%s",
    ", otsu",
    "Automatic",
    "Without otsu",
    "With otsu",
    "Automatic (the first part with pitched notes)",
    "Reading the file...",
    "Audio Files (*.wav *.flac *.ogg)",
    "The recording is silent: nothing in it is loud enough to hear.",
    "No pitched notes can be heard in the recording: it holds only noise.",
    "Tempo heard: %d quarter notes a minute",
    "Tempo as given: %d",
    "The recording is tuned %+d cents from A = 440 Hz; its notes were read against that.",
    "Notes whose pitch is uncertain: %d",
    "Sounds too short to be notes, left out: %d",
    "Only the first %d minutes were read; the %d seconds after them were left out.",
    "Pitches too low or high for a melody (outside C2 to C7), left out as noise: %d",
};

const Table<ExportTxt> kExportTexts = {
    "%d / %d",
    "WAV Files (*.wav)",
    "FLAC Files (*.flac)",
    "Ogg Vorbis Files (*.ogg)",
    "MusicXML Files (*.musicxml)",
    "Compressed MusicXML Files (*.mxl)",
    "Writing audio...",
    "Please give the file the extension .wav, .flac or .ogg.",
    "Please give the file the extension .musicxml or .mxl.",
    "The export was cancelled.",
    "This build cannot write audio.",
    "This build cannot write MusicXML.",
    "The MusicXML could not be made.",
    "The MIDI data could not be made.",
    "Cannot load the MIDI and MusicXML module: ",
    "The MIDI and MusicXML module does not match this version of the program: ",
    "The image could not be converted to PNG.",
};

const Table<SeqTxt> kSequencerTexts = {
    "No error.",
    "The General MIDI sound font (SoundFont) was not found. Please name it with "
    "TABRELLA_SOUNDFONT.",
    "Cannot read the sound font: ",
    "Cannot open the audio output device",
    "Cannot create the synthesizer: ",
    "Cannot open the MIDI file: ",
    "The device is not open.",
    "Cannot play the MIDI file: ",
    "Unknown error (%u).",
    "Cannot load the sound module: ",
    "The sound module does not match this version of the program: ",
};

const Table<SoundTxt> kSoundTexts = {
    "MIDI Files (*.mid)",
    "The file could not be written.",
    "The temporary file for playing could not be made.",
    "Please enter a playback speed from 50 to 100, in steps of 5.",
};

const Table<ShellTxt> kShellTexts = {
    "About Tabrella",
    "<b>Tabrella</b> version %1<br><br>"
    "An editor to write, hear and print scores for the thirteen-string koto in vertical "
    "tablature.<br>Made with Qt and FluidSynth.<br><br>"
    "Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later). "
    "It comes with no warranty.",
    "Tabrella Help",
    "Cell %1   from column %2",
    "Loop %1 to %2",
    "Count-in",
    "Metronome",
    "Speed %1%",
    "The language changes at the next start",
    "Wrote %1",
    "Strings: %1   ↓: next cell   Key list: F1",
};

// The string names keep the page's sign with the reading the dialogs give it.
const Table<SpeechTxt> kSpeechTexts = {
    "Cell %1",
    "column %1, row %2, %3",
    "upper",
    "lower",
    "split, first half",
    "split, second half",
    "first half",
    "second half",
    "cursor at %1",
    "left",
    "centre",
    "right",
    "empty",
    "rest ○ continues",
    "rest ○, two cells",
    "rest △, one cell",
    "dotted rest ○, two cells",
    "dotted rest △, one cell",
    "repeat ゝ",
    "ハ, release the press",
    "ツ, tsuki",
    "ヒ, hiki",
    "ヲ (semitone press)",
    "オ (whole-tone press)",
    "ォ (tone-and-a-half press)",
    "一 (ichi)",
    "二 (ni)",
    "三 (san)",
    "四 (shi)",
    "五 (go)",
    "六 (roku)",
    "七 (shichi)",
    "八 (hachi)",
    "九 (ku)",
    "十 (ju)",
    "斗 (to)",
    "為 (i)",
    "巾 (kin)",
    ", ",
    "Score",
    "Vertical scroll bar",
    "Horizontal scroll bar",
    "One more",
    "One less",
};

// Each reads before "cells" in the range dialog: "Copy cells 1 to 5 inclusive".
const std::array<std::string_view, 4> kRangeOperations = {"Insert blanks in", "Cut", "Copy",
                                                          "Loop-play"};

namespace {

using namespace cmd;

constexpr MenuText kMenuRows[] = {
    {menu::kFile, "&File"},
    {kNew, "&New\tCtrl+N"},
    {kOpen, "&Open...\tCtrl+O"},
    {kSave, "&Save\tCtrl+S"},
    {kSaveAs, "Save &As..."},
    {kMidiExport, "Export &MIDI..."},
    {kAudioExport, "Export A&udio..."},
    {kMusicXmlExport, "Export Musi&cXML..."},
    {kImport, "&Import..."},
    {kPrint, "&Print...\tCtrl+P"},
    {kPrintPreview, "Print Pre&view"},
    {kPrintSetup, "P&rint Setup..."},
    {kExit, "E&xit"},
    {menu::kEdit, "&Edit"},
    {kEditUndo, "&Undo\tCtrl+Z"},
    {kEditRedo, "&Redo\tCtrl+Y"},
    {kInsertBlank, "Insert &Blank Cells..."},
    {kCut, "Cu&t..."},
    {kCopy, "&Copy..."},
    {kPaste, "&Paste..."},
    {menu::kView, "&View"},
    {menu::kFont, "&Font"},
    {kFontDialog, "&Choose Font..."},
    {kDefaultFont, "&Default Font"},
    {menu::kZoom, "&Zoom"},
    {kZoom80, "&80%"},
    {kZoom90, "&90%"},
    {kZoom100, "&100%"},
    {kZoom120, "1&20%"},
    {kZoom150, "1&50%"},
    {kZoom200, "2&00%"},
    {kZoom300, "&300%"},
    {kTitle, "Piece &Title..."},
    {menu::kLanguage, "&Language"},
    {kLanguageSystem, "&System Language"},
    {kLanguageJapanese, "&Japanese (日本語)"},
    {kLanguageEnglish, "&English"},
    {menu::kPlay, "&Play"},
    {kTuning, "&Tuning..."},
    {kTempo, "T&empo..."},
    {kPlayLoop, "&Loop a Range..."},
    {kPlaySpeed, "Playback &Speed..."},
    {kCountIn, "&Count-In"},
    {kMetronome, "&Metronome"},
    {kPreviewNotes, "Play &Notes While Typing"},
    {menu::kHelp, "&Help"},
    {kAbout, "&About Tabrella..."},
    {kHelp, "Tabrella &Help"},
};

constexpr CommandText kCommandRows[] = {
    {kOpen, "Open a score file", "Open"},
    {kSave, "Save the score to its file", "Save"},
    {kNew, "Start a new score", "New"},
    {kPlay, "Start playing", "Play"},
    {kStop, "Stop playing", "Stop"},
    {kGoToTop, "Go back to the start of the score", "Go to Start"},
    {kGoToEnd, "Go to the end of the piece", ""},
    {kHelp, "Open the help page", ""},
    {kAudioExport, "Write the piece to an audio file", ""},
    {kMusicXmlExport, "Write the piece to a MusicXML file", ""},
    {kImport, "Turn the melody of a MIDI or MusicXML file into a koto score", ""},
    {kPrintSetup, "Change the printer and printing options", "Print Setup"},
    {kPrint, "Print the score", "Print"},
    {kPrintPreview, "Show the pages as they will be printed", "Print Preview"},
    {kEditCopy, "Copy the selection to the clipboard", "Copy"},
    {kEditCut, "Cut the selection to the clipboard", "Cut"},
    {kEditPaste, "Paste the clipboard's contents", "Paste"},
    {kAbout, "Show the program's information, version and copyright", "About"},
    {kExit, "Quit the application, asking to save the score", "Exit"},
    {kEditUndo, "Undo the last change", "Undo"},
    {kEditRedo, "Redo the change undone last", "Redo"},
    {kPlayLoop, "Play a range of cells over and over", ""},
    {kPlaySpeed, "Play at 50 to 100 % of the tempo", ""},
    {kCountIn, "Count one bar in before playing", ""},
    {kMetronome, "Click on every beat while playing", ""},
    {kPreviewNotes, "Sound the cell's notes as each string or sign is typed", ""},
    {kLanguageSystem, "Follow the system's language from the next start", ""},
    {kLanguageJapanese, "Show menus and dialogs in Japanese from the next start", ""},
    {kLanguageEnglish, "Show menus and dialogs in English from the next start", ""},
};

}  // namespace

const std::span<const MenuText> kMenu = kMenuRows;
const std::span<const CommandText> kCommands = kCommandRows;

const std::array<std::string_view, 4> kStatusIndicators = {"KANA", "CAP", "NUM", "SCRL"};
const std::string_view kIdleMessage = "Ready";

const std::vector<DialogText>& Dialogs() {
    static const std::vector<DialogText> dialogs = {
        {kDlgSavePrompt,
         "Save File",
         {"This file has been changed.", "Do you want to save it?", "Yes", "No", "Cancel"}},
        {kDlgSavedNotice, "File Saved", {"The file has been saved."}},
        {kDlgRecovery,
         "Recover Score",
         {"A score was not saved when the program last ended.", "", "", "", "Restore", "Discard",
          "Later"}},
        {kDlgTitle,
         "Piece Title",
         {"", "OK", "Cancel", "Enter the title of the piece.", "",
          "(in full-width characters, please)"}},
        {kDlgImport,
         "Import Settings",
         {"Tuning", "", "Base tone", "", "乙 (otsu)", "", "Part or track", "",
          "\"Automatic\" chooses what fits the notes best.", "OK", "Cancel"}},
        {kDlgTuning,
         "Tuning",
         {"Choose the tuning.", "", "Choose the base tone.", "",
          "Check to lower the base tone by an octave.", "乙 (otsu)", "OK", "Cancel"}},
        {kDlgTempo,
         "Change Tempo",
         {"", "", "OK", "Cancel", "Tempo", "beats a minute (10 to 999)"}},
        {kDlgRange,
         "Choose Range",
         {"", "", "to", "", "", "inclusive", "OK", "Cancel", "", "cells"}},
        {kDlgPaste, "Paste", {"Paste", "Cancel", "", "", "Paste at this cell"}},
        {kDlgPlaySpeed,
         "Playback Speed",
         {"Choose how fast to play, against the tempo.", "", "%  (50 to 100, steps of 5)", "OK",
          "Cancel"}},
    };
    return dialogs;
}

const std::array<std::string_view, 8> kTuningReadings = {
    "Hirajōshi", "Kumoijōshi", "Nakazorajōshi",    "Nogijōshi",
    "Gakujōshi", "To-onkai",   "pentatonic minor", "harmonic minor"};

const std::array<std::string_view, 13> kBaseToneReadings = {
    "",      "Ichikotsu", "Tangin", "Hyōjō",    "Shōzetsu", "Shimomu", "Sōjō",
    "Fushō", "Ōshiki",    "Rankei", "Banshiki", "Shinsen",  "Kamimu"};

}  // namespace tabrella::res::english
