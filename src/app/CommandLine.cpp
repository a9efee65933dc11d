#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>
#include <memory>

#include "app/AppInfo.h"
#include "app/CMainFrame.h"
#include "platform/fluid/FluidSequencer.h"
#include "platform/qt/QtText.h"
#include "resources/Texts.h"

namespace tabrella::app {
namespace {

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "tabrella: %s\n", qPrintable(message));
    std::exit(2);
}

}  // namespace

CommandLine ParseCommandLine(const QApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Koto score editor (タブレラ)"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Score file to open."),
                                 QStringLiteral("[FILE.tbr]"));
    parser.process(application);
    CommandLine line;
    const QStringList args = parser.positionalArguments();
    if (args.size() > 1) Fail(QStringLiteral("too many files named"));
    if (!args.isEmpty()) line.file = args.first();
    return line;
}

int RunBatch(const CommandLine&) { return 0; }

int RunEditor(const CommandLine&) {
    platform::fluid::FluidSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.resize(620, 800);
    frame.setWindowIcon(QIcon(QStringLiteral(":/tabrella.svg")));
    frame.setWindowTitle(qt::FromSjis(res::Sjis(res::Txt::AppCaption)));
    frame.show();
    frame.activateWindow();
    return QApplication::exec();
}

}  // namespace tabrella::app
