// SPDX-License-Identifier: GPL-3.0-or-later
// Import: the melody of a MIDI or MusicXML file, arranged for the koto, replaces the score
// as Open does. The score then has no file of its own: Save asks for a name, and New, Open
// and Exit ask before it goes.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/FileRead.h"
#include "base/Sjis.h"
#include "exchange/Arrangement.h"
#include "files/ScoreFile.h"
#include "resources/FileMessage.h"
#include "resources/ImportTexts.h"
#include "resources/Texts.h"
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
    r.filters = {{res::Sjis(ImportTxt::AnyFilterLabel), "*.mid *.midi *.musicxml *.xml *.mxl"},
                 {res::Sjis(ImportTxt::MidiFilterLabel), "*.mid *.midi"},
                 {res::Sjis(ImportTxt::MusicXmlFilterLabel), "*.musicxml *.xml *.mxl"}};
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
        case platform::MelodyFault::Damaged:
        case platform::MelodyFault::NotLoaded:  // has words of its own
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

int TempoOf(double tempo) {
    if (!(tempo > 0)) return score_defaults::kTempo;
    return static_cast<int>(std::clamp(std::lround(std::min(tempo, 1e6)), long{kTempoSpinLowest},
                                       long{kTempoTypedHighest}));
}

}  // namespace

void CTabrellaView::OnImport() {
    if (!SavePromptAllows()) return;
    const std::optional<std::string> path = m_services.dialogs.FileDialog(ImportRequest());
    if (!path || path->empty()) return;
    std::string report;
    if (const std::optional<FileError> error = ImportFile(*path, {}, report)) {
        ShowFileError(m_services.dialogs, res::Sjis(ImportTxt::Failed), *error);
        return;
    }
    m_services.dialogs.MessageBox(report, res::Sjis(res::Txt::AppTitle),
                                  platform::MessageBoxKind::Information);
}

std::optional<FileError> CTabrellaView::ImportFile(const std::string& path,
                                                   const ImportChoice& choice,
                                                   std::string& report) {
    std::string bytes;
    if (const int err = ReadRegularFile(path, bytes, kMaxImportBytes)) {
        return MakeFileError(path, err);
    }
    if (!m_services.melody) return FileError{path, FileFault::NoMelodyReader};
    const platform::MelodyRead read = m_services.melody->Read(bytes, choice.track);
    if (read.fault == platform::MelodyFault::NotLoaded) {
        return ForeignFileError(path, m_services.melody->Failure());
    }
    if (read.fault != platform::MelodyFault::None) return FileError{path, FaultOf(read.fault)};
    const Arrangement a = Arrange(read.melody, choice);
    if (a.placed == 0) return FileError{path, FileFault::NoNotes};

    ResetView();
    SetDocumentFile({}, false);
    std::copy(a.cells.begin(), a.cells.end(), m_cells.begin() + 1);
    m_lastCell = std::max(LastUsedCell(), 1);
    StoredSettings stored;
    stored.m_title = TitleOf(read.melody.title);
    stored.m_tuningName = TuningTable()[static_cast<std::size_t>(a.tuning)].name;
    stored.m_otsuFlag = a.otsu ? 0 : 1;
    stored.m_baseTone = a.baseTone;
    stored.m_tempo = TempoOf(read.melody.tempo);
    // The pitches the arrangement used: those the score has once saved and opened again.
    LoadSettings(stored);
    m_services.window.Invalidate();

    char text[512];
    std::snprintf(text, sizeof text, res::Sjis(ImportTxt::ReportFormat).c_str(), a.placed, a.moved,
                  a.dropped, m_tuningName.c_str(), m_baseToneLabel.c_str());
    report = text;
    return std::nullopt;
}

}  // namespace tabrella
