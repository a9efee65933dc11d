// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading back what the MIDI writer produced: bytes as hex text for readable diffs, and a
// strict reader of the one track that checks the file is well formed and times each event.
#include <compare>
#include <functional>
#include <ostream>
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

// A note from its start to its end, in ticks; the key sounding.
struct SoundedNote {
    long onset = 0;
    long end = 0;
    int key = 0;
    friend auto operator<=>(const SoundedNote&, const SoundedNote&) = default;
    friend void PrintTo(const SoundedNote& n, std::ostream* os) {
        *os << "key " << n.key << " " << n.onset << ".." << n.end;
    }
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
    // Each note on with the note off that ends it, sorted, timed on the score's cell grid as
    // notation counts it: without the writer's first tick (the delta before the program
    // change), and with every rest cell (a delta of 238) a whole cell of 240.
    std::vector<SoundedNote> GridNotes() const;
};

using MidiEventSink = std::function<void(long tick, std::string_view event)>;

// Walks a format-0 file as the writer makes it, handing each event (status and data bytes)
// with its tick to onEvent. Returns why the file is not well formed, or an empty text: the
// header, the track length, a delta, a status or a data byte (>= 0x80) is wrong, or bytes
// follow the end of track. endTick is then the tick of the end-of-track event.
std::string WalkMidi(std::string_view bytes, const MidiEventSink& onEvent, long& endTick);

// Reads a format-0 file as the writer makes it. Not valid when the header, the track length,
// a delta, a status or a data byte (>= 0x80) is wrong, or bytes follow the end of track.
MidiTrack ReadMidi(std::string_view bytes);

}  // namespace tabrella::test
