// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ImportCheck.h"

#include "exchange/MelodyReader.h"

namespace tabrella::test {

std::string ArrangementFault(const platform::Melody& melody, const Arrangement& a) {
    int written = 0;
    for (const ScoreCell& c : a.cells) {
        for (int j = 1; j <= 6; ++j) {
            const int v = c.Field(j);
            const bool rest = j == 2 && (v == slot::kPairRest || v == slot::kRest);
            if (v != 0 && !rest && !(slot::HoldsString(v) && slot::StringPart(v) <= kStringCount)) {
                return "a slot of " + std::to_string(v);
            }
            written += v != 0 && !rest;
        }
    }
    const int read = static_cast<int>(melody.notes.size()) + melody.leftOut;
    if (a.cells.size() > static_cast<size_t>(kLastCellIndex) || written != a.placed ||
        a.placed + a.dropped != read) {
        return std::to_string(a.cells.size()) + " cells, " + std::to_string(written) +
               " notes written of " + std::to_string(read) + " read";
    }
    return {};
}

std::string ImportFault(std::string_view bytes) {
    const platform::MelodyRead read = exchange::MelodyReader().Read(bytes, "");
    std::string fault;
    if (read.fault == platform::MelodyFault::None) {
        fault = ArrangementFault(read.melody, Arrange(read.melody, {}));
    }
    const exchange::ReadLimits small{300, 3000, 20000, 3};
    const platform::MelodyRead cut = exchange::MelodyReader(small).Read(bytes, "");
    if (cut.fault == platform::MelodyFault::TooLarge) {
        if (cut.most != small.Most(cut.limit)) fault += " refused past " + std::to_string(cut.most);
    } else if (cut.fault != read.fault || cut.melody.notes != read.melody.notes ||
               cut.melody.leftOut != read.melody.leftOut) {
        fault += " read otherwise under small limits";
    } else if (cut.fault == platform::MelodyFault::None) {
        fault += ArrangementFault(cut.melody, Arrange(cut.melody, {}, {50, 2}));
    }
    return fault;
}

}  // namespace tabrella::test
