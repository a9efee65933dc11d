// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a file to import, through the readers (under their own
// limits and under small ones) and the arrangement the import makes of what they read. The
// MIDI and the MusicXML targets differ in their seeds and words. A failed check aborts, so
// libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/ImportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string fault = tabrella::test::ImportFault(bytes);
    if (!fault.empty()) {
        std::fprintf(stderr, "import check failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
