// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading melodies from foreign files: Standard MIDI Files of format 0 and 1 (read by hand,
// strictly), and MusicXML, plain with pugixml or compressed (.mxl) with libzip; recordings
// by their path (AudioMelody.h).
#include <string>
#include <string_view>

#include "platform/Melody.h"

namespace tabrella::exchange {

// Which part of a file to read, from the text IMelodyReader::Read takes.
struct TrackChoice {
    enum class Kind { Every, Number, Channel, Name };
    Kind kind = Kind::Every;
    int number = 0;    // a track or part from 1, or a channel 1..16
    std::string name;  // Shift-JIS
    static TrackChoice Parse(std::string_view sjis);
};

// The MIDI channel of drums, counted from 1 as players count it: never a melody unless
// it is asked for by name.
inline constexpr int kDrumChannel = 10;

// Track or part names as the user types them: ASCII letters in either case.
bool SameName(std::string_view sjisA, std::string_view sjisB);

// Every channel but the drums of the first track that has pitched notes (or what `track`
// names).
platform::MelodyRead ReadMidiMelody(std::string_view bytes, const TrackChoice& track);

// The first part that has pitched notes (or the part `track` names).
platform::MelodyRead ReadMusicXmlMelody(std::string_view bytes, const TrackChoice& track);

// A text of a foreign file as Shift-JIS: read as UTF-8 when it is UTF-8, else kept when it
// is Shift-JIS, else only its ASCII letters. Control characters become blanks.
std::string ForeignText(std::string_view bytes);

// The characters of a UTF-8 text that Shift-JIS has no place for, as "U+XXXX", blank
// between; empty for any other text.
std::string CharactersOutsideSjis(std::string_view bytes);

class MelodyReader final : public platform::IMelodyReader {
  public:
    platform::MelodyRead Read(std::string_view bytes, std::string_view track) override;
    // AudioMelody.h
    platform::MelodyRead ReadRecording(const std::string& nativePath, double tempo,
                                       const std::function<bool(long, long)>& progress) override;
};

}  // namespace tabrella::exchange
