// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MidiBytes.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace tabrella::test {
namespace {

unsigned Byte(std::string_view b, size_t i) {
    return static_cast<unsigned char>(b[i]);
}

}  // namespace

std::string Hex(std::string_view bytes, size_t from) {
    std::string out;
    char buf[4];
    for (size_t i = from; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", Byte(bytes, i));
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

std::vector<std::string> MidiTrack::NoteOns() const {
    std::vector<std::string> out;
    for (const TimedEvent& e : events) {
        if (e.bytes.size() == 3 && (Byte(e.bytes, 0) & 0xF0) == 0x90 && Byte(e.bytes, 2) > 0) {
            out.push_back(std::to_string(e.tick) + ":" + std::to_string(Byte(e.bytes, 1)));
        }
    }
    return out;
}

std::vector<std::string> MidiTrack::Bends() const {
    std::vector<std::string> out;
    for (const TimedEvent& e : events) {
        if (e.bytes.size() == 3 && (Byte(e.bytes, 0) & 0xF0) == 0xE0) {
            out.push_back(std::to_string(e.tick) + ":" + std::to_string(Byte(e.bytes, 2)));
        }
    }
    return out;
}

std::vector<SoundedNote> MidiTrack::GridNotes() const {
    std::vector<SoundedNote> notes;
    std::multimap<int, size_t> sounding;  // key -> note, first struck first ended
    long previous = 0, restTicks = 0;
    for (const TimedEvent& e : events) {
        if (e.tick - previous == 238) restTicks += 2;
        previous = e.tick;
        if (e.bytes.size() != 3) continue;
        const unsigned kind = Byte(e.bytes, 0) & 0xF0;
        const int key = static_cast<int>(Byte(e.bytes, 1));
        const long at = e.tick - 1 + restTicks;
        if (kind == 0x90 && Byte(e.bytes, 2) > 0) {
            sounding.emplace(key, notes.size());
            notes.push_back({at, at, key});
        } else if (kind == 0x80 || kind == 0x90) {
            // The writer's spacers are note offs of key 0 that end nothing.
            const auto it = sounding.lower_bound(key);
            if (it == sounding.end() || it->first != key) continue;
            notes[it->second].end = at;
            sounding.erase(it);
        }
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

std::string WalkMidi(std::string_view b, const MidiEventSink& onEvent, long& endTick) {
    auto at = [&](size_t i) { return Byte(b, i); };
    const std::string_view head("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
    if (b.size() < 22 || b.substr(0, 18) != head) return "bad header";
    const size_t length = (at(18) << 24) | (at(19) << 16) | (at(20) << 8) | at(21);
    if (length != b.size() - 22) return "track length " + std::to_string(length);
    size_t i = 22;
    long tick = 0;
    while (i < b.size()) {
        long delta = 0;
        int count = 0;
        do {
            if (i >= b.size() || ++count > 4) return "bad delta at " + std::to_string(i);
            delta = (delta << 7) | (at(i) & 0x7F);
        } while (at(i++) & 0x80);
        tick += delta;
        if (i >= b.size()) return "missing event at " + std::to_string(i);
        const unsigned status = at(i);
        const unsigned kind = status & 0xF0;
        size_t size = 0;
        if (status == 0xFF) {
            if (i + 2 >= b.size()) return "short meta event";
            size = 3 + at(i + 2);
        } else if (kind == 0xC0) {
            size = 2;
        } else if (kind == 0x80 || kind == 0x90 || kind == 0xE0) {
            size = 3;
        } else {
            return "bad status at " + std::to_string(i);
        }
        if (i + size > b.size()) return "short event at " + std::to_string(i);
        if (status != 0xFF) {
            for (size_t k = 1; k < size; ++k) {
                if (at(i + k) >= 0x80) return "data byte >= 80 at " + std::to_string(i + k);
            }
        }
        onEvent(tick, b.substr(i, size));
        i += size;
        if (status == 0xFF && at(i - size + 1) == 0x2F) {
            endTick = tick;
            if (i != b.size()) return "bytes after end of track";
            return {};
        }
    }
    return "no end of track";
}

MidiTrack ReadMidi(std::string_view b) {
    MidiTrack t;
    t.error = WalkMidi(
        b,
        [&](long tick, std::string_view e) {
            t.events.push_back({tick, std::string(e)});
        },
        t.endTick);
    t.valid = t.error.empty();
    return t;
}

}  // namespace tabrella::test
