// SPDX-License-Identifier: GPL-3.0-or-later
// The Standard MIDI File reader: formats 0 and 1, time in ticks per quarter note.
//
// Strict about lengths: every chunk must lie inside the file and every event inside its
// chunk, a variable-length number takes four bytes at most and data bytes stay below 80;
// anything else is a damaged file and nothing of it is used. Within that it takes what real
// files hold: running status (also across meta and system exclusive events, as many
// writers assume), chunks of unknown types, bytes after the last track, a track without
// its end event, and note ons of velocity 0 as note offs.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange/MelodyReader.h"
#include "platform/Task.h"

namespace tabrella::exchange {
namespace {

using platform::MelodyFault;
using platform::MelodyNote;
using platform::MelodyRead;

constexpr int kChannels = 16;
constexpr int kKeys = 128;
constexpr unsigned kMeta = 0xFF;
constexpr unsigned kSysEx = 0xF0;
constexpr unsigned kSysExPart = 0xF7;
constexpr unsigned kTrackName = 0x03;
constexpr unsigned kEndOfTrack = 0x2F;
constexpr unsigned kSetTempo = 0x51;
constexpr unsigned kNoteOff = 0x80;
constexpr unsigned kNoteOn = 0x90;
constexpr unsigned kProgram = 0xC0;
constexpr unsigned kPressure = 0xD0;
// A file that says nothing of its tempo plays at 120 quarter notes a minute.
constexpr double kDefaultTempo = 120;

struct ChannelNote {
    MelodyNote note;
    int channel = 0;  // 1..16
};

struct TrackEvents {
    std::string name;  // the first track name, as the file holds it
    bool named = false;
    std::vector<ChannelNote> notes;
    std::vector<std::pair<std::int64_t, int>> silent;             // tick and channel
    std::optional<std::pair<std::int64_t, std::uint32_t>> tempo;  // tick, microseconds a quarter
};

class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Has(std::uint64_t n) const { return m_bytes.size() - m_at >= n; }
    bool AtEnd() const { return m_at == m_bytes.size(); }
    unsigned Peek() const { return static_cast<unsigned char>(m_bytes[m_at]); }
    unsigned Byte() { return static_cast<unsigned char>(m_bytes[m_at++]); }
    // Big-endian; the caller has made sure the bytes are there.
    std::uint32_t Big(int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | Byte();
        return v;
    }
    std::optional<std::uint32_t> VariableLength() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4 && Has(1); ++i) {
            const unsigned b = Byte();
            v = (v << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return v;
        }
        return std::nullopt;
    }
    std::string_view Take(std::uint64_t n) {
        const std::string_view part = m_bytes.substr(m_at, n);
        m_at += part.size();
        return part;
    }

  private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// The notes of one key sounding, first struck first ended: those from `first` on.
struct Sounding {
    std::vector<std::size_t> notes;
    std::size_t first = 0;
    bool Empty() const { return first == notes.size(); }
};

class TrackReader {
  public:
    // `sounding` (per channel and key, all empty) is lent for the track and left empty.
    // `events` counts the notes and the note offs that end nothing of every track so far.
    TrackReader(TrackEvents& track, std::vector<Sounding>& sounding, std::int64_t& events,
                std::int64_t most)
        : m_track(track), m_sounding(sounding), m_events(events), m_most(most) {}

    // False when an event does not fit the chunk or is no event of a file, or when the
    // notes pass the limit (TooMany()).
    bool Read(std::string_view chunk) {
        ByteReader in(chunk);
        while (!in.AtEnd()) {
            platform::StopPoint();
            const std::optional<std::uint32_t> delta = in.VariableLength();
            if (!delta || !in.Has(1)) return false;
            m_tick += *delta;
            unsigned status = in.Peek();
            if (status >= 0x80) {
                in.Byte();
            } else if (m_running == 0) {
                return false;
            } else {
                status = m_running;
            }
            if (status == kMeta) {
                if (!in.Has(1)) return false;
                const unsigned type = in.Byte();
                const std::optional<std::string_view> data = Sized(in);
                if (!data) return false;
                if (type == kEndOfTrack) break;
                Meta(type, *data);
            } else if (status == kSysEx || status == kSysExPart) {
                if (!Sized(in)) return false;
            } else if (status > kSysEx) {
                return false;  // system common and real-time messages have no place in a file
            } else if (!Channel(in, status)) {
                return false;
            }
        }
        // Notes still sounding end with the track.
        for (Sounding& key : m_sounding) {
            for (std::size_t i = key.first; i < key.notes.size(); ++i) {
                m_track.notes[key.notes[i]].note.end = m_tick;
            }
            key = {};
        }
        return true;
    }

    bool TooMany() const { return m_events > m_most; }

  private:
    static std::optional<std::string_view> Sized(ByteReader& in) {
        const std::optional<std::uint32_t> length = in.VariableLength();
        if (!length || !in.Has(*length)) return std::nullopt;
        return in.Take(*length);
    }

    void Meta(unsigned type, std::string_view data) {
        if (type == kTrackName && !m_track.named) {
            m_track.name = std::string(data);
            m_track.named = true;
        } else if (type == kSetTempo && data.size() == 3 && !m_track.tempo) {
            ByteReader value(data);
            if (const std::uint32_t us = value.Big(3); us > 0) m_track.tempo = {{m_tick, us}};
        }
    }

    bool Channel(ByteReader& in, unsigned status) {
        m_running = status;
        const unsigned kind = status & 0xF0;
        const int size = kind == kProgram || kind == kPressure ? 1 : 2;
        if (!in.Has(static_cast<std::uint64_t>(size))) return false;
        const unsigned key = in.Byte();
        const unsigned velocity = size == 2 ? in.Byte() : 0;
        if (key >= 0x80 || velocity >= 0x80) return false;
        const int channel = static_cast<int>(status & 0x0F) + 1;
        Sounding& sounding = m_sounding[(channel - 1) * kKeys + key];
        const bool on = kind == kNoteOn && velocity > 0;
        const bool ends = !on && (kind == kNoteOff || kind == kNoteOn);
        if (on || (ends && sounding.Empty())) {
            if (++m_events > m_most) return false;
        }
        if (on) {
            sounding.notes.push_back(m_track.notes.size());
            m_track.notes.push_back({{m_tick, m_tick, static_cast<int>(key)}, channel});
        } else if (ends) {
            if (sounding.Empty()) {
                m_track.silent.emplace_back(m_tick, channel);
            } else {
                m_track.notes[sounding.notes[sounding.first++]].note.end = m_tick;
                if (sounding.Empty()) {
                    sounding.notes.clear();
                    sounding.first = 0;
                }
            }
        }
        return true;
    }

    TrackEvents& m_track;
    std::vector<Sounding>& m_sounding;
    std::int64_t& m_events;
    const std::int64_t m_most;
    std::int64_t m_tick = 0;
    unsigned m_running = 0;
};

bool Pitched(const TrackEvents& t) {
    return std::any_of(t.notes.begin(), t.notes.end(),
                       [](const ChannelNote& n) { return n.channel != kDrumChannel; });
}

bool Wanted(const TrackChoice& choice, std::size_t index, int channel) {
    if (choice.kind == TrackChoice::Kind::Channel) return channel == choice.number;
    return static_cast<int>(index) + 1 == choice.number && channel != kDrumChannel;
}

std::string Listed(std::size_t index, const TrackEvents& t) {
    return std::to_string(index + 1) + (t.named ? " " + ForeignText(t.name) : std::string());
}

// The choice as a track number (or a channel): a name is matched in either case, and the
// default is the first track that has pitched notes, as for MusicXML's parts. False when
// no track (or more than one) answers.
bool Resolve(TrackChoice& choice, const std::vector<TrackEvents>& tracks, bool& ambiguous) {
    switch (choice.kind) {
        case TrackChoice::Kind::Channel:
            return true;
        case TrackChoice::Kind::Number:
            return static_cast<std::size_t>(choice.number) <= tracks.size();
        case TrackChoice::Kind::Name: {
            int found = 0;
            for (std::size_t i = 0; i < tracks.size(); ++i) {
                if (!tracks[i].named || !SameName(ForeignText(tracks[i].name), choice.name)) {
                    continue;
                }
                if (found != 0) ambiguous = true;
                found = static_cast<int>(i) + 1;
            }
            choice = {TrackChoice::Kind::Number, found, {}};
            return found != 0 && !ambiguous;
        }
        case TrackChoice::Kind::Every:
            break;
    }
    const auto first = std::find_if(tracks.begin(), tracks.end(), Pitched);
    choice = {TrackChoice::Kind::Number,
              first == tracks.end() ? 1 : static_cast<int>(first - tracks.begin()) + 1,
              {}};
    return true;
}

// The wanted notes, the title (the first track name) and the first tempo.
platform::Melody Merge(const std::vector<TrackEvents>& tracks, const TrackChoice& choice) {
    platform::Melody melody;
    melody.tempo = kDefaultTempo;
    std::optional<std::pair<std::int64_t, std::uint32_t>> tempo;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const TrackEvents& t = tracks[i];
        for (const ChannelNote& n : t.notes) {
            if (Wanted(choice, i, n.channel)) melody.notes.push_back(n.note);
        }
        for (const auto& [tick, channel] : t.silent) {
            if (Wanted(choice, i, channel)) melody.silentEvents.push_back(tick);
        }
        if (melody.title.empty() && t.named) {
            melody.title = ForeignText(t.name);
            melody.titleReplaced = CharactersOutsideSjis(t.name);
        }
        if (t.tempo && (!tempo || t.tempo->first < tempo->first)) tempo = t.tempo;
    }
    if (tempo) melody.tempo = 60e6 / tempo->second;
    std::stable_sort(melody.notes.begin(), melody.notes.end(),
                     [](const MelodyNote& a, const MelodyNote& b) { return a.onset < b.onset; });
    std::sort(melody.silentEvents.begin(), melody.silentEvents.end());
    return melody;
}

}  // namespace

MelodyRead ReadMidiMelody(std::string_view bytes, const TrackChoice& choice,
                          const ReadLimits& limits) {
    const MelodyRead damaged{MelodyFault::Damaged, {}};
    if (bytes.substr(0, 4) != "MThd") return {MelodyFault::UnknownKind, {}};
    ByteReader in(bytes);
    in.Take(4);
    if (!in.Has(4)) return damaged;
    const std::uint32_t headerLength = in.Big(4);
    if (headerLength < 6 || !in.Has(headerLength)) return damaged;
    ByteReader header(in.Take(headerLength));
    const std::uint32_t format = header.Big(2);
    const std::uint32_t declared = header.Big(2);
    const std::uint32_t division = header.Big(2);
    // Format 2 holds independent patterns, and a negative division counts time in frames.
    if (format > 1 || (division & 0x8000) != 0) return {MelodyFault::Unsupported, {}};
    if (division == 0 || declared == 0 || (format == 0 && declared != 1)) return damaged;

    std::vector<TrackEvents> tracks;
    std::vector<Sounding> sounding(kChannels * kKeys);
    std::int64_t events = 0;
    while (tracks.size() < declared) {
        if (!in.Has(8)) return damaged;
        const std::string_view type = in.Take(4);
        const std::uint32_t length = in.Big(4);
        if (!in.Has(length)) return damaged;
        const std::string_view chunk = in.Take(length);
        if (type != "MTrk") continue;  // chunks of other types are for other programs
        tracks.emplace_back();
        TrackReader reader(tracks.back(), sounding, events, limits.notes);
        if (!reader.Read(chunk)) {
            return reader.TooMany() ? TooLarge(platform::MelodyLimit::Notes, limits) : damaged;
        }
    }
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (!tracks[i].notes.empty()) parts.push_back(Listed(i, tracks[i]));
    }
    TrackChoice resolved = choice;
    bool ambiguous = false;
    MelodyRead read;
    if (!Resolve(resolved, tracks, ambiguous)) {
        read.fault = MelodyFault::NoSuchTrack;
        read.melody.parts = std::move(parts);
        read.melody.ambiguousTrack = ambiguous;
        return read;
    }
    read.melody = Merge(tracks, resolved);
    read.melody.ticksPerQuarter = static_cast<int>(division);
    read.melody.parts = std::move(parts);
    if (resolved.kind == TrackChoice::Kind::Number) {
        const std::size_t i = static_cast<std::size_t>(resolved.number) - 1;
        read.melody.taken = Listed(i, tracks[i]);
    }
    return read;
}

}  // namespace tabrella::exchange
