#pragma once
// Reading back what the MIDI writer produced: bytes as hex text for readable diffs, and a
// strict reader of the one track that checks the file is well formed and times each event.
#include <string>
#include <string_view>
#include <vector>

namespace tabrella::test {

// "E0 00 40 ..." of bytes[from, end).
std::string Hex(std::string_view bytes, size_t from = 0);

struct TimedEvent {
    long tick = 0;
    std::string bytes;  // status and data bytes, without the delta
};

struct MidiTrack {
    bool valid = false;
    std::string error;  // why it is not valid
    std::vector<TimedEvent> events;
    long endTick = 0;  // tick of the end-of-track event

    // Note-on events (velocity > 0) as "tick:key", in order.
    std::vector<std::string> NoteOns() const;
    // Pitch-bend events as "tick:msb", in order.
    std::vector<std::string> Bends() const;
};

// Reads a format-0 file as the writer makes it. Not valid when the header, the track length,
// a delta, a status or a data byte (>= 0x80) is wrong, or bytes follow the end of track.
MidiTrack ReadMidi(std::string_view bytes);

}  // namespace tabrella::test
