// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A MIDI file player driven like a sequencer device: open by file name, play from the
// start without waiting (once, or again and again), stop, close. Every call returns 0 or an error
// code whose text ErrorText gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tabrella::platform {

using DeviceId = std::uint32_t;
using SeqError = std::uint32_t;

// The longest text ErrorText gives, in bytes.
inline constexpr std::size_t kMaxSeqErrorText = 128;

class ISequencer {
  public:
    virtual ~ISequencer() = default;

    // On success stores the new device's id (never 0) in `device`.
    virtual SeqError Open(std::string_view midiPath, DeviceId& device) = 0;
    // Starts playing from the beginning and returns at once.
    virtual SeqError Play(DeviceId device) = 0;
    // With `loop`, the device's plays start the file again each time it ends, until Stop.
    virtual SeqError SetLooping(DeviceId device, bool loop) = 0;
    // Silences the device; it stays open.
    virtual SeqError Stop(DeviceId device) = 0;
    // Releases the device; afterwards its file is no longer in use.
    virtual SeqError Close(DeviceId device) = 0;
    // Shift-JIS text of at most kMaxSeqErrorText bytes.
    virtual std::string ErrorText(SeqError code) = 0;
    // Readies what the first Open needs (libraries, sounds) without opening a device, so
    // that the first play sounds at once; returns at once. Failures are left to Open.
    virtual void Prepare() {}
    // Sounds `midi`, a short Standard MIDI File, at once, cutting off the one sounded
    // before; empty only cuts it off. Only what Prepare has readied plays: before that, and
    // wherever nothing was prepared (batch work, tests), nothing sounds and no device opens.
    // Returns at once.
    virtual void Preview(std::string_view /*midi*/) {}
};

// The sequencer of a view that never plays (the help's cell pictures, the drawing
// benchmark): it opens no device, and every call fails with no text.
class NoSequencer final : public ISequencer {
  public:
    static constexpr SeqError kNothingPlays = 1;

    SeqError Open(std::string_view, DeviceId&) override { return kNothingPlays; }
    SeqError Play(DeviceId) override { return kNothingPlays; }
    SeqError SetLooping(DeviceId, bool) override { return kNothingPlays; }
    SeqError Stop(DeviceId) override { return kNothingPlays; }
    SeqError Close(DeviceId) override { return kNothingPlays; }
    std::string ErrorText(SeqError) override { return {}; }
};

}  // namespace tabrella::platform
