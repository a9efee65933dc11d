// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the import of MIDI and MusicXML files and recordings (UTF-8 here, handed out as
// Shift-JIS).
#include <string>

namespace tabrella::res {

enum class ImportTxt {
    AnyFilterLabel,       // MIDI・MusicXML・音声ファイル (... *.wav *.flac *.ogg)
    MidiFilterLabel,      // MIDIファイル (*.mid *.midi)
    MusicXmlFilterLabel,  // MusicXMLファイル (*.musicxml *.xml *.mxl)
    Failed,               // the first line of the message when a file cannot be imported
    UnknownKind,          // the file is neither
    Damaged,              // cut short or inconsistent
    Unsupported,          // a kind the readers do not take
    NoSuchTrack,          // --track named nothing in the file
    NoNotes,              // nothing to arrange
    NoReader,             // a build without the readers
    ReportFormat,         // placed, moved, dropped (%d), tuning name, base tone label (%s)
    PartTaken,            // the track or part read (%s)
    OtherParts,           // the others with notes, to choose with --track (%s)
    TrackChoices,         // after NoSuchTrack or AmbiguousTrack: the tracks there are (%s)
    AmbiguousTrack,       // --track named more than one
    OctaveShift,          // octaves the whole part moved (%+d)
    ChordDrops,           // notes left out of unplayable chords: count (%d), which (%s)
    CutAtBar,             // the piece cut: the first bar left out, notes left out (%d %d)
    TitleReplaced,        // the title's characters Shift-JIS lacks (%s)
    RepeatsPlayedOut,     // repeats and jumps played out (%d)
    PickupPadded,         // a pickup bar filled with rests
    TooLarge,             // a file past a limit of the readers: the limit (%s), one of:
    MostNotes,            //   notes (%lld)
    MostElements,         //   XML elements, attributes and texts (%lld)
    MostCharacters,       //   bytes of an XML document (%lld)
    MostArchiveEntries,   //   files in a compressed MusicXML file (%lld)
    NotesOverLimit,       // notes past the most an import arranges: that most, those cut (%d %d)
    ChordOverLimit,       // chords past the most notes: that most, the notes cut (%d %d)
    BaseToneFormat,       // the base tone in the report: its name (%s), then OtsuWord or nothing
    OtsuWord,             // 乙 after the base tone
    Automatic,            // the import dialog's choice that leaves a setting open
    OtsuOff,              // the import dialog's 乙 choices
    OtsuOn,
    FirstPitchedPart,  // the import dialog's automatic part
    Reading,           // the progress while a file is read and arranged
    // Recordings
    AudioFilterLabel,  // 音声ファイル (*.wav *.flac *.ogg)
    Silent,            // nothing loud enough to hear
    NoPitch,           // noise without a pitch
    TempoHeard,        // the tempo the onsets fit (%d)
    TempoGiven,        // the tempo --tempo gave (%d)
    TuningHeard,       // the recording's tuning against A = 440 Hz (%+d cents)
    UncertainNotes,    // notes whose pitch was heard with little confidence (%d)
    ShortSounds,       // sounds too short to be notes, left out (%d)
    NotRead,           // minutes read (%d), seconds past them left out (%d)
    OutOfRange,        // pitches outside C2..C7 left out (%d)
    Count
};

const std::string& Sjis(ImportTxt id);

}  // namespace tabrella::res
