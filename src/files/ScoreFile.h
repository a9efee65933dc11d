// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score file: plain Shift-JIS text of words separated by white space. The writer puts
// one cell per line and ends every line with CR LF; the reader only follows the words.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileError.h"
#include "score/ScoreCell.h"
#include "score/ScoreSettings.h"

namespace tabrella {

// Everything a score file holds, apart from the view.
struct ScoreFileContent {
    // Cell 1 first. The reader never keeps more than cells 1..2999, and a last record cut
    // short keeps the fields it had, so this may hold one cell more than `records`.
    std::vector<ScoreCell> cells;
    // Complete records the reader found, those past cell 2999 included.
    int records = 0;
    // A new score's where the file has no word for them; an empty title is the word NULL.
    StoredSettings settings;
    // A word of the cell section is not an integer: whatever the file is, it is no score,
    // and saving over it would destroy it.
    bool notAScore = false;

    friend bool operator==(const ScoreFileContent&, const ScoreFileContent&) = default;
};

// The bytes of a score file for `content.cells` and the settings.
std::string FormatScoreFile(const ScoreFileContent& content);

// Reads the words of a score file. Never fails: what is missing keeps the defaults.
ScoreFileContent ParseScoreFile(std::string_view bytes);

// A word's value: an optional sign and the digits that follow, up to the first other
// byte; 0 when there is no digit. Beyond 32 bits it is clamped to the nearest limit.
std::int32_t WordValue(std::string_view word);

// The title as one word of the file, so that it reads back whole: each half-width white
// space (space, tab, line ends) becomes a full-width space. Trail bytes of Shift-JIS are
// never white space, so the bytes can be looked at one by one.
std::string TitleAsOneWord(std::string_view sjis);

// More than this is no score (one is under 300 KB); it also stops reading a device
// such as /dev/zero that never ends.
inline constexpr std::size_t kMaxScoreFileBytes = std::size_t{16} << 20;

struct ScoreFileRead {
    std::optional<FileError> error;  // set when the file could not be read whole
    ScoreFileContent content;
};

// Reads the whole file before anything is made of it. Only a regular file is read, and
// one that is no score is refused.
ScoreFileRead ReadScoreFile(std::string_view path);

}  // namespace tabrella
