// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndSignal.h"

#include <atomic>

namespace tabrella {
namespace {

std::atomic<int> g_endSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

}  // namespace

void NoteEndSignal(int signal) noexcept {
    g_endSignal.store(signal, std::memory_order_relaxed);
}

int EndSignal() noexcept {
    return g_endSignal.load(std::memory_order_relaxed);
}

}  // namespace tabrella
