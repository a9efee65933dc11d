// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The English interface: one table for each of the Japanese tables, keyed by the same
// ids. UTF-8 here and converted to Shift-JIS like the Japanese, so every English text must
// be one Shift-JIS can hold (ASCII, or the score's own signs); the romanised readings of
// the tuning and base-tone names are the exception, shown only at the Qt edge.
#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "resources/ExportTexts.h"
#include "resources/FileTexts.h"
#include "resources/ImportTexts.h"
#include "resources/SequencerTexts.h"
#include "resources/ShellTexts.h"
#include "resources/SoundTexts.h"
#include "resources/SpeechTexts.h"
#include "resources/Texts.h"

namespace tabrella::res::english {

template <class Id>
using Table = std::array<std::string_view, static_cast<std::size_t>(Id::Count)>;

extern const Table<Txt> kTexts;
extern const Table<FileTxt> kFileTexts;
extern const Table<ImportTxt> kImportTexts;
extern const Table<ExportTxt> kExportTexts;
extern const Table<SeqTxt> kSequencerTexts;
extern const Table<SoundTxt> kSoundTexts;
extern const Table<ShellTxt> kShellTexts;
extern const Table<SpeechTxt> kSpeechTexts;
extern const std::array<std::string_view, 4> kRangeOperations;

// Menu entries by command id, popups by their menu id.
struct MenuText {
    int id;
    std::string_view text;
};
extern const std::span<const MenuText> kMenu;

struct CommandText {
    int id;
    std::string_view prompt;
    std::string_view tooltip;
};
extern const std::span<const CommandText> kCommands;

extern const std::array<std::string_view, 4> kStatusIndicators;
extern const std::string_view kIdleMessage;

// A dialog's caption and its controls' texts in the template's order.
struct DialogText {
    int id;
    std::string_view caption;
    std::vector<std::string_view> controls;
};
const std::vector<DialogText>& Dialogs();

// The romanised readings of the eight tunings and of base tones 1..12 (index 0 empty).
extern const std::array<std::string_view, 8> kTuningReadings;
extern const std::array<std::string_view, 13> kBaseToneReadings;

}  // namespace tabrella::res::english
