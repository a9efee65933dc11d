#pragma once
// Lets test failures show a cell as its seven fields in file order.
#include <ostream>

#include "score/ScoreCell.h"

namespace tabrella {

inline void PrintTo(const ScoreCell& c, std::ostream* os) {
    *os << '{';
    for (int j = 1; j <= 7; ++j) *os << (j > 1 ? " " : "") << c.Field(j);
    *os << '}';
}

}  // namespace tabrella
