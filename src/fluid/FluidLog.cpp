// SPDX-License-Identifier: GPL-3.0-or-later
#include "fluid/FluidLog.h"

#include <fluidsynth.h>

#include <mutex>
#include <utility>

#ifdef TABRELLA_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace tabrella::fluid {
namespace {

std::mutex g_logMutex;
std::string g_lastError;

void CaptureLog(int level, const char* message, void* /*data*/) {
    if (level > FLUID_ERR || message == nullptr) return;
    std::lock_guard lock(g_logMutex);
    g_lastError = message;
}

#ifdef TABRELLA_HAVE_ALSA
void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

}  // namespace

void SilenceLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, CaptureLog, nullptr);
        }
#ifdef TABRELLA_HAVE_ALSA
        snd_lib_error_set_handler(DropAlsaMessage);
#endif
    });
}

std::string TakeLastError() {
    std::lock_guard lock(g_logMutex);
    return std::exchange(g_lastError, {});
}

}  // namespace tabrella::fluid
