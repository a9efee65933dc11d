// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable cells, points and fonts in test failures, and short ways to write a cell.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <sstream>
#include <string>

#include "platform/DrawSurface.h"
#include "score/ScoreCell.h"

namespace tabrella {

namespace platform {
inline void PrintTo(const Point& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const LogicalFont& f, std::ostream* os) {
    *os << "{" << f.height << ", " << f.width << ", " << f.weight << ", face of " << f.face.size()
        << " bytes}";
}
}  // namespace platform

inline void PrintTo(const ScoreCell& c, std::ostream* os) {
    *os << "{" << c.first[1] << "," << c.first[2] << "," << c.first[3] << " | " << c.second[1]
        << "," << c.second[2] << "," << c.second[3] << (c.split ? " split" : "") << "}";
}

namespace test {

// A whole cell: only first[] is shown.
inline ScoreCell Whole(int f1, int f2, int f3, int s1 = 0, int s2 = 0, int s3 = 0) {
    ScoreCell c;
    c.first[1] = f1, c.first[2] = f2, c.first[3] = f3;
    c.second[1] = s1, c.second[2] = s2, c.second[3] = s3;
    return c;
}

// A split cell: first[] above second[].
inline ScoreCell Split(int f1, int f2, int f3, int s1, int s2, int s3) {
    ScoreCell c = Whole(f1, f2, f3, s1, s2, s3);
    c.split = 1;
    return c;
}

inline std::string Describe(const ScoreCell& c) {
    std::ostringstream os;
    PrintTo(c, &os);
    return os.str();
}

// Compares two whole scores and names every cell that differs (cell 0 included).
inline ::testing::AssertionResult SameScore(const std::array<ScoreCell, kCellArraySize>& want,
                                            const std::array<ScoreCell, kCellArraySize>& got) {
    std::ostringstream diff;
    int differing = 0;
    for (size_t k = 0; k < want.size(); ++k) {
        if (want[k] == got[k]) continue;
        if (++differing <= 8) {
            diff << "\n  cell " << k << ": want " << Describe(want[k]) << ", got "
                 << Describe(got[k]);
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " cell(s) differ:" << diff.str();
}

}  // namespace test
}  // namespace tabrella
