// tabrella: the editor, or batch work on score files without a window.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/AppInfo.h"
#include "app/CMainFrame.h"
#include "app/CommandLine.h"
#include "platform/qt/QtFonts.h"
#include "platform/qt/QtText.h"
#include "resources/Texts.h"

int main(int argc, char** argv) {
    using namespace tabrella;
    // Batch work, --help and --version need no display, and print nothing but their result
    // or one line of error.
    if (app::WantsNoWindow(argc, argv)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg) std::fprintf(stderr, "tabrella: %s\n", qPrintable(text));
        });
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabrella"));
    QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QApplication::setApplicationVersion(app::Version());
    qt::InstallFontSubstitutions();

    // Qt's own buttons (はい, いいえ, キャンセル) in Japanese.
    QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }

    app::CommandLine commandLine = app::ParseCommandLine(application);
    if (commandLine.Batch()) return app::RunBatch(commandLine);
    return app::RunEditor(commandLine);
}
