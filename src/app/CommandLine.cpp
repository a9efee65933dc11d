#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "app/AppInfo.h"
#include "app/BatchWindow.h"
#include "app/CMainFrame.h"
#include "platform/fluid/FluidSequencer.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtText.h"
#include "resources/Texts.h"

namespace tabrella::app {
namespace {

[[noreturn]] void UsageError(const QString& message) {
    std::fprintf(stderr, "tabrella: %s (see --help)\n", qPrintable(message));
    std::exit(2);
}

int Failure(const QString& file, const QString& reason) {
    std::fprintf(stderr, "tabrella: %s: %s\n", qPrintable(file), qPrintable(reason));
    return 1;
}

QString Reason(const FileError& error) {
    return qt::FromSjis(error.reason);
}

// The view holds paths in Shift-JIS; a path named on the command line is made absolute
// first, as the file dialog would give it.
std::string ViewPath(const QString& path) {
    return qt::ToSjis(QFileInfo(path).absoluteFilePath());
}

}  // namespace

bool WantsNoWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option :
             {"--export-midi", "--render-png", "--print-pdf", "--help", "-h", "--version", "-v"}) {
            const size_t n = std::strlen(option);
            if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == 0 || argv[i][n] == '=')) {
                return true;
            }
        }
    }
    return false;
}

CommandLine ParseCommandLine(const QApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Koto score editor (タブレラ). Without options it opens the editor, "
                       "on FILE when one is named."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption exportMidi(
        "export-midi", "Write the MIDI file that exporting FILE would write.", "OUT.mid");
    const QCommandLineOption renderPng(
        "render-png", "Draw the page of FILE, as the window shows it after opening, into a PNG.",
        "OUT.png");
    const QCommandLineOption printPdf("print-pdf", "Print the page of FILE into an A4 PDF.",
                                      "OUT.pdf");
    const QCommandLineOption zoom("zoom", "Zoom in percent for --render-png (default 120).", "N",
                                  "120");
    parser.addOptions({exportMidi, renderPng, printPdf, zoom});
    parser.addPositionalArgument("file", "Score file (*.tbr, *.txt).", "[FILE]");
    parser.process(application);

    CommandLine line;
    line.exportMidi = parser.value(exportMidi);
    line.renderPng = parser.value(renderPng);
    line.printPdf = parser.value(printPdf);
    bool zoomOk = false;
    line.zoom = parser.value(zoom).toInt(&zoomOk);
    if (!zoomOk || line.zoom < 10 || line.zoom > 1000) {
        UsageError("--zoom takes a percentage from 10 to 1000");
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) UsageError("name at most one score file");
    if (!files.isEmpty()) line.file = files.first();
    if (line.Batch() && line.file.isEmpty()) UsageError("batch work needs the score file to read");
    return line;
}

int RunBatch(const CommandLine& line) {
    BatchWindow window(kRenderWidth, kRenderHeight);
    BatchDialogs dialogs;
    platform::fluid::FluidSequencer sequencer;  // never opened: batch work does not play
    CTabrellaView view(platform::Services{window, dialogs, sequencer});
    view.m_zoom = line.zoom;

    // As Open does it in the window: read, then the paint pass that follows.
    if (const std::optional<FileError> error = view.LoadScoreFile(ViewPath(line.file))) {
        return Failure(line.file, Reason(*error));
    }
    window.Paint(view);

    if (!line.exportMidi.isEmpty()) {
        if (const std::optional<FileError> error = view.ExportMidi(ViewPath(line.exportMidi))) {
            return Failure(line.exportMidi, Reason(*error));
        }
    }
    if (!line.renderPng.isEmpty() && !window.Picture().save(line.renderPng, "PNG")) {
        return Failure(line.renderPng, QStringLiteral("cannot write the image"));
    }
    if (!line.printPdf.isEmpty()) {
        if (const QString error = PrintToPdf(view, line.printPdf); !error.isEmpty()) {
            return Failure(line.printPdf, error);
        }
    }
    return 0;
}

int RunEditor(const CommandLine& line) {
    platform::fluid::FluidSequencer sequencer;
    qt::QtSettings settings;
    CMainFrame frame(sequencer, &settings);
    frame.setWindowIcon(QIcon(QStringLiteral(":/tabrella.svg")));
    frame.setWindowTitle(qt::FromSjis(res::Sjis(res::Txt::AppCaption)));
    frame.show();
    frame.activateWindow();
    if (!line.file.isEmpty()) frame.View().OpenNamedFile(ViewPath(line.file));
    return QApplication::exec();
}

}  // namespace tabrella::app
