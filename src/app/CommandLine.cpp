// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/AppInfo.h"
#include "app/BatchWindow.h"
#include "app/CMainFrame.h"
#include "base/AtomicFile.h"
#include "base/EndSignal.h"
#include "exchange/ExchangeModule.h"
#include "fluid/ModuleSound.h"
#include "qt/QtProgress.h"
#include "qt/QtSettings.h"
#include "qt/QtText.h"
#include "resources/FileMessage.h"
#include "resources/Language.h"
#include "resources/Texts.h"
#include "score/Tempo.h"

namespace tabrella::app {
namespace {

[[noreturn]] void UsageError(const QString& message) {
    std::fprintf(stderr, "tabrella: %s (see --help)\n", qPrintable(message));
    std::exit(2);
}

int NumberIn(const QString& text, int lowest, int highest, const char* option) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < lowest || n > highest) {
        UsageError(
            QStringLiteral("%1 takes a number from %2 to %3").arg(option).arg(lowest).arg(highest));
    }
    return n;
}

int Failure(const QString& file, const QString& reason) {
    std::fprintf(stderr, "tabrella: %s: %s\n", qPrintable(file), qPrintable(reason));
    return 1;
}

int Failure(const FileError& error) {
    return Failure(qt::FromNativePath(error.path), qt::FromSjis(ReasonText(error)));
}

// A path named on the command line is made absolute first, as the file dialog would give
// it, and kept in the file system's own bytes.
std::string ViewPath(const QString& path) {
    return qt::ToNativePath(QFileInfo(path).absoluteFilePath());
}

// Batch outputs are replaced like saves: whole, or the old file stays as it was.
std::optional<FileError> WriteOutput(const QString& path, const QByteArray& bytes) {
    return WriteFileAtomically(
        ViewPath(path), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// The picture the window would show, as PNG bytes.
std::optional<FileError> WritePng(const QImage& picture, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) return FileError{ViewPath(path), FileFault::ImageNotEncoded};
    return WriteOutput(path, bytes);
}

// The printer writes only to a named file: it prints into a private folder first.
std::optional<FileError> WritePdf(CTabrellaView& view, const QString& path) {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return ForeignFileError(ViewPath(path), qt::ToSjis(folder.errorString()));
    }
    const QString printed = folder.filePath(QStringLiteral("page.pdf"));
    if (const QString error = PrintToPdf(view, printed); !error.isEmpty()) {
        return ForeignFileError(ViewPath(path), qt::ToSjis(error));
    }
    QFile file(printed);
    if (!file.open(QIODevice::ReadOnly)) {
        return ForeignFileError(ViewPath(path), qt::ToSjis(file.errorString()));
    }
    return WriteOutput(path, file.readAll());
}

// The help in the interface's language: Qt's own lines come from its translation, ours
// from here.
QString InLanguage(bool english, const char* englishText, const char* japaneseText) {
    return QString::fromUtf8(english ? englishText : japaneseText);
}

// The program's description and the options every program has. The help option is the
// program's own, so that its line too is in the interface's language.
QCommandLineOption DescribeProgram(QCommandLineParser& parser, bool english) {
    parser.setApplicationDescription(InLanguage(
        english,
        "Koto score editor (Tabrella). Without options it opens the editor, on FILE when one "
        "is named.",
        "箏の楽譜エディタ（タブレラ）。オプションがなければエディタを開きます。FILE "
        "があればそれを開きます。"));
    const QCommandLineOption help(
        {"h", "help"},
        InLanguage(english, "Displays help on commandline options.", "このヘルプを表示します。"));
    parser.addOption(help);
    parser.addVersionOption();
    return help;
}

// What batch work writes from the score.
struct OutputOptions {
    explicit OutputOptions(bool english)
        : exportMidi(
              "export-midi",
              InLanguage(english, "Write the MIDI file that exporting FILE would write.",
                         "FILE をMIDIエクスポートしたときと同じMIDIファイルを書き出します。"),
              "OUT.mid"),
          exportAudio("export-audio",
                      InLanguage(english,
                                 "Render what exporting FILE as MIDI would write into audio: "
                                 "WAV, FLAC or Ogg Vorbis by the extension.",
                                 "FILE をMIDIで書き出したときの音をオーディオファイルに書き出し"
                                 "ます。拡張子によりWAV・FLAC・Ogg Vorbisのいずれかです。"),
                      "OUT.wav"),
          exportMusicXml("export-musicxml",
                         InLanguage(english,
                                    "Write FILE as MusicXML: compressed for .mxl, plain for "
                                    ".musicxml.",
                                    "FILE をMusicXMLで書き出します。.mxl なら圧縮形式、"
                                    ".musicxml なら非圧縮です。"),
                         "OUT.musicxml"),
          renderPng("render-png",
                    InLanguage(english,
                               "Draw the page of FILE, as the window shows it after opening, "
                               "into a PNG.",
                               "FILE を開いたときにウィンドウが表示するページをPNGに描きます。"),
                    "OUT.png"),
          printPdf("print-pdf",
                   InLanguage(english, "Print every page of FILE into an A4 PDF.",
                              "FILE の全ページをA4のPDFに印刷します。"),
                   "OUT.pdf"),
          zoom("zoom",
               InLanguage(english, "Zoom in percent for --render-png (default 120).",
                          "--render-png の倍率（パーセント。既定は120）。"),
               "N", "120") {}

    QCommandLineOption exportMidi;
    QCommandLineOption exportAudio;
    QCommandLineOption exportMusicXml;
    QCommandLineOption renderPng;
    QCommandLineOption printPdf;
    QCommandLineOption zoom;
};

// --import and what it lets the user fix of the arrangement. The English help names the
// tunings and tones with their readings, for those who cannot read them.
struct ImportOptions {
    explicit ImportOptions(bool english)
        : importTo("import",
                   InLanguage(english,
                              "Arrange the melody of FILE, a MIDI (format 0 or 1) or MusicXML "
                              "file or a recording (WAV, FLAC, Ogg ...) of one melody, for the "
                              "koto and write it as a score; the other outputs then show that "
                              "score. What was placed and heard goes to standard error.",
                              "FILE（MIDIのフォーマット0・1、MusicXML、または旋律ひとつの録音"
                              "（WAV・FLAC・Oggなど））の旋律を箏に編曲し、楽譜として書き出します。"
                              "ほかの出力はその楽譜を示します。配置と聞き取りの結果は標準エラーに"
                              "出ます。"),
                   "OUT.tbr"),
          tuning("tuning",
                 InLanguage(english,
                            "For --import: the tuning, row 0 to 7 of the tuning table (0: "
                            "平調子, Hirajōshi).",
                            "--import 用: 調子。調子表の0〜7行目（0: 平調子）。"),
                 "N"),
          base("base",
               InLanguage(english,
                          "For --import: the base tone, 1 (壱越, Ichikotsu) to 12 (上無, "
                          "Kamimu); 3 is 平調 (Hyōjō).",
                          "--import 用: 基音。1（壱越）〜12（上無）。3が平調です。"),
               "B"),
          otsu("otsu",
               InLanguage(english,
                          "For --import: tune with 乙 (otsu, the base tone an octave lower).",
                          "--import 用: 乙で調弦します。")),
          track("track",
                InLanguage(english,
                           "For --import: read only this track (its number from 1, or its name "
                           "in either case), this MIDI channel (ch1 to ch16), or this MusicXML "
                           "part (its number or name). Without it, the first track or part "
                           "with pitched notes.",
                           "--import 用: "
                           "読み込むトラック（1からの番号か名前。大文字と小文字は区別しません）、"
                           "MIDIチャンネル（ch1〜ch16）、またはMusicXMLのパート（番号か名前）。"
                           "指定がなければ、音高のある音を持つ最初のトラックかパートです。"),
                "T"),
          tempo("tempo",
                InLanguage(english,
                           "For --import: the score's tempo, 10 to 999 quarter notes a minute; "
                           "a recording is then heard at that beat instead of the one its "
                           "notes suggest.",
                           "--import 用: 楽譜のテンポ（1分間の四分音符の数、10〜999）。録音は"
                           "推定したテンポではなく、このテンポで拍を取ります。"),
                "T") {}

    QCommandLineOption importTo;
    QCommandLineOption tuning;
    QCommandLineOption base;
    QCommandLineOption otsu;
    QCommandLineOption track;
    QCommandLineOption tempo;
};

QCommandLineOption LanguageOption(bool english) {
    return {"lang",
            InLanguage(english,
                       "The language of the menus, dialogs and messages: ja (Japanese) or en "
                       "(English). Without it, the one chosen in the View menu, else the "
                       "locale's.",
                       "メニュー・ダイアログ・メッセージの言語: ja（日本語）または "
                       "en（英語）。指定がなければ表示メニューで選んだ言語、それもなければ"
                       "ロケールの言語です。"),
            "ja|en"};
}

// The language itself is chosen before the parser runs (its help is in that language);
// here only a wrong value is refused.
void CheckLanguage(const QCommandLineParser& parser, const QCommandLineOption& lang) {
    if (parser.isSet(lang) && !res::LanguageOfCode(parser.value(lang).toStdString())) {
        UsageError("--lang takes ja or en");
    }
}

void ReadOutputs(const QCommandLineParser& parser, const OutputOptions& o, CommandLine& line) {
    line.exportMidi = parser.value(o.exportMidi);
    line.exportAudio = parser.value(o.exportAudio);
    line.exportMusicXml = parser.value(o.exportMusicXml);
    line.renderPng = parser.value(o.renderPng);
    line.printPdf = parser.value(o.printPdf);
    bool zoomOk = false;
    line.zoom = parser.value(o.zoom).toInt(&zoomOk);
    if (!zoomOk || line.zoom < 10 || line.zoom > 1000) {
        UsageError("--zoom takes a percentage from 10 to 1000");
    }
}

void ReadImport(const QCommandLineParser& parser, const ImportOptions& o, CommandLine& line) {
    line.importTo = parser.value(o.importTo);
    const bool arranged = parser.isSet(o.tuning) || parser.isSet(o.base) || parser.isSet(o.otsu) ||
                          parser.isSet(o.track) || parser.isSet(o.tempo);
    if (arranged && line.importTo.isEmpty()) {
        UsageError("--tuning, --base, --otsu, --track and --tempo go with --import");
    }
    if (parser.isSet(o.tempo)) {
        line.importChoice.tempo =
            NumberIn(parser.value(o.tempo), kTempoSpinLowest, kTempoTypedHighest, "--tempo");
    }
    if (parser.isSet(o.tuning))
        line.importChoice.tuning = NumberIn(parser.value(o.tuning), 0, 7, "--tuning");
    if (parser.isSet(o.base))
        line.importChoice.baseTone = NumberIn(parser.value(o.base), 1, 12, "--base");
    if (parser.isSet(o.otsu)) line.importChoice.otsu = true;
    line.importChoice.track = qt::ToSjis(parser.value(o.track));
}

void ReadScoreFile(const QCommandLineParser& parser, CommandLine& line) {
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) UsageError("name at most one score file");
    if (!files.isEmpty()) line.file = files.first();
    if (line.Batch() && line.file.isEmpty()) UsageError("batch work needs the score file to read");
}
}  // namespace

bool WantsNoWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option :
             {"--export-midi", "--export-audio", "--export-musicxml", "--render-png", "--print-pdf",
              "--import", "--help", "-h", "--version", "-v"}) {
            const size_t n = std::strlen(option);
            if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == 0 || argv[i][n] == '=')) {
                return true;
            }
        }
    }
    return false;
}

CommandLine ParseCommandLine(const QApplication& application) {
    const bool english = res::CurrentLanguage() == res::Language::English;
    QCommandLineParser parser;
    const QCommandLineOption help = DescribeProgram(parser, english);
    const OutputOptions outputs(english);
    const ImportOptions import(english);
    const QCommandLineOption lang = LanguageOption(english);
    parser.addOptions({outputs.exportMidi, outputs.exportAudio, outputs.exportMusicXml,
                       outputs.renderPng, outputs.printPdf, outputs.zoom, import.importTo,
                       import.tuning, import.base, import.otsu, import.track, import.tempo, lang});
    parser.addPositionalArgument(
        "file",
        InLanguage(english, "Score file (*.tbr, *.txt); for --import the file to import.",
                   "楽譜ファイル（*.tbr、*.txt）。--import では読み込むファイル。"),
        "[FILE]");
    parser.process(application);
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        std::exit(0);
    }

    CheckLanguage(parser, lang);
    CommandLine line;
    ReadOutputs(parser, outputs, line);
    ReadImport(parser, import, line);
    ReadScoreFile(parser, line);
    return line;
}

extern "C" void OnBatchSignal(int signal) {
    RemoveTemporariesNow();
    ::_exit(128 + signal);
}

int RunBatch(const CommandLine& line) {
    // A batch ended by a signal leaves the old outputs and no temporary file.
    struct sigaction action {};
    action.sa_handler = OnBatchSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);

    BatchWindow window(kRenderWidth, kRenderHeight);
    BatchDialogs dialogs;
    // Never opened: batch work plays nothing, and loads the sound module only to render.
    fluid::ModuleSequencer sequencer;
    fluid::ModuleAudioRenderer audio;
    exchange::ModuleNotationWriter musicXml;
    exchange::ModuleMelodyReader melodies;
    CTabrellaView view(
        platform::Services{window, dialogs, sequencer, &audio, &musicXml, &melodies});
    view.m_zoom = line.zoom;

    // As Open or Import does it in the window: read, then the paint pass that follows. Only
    // the picture needs the paint itself; the exports need only the end it finds.
    if (!line.importTo.isEmpty()) {
        std::string report;
        if (const std::optional<FileError> error =
                view.ImportFile(ViewPath(line.file), line.importChoice, report)) {
            return Failure(*error);
        }
        std::fprintf(stderr, "tabrella: %s\n", qPrintable(qt::FromSjis(report)));
        if (const std::optional<FileError> error = view.WriteScoreFile(ViewPath(line.importTo))) {
            return Failure(*error);
        }
    } else if (const std::optional<FileError> error = view.LoadScoreFile(ViewPath(line.file))) {
        return Failure(*error);
    }
    if (line.renderPng.isEmpty()) {
        view.MeasureScreenEnd();
    } else {
        window.Paint(view);
    }

    if (!line.exportMidi.isEmpty()) {
        if (const std::optional<FileError> error = view.ExportMidi(ViewPath(line.exportMidi))) {
            return Failure(*error);
        }
    }
    if (!line.exportAudio.isEmpty()) {
        const std::unique_ptr<platform::IProgress> toTheEnd = dialogs.ShowProgress({});
        if (const std::optional<FileError> error =
                view.ExportAudio(ViewPath(line.exportAudio), *toTheEnd)) {
            return Failure(*error);
        }
    }
    if (!line.exportMusicXml.isEmpty()) {
        if (const std::optional<FileError> error =
                view.ExportMusicXml(ViewPath(line.exportMusicXml))) {
            return Failure(*error);
        }
    }
    if (!line.renderPng.isEmpty()) {
        if (const std::optional<FileError> error = WritePng(window.Picture(), line.renderPng)) {
            return Failure(*error);
        }
    }
    if (!line.printPdf.isEmpty()) {
        if (const std::optional<FileError> error = WritePdf(view, line.printPdf)) {
            return Failure(*error);
        }
    }
    return 0;
}

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnTerminateSignal(int signal) {
    const int saved = errno;
    // An export or import under way stops at its next step (qt/QtProgress.h).
    NoteEndSignal(signal);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// Ends the program once no export or import is under way: one that is stops at its next
// step, removing its temporary file, and returns to the window's loop first.
void EndWhenNoTaskRuns(CMainFrame& frame) {
    if (!qt::QtProgress::AnyUnderWay()) {
        frame.EndWithoutQuestion();
        return;
    }
    constexpr int kLookAgainMs = 20;
    QTimer::singleShot(kLookAgainMs, &frame, [&frame] { EndWhenNoTaskRuns(frame); });
}

// SIGTERM, SIGHUP and SIGINT reach the window's loop through a pipe (a signal handler may
// do almost nothing itself) and end the program as the close box does, without asking.
void EndOnTerminateSignals(CMainFrame& frame) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &frame);
    QObject::connect(notifier, &QSocketNotifier::activated, &frame, [&frame] {
        char byte;
        while (::read(g_signalPipe[0], &byte, 1) > 0) {
        }
        EndWhenNoTaskRuns(frame);
    });
    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int RunEditor(const CommandLine& line) {
    fluid::ModuleSequencer sequencer;
    qt::QtSettings settings;
    // The keeper outlives the frame: the view tells it of changes until the end. Measurements
    // turn it off to compare.
    QPointer<CMainFrame> shown;
    std::optional<RecoveryKeeper> recovery;
    if (!std::getenv("TABRELLA_NO_RECOVERY")) {
        recovery.emplace(RecoveryFolder(), [&shown](const FileError& error) {
            // From the writing thread: the message is shown on the window's.
            QMetaObject::invokeMethod(
                qApp,
                [&shown, error] {
                    if (shown) shown->ShowRecoveryFault(error);
                },
                Qt::QueuedConnection);
        });
    }
    CMainFrame frame(sequencer, &settings);
    shown = &frame;
    EndOnTerminateSignals(frame);
    bool restored = false;
    frame.show();
    frame.activateWindow();
    if (recovery) {
        frame.SetRecovery(&*recovery);
        // A logout may not wait for the signal: the copy is written when the session asks.
        QObject::connect(
            qApp, &QGuiApplication::commitDataRequest, &frame,
            [&frame, &recovery] { recovery->WriteNow(frame.View()); }, Qt::DirectConnection);
        restored = OfferLeftCopies(frame.View(), frame.Dialogs(), *recovery);
        frame.UpdateStatus();
    }
    // A request to terminate while a start-up message shows ends that message's loop;
    // the program must then end, not go on into its own loop.
    if (frame.Ended()) return 0;
    if (!line.file.isEmpty()) {
        // A restored score is not given up for the named file without the save prompt.
        if (restored) {
            frame.View().OpenFileAsked(ViewPath(line.file));
        } else {
            frame.View().OpenNamedFile(ViewPath(line.file));
        }
    }
    if (frame.Ended()) return 0;
    return QApplication::exec();
}

}  // namespace tabrella::app
