// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the import of MIDI and MusicXML files (UTF-8 here, handed out as Shift-JIS).
#include <string>

namespace tabrella::res {

enum class ImportTxt {
    AnyFilterLabel,       // MIDI・MusicXMLファイル (*.mid *.midi *.musicxml *.xml *.mxl)
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
    Count
};

const std::string& Sjis(ImportTxt id);

}  // namespace tabrella::res
