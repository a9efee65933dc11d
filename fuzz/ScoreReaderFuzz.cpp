// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a score file, through everything Open leads to. A failed
// check aborts, so libFuzzer keeps the input as a crash.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/OpenPathCheck.h"

namespace {

std::string g_workDir;

void RemoveWorkDir() {
    std::error_code ec;
    std::filesystem::remove_all(g_workDir, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // Every input is written and saved: memory-backed files keep that from ruling the speed.
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tabrella-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_workDir = pattern;
    std::atexit(RemoveWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string failure = tabrella::test::CheckOpenPath(bytes, g_workDir);
    if (!failure.empty()) {
        std::fprintf(stderr, "open path check failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
