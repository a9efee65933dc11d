// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recording of one melody, played or sung, turned into notes: the file streamed with
// libsndfile, pitch (YIN in the frequency domain) and onsets (spectral flux) followed with
// aubio, the notes then put on a grid of sixteenths at the tempo their onsets fit.
#include <functional>
#include <string>

#include "platform/Melody.h"

namespace tabrella::exchange {

// The longest stretch of a recording read; the rest is reported as not read. A score of
// 2999 eighth-note cells lasts less at any tempo it can play, and what is kept of each
// stretch of sound stays small (a few bytes per hop).
inline constexpr double kMaxRecordingSeconds = 30 * 60;

// The notes in ticks (480 a quarter) on sixteenths at melody.tempo, the first at 0, with
// melody.heard filled. `tempo` > 0 fixes the beat instead of finding it. Not audio:
// UnknownKind; nothing loud enough: Silent; no pitch to follow: NoPitch; `progress` said
// stop: Stopped.
platform::MelodyRead ReadAudioMelody(const std::string& nativePath, double tempo,
                                     const std::function<bool(long, long)>& progress);

}  // namespace tabrella::exchange
