// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Errors of file operations as values: the path as the file system names it and what went
// wrong, as a kind. The command that called turns them into a message in the language of
// the run; nothing here shows or words one. Paths are never converted: a name in any script
// reaches the file it names.
#include <string>
#include <string_view>

namespace tabrella {

// Not an error number of the system: the path names a folder, device or pipe where only a
// regular file will do.
inline constexpr int kNotRegularFile = -1;

enum class FileFault {
    System,             // the system refused: `errnum` says why
    FolderNotWritable,  // no new file could be made in the folder `path`: `errnum` says why
    NotRegularFile,     // a folder, device or pipe where only a regular file will do
    NotAScore,          // the file's cells are not numbers
    // Exports
    UnknownAudioType,     // an extension the audio export does not write
    NoAudioRenderer,      // a build without the synthesizer
    MidiFailed,           // the MIDI data could not be made
    Cancelled,            // the user stopped the export
    UnknownNotationType,  // an extension the MusicXML export does not write
    NoNotationWriter,     // a build without the MusicXML writer
    NotationFailed,       // the writer failed without words of its own
    ImageNotEncoded,      // the picture of the page could not be made into a PNG
    // Imports
    NoMelodyReader,      // a build without the readers
    UnknownMelodyKind,   // not MIDI, MusicXML or audio
    DamagedMelody,       // cut short or inconsistent
    UnsupportedMelody,   // a kind the readers do not take
    NoSuchTrack,         // the track asked for is not in the file
    NoNotes,             // nothing to arrange
    MelodyTooLarge,      // past a limit of the readers: `detail` names it (Shift-JIS)
    SilentRecording,     // a recording with nothing loud enough to hear
    UnpitchedRecording,  // a recording of noise
    // A library, module or the platform failed and said why in its own words: `detail`.
    Foreign,
};
inline constexpr int kFileFaultCount = static_cast<int>(FileFault::Foreign) + 1;

struct FileError {
    std::string path;  // the file system's own bytes
    FileFault fault = FileFault::System;
    int errnum = 0;      // the system's error number, for System and FolderNotWritable
    std::string detail;  // Shift-JIS, the foreign words of a Foreign fault

    friend bool operator==(const FileError&, const FileError&) = default;
};

// The system's text for an error number, as Shift-JIS.
std::string SystemReason(int errnum);
// The error of an error number (or kNotRegularFile) for `path`.
FileError MakeFileError(std::string_view path, int errnum);
// A failure in another party's own words (Shift-JIS).
FileError ForeignFileError(std::string_view path, std::string detail);

}  // namespace tabrella
