// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command ids of menus, toolbar buttons and accelerators.

namespace tabrella::cmd {

// The view's own commands.
inline constexpr int kNew = 32776;
inline constexpr int kOpen = 32773;
inline constexpr int kSave = 32774;
inline constexpr int kSaveAs = 32775;
inline constexpr int kMidiExport = 32794;
inline constexpr int kAudioExport = 32806;
inline constexpr int kMusicXmlExport = 32807;
inline constexpr int kImport = 32824;
inline constexpr int kInsertBlank = 32798;
inline constexpr int kCut = 32802;
inline constexpr int kCopy = 32801;
inline constexpr int kPaste = 32803;
inline constexpr int kFontDialog = 32780;
inline constexpr int kDefaultFont = 32781;
inline constexpr int kZoom80 = 32805;
inline constexpr int kZoom90 = 32797;
inline constexpr int kZoom100 = 32783;
inline constexpr int kZoom120 = 143;
inline constexpr int kZoom150 = 32787;
inline constexpr int kZoom200 = 32784;
inline constexpr int kZoom300 = 32785;
inline constexpr int kTitle = 32788;
inline constexpr int kTuning = 32795;
inline constexpr int kTempo = 32796;
inline constexpr int kHelp = 142;
inline constexpr int kPlay = 32790;
inline constexpr int kStop = 32791;
inline constexpr int kGoToTop = 32792;
inline constexpr int kGoToEnd = 32804;
// Practising with the player.
inline constexpr int kPlayLoop = 32820;
inline constexpr int kPlaySpeed = 32821;
inline constexpr int kCountIn = 32822;
inline constexpr int kMetronome = 32823;
// Each note sounded as it is typed.
inline constexpr int kPreviewNotes = 32825;
// The interface language, taking effect at the next start.
inline constexpr int kLanguageSystem = 32830;
inline constexpr int kLanguageJapanese = 32831;
inline constexpr int kLanguageEnglish = 32832;

// The frame's standard commands.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;

}  // namespace tabrella::cmd
