// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading back a MusicXML export with the libraries a reader would use (pugixml, libzip):
// the notes with their ties joined, timed as the MIDI reader times them, and what stands
// under and on each struck note.
#include <string>
#include <string_view>
#include <vector>

#include "support/MidiBytes.h"

namespace tabrella::test {

struct MusicXmlScore {
    bool valid = false;
    std::string error;                             // why it is not valid
    std::string title, partName, direction, clef;  // UTF-8; clef as "G2"
    int divisions = 0, tempo = 0, midiProgram = 0, measures = 0;
    std::string time;  // "4/4"
    // Notes in ticks of 480 a quarter, a tied note from its first start to its last end.
    std::vector<SoundedNote> notes;
    // Struck notes' lyrics as "tick:key:number:text", bends as "tick:key:alter" with "r"
    // after a release, in document order.
    std::vector<std::string> lyrics, bends;
};

// Not valid when the document does not parse, is not partwise MusicXML 4.0, a measure does
// not hold one 4/4 measure, or a tie does not join two notes of one key.
MusicXmlScore ReadMusicXml(std::string_view document);

// The score document of a compressed MusicXML file, after checking its layout: "mimetype"
// first, stored and naming MusicXML, and a container whose root file is in the archive.
// Empty, with `error` set, when it is not one.
std::string ReadMxl(std::string_view archive, std::string& error);

}  // namespace tabrella::test
