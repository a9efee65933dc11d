// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading melodies from foreign files: Standard MIDI Files of format 0 and 1 (read by hand,
// strictly), and MusicXML, plain with pugixml or compressed (.mxl) with libzip; recordings
// by their path (AudioMelody.h).
#include <cstdint>
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

// How much of a file the readers build before they refuse it as too large: far above any
// real score, low enough that no file takes more than about 256 MB or a few seconds. A
// pugixml tree costs up to 64 bytes for each element, attribute or text, on top of the
// document's own bytes.
struct ReadLimits {
    std::int64_t notes = 1'000'000;
    // Elements, attributes and texts together; also the elements of the measures of the part
    // read, counted each time its repeats play them.
    std::int64_t xmlElements = 3'000'000;
    std::int64_t xmlCharacters = std::int64_t{32} << 20;  // bytes of one XML document
    std::int64_t archiveEntries = 10'000;                 // files in an .mxl

    std::int64_t Most(platform::MelodyLimit limit) const {
        switch (limit) {
            case platform::MelodyLimit::Notes:
                return notes;
            case platform::MelodyLimit::Elements:
                return xmlElements;
            case platform::MelodyLimit::Characters:
                return xmlCharacters;
            case platform::MelodyLimit::ArchiveEntries:
                break;
        }
        return archiveEntries;
    }
};

// A refusal naming the limit passed.
platform::MelodyRead TooLarge(platform::MelodyLimit limit, const ReadLimits& limits);

// Track or part names as the user types them: ASCII letters in either case.
bool SameName(std::string_view sjisA, std::string_view sjisB);

// Every channel but the drums of the first track that has pitched notes (or what `track`
// names).
platform::MelodyRead ReadMidiMelody(std::string_view bytes, const TrackChoice& track,
                                    const ReadLimits& limits = {});

// The first part that has pitched notes (or the part `track` names).
platform::MelodyRead ReadMusicXmlMelody(std::string_view bytes, const TrackChoice& track,
                                        const ReadLimits& limits = {});

// A text of a foreign file as Shift-JIS: read as UTF-8 when it is UTF-8, else kept when it
// is Shift-JIS, else only its ASCII letters. Control characters become blanks.
std::string ForeignText(std::string_view bytes);

// The characters of a UTF-8 text that Shift-JIS has no place for, as "U+XXXX", blank
// between; empty for any other text.
std::string CharactersOutsideSjis(std::string_view bytes);

class MelodyReader final : public platform::IMelodyReader {
  public:
    explicit MelodyReader(const ReadLimits& limits = {}) : m_limits(limits) {}
    platform::MelodyRead Read(std::string_view bytes, std::string_view track,
                              platform::TaskState* task = nullptr) override;
    // AudioMelody.h
    platform::MelodyRead ReadRecording(const std::string& nativePath, double tempo,
                                       const std::function<bool(long, long)>& progress) override;

  private:
    const ReadLimits m_limits;
};

}  // namespace tabrella::exchange
