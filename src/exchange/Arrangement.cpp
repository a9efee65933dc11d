// SPDX-License-Identifier: GPL-3.0-or-later
// Arranging a melody for the koto, step by step: its time onto the cell grid, its notes into
// chords, the ways strings sound them, a tuning, and then strings and cells.
#include "exchange/Arrangement.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <tuple>

#include "platform/Task.h"
#include "score/TuningTable.h"

namespace tabrella {
namespace {

using platform::Melody;
using platform::MelodyNote;

constexpr int kSixteenthsPerCell = 2;
constexpr int kSixteenths = kLastCellIndex * kSixteenthsPerCell;  // the score's cells, 1..2999
constexpr int kSixteenthsPerBar = 16;                             // 4/4, eight cells
constexpr int kKeys = 128;
constexpr int kHighestPressing = slot::Pressing(slot::kSmallO);
constexpr int kOPressing = kHighestPressing;  // ォ
constexpr int kSlotsPerHalf = 3;
constexpr int kOctave = 12;
// Before the first note the hand rests over the middle of the instrument.
constexpr int kMiddleString = 7;

// ---- 1. Time ------------------------------------------------------------------------------

struct GridNote {
    int onset = 0;  // in sixteenths from the start
    int end = 0;
    int key = 0;
};

int ClampedSixteenths(long long q) {
    return static_cast<int>(std::clamp(q, 0LL, static_cast<long long>(INT_MAX / 2)));
}

// Onsets to the nearest sixteenth. Some files let their grid slip: older files of this
// program's own export have a rest cell two ticks short. The grid follows such a slip a little at
// each onset and at each event that sounds nothing (the export marks every rest cell with one),
// never by more than a sixteenth of a sixteenth, so a slow slip is followed however long
// the silence while a note played early or late does not move the grid.
std::vector<GridNote> Quantise(const Melody& melody, std::size_t count) {
    const double unit = std::max(melody.ticksPerQuarter, 1) / 4.0;
    const double follow = unit / 16;
    double slip = 0;
    const auto nearest = [&](std::int64_t tick) {
        const double at = static_cast<double>(tick) - slip;
        const long long q = std::llround(at / unit);
        slip += std::clamp(at - static_cast<double>(q) * unit, -follow, follow);
        return q;
    };
    std::vector<GridNote> grid;
    grid.reserve(count);
    std::size_t s = 0;
    for (const MelodyNote& n : std::span(melody.notes).first(count)) {
        while (s < melody.silentEvents.size() && melody.silentEvents[s] < n.onset) {
            nearest(melody.silentEvents[s++]);
        }
        const long long onset = nearest(n.onset);
        // A note shorter than a sixteenth keeps its onset and sounds a sixteenth.
        const long long end =
            std::max(onset + 1, std::llround((static_cast<double>(n.end) - slip) / unit));
        grid.push_back({ClampedSixteenths(onset), ClampedSixteenths(end), n.key});
    }
    // Following the slip may put a note a sixteenth before one read just before it.
    std::stable_sort(grid.begin(), grid.end(),
                     [](const GridNote& a, const GridNote& b) { return a.onset < b.onset; });
    return grid;
}

// ---- 2. Chords -------------------------------------------------------------------------------

struct Chord {
    int onset = 0;
    int end = 0;            // when its longest note ends
    std::vector<int> keys;  // highest first
};

// Notes struck together make one chord, of `most` notes at most: those past it are counted.
std::vector<Chord> ChordsOf(const std::vector<GridNote>& grid, int most, int& overLimit) {
    std::vector<Chord> chords;
    for (const GridNote& n : grid) {
        if (chords.empty() || chords.back().onset != n.onset) chords.push_back({n.onset, 0, {}});
        chords.back().end = std::max(chords.back().end, n.end);
        chords.back().keys.push_back(n.key);
    }
    const std::size_t kept = static_cast<std::size_t>(std::max(most, 1));
    for (Chord& c : chords) {
        std::sort(c.keys.rbegin(), c.keys.rend());
        if (c.keys.size() > kept) {
            overLimit += static_cast<int>(c.keys.size() - kept);
            c.keys.resize(kept);
        }
    }
    return chords;
}

// A piece longer than the score ends at the last bar line that fits, so it never stops
// mid-bar; the notes from there on are counted. Returns the bar left out first, or 0.
int CutAtBarLine(std::vector<Chord>& chords, int& leftOut) {
    if (chords.empty() || chords.back().onset < kSixteenths) return 0;
    constexpr int kLimit = kSixteenths / kSixteenthsPerBar * kSixteenthsPerBar;
    const auto from = std::find_if(chords.begin(), chords.end(),
                                   [](const Chord& c) { return c.onset >= kLimit; });
    for (auto c = from; c != chords.end(); ++c) leftOut += static_cast<int>(c->keys.size());
    chords.erase(from, chords.end());
    for (Chord& c : chords) c.end = std::min(c.end, kLimit);
    return kLimit / kSixteenthsPerBar + 1;
}

// ---- 3. Strings ------------------------------------------------------------------------------

struct Way {
    int string = 0;  // 0: the note is left out
    int pressing = 0;
};

// The pressing a note's place costs: every pressed string counts, a deeper pressing a
// little more, and ォ only when nothing else will do.
int Cost(const Way& w) {
    constexpr int kCosts[] = {0, 10, 11, 1000};
    return kCosts[w.pressing];
}

// Every way a tuning gives to sound each key, and where a key out of reach goes.
class Reach {
  public:
    explicit Reach(const std::array<int, 14>& pitch) {
        int lowest = kKeys, highest = -1;
        for (int s = 1; s <= kStringCount; ++s) {
            for (int p = 0; p <= kHighestPressing; ++p) {
                const int key = pitch[static_cast<std::size_t>(s)] + p;
                if (key < 0 || key >= kKeys) continue;
                m_ways[static_cast<std::size_t>(key)].push_back({s, p});
                lowest = std::min(lowest, key);
                highest = std::max(highest, key);
            }
        }
        for (std::vector<Way>& ways : m_ways) {
            std::sort(ways.begin(), ways.end(), [](const Way& a, const Way& b) {
                return a.pressing != b.pressing ? a.pressing < b.pressing : a.string < b.string;
            });
        }
        for (int key = 0; key < kKeys; ++key) {
            m_target[static_cast<std::size_t>(key)] = Target(key, (lowest + highest) / 2);
        }
    }

    std::span<const Way> Ways(int key) const {
        return key >= 0 && key < kKeys ? std::span<const Way>(m_ways[static_cast<std::size_t>(key)])
                                       : std::span<const Way>();
    }
    // The key itself when a string reaches it, else the nearest octave of it one reaches
    // (towards the middle of the instrument when both sides are as near); -1 when none.
    int TargetOf(int key) const { return m_target[static_cast<std::size_t>(key)]; }

  private:
    int Target(int key, int middle) const {
        if (!Ways(key).empty()) return key;
        for (int octaves = 1; octaves * kOctave < kKeys; ++octaves) {
            const int towards = key < middle ? kOctave : -kOctave;
            for (const int step : {towards, -towards}) {
                const int moved = key + octaves * step;
                if (!Ways(moved).empty()) return moved;
            }
        }
        return -1;
    }

    std::array<std::vector<Way>, kKeys> m_ways;
    std::array<int, kKeys> m_target{};
};

struct Placement {
    std::vector<Way> ways;  // one per key of the chord
    std::vector<int> keys;  // the key each sounds, after a move by octaves
    int kept = 0, moved = 0, pressed = 0;
};

// The cheapest ways for the notes `order` of a chord on different strings, each nearest
// the string played before it; false when they cannot all be placed.
class ChordSearch {
  public:
    ChordSearch(const Reach& reach, const std::vector<int>& keys, int previous)
        : m_reach(reach), m_keys(keys), m_previous(previous) {}

    bool Best(const std::vector<std::size_t>& order, std::vector<Way>& ways) {
        m_order = &order;
        m_found = false;
        m_ways.assign(order.size(), Way{});
        Search(0, 0, 0, 0, false);
        if (m_found) ways = m_best;
        return m_found;
    }

  private:
    // One left hand presses one string at a time, and ォ takes it all: in a chord at most
    // one string is pressed, and never by ォ.
    void Search(std::size_t i, unsigned usedStrings, int cost, int distance, bool pressing) {
        if (m_found && (cost > m_bestCost || (cost == m_bestCost && distance >= m_bestDistance))) {
            return;
        }
        if (i == m_order->size()) {
            m_found = true;
            m_best = m_ways;
            m_bestCost = cost;
            m_bestDistance = distance;
            return;
        }
        const int before = i == 0 ? m_previous : m_ways[i - 1].string;
        for (const Way& w : m_reach.Ways(m_keys[(*m_order)[i]])) {
            if ((usedStrings & (1u << w.string)) != 0) continue;
            if (w.pressing > 0 && (pressing || (m_order->size() > 1 && w.pressing == kOPressing))) {
                continue;
            }
            m_ways[i] = w;
            const int step = before == 0 ? 0 : std::abs(w.string - before);
            Search(i + 1, usedStrings | (1u << w.string), cost + Cost(w), distance + step,
                   pressing || w.pressing > 0);
        }
    }

    const Reach& m_reach;
    const std::vector<int>& m_keys;
    const int m_previous;
    const std::vector<std::size_t>* m_order = nullptr;
    std::vector<Way> m_ways, m_best;
    bool m_found = false;
    int m_bestCost = 0, m_bestDistance = 0;
};

// `keys` highest first, each sounding as `targets` says; `previous` is the string played
// before (0: distance does not count). `keys` are the file's own, before any move.
Placement Place(const Reach& reach, const std::vector<int>& keys, const std::vector<int>& targets,
                int previous) {
    Placement p;
    p.keys = targets;
    ChordSearch search(reach, p.keys, previous);
    // Highest first, each note is kept when it fits with those kept before it. A key that
    // did not fit never fits with more notes kept: it is searched for once.
    std::vector<std::size_t> kept;
    std::vector<Way> ways;
    std::array<bool, kKeys> unfit{};
    for (std::size_t i = 0; i < keys.size() && kept.size() < kSlotsPerHalf; ++i) {
        if (p.keys[i] < 0 || unfit[static_cast<std::size_t>(p.keys[i])]) continue;
        kept.push_back(i);
        if (!search.Best(kept, ways)) {
            kept.pop_back();
            unfit[static_cast<std::size_t>(p.keys[i])] = true;
        }
    }
    // `ways` holds the search that last succeeded: the one for the notes kept.
    p.ways.assign(keys.size(), Way{});
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const std::size_t i = kept[k];
        p.ways[i] = ways[k];
        ++p.kept;
        if (p.keys[i] != keys[i]) ++p.moved;
        if (ways[k].pressing > 0) ++p.pressed;
    }
    return p;
}

// ---- 4. The tuning ----------------------------------------------------------------------------

struct Setting {
    int row = 0;
    int baseTone = 3;
    bool otsu = false;
    int shift = 0;  // octaves the whole part moves
    std::array<int, 14> Pitches() const { return LoadedPitches(row, baseTone, otsu ? 0 : 1); }
};

// The settings left open by the choice, the one preferred on a tie first: 平調子, then the
// base tone nearest 平調, then 乙 off. A row or base tone that does not exist fixes nothing.
std::vector<Setting> Candidates(const ImportChoice& choice) {
    constexpr int kHeiChou = 3;
    const auto excludes = [](const std::optional<int>& given, int value, int lowest, int highest) {
        return given && *given >= lowest && *given <= highest && *given != value;
    };
    std::vector<Setting> settings;
    for (int row = 0; row < kTuningCount; ++row) {
        if (excludes(choice.tuning, row, 0, kTuningCount - 1)) continue;
        for (int b = 1; b <= kBaseToneCount; ++b) {
            if (excludes(choice.baseTone, b, 1, kBaseToneCount)) continue;
            for (const bool otsu : {false, true}) {
                if (!choice.otsu || *choice.otsu == otsu) settings.push_back({row, b, otsu});
            }
        }
    }
    const auto rank = [](const Setting& s) {
        return std::make_tuple(s.row != 0, std::abs(s.baseTone - kHeiChou), s.row, s.baseTone,
                               s.otsu);
    };
    std::stable_sort(settings.begin(), settings.end(),
                     [&](const Setting& a, const Setting& b) { return rank(a) < rank(b); });
    return settings;
}

// The keys moved by whole octaves, folded back by octaves into MIDI's range.
std::vector<int> Shifted(const std::vector<int>& keys, int octaves) {
    std::vector<int> out(keys);
    for (int& k : out) {
        k += octaves * kOctave;
        while (k >= kKeys) k -= kOctave;
        while (k < 0) k += kOctave;
    }
    return out;
}

// The octaves the whole part moves: the move that leaves the fewest notes out of reach,
// the smallest of those, upwards on a tie. A low part then keeps its line whole instead of
// having its notes moved one by one.
int PartShift(const Reach& reach, const std::map<int, long long>& keyCounts) {
    constexpr int kMostOctaves = 3;
    int best = 0;
    long long bestOut = LLONG_MAX;
    for (const int shift : {0, 1, -1, 2, -2, 3, -3}) {
        if (std::abs(shift) > kMostOctaves) continue;
        long long out = 0;
        for (const auto& [key, count] : keyCounts) {
            if (reach.Ways(key + shift * kOctave).empty()) out += count;
        }
        if (out < bestOut) {
            best = shift;
            bestOut = out;
        }
    }
    return best;
}

std::vector<int> Targets(const Reach& reach, const std::vector<int>& keys) {
    std::vector<int> out(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        out[i] = keys[i] >= 0 && keys[i] < kKeys ? reach.TargetOf(keys[i]) : -1;
    }
    return out;
}

Setting ChooseSetting(const std::vector<Chord>& chords, const ImportChoice& choice) {
    // Each different chord is placed once per setting, however often it sounds.
    std::map<std::vector<int>, int> counts;
    std::map<int, long long> keyCounts;
    for (const Chord& c : chords) {
        ++counts[c.keys];
        for (int k : c.keys) ++keyCounts[k];
    }
    std::vector<Setting> settings = Candidates(choice);
    Setting best = settings.front();
    std::array<long long, 3> bestTally{LLONG_MAX, 0, 0};
    for (std::size_t i = 0; i < settings.size(); ++i) {
        Setting& s = settings[i];
        platform::ReportProgress(static_cast<long>(i), static_cast<long>(settings.size()));
        const Reach reach(s.Pitches());
        s.shift = PartShift(reach, keyCounts);
        std::array<long long, 3> tally{};  // dropped, moved, pressed
        for (const auto& [original, count] : counts) {
            platform::StopPoint();
            const std::vector<int> keys = Shifted(original, s.shift);
            Placement p = Place(reach, keys, Targets(reach, keys), 0);
            if (s.shift != 0) p.moved = p.kept;
            tally[0] +=
                static_cast<long long>(keys.size() - static_cast<std::size_t>(p.kept)) * count;
            tally[1] += static_cast<long long>(p.moved) * count;
            tally[2] += static_cast<long long>(p.pressed) * count;
        }
        if (tally < bestTally) {
            best = s;
            bestTally = tally;
        }
    }
    return best;
}

int Sign(int d) {
    return (d > 0) - (d < 0);
}

// The key an out-of-reach note sounds at: the octave of it nearest the instrument's
// middle, unless that turns the step from the note before (sounding at `fromTarget`)
// against the file's own direction `wanted` while another octave keeps it.
int TargetKeepingStep(const Reach& reach, int key, int wanted, int fromTarget) {
    const int nearest = reach.TargetOf(key);
    if (nearest == key || nearest < 0 || fromTarget < 0) return nearest;
    if (Sign(nearest - fromTarget) == wanted) return nearest;
    for (int octaves = 1; octaves * kOctave < kKeys; ++octaves) {
        for (const int step : {kOctave, -kOctave}) {
            const int moved = key + octaves * step;
            if (moved >= 0 && moved < kKeys && !reach.Ways(moved).empty() &&
                Sign(moved - fromTarget) == wanted) {
                return moved;
            }
        }
    }
    return nearest;
}

// ---- 5. Strings and cells -----------------------------------------------------------------------

// A chord as the cells hold it: its slot values, and from when to when it sounds.
struct Struck {
    int onset = 0;
    int until = 0;
    std::vector<std::int32_t> slots;  // string order
};

void FillHalf(std::int32_t* half, const std::vector<std::int32_t>& slots) {
    // One note in the centre, two on either side, three across.
    static constexpr int kPlaces[4][3] = {{}, {2}, {1, 3}, {1, 2, 3}};
    for (std::size_t i = 0; i < slots.size(); ++i) half[kPlaces[slots.size()][i]] = slots[i];
}

std::vector<ScoreCell> CellsOf(const std::vector<Struck>& struck) {
    std::vector<ScoreCell> cells;  // cell 1 first
    std::vector<bool> sounding;
    const auto reach = [&](int c) {
        if (static_cast<std::size_t>(c) >= cells.size()) {
            cells.resize(static_cast<std::size_t>(c) + 1);
            sounding.resize(cells.size());
        }
    };
    for (std::size_t i = 0; i < struck.size(); ++i) {
        const Struck& s = struck[i];
        const int next = i + 1 < struck.size() ? struck[i + 1].onset : INT_MAX;
        const int until = std::min(s.until, next);
        const int c = s.onset / kSixteenthsPerCell;
        reach(c);
        sounding[static_cast<std::size_t>(c)] = true;
        ScoreCell& cell = cells[static_cast<std::size_t>(c)];
        const bool secondHalf = s.onset % kSixteenthsPerCell != 0;
        FillHalf(secondHalf ? cell.second : cell.first, s.slots);
        // A sixteenth followed by silence leaves the second half of its cell empty.
        if (secondHalf || (until == s.onset + 1 && next != s.onset + 1)) cell.split = 1;
        // A cell whose start the chord sounds through holds it.
        for (int h = c + 1; h * kSixteenthsPerCell < until && h < kLastCellIndex; ++h) {
            reach(h);
            sounding[static_cast<std::size_t>(h)] = true;
        }
    }
    // A note held to the end needs a rest after it, or the end of the score cuts it.
    const int lastStruck = struck.back().onset / kSixteenthsPerCell;
    if (static_cast<int>(cells.size()) - 1 > lastStruck && cells.size() < kLastCellIndex) {
        reach(static_cast<int>(cells.size()));
    }
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (sounding[c]) continue;
        // ○ takes an odd cell and the even one after it; △ a cell alone.
        if (c % 2 == 0 && c + 1 < cells.size() && !sounding[c + 1]) {
            cells[c++].first[2] = slot::kPairRest;
        } else {
            cells[c].first[2] = slot::kRest;
        }
    }
    return cells;
}

}  // namespace

Arrangement Arrange(const Melody& melody, const ImportChoice& choice, const ArrangeLimits& limits) {
    Arrangement a;
    const std::size_t count =
        std::min(melody.notes.size(), static_cast<std::size_t>(std::max(limits.notes, 0)));
    a.notesOverLimit = static_cast<int>(melody.notes.size() - count);
    std::vector<Chord> chords =
        ChordsOf(Quantise(melody, count), limits.chordNotes, a.chordNotesOverLimit);
    a.cutAtBar = CutAtBarLine(chords, a.cutNotes);
    a.dropped += a.cutNotes + melody.leftOut + a.notesOverLimit + a.chordNotesOverLimit;
    if (chords.empty()) return a;

    const Setting setting = ChooseSetting(chords, choice);
    a.tuning = setting.row;
    a.baseTone = setting.baseTone;
    a.otsu = setting.otsu;
    a.octaveShift = setting.shift;

    const Reach reach(setting.Pitches());
    std::vector<Struck> struck;
    int previous = kMiddleString;
    int fromKey = -1, fromTarget = -1;  // the top note of the chord before, and where it sounds
    for (const Chord& chord : chords) {
        platform::StopPoint();
        const std::vector<int> keys = Shifted(chord.keys, setting.shift);
        std::vector<int> targets(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const int wanted = Sign(chord.keys[i] - fromKey);
            targets[i] = TargetKeepingStep(reach, keys[i], wanted, fromTarget);
        }
        const Placement p = Place(reach, keys, targets, previous);
        a.placed += p.kept;
        a.dropped += static_cast<int>(chord.keys.size()) - p.kept;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (p.ways[i].string != 0) {
                a.moved += p.keys[i] != chord.keys[i];
            } else if (targets[i] >= 0) {
                // Reachable alone: the hand could not play it with the rest of the chord.
                a.chordDrops.push_back({chord.onset / kSixteenthsPerBar + 1, chord.keys[i]});
            }
        }
        if (p.kept == 0) continue;  // its time goes to the chord before
        fromKey = chord.keys.front();
        fromTarget = p.keys.front();
        std::vector<Way> ways;
        for (const Way& w : p.ways) {
            if (w.string != 0) ways.push_back(w);
        }
        // The string of the highest note leads the hand to the next chord.
        previous = ways.front().string;
        std::sort(ways.begin(), ways.end(),
                  [](const Way& x, const Way& y) { return x.string < y.string; });
        Struck s{chord.onset, chord.end, {}};
        for (const Way& w : ways) s.slots.push_back(w.pressing * slot::kPressingStep + w.string);
        struck.push_back(std::move(s));
    }
    if (!struck.empty()) a.cells = CellsOf(struck);
    return a;
}

}  // namespace tabrella
