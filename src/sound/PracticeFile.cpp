// SPDX-License-Identifier: GPL-3.0-or-later
// The practice file is made from the writer's bytes rather than by a second writer: the
// track is read back into events on absolute ticks, the tempo is scaled, the music is
// shifted behind a count-in or repeated as passes on the cells' own grid, clicks are
// merged in, and the track is written again.
#include "sound/PracticeFile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "score/Tempo.h"

namespace tabrella {
namespace {

// A looped file lasts at least this long, so the player's own start-again, which may
// leave a small gap and plays the count-in again, comes seldom.
constexpr long long kLoopMicros = 300'000'000;
constexpr int kMostPasses = 10000;

constexpr int kBeatTicks = kTicksPerQuarter;
constexpr int kCountInBeats = 4;
constexpr int kCellsPerBar = 8;  // four beats of two cells

// Clicks: General MIDI percussion on channel 10, short notes.
constexpr int kClickOn = 0x99;
constexpr int kClickOff = 0x89;
constexpr int kBarClick = 76;   // hi wood block, the first beat of a bar
constexpr int kBeatClick = 37;  // side stick, the other beats
constexpr int kBarVelocity = 110;
constexpr int kBeatVelocity = 90;
constexpr int kClickTicks = 60;

constexpr std::string_view kHeader("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
constexpr std::size_t kTrackDataOffset = 22;

struct Event {
    long long tick;
    std::string bytes;  // status and data, without the delta
};

struct Track {
    std::vector<Event> events;  // the end of track not among them
    long long endTick = 0;
};

unsigned Byte(std::string_view b, std::size_t i) {
    return static_cast<unsigned char>(b[i]);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

int EventSize(std::string_view b, std::size_t i) {
    const unsigned status = Byte(b, i);
    if (status == 0xFF) {
        // Meta events of one-byte length only: the writer's tempo and end of track.
        if (i + 2 >= b.size() || Byte(b, i + 2) >= 0x80) return 0;
        return 3 + static_cast<int>(Byte(b, i + 2));
    }
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
        case 0xE0:
            return 3;
        case 0xC0:
            return 2;
        default:
            return 0;  // running status and anything else the writer never makes
    }
}

// The one track of a file as the writer makes it; nothing when anything differs.
std::optional<Track> ReadTrack(std::string_view b) {
    if (b.size() < kTrackDataOffset || b.substr(0, kHeader.size()) != kHeader) return {};
    const std::size_t length =
        (Byte(b, 18) << 24) | (Byte(b, 19) << 16) | (Byte(b, 20) << 8) | Byte(b, 21);
    if (length != b.size() - kTrackDataOffset) return {};
    Track track;
    long long tick = 0;
    for (std::size_t i = kTrackDataOffset; i < b.size();) {
        long long delta = 0;
        for (int count = 1;; ++count) {
            if (i >= b.size() || count > 4) return {};
            const unsigned byte = Byte(b, i++);
            delta = (delta << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
        }
        tick += delta;
        if (i >= b.size()) return {};
        const int size = EventSize(b, i);
        if (size == 0 || i + static_cast<std::size_t>(size) > b.size()) return {};
        const std::string_view event = b.substr(i, static_cast<std::size_t>(size));
        i += static_cast<std::size_t>(size);
        if (Byte(event, 0) == 0xFF) {
            if (Byte(event, 1) == 0x2F) {
                if (i != b.size()) return {};
                track.endTick = tick;
                return track;
            }
        } else {
            for (std::size_t k = 1; k < event.size(); ++k) {
                if (Byte(event, k) >= 0x80) return {};
            }
        }
        track.events.push_back({tick, std::string(event)});
    }
    return {};
}

void PutDelta(std::string& out, long long ticks) {
    char groups[4];
    int n = 0;
    do {
        groups[n++] = static_cast<char>(ticks & 0x7F);
        ticks >>= 7;
    } while (ticks > 0 && n < 4);
    while (n > 1) out += static_cast<char>(groups[--n] | 0x80);
    out += groups[0];
}

// The events in order of their ticks (those on one tick as they were given).
std::string WriteTrack(std::vector<Event> events, long long endTick) {
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::string track;
    long long tick = 0;
    for (const Event& e : events) {
        PutDelta(track, e.tick - tick);
        tick = e.tick;
        track += e.bytes;
    }
    PutDelta(track, endTick - tick);
    track += Bytes({0xFF, 0x2F, 0x00});
    std::string out(kHeader);
    const auto length = static_cast<std::uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((length >> shift) & 0xFF);
    return out + track;
}

bool IsSetUp(const Event& e) {
    return Byte(e.bytes, 0) == 0xFF || (Byte(e.bytes, 0) & 0xF0) == 0xC0;
}

bool IsTempo(const Event& e) {
    return Byte(e.bytes, 0) == 0xFF && Byte(e.bytes, 1) == 0x51;
}

void AddClick(std::vector<Event>& out, long long tick, bool barStart) {
    const int key = barStart ? kBarClick : kBeatClick;
    out.push_back({tick, Bytes({kClickOn, key, barStart ? kBarVelocity : kBeatVelocity})});
    out.push_back({tick + kClickTicks, Bytes({kClickOff, key, 0})});
}

// A click on every odd score cell from `cell` on, from `tick` up to `endTick`; bars of
// eight cells start on cells 1, 9, 17...
void AddBeats(std::vector<Event>& out, int cell, long long tick, long long endTick) {
    for (; tick < endTick; ++cell, tick += kTicksPerCell) {
        if (cell % 2 == 1) AddClick(out, tick, (cell - 1) % kCellsPerBar == 0);
    }
}

// One pass: the music of the passage's cells moved to `base`, cut at the pass's end, where
// every note still sounding ends so that none rings into the next pass.
void AddPass(std::vector<Event>& out, std::span<const Event> music, long long origin,
             long long base, long long passTicks) {
    std::array<std::array<int, 128>, 16> sounding{};
    for (const Event& e : music) {
        if (e.tick >= origin + passTicks) break;
        out.push_back({e.tick - origin + base, e.bytes});
        const unsigned kind = Byte(e.bytes, 0) & 0xF0;
        if (kind != 0x80 && kind != 0x90) continue;
        int& count = sounding[Byte(e.bytes, 0) & 0x0F][Byte(e.bytes, 1)];
        if (kind == 0x90 && Byte(e.bytes, 2) > 0) {
            ++count;
        } else if (count > 0) {
            --count;  // the writer's spacers end notes that never began
        }
    }
    for (int channel = 0; channel < 16; ++channel) {
        for (int key = 0; key < 128; ++key) {
            for (int n = 0; n < sounding[channel][key]; ++n) {
                out.push_back({base + passTicks, Bytes({0x80 | channel, key, 0})});
            }
        }
    }
}

}  // namespace

int MicrosPerQuarter(int tempo, int speedPercent) {
    const long long sounding = SoundingTempo(tempo);
    const int speed = std::clamp(speedPercent, kPlaySpeedLowest, kPlaySpeedHighest);
    if (speed == 100) return static_cast<int>(60'000'000 / sounding);
    const long long scaled = sounding * speed;
    return static_cast<int>(std::min((6'000'000'000 + scaled / 2) / scaled, 0xFFFFFFLL));
}

int PlayTimerInterval(int tempo, int speedPercent) {
    // Half a beat of the file's own tempo less 4 ms, like PlayTimerInterval(tempo).
    return MicrosPerQuarter(tempo, speedPercent) / 2000 - 4;
}

PracticeLayout LayOutPractice(const PracticePlan& plan, int tempo) {
    PracticeLayout layout;
    layout.microsPerQuarter = MicrosPerQuarter(tempo, plan.speedPercent);
    if (plan.countIn) {
        // The count ends a beat before the music's first beat: a passage starting on an
        // even cell (off the beat) comes in half a beat earlier.
        layout.countInTicks =
            kCountInBeats * kBeatTicks - (plan.firstCell % 2 == 0 ? kTicksPerCell : 0);
    }
    if (plan.loopCells > 0) {
        layout.passTicks = plan.loopCells * kTicksPerCell;
        const long long pass = static_cast<long long>(layout.passTicks) * layout.microsPerQuarter;
        const long long wanted = (kLoopMicros * kTicksPerQuarter + pass - 1) / pass;
        layout.passes =
            static_cast<int>(std::clamp(wanted, 1LL, static_cast<long long>(kMostPasses)));
    }
    return layout;
}

std::optional<std::string> MakePracticeFile(std::string_view writerBytes, const PracticePlan& plan,
                                            int tempo) {
    std::optional<Track> track = ReadTrack(writerBytes);
    if (!track) return {};
    // Nothing asked: the play file stays byte for byte what the score writes.
    if (MicrosPerQuarter(tempo, plan.speedPercent) == MicrosPerQuarter(tempo, 100) &&
        plan.loopCells <= 0 && !plan.countIn && !plan.metronome) {
        return std::string(writerBytes);
    }
    const PracticeLayout layout = LayOutPractice(plan, tempo);

    // 1. The program change and the tempo lead; the music's time counts from them.
    const std::vector<Event>& events = track->events;
    std::size_t setUp = 0;
    long long origin = 0;
    while (setUp < events.size() && IsSetUp(events[setUp])) origin = events[setUp++].tick;
    std::vector<Event> out(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(setUp));
    const int q = layout.microsPerQuarter;
    for (Event& e : out) {
        if (IsTempo(e)) e.bytes = Bytes({0xFF, 0x51, 0x03, q >> 16, (q >> 8) & 0xFF, q & 0xFF});
    }
    const std::span<const Event> music(events.begin() + static_cast<std::ptrdiff_t>(setUp),
                                       events.end());

    // 2. Four clicks, the last a beat before the music's first beat.
    if (plan.countIn) {
        for (int beat = 0; beat < kCountInBeats; ++beat) {
            AddClick(out, origin + static_cast<long long>(beat) * kBeatTicks, beat == 0);
        }
    }

    // 3. The music once, or pass after pass on the grid of the passage's cells.
    const long long start = origin + layout.countInTicks;
    long long end = 0;
    if (plan.loopCells > 0) {
        for (int p = 0; p < layout.passes; ++p) {
            const long long base = start + static_cast<long long>(p) * layout.passTicks;
            AddPass(out, music, origin, base, layout.passTicks);
            if (plan.metronome) AddBeats(out, plan.firstCell, base, base + layout.passTicks);
        }
        end = start + static_cast<long long>(layout.passes) * layout.passTicks;
    } else {
        for (const Event& e : music) out.push_back({e.tick + layout.countInTicks, e.bytes});
        end = track->endTick + layout.countInTicks;
        if (plan.metronome) AddBeats(out, plan.firstCell, start, end);
        for (const Event& e : out) end = std::max(end, e.tick);  // the last click's end
    }
    return WriteTrack(std::move(out), end);
}

}  // namespace tabrella
