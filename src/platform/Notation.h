// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The score as staff notation, as the MusicXML export hands it to the writer of the format:
// measures of eight cells, a cell an eighth and half a split cell a sixteenth, holding the
// keys the MIDI export sounds. Plain values; texts are Shift-JIS.
#include <optional>
#include <string>
#include <vector>

namespace tabrella::platform {

// A bend of the sounding pitch at the start of a note, in semitones from where it was; a
// release lets a pressed or bent string go back.
struct NotationBend {
    int alter = 0;
    bool release = false;
    friend bool operator==(const NotationBend&, const NotationBend&) = default;
};

// One note, chord or rest.
struct NotationNote {
    int sixteenths = 2;              // 2 for a whole cell, 1 for a half
    std::vector<int> keys;           // MIDI keys in slot order; none for a rest
    std::vector<std::string> texts;  // each key's tablature (string name with its pressing
                                     // sign); none when the keys sound on from before
    bool tiedFromPrevious = false;   // the keys sound on from the note before
    bool tiedToNext = false;
    std::string sign;  // a technique sign of the cell over sounding keys (オ, ハ, ツ ...)
    std::vector<NotationBend> bends;
    bool IsRest() const { return keys.empty(); }
};

struct NotationMeasure {
    std::vector<NotationNote> notes;  // sixteen sixteenths in all
};

struct NotationScore {
    std::string title;                      // empty when the score has none
    std::string direction;                  // tuning and base tone, written at the start
    int tempo = 80;                         // quarter notes per minute
    int midiProgram = 107;                  // General MIDI program counted from 0 (koto)
    std::vector<NotationMeasure> measures;  // at least one
};

// The writer of a notation format, outside the core with its own libraries.
class INotationWriter {
  public:
    virtual ~INotationWriter() = default;
    // The bytes of a MusicXML file of `score`, compressed (.mxl) or plain; nothing when the
    // libraries failed.
    virtual std::optional<std::string> MusicXml(const NotationScore& score, bool compressed) = 0;
    // Why the last MusicXml gave nothing, where the writer can tell (Shift-JIS).
    virtual std::string Failure() const { return {}; }
};

}  // namespace tabrella::platform
