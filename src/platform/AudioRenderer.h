// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rendering a Standard MIDI File into an audio file.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Progress.h"

namespace tabrella::platform {

enum class AudioFormat { Wav, Flac, OggVorbis };

class IAudioRenderer {
  public:
    virtual ~IAudioRenderer() = default;
    // Renders the file `midi` into a new audio file at `nativePath` (16-bit stereo, 44.1 kHz),
    // to the end of the music and on until its last note has died away. Nothing on success;
    // else the reason (Shift-JIS), also when `progress` stopped it. A file left behind by a
    // failure is the caller's to remove.
    virtual std::optional<std::string> Render(std::string_view midi, const std::string& nativePath,
                                              AudioFormat format, IProgress& progress) = 0;
};

}  // namespace tabrella::platform
