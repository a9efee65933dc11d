// SPDX-License-Identifier: GPL-3.0-or-later
// tabrella: the editor, or batch work on score files without a window.
#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/AppInfo.h"
#include "app/CMainFrame.h"
#include "app/CommandLine.h"

int main(int argc, char** argv) {
    using namespace tabrella;
    // Batch work, --help and --version need no display, and print nothing but their result
    // or one line of error.
    const bool noWindow = app::WantsNoWindow(argc, argv);
    if (noWindow) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg) std::fprintf(stderr, "tabrella: %s\n", qPrintable(text));
        });
    }
    if (const char* platform =
            app::PlatformForSession(std::getenv("QT_QPA_PLATFORM"), std::getenv("XDG_SESSION_TYPE"),
                                    std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"))) {
        setenv("QT_QPA_PLATFORM", platform, 1);
    }
    QApplication application(argc, argv);
    QTranslator translator;
    app::SetUpApplication(translator, !noWindow);

    app::CommandLine commandLine = app::ParseCommandLine(application);
    if (commandLine.Batch()) {
        // Everything is written and closed by now. Ending here, as --version does, skips
        // Qt's teardown of the offscreen platform, which loads the whole font configuration
        // only to free it again (about as long as the batch work itself).
        std::exit(app::RunBatch(commandLine));
    }
    return app::RunEditor(commandLine);
}
