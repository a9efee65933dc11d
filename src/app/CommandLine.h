#pragma once
// The command line: start the editor (optionally on a file), or do batch work on a score
// file without a window.
#include <QApplication>
#include <QString>

namespace tabrella::app {

struct CommandLine {
    bool batch = false;
    QString file;          // the score to open or to read
    QString exportMidi;    // --export-midi OUT.mid
    QString renderPng;     // --render-png OUT.png
    QString printPdf;      // --print-pdf OUT.pdf
    int zoom = 120;        // --zoom N for --render-png
};

// Exits the process for --help, --version and usage errors.
CommandLine ParseCommandLine(const QApplication& application);
int RunBatch(const CommandLine& commandLine);
int RunEditor(const CommandLine& commandLine);

}  // namespace tabrella::app
