// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line: start the editor (optionally on a file), or do batch work on a score
// file without a window.
#include <QApplication>
#include <QString>

#include "exchange/Arrangement.h"

namespace tabrella::app {

struct CommandLine {
    QString file;            // the score to open, or to read in batch work
    QString exportMidi;      // --export-midi OUT.mid
    QString exportAudio;     // --export-audio OUT.wav|.flac|.ogg
    QString exportMusicXml;  // --export-musicxml OUT.musicxml|.mxl
    QString renderPng;       // --render-png OUT.png
    QString printPdf;        // --print-pdf OUT.pdf
    int zoom = 120;          // --zoom N, for --render-png
    // --import OUT.tbr: FILE is a MIDI or MusicXML file, arranged with --tuning N, --base B,
    // --otsu and --track T where given, and written as a score (what the other outputs show).
    QString importTo;
    ImportChoice importChoice;
    bool Batch() const {
        return !exportMidi.isEmpty() || !exportAudio.isEmpty() || !exportMusicXml.isEmpty() ||
               !renderPng.isEmpty() || !printPdf.isEmpty() || !importTo.isEmpty();
    }
};

// The client size of --render-png, as a window of the default size shows it.
inline constexpr int kRenderWidth = 900;
inline constexpr int kRenderHeight = 720;

// True when the arguments ask for work that needs no display (batch work, --help,
// --version), so that the caller can choose the offscreen platform before Qt starts.
bool WantsNoWindow(int argc, char** argv);

// Exits the process for --help and --version, and with a message for usage errors.
CommandLine ParseCommandLine(const QApplication& application);
int RunBatch(const CommandLine& commandLine);
int RunEditor(const CommandLine& commandLine);

}  // namespace tabrella::app
