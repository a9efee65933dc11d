// SPDX-License-Identifier: GPL-3.0-or-later
// Import: the melody of a MIDI or MusicXML file or a recording, arranged for the koto, replaces the
// score as Open does. The score then has no file of its own: Save asks for a name, and New, Open
// and Exit ask before it goes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/FileRead.h"
#include "base/Sjis.h"
#include "exchange/Arrangement.h"
#include "exchange/AudioMelody.h"
#include "files/ImportDialog.h"
#include "files/ScoreFile.h"
#include "platform/Task.h"
#include "resources/FileMessage.h"
#include "resources/ImportTexts.h"
#include "resources/Texts.h"
#include "resources/TuningNames.h"
#include "score/CTabrellaView.h"
#include "score/Tempo.h"
#include "score/TuningTable.h"

namespace tabrella {
namespace {

using res::ImportTxt;

// Foreign files run larger than scores: MusicXML of a long orchestral piece takes tens of
// megabytes.
constexpr std::size_t kMaxImportBytes = std::size_t{64} << 20;
constexpr std::size_t kMaxTitleBytes = 255;

platform::FileDialogRequest ImportRequest() {
    platform::FileDialogRequest r;
    r.filters = {{res::Sjis(ImportTxt::AnyFilterLabel),
                  "*.mid *.midi *.musicxml *.xml *.mxl *.wav *.flac *.ogg"},
                 {res::Sjis(ImportTxt::MidiFilterLabel), "*.mid *.midi"},
                 {res::Sjis(ImportTxt::MusicXmlFilterLabel), "*.musicxml *.xml *.mxl"},
                 {res::Sjis(ImportTxt::AudioFilterLabel), "*.wav *.flac *.ogg"}};
    r.mustExist = true;
    return r;
}

FileFault FaultOf(platform::MelodyFault fault) {
    switch (fault) {
        case platform::MelodyFault::UnknownKind:
            return FileFault::UnknownMelodyKind;
        case platform::MelodyFault::Unsupported:
            return FileFault::UnsupportedMelody;
        case platform::MelodyFault::NoSuchTrack:
            return FileFault::NoSuchTrack;
        case platform::MelodyFault::TooLarge:
            return FileFault::MelodyTooLarge;
        case platform::MelodyFault::Silent:
            return FileFault::SilentRecording;
        case platform::MelodyFault::NoPitch:
            return FileFault::UnpitchedRecording;
        case platform::MelodyFault::Damaged:
        case platform::MelodyFault::NotLoaded:  // has words of its own
        case platform::MelodyFault::Stopped:    // never reported
        case platform::MelodyFault::None:
            break;
    }
    return FileFault::DamagedMelody;
}

// A file's title as the score keeps it: one word, cut at the end of a character.
std::string TitleOf(const std::string& sjis) {
    std::size_t end = 0;
    while (end < sjis.size()) {
        const std::size_t next =
            end + (IsSjisLeadByte(static_cast<unsigned char>(sjis[end])) ? 2 : 1);
        if (next > std::min(sjis.size(), kMaxTitleBytes)) break;
        end = next;
    }
    return TitleAsOneWord(sjis.substr(0, end));
}

// A file that says nothing of its tempo plays at 120 quarter notes a minute, as MIDI
// players take it; MusicXML and MIDI of one piece then come in alike.
constexpr int kUnstatedTempo = 120;

// printf with a text of the table; the table's texts take exactly these arguments.
template <typename... Args>
std::string Format(ImportTxt id, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, res::Sjis(id).c_str(), args...);
    return text;
}

std::string Joined(const std::vector<std::string>& items, const std::string& except = {}) {
    std::string out;
    for (const std::string& item : items) {
        if (item == except) continue;
        out += (out.empty() ? "" : ", ") + item;
    }
    return out;
}

// Notes as musicians name them, with their bar: "E4 (12)".
std::string NotesNamed(const std::vector<Arrangement::Drop>& drops) {
    static constexpr const char* kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
    constexpr std::size_t kShown = 6;
    std::string out;
    for (std::size_t i = 0; i < drops.size() && i < kShown; ++i) {
        out += (i ? ", " : "") + std::string(kNames[drops[i].key % 12]) +
               std::to_string(drops[i].key / 12 - 1) + " (" + std::to_string(drops[i].bar) + ")";
    }
    if (drops.size() > kShown) out += ", ...";
    return out;
}

// A tuning or base tone as the interface's reader reads it: in English its romanised
// reading (without long marks, which Shift-JIS lacks) before the name itself.
std::string Readable(const std::string& sjisName) {
    const std::string_view reading = res::ReadingOfName(sjisName);
    if (reading.empty()) return sjisName;
    std::string ascii;
    for (std::size_t i = 0; i < reading.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(reading[i]);
        if (c < 0x80) {
            ascii += static_cast<char>(c);
        } else if (c == 0xC5 && i + 1 < reading.size()) {
            // ō Ō ū Ū (U+014D U+014C U+016B U+016A): the vowel alone.
            const unsigned char next = static_cast<unsigned char>(reading[++i]);
            ascii += next == 0x8D ? 'o' : next == 0x8C ? 'O' : next == 0xAB ? 'u' : 'U';
        }
    }
    return ascii + " (" + sjisName + ")";
}

// What the transcription of a recording heard, a line each.
std::string HeardDetails(const platform::Hearing& h) {
    std::string out = "\n" + Format(h.tempoGiven ? ImportTxt::TempoGiven : ImportTxt::TempoHeard,
                                    static_cast<int>(std::lround(h.tempo)));
    out += "\n" + Format(ImportTxt::TuningHeard, static_cast<int>(std::lround(h.tuningCents)));
    if (h.uncertain > 0) out += "\n" + Format(ImportTxt::UncertainNotes, h.uncertain);
    if (h.shortSounds > 0) out += "\n" + Format(ImportTxt::ShortSounds, h.shortSounds);
    if (h.outOfRange > 0) out += "\n" + Format(ImportTxt::OutOfRange, h.outOfRange);
    if (h.secondsNotRead > 0) {
        out +=
            "\n" + Format(ImportTxt::NotRead, static_cast<int>(exchange::kMaxRecordingSeconds / 60),
                          static_cast<int>(std::ceil(h.secondsNotRead)));
    }
    return out;
}

// What the import did beyond placing notes, a line each.
std::string ReportDetails(const platform::Melody& m, const Arrangement& a) {
    std::string out;
    const auto line = [&](const std::string& text) { out += "\n" + text; };
    // A file of one part has nothing to choose.
    if (m.parts.size() > 1) {
        if (!m.taken.empty()) line(Format(ImportTxt::PartTaken, m.taken.c_str()));
        line(Format(ImportTxt::OtherParts, Joined(m.parts, m.taken).c_str()));
    }
    if (m.padded) line(res::Sjis(ImportTxt::PickupPadded));
    if (m.repeatsPlayedOut > 0) line(Format(ImportTxt::RepeatsPlayedOut, m.repeatsPlayedOut));
    if (a.octaveShift != 0) line(Format(ImportTxt::OctaveShift, a.octaveShift));
    if (!a.chordDrops.empty()) {
        line(Format(ImportTxt::ChordDrops, static_cast<int>(a.chordDrops.size()),
                    NotesNamed(a.chordDrops).c_str()));
    }
    if (a.cutAtBar > 0) line(Format(ImportTxt::CutAtBar, a.cutAtBar, a.cutNotes));
    if (a.notesOverLimit > 0) {
        line(Format(ImportTxt::NotesOverLimit, ArrangeLimits{}.notes, a.notesOverLimit));
    }
    if (a.chordNotesOverLimit > 0) {
        line(Format(ImportTxt::ChordOverLimit, ArrangeLimits{}.chordNotes, a.chordNotesOverLimit));
    }
    if (!m.titleReplaced.empty()) line(Format(ImportTxt::TitleReplaced, m.titleReplaced.c_str()));
    if (m.heard.recording) out += HeardDetails(m.heard);
    return out;
}

int TempoOf(double tempo) {
    if (!(tempo > 0)) return kUnstatedTempo;
    return static_cast<int>(std::clamp(std::lround(std::min(tempo, 1e6)), long{kTempoSpinLowest},
                                       long{kTempoTypedHighest}));
}

}  // namespace

// What reading and arranging a file gives. Made without the view, so that it can be made
// on a worker thread while the window shows the progress.
struct ImportedMelody {
    std::optional<FileError> error;
    platform::Melody melody;
    Arrangement arrangement;
    std::optional<int> tempo;  // the tempo the player gave, over the file's
};

namespace {

ImportedMelody ReadAndArrange(platform::IMelodyReader* reader, const std::string& path,
                              const ImportChoice& choice) {
    std::string bytes;
    if (!reader) {
        if (const int err = ReadRegularFile(path, bytes, kMaxImportBytes)) {
            return {MakeFileError(path, err), {}, {}};
        }
        return {FileError{path, FileFault::NoMelodyReader}, {}, {}};
    }
    platform::TaskState* const task = platform::TaskState::Current();
    // A recording streams from its file, however long; anything else is read whole.
    platform::MelodyRead read =
        reader->ReadRecording(path, choice.tempo.value_or(0), [task](long done, long total) {
            if (!task) return true;
            task->Report(done, total);
            return !task->StopRequested();
        });
    if (read.fault == platform::MelodyFault::UnknownKind) {
        if (const int err = ReadRegularFile(path, bytes, kMaxImportBytes)) {
            return {MakeFileError(path, err), {}, {}};
        }
        platform::StopPoint();
        read = reader->Read(bytes, choice.track, task);
    }
    if (read.fault == platform::MelodyFault::Stopped) throw platform::TaskStopped{};
    if (read.fault == platform::MelodyFault::NotLoaded) {
        return {ForeignFileError(path, reader->Failure()), {}, {}};
    }
    if (read.fault == platform::MelodyFault::NoSuchTrack) {
        FileError error{path, FileFault::NoSuchTrack};
        error.detail =
            (read.melody.ambiguousTrack ? res::Sjis(ImportTxt::AmbiguousTrack) + "\n" : "") +
            Format(ImportTxt::TrackChoices, Joined(read.melody.parts).c_str());
        return {error, {}, {}};
    }
    if (read.fault == platform::MelodyFault::TooLarge) {
        const ImportTxt limit =
            read.limit == platform::MelodyLimit::Notes            ? ImportTxt::MostNotes
            : read.limit == platform::MelodyLimit::Elements       ? ImportTxt::MostElements
            : read.limit == platform::MelodyLimit::ArchiveEntries ? ImportTxt::MostArchiveEntries
                                                                  : ImportTxt::MostCharacters;
        return {FileError{path, FileFault::MelodyTooLarge, 0,
                          Format(limit, static_cast<long long>(read.most))},
                {},
                {}};
    }
    if (read.fault != platform::MelodyFault::None) {
        return {FileError{path, FaultOf(read.fault)}, {}, {}};
    }
    ImportedMelody imported{std::nullopt, std::move(read.melody), {}, choice.tempo};
    imported.arrangement = Arrange(imported.melody, choice);
    if (imported.arrangement.placed == 0) imported.error = FileError{path, FileFault::NoNotes};
    return imported;
}

// Whether a file starts as the common audio files do (WAV, RF64, AIFF, FLAC, Ogg). Only to
// offer the import's choices without reading a long recording whole; what the file is, the
// recording reader decides.
bool LooksLikeRecording(const std::string& path) {
    char head[12] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    const std::string_view h(head, got);
    return h.starts_with("RIFF") || h.starts_with("RF64") || h.starts_with("FORM") ||
           h.starts_with("fLaC") || h.starts_with("OggS");
}

// The parts of a file for the import's choices (none for a recording); nothing when the
// file cannot be read (the import then goes straight on to say why).
std::optional<std::vector<std::string>> PartsOf(platform::IMelodyReader* reader,
                                                const std::string& path) {
    if (reader && LooksLikeRecording(path)) return std::vector<std::string>{};
    std::string bytes;
    if (!reader || ReadRegularFile(path, bytes, kMaxImportBytes) != 0) return std::nullopt;
    platform::StopPoint();
    platform::MelodyRead read = reader->Read(bytes, "", platform::TaskState::Current());
    if (read.fault == platform::MelodyFault::Stopped) throw platform::TaskStopped{};
    if (read.fault != platform::MelodyFault::None) return std::nullopt;
    return std::move(read.melody.parts);
}

}  // namespace

bool CTabrellaView::RunWithProgress(const std::string& sjisText,
                                    const std::function<void()>& work) {
    const std::unique_ptr<platform::IProgress> progress = m_services.dialogs.ShowProgress(sjisText);
    return platform::RunWithProgress(*progress, work);
}

void CTabrellaView::OnImport() {
    if (!SavePromptAllows()) return;
    const std::optional<std::string> path = m_services.dialogs.FileDialog(ImportRequest());
    if (!path || path->empty()) return;
    // Reading and arranging run on a worker thread, the window showing the progress; a
    // Cancel (or a request to end the program) leaves everything as it was, unspoken.
    platform::IMelodyReader* const reader = m_services.melody;
    const std::string text = res::Sjis(ImportTxt::Reading);
    // The choices the command line offers, with the file's own parts to pick from.
    std::optional<std::vector<std::string>> parts;
    if (!RunWithProgress(text, [&] { parts = PartsOf(reader, *path); })) return;
    ImportChoice choice;
    if (parts) {
        CImportDialog dialog(std::move(*parts));
        if (m_services.dialogs.DoModal(dialog) != platform::kIdOk) return;
        choice = dialog.Choice();
    }
    ImportedMelody imported;
    if (!RunWithProgress(text, [&] { imported = ReadAndArrange(reader, *path, choice); })) return;
    std::string report;
    if (const std::optional<FileError> error = ApplyImport(imported, report)) {
        ShowFileError(m_services.dialogs, res::Sjis(ImportTxt::Failed), *error);
        return;
    }
    m_services.dialogs.MessageBox(report, res::Sjis(res::Txt::AppTitle),
                                  platform::MessageBoxKind::Information);
}

std::optional<FileError> CTabrellaView::ImportFile(const std::string& path,
                                                   const ImportChoice& choice,
                                                   std::string& report) {
    return ApplyImport(ReadAndArrange(m_services.melody, path, choice), report);
}

std::optional<FileError> CTabrellaView::ApplyImport(const ImportedMelody& imported,
                                                    std::string& report) {
    if (imported.error) return imported.error;
    const Arrangement& a = imported.arrangement;
    ResetView();
    SetDocumentFile({}, false);
    std::copy(a.cells.begin(), a.cells.end(), m_cells.begin() + 1);
    m_lastCell = std::max(LastUsedCell(), 1);
    StoredSettings stored;
    stored.m_title = TitleOf(imported.melody.title);
    stored.m_tuningName = TuningTable()[static_cast<std::size_t>(a.tuning)].name;
    stored.m_otsuFlag = a.otsu ? 0 : 1;
    stored.m_baseTone = a.baseTone;
    stored.m_tempo = imported.tempo ? *imported.tempo : TempoOf(imported.melody.tempo);
    // The pitches the arrangement used: those the score has once saved and opened again.
    LoadSettings(stored);
    m_services.window.Invalidate();

    const std::string baseTone =
        Format(ImportTxt::BaseToneFormat, Readable(BaseToneName(m_baseTone)).c_str(),
               m_otsuFlag == 0 ? res::Sjis(ImportTxt::OtsuWord).c_str() : "");
    report = Format(ImportTxt::ReportFormat, a.placed, a.moved, a.dropped,
                    Readable(m_tuningName).c_str(), baseTone.c_str()) +
             ReportDetails(imported.melody, a);
    return std::nullopt;
}

}  // namespace tabrella
