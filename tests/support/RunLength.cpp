// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunLength.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace tabrella::test {

int RunLength(int full) {
#ifdef TABRELLA_SANITIZED
    const char* longRuns = std::getenv("TABRELLA_LONG_RUNS");
    if (longRuns && std::string_view(longRuns) == "1") return full;
    return std::max(1, full / 5);
#else
    return full;
#endif
}

}  // namespace tabrella::test
