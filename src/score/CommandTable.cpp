// SPDX-License-Identifier: GPL-3.0-or-later
#include "score/CommandTable.h"

#include <array>

#include "resources/CommandIds.h"
#include "score/CTabrellaView.h"
#include "score/ScoreEdit.h"

namespace tabrella {
namespace {

using V = CTabrellaView;

// A command that may change the score: what it changed becomes one step of the history.
constexpr CommandEntry Edit(int id, void (*run)(V&)) {
    return {id, run, nullptr, nullptr, true};
}

template <int Percent>
constexpr CommandEntry Zoom(int id) {
    return {id, [](V& v) { v.OnZoom(Percent); },
            [](const V& v) { return v.IsZoomChecked(Percent); }};
}

const auto kTable = std::to_array<CommandEntry>({
    {cmd::kNew, [](V& v) { v.OnFileNew(); }},
    {cmd::kOpen, [](V& v) { v.OnFileOpen(); }},
    {cmd::kSave, [](V& v) { v.OnFileSave(); }},
    {cmd::kSaveAs, [](V& v) { v.OnFileSaveAs(); }},
    {cmd::kExit, [](V& v) { v.OnExit(); }},
    // Ctrl+N, Ctrl+O and Ctrl+S carry the view's own commands: the frame's document
    // holds no score, and its save would write a file without one.
    {cmd::kFileNew, [](V& v) { v.OnFileNew(); }},
    {cmd::kFileOpen, [](V& v) { v.OnFileOpen(); }},
    {cmd::kFileSave, [](V& v) { v.OnFileSave(); }},
    Edit(cmd::kTitle, [](V& v) { v.OnTitle(); }),
    {cmd::kGoToTop, [](V& v) { v.OnGoToTop(); }},
    {cmd::kPrint, [](V& v) { v.OnFilePrint(); }},
    {cmd::kPrintPreview, [](V& v) { v.OnFilePrintPreview(); }},
    {cmd::kPrintSetup, [](V& v) { v.OnFilePrintSetup(); }},
    {cmd::kAbout, [](V& v) { v.OnAppAbout(); }},
    {cmd::kHelp, [](V& v) { v.OnHelp(); }},
    {cmd::kGoToEnd, [](V& v) { v.OnGoToEnd(); }},
    {cmd::kEditUndo, [](V& v) { v.OnUndo(); }, nullptr, [](const V& v) { return v.CanUndo(); }},
    {cmd::kEditRedo, [](V& v) { v.OnRedo(); }, nullptr, [](const V& v) { return v.CanRedo(); }},
    Edit(cmd::kInsertBlank, [](V& v) { v.OnInsertBlank(); }),
    Edit(cmd::kCut, [](V& v) { v.OnCut(); }),
    {cmd::kCopy, [](V& v) { v.OnCopy(); }},
    Edit(cmd::kPaste, [](V& v) { v.OnPaste(); }),
    // The frame's standard ids (Ctrl+X, Shift+Delete, Ctrl+C, Ctrl+Insert, Ctrl+V,
    // Shift+Insert, the toolbar) do exactly what the menu items do.
    Edit(cmd::kEditCut, [](V& v) { v.OnCut(); }),
    {cmd::kEditCopy, [](V& v) { v.OnCopy(); }},
    Edit(cmd::kEditPaste, [](V& v) { v.OnPaste(); }),
    Zoom<80>(cmd::kZoom80),
    Zoom<90>(cmd::kZoom90),
    Zoom<100>(cmd::kZoom100),
    Zoom<120>(cmd::kZoom120),
    Zoom<150>(cmd::kZoom150),
    Zoom<200>(cmd::kZoom200),
    Zoom<300>(cmd::kZoom300),
    {cmd::kFontDialog, [](V& v) { v.OnFontDialog(); }},
    {cmd::kDefaultFont, [](V& v) { v.OnDefaultFont(); }},
    {cmd::kPlay, [](V& v) { v.OnPlay(); }},
    {cmd::kStop, [](V& v) { v.OnStop(); }},
    {cmd::kPlayLoop, [](V& v) { v.OnPlayLoop(); }},
    {cmd::kPlaySpeed, [](V& v) { v.OnPlaySpeed(); }},
    {cmd::kCountIn, [](V& v) { v.m_countIn = !v.m_countIn; },
     [](const V& v) { return v.m_countIn; }},
    {cmd::kMetronome, [](V& v) { v.m_metronome = !v.m_metronome; },
     [](const V& v) { return v.m_metronome; }},
    {cmd::kPreviewNotes, [](V& v) { v.m_previewNotes = !v.m_previewNotes; },
     [](const V& v) { return v.m_previewNotes; }},
    Edit(cmd::kTuning, [](V& v) { v.OnTuning(); }),
    Edit(cmd::kTempo, [](V& v) { v.OnTempo(); }),
    {cmd::kMidiExport, [](V& v) { v.OnMidiExport(); }},
    {cmd::kAudioExport, [](V& v) { v.OnAudioExport(); }},
    {cmd::kMusicXmlExport, [](V& v) { v.OnMusicXmlExport(); }},
    {cmd::kImport, [](V& v) { v.OnImport(); }},
});

}  // namespace

std::span<const CommandEntry> CommandTable() {
    return kTable;
}

const CommandEntry* FindCommand(int id) {
    for (const CommandEntry& e : kTable) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

bool CTabrellaView::OnCommand(int id) {
    const CommandEntry* entry = FindCommand(id);
    if (!entry) return false;
    if (entry->edits) {
        // The range an editing command changes is known only once its dialog has closed.
        ScoreEdit edit(*this, 1, kLastCellIndex);
        entry->run(*this);
    } else {
        entry->run(*this);
    }
    NoteScoreChange();
    return true;
}

platform::CommandState CTabrellaView::OnUpdateCommand(int id) const {
    const CommandEntry* entry = FindCommand(id);
    if (!entry) return {};
    return {!entry->enabled || entry->enabled(*this), entry->checked && entry->checked(*this)};
}

}  // namespace tabrella
