// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ImportCheck.h"

#include <set>

#include "exchange/MelodyReader.h"
#include "sound/Tuning.h"

namespace tabrella::test {

std::string ArrangementFault(const platform::Melody& melody, const Arrangement& a) {
    std::set<int> pitchClasses;
    for (const platform::MelodyNote& n : melody.notes) pitchClasses.insert(n.key % 12);
    if (a.cells.size() > static_cast<size_t>(kLastCellIndex)) return "more cells than a score";
    if (a.placed + a.dropped != static_cast<int>(melody.notes.size()) + melody.leftOut) {
        return "notes counted " + std::to_string(a.placed) + " + " + std::to_string(a.dropped);
    }
    const std::array<int, 14> pitch = LoadedPitches(a.tuning, a.baseTone, a.otsu ? 0 : 1);
    int written = 0;
    for (const ScoreCell& c : a.cells) {
        for (int h = 1; h <= 2; ++h) {
            for (int s = 1; s <= 3; ++s) {
                const int v = c.Half(h)[s];
                const bool rest = v == slot::kPairRest || v == slot::kRest;
                if (v == 0 || (rest && h == 1 && s == 2)) continue;
                if (!slot::HoldsString(v) || slot::StringPart(v) > kStringCount) {
                    return "a slot of " + std::to_string(v);
                }
                ++written;
                const int key = pitch[static_cast<size_t>(slot::StringPart(v))] + slot::Pressing(v);
                if (!pitchClasses.count(key % 12))
                    return "a key not of the melody: " + std::to_string(key);
            }
        }
    }
    if (written != a.placed)
        return "placed " + std::to_string(a.placed) + ", written " + std::to_string(written);
    return {};
}

std::string MidiImportFault(std::string_view bytes) {
    const platform::MelodyRead read = exchange::ReadMidiMelody(bytes, exchange::TrackChoice{});
    if (read.fault != platform::MelodyFault::None) return {};
    const std::vector<platform::MelodyNote>& notes = read.melody.notes;
    for (size_t i = 0; i < notes.size(); ++i) {
        if (notes[i].end < notes[i].onset || notes[i].key < 0 || notes[i].key > 127) {
            return "note " + std::to_string(i) + " is no note";
        }
        if (i > 0 && notes[i].onset < notes[i - 1].onset) return "notes out of order";
    }
    return ArrangementFault(read.melody, Arrange(read.melody, {}));
}

}  // namespace tabrella::test
