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
    if (commandLine.Batch()) return app::RunBatch(commandLine);
    return app::RunEditor(commandLine);
}
