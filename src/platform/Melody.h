// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A melody read from a foreign file (a Standard MIDI File, MusicXML, a recording), as the import
// hands it to the core: the notes in the file's own time, before anything is fitted to the cells
// or the strings. Plain values; texts are Shift-JIS.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabrella::platform {

class TaskState;

struct MelodyNote {
    std::int64_t onset = 0;  // in ticks of the melody
    std::int64_t end = 0;    // never before the onset
    int key = 0;             // MIDI key 0..127
    friend bool operator==(const MelodyNote&, const MelodyNote&) = default;
};

// What the transcription of a recording heard, beyond the notes themselves.
struct Hearing {
    bool recording = false;  // the melody came from a recording
    int uncertain = 0;       // notes whose pitch was heard with little confidence
    double tempo = 0;        // quarter notes a minute the onsets fit (or the tempo given)
    bool tempoGiven = false;
    double tuningCents = 0;     // the recording's pitch against A = 440 Hz, -50..50
    int shortSounds = 0;        // pitched sounds too short to be a note, left out
    int outOfRange = 0;         // pitches too low or high for a melody (noise), left out
    double secondsNotRead = 0;  // of a recording longer than the transcription reads
};

struct Melody {
    int ticksPerQuarter = 480;
    std::vector<MelodyNote> notes;  // by onset
    // When events that sound nothing happen (a note off for a key not sounding): some
    // writers, this program's among them, mark the passing of silent time with them.
    std::vector<std::int64_t> silentEvents;
    std::string title;  // empty when the file names none
    double tempo = 0;   // quarter notes per minute the file starts at; 0 when it says nothing
    int leftOut = 0;    // notes the file holds that take no time of their own (grace notes)
    // The file's tracks or parts that hold notes, each as "number name" (Shift-JIS), and
    // the one read (empty when the choice took a channel). Also given with NoSuchTrack.
    std::vector<std::string> parts;
    std::string taken;
    bool ambiguousTrack = false;  // NoSuchTrack: the name asked for names more than one
    int repeatsPlayedOut = 0;     // repeats, endings and jumps the reader played out
    bool padded = false;          // a pickup was padded with rests to a whole bar
    std::string titleReplaced;    // the title's characters Shift-JIS lacks, as "U+XXXX"
    Hearing heard;
};

enum class MelodyFault {
    None,
    UnknownKind,  // neither a Standard MIDI File nor MusicXML
    Damaged,      // cut short, or its lengths and contents do not hold together
    Unsupported,  // a kind of either that the reader does not take (MIDI format 2 ...)
    NoSuchTrack,  // the track, channel or part asked for is not in the file
    NotLoaded,    // the readers themselves could not be loaded; Failure() says why
    Stopped,      // the task the read ran in was asked to stop
    TooLarge,     // past one of the readers' limits: MelodyRead::limit and `most` say which
    Silent,       // a recording with nothing loud enough to hear
    NoPitch,      // a recording of sound without a pitch to follow (noise)
};

// What a reader refuses to build past, so that no file can take the memory or the time.
enum class MelodyLimit {
    Notes,           // notes of the whole file (MIDI: with its note offs that end nothing)
    Elements,        // XML elements, attributes and texts
    Characters,      // bytes of an XML document
    ArchiveEntries,  // files in a compressed MusicXML file
};

struct MelodyRead {
    MelodyFault fault = MelodyFault::None;
    Melody melody;
    MelodyLimit limit = MelodyLimit::Notes;  // TooLarge: the limit the file passed
    std::int64_t most = 0;                   // and the most it allows
};

// The readers of the foreign formats, outside the core with their own libraries.
class IMelodyReader {
  public:
    virtual ~IMelodyReader() = default;
    // Tells the format by the bytes themselves. `track` (Shift-JIS) narrows what is read:
    // empty for every part that sounds, else a track or part by its number from 1 or its
    // name, or a MIDI channel as "ch1".."ch16". A read on a worker thread passes its task
    // (platform/Task.h): one asked to stop ends soon, as Stopped.
    virtual MelodyRead Read(std::string_view bytes, std::string_view track,
                            TaskState* task = nullptr) = 0;
    // A recording of one melody (any audio file libsndfile reads, told by its content),
    // streamed from the file at `nativePath` and transcribed. `tempo` (quarter notes a
    // minute) fixes the beat; 0 finds it. `progress` is asked now and then with the sample
    // frames done and in all, from the thread that called; false stops the reading
    // (Stopped). UnknownKind when the file is not audio.
    virtual MelodyRead ReadRecording(const std::string& /*nativePath*/, double /*tempo*/,
                                     const std::function<bool(long, long)>& /*progress*/) {
        return {MelodyFault::UnknownKind, {}};
    }
    // Why the last Read was NotLoaded (Shift-JIS).
    virtual std::string Failure() const { return {}; }
};

}  // namespace tabrella::platform
