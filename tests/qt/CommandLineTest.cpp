// SPDX-License-Identifier: GPL-3.0-or-later
// The command line, run as a user runs it: the built program on sample score files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>

#include "app/AppInfo.h"
#include "app/CMainFrame.h"
#include "qt/QtText.h"
#include "support/FakePlatform.h"
#include "support/MidiBytes.h"
#include "support/MusicXmlNotes.h"

namespace tabrella::app {
namespace {

const QString kProgram = QStringLiteral(TABRELLA_BINARY);
const QString kScores = QStringLiteral(TABRELLA_TEST_DATA "/scores");

struct ProgramRun {
    int status;
    QString out, err;
};

ProgramRun Tabrella(const QStringList& args) {
    QProcess process;
    process.start(kProgram, args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(CommandLine, ExportGivesTheBytesOfTheWindowsExport) {
    QTemporaryDir dir;
    for (const char* name :
         {"example.tbr", "titled.tbr", "unknown-tuning.tbr", "loose-layout.tbr"}) {
        const QString score = kScores + "/" + name;
        const ProgramRun run = Tabrella({"--export-midi", dir.filePath("batch.mid"), score});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

        // The window: Open, its paint pass, then MIDIエクスポート at once.
        test::FakeSequencer sequencer;
        CMainFrame frame(sequencer);
        frame.resize(620, 800);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        frame.View().OpenNamedFile(qt::ToNativePath(score));
        // The user can reach the menu only after the paint pass that Open asks for.
        frame.ViewWidget().viewport()->repaint();
        ASSERT_FALSE(frame.View().ExportMidi(qt::ToNativePath(dir.filePath("window.mid"))));
        const QByteArray batch = Bytes(dir.filePath("batch.mid"));
        EXPECT_GT(batch.size(), 22);
        EXPECT_EQ(batch.toHex(' ').toStdString(),
                  Bytes(dir.filePath("window.mid")).toHex(' ').toStdString())
            << name;
    }
}

TEST(CommandLine, RenderDrawsThePageIntoAPng) {
    QTemporaryDir dir;
    const ProgramRun run = Tabrella(
        {"--render-png", dir.filePath("page.png"), "--zoom", "100", kScores + "/example.tbr"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage image(dir.filePath("page.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(900, 720));
    // The top grid line at logical y -100: 20 px down at 100 %.
    EXPECT_LT(qGray(image.pixel(100, 20)), 128);
    // The red cursor box on cell 1, slot 2.
    bool red = false;
    for (int y = 15; y < 45 && !red; ++y) {
        for (int x = 330; x < 360; ++x)
            red = red || (qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 80);
    }
    EXPECT_TRUE(red);
}

TEST(CommandLine, PrintWritesAOnePageA4Pdf) {
    QTemporaryDir dir;
    const ProgramRun run =
        Tabrella({"--print-pdf", dir.filePath("page.pdf"), kScores + "/titled.tbr"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray pdf = Bytes(dir.filePath("page.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 1);
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 595"));  // A4 portrait in points
}

TEST(CommandLine, PrintWritesEveryPageOfALongScore) {
    QTemporaryDir dir;
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.View().m_cells[1].first[2] = 5;
    frame.View().m_cells[500].first[2] = 7;  // on the third page
    frame.View().m_lastCell = 500;           // as the paint pass finds it
    ASSERT_FALSE(frame.View().WriteScoreFile(qt::ToSjis(dir.filePath("long.tbr"))));
    const ProgramRun run =
        Tabrella({"--print-pdf", dir.filePath("pages.pdf"), dir.filePath("long.tbr")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray pdf = Bytes(dir.filePath("pages.pdf"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 3);
}

TEST(CommandLine, AudioAndMusicXmlExportsFollowTheMidiExport) {
    QTemporaryDir dir;
    const QString score = kScores + "/titled.tbr";
    const ProgramRun run =
        Tabrella({"--export-midi", dir.filePath("s.mid"), "--export-audio", dir.filePath("s.flac"),
                  "--export-musicxml", dir.filePath("s.mxl"), score});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(Bytes(dir.filePath("s.flac")).startsWith("fLaC"));
    std::string error;
    const test::MusicXmlScore xml =
        test::ReadMusicXml(test::ReadMxl(Bytes(dir.filePath("s.mxl")).toStdString(), error));
    ASSERT_TRUE(xml.valid) << error << xml.error;
    EXPECT_EQ(xml.notes, test::ReadMidi(Bytes(dir.filePath("s.mid")).toStdString()).GridNotes());
    EXPECT_EQ(xml.title, "さくら");
}

// Sound, printing and MusicXML are modules of their own: batch work loads them, and
// FluidSynth, Qt's print support or libzip behind them, only for the work that needs them.
TEST(CommandLine, ModulesAreLoadedOnlyByTheWorkThatNeedsThem) {
    QTemporaryDir dir;
    const auto librariesLoaded = [](const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_DEBUG", "files");  // the dynamic loader names every library it loads
        process.setProcessEnvironment(env);
        process.start(kProgram, args);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromUtf8(process.readAllStandardError());
    };
    const QString score = kScores + "/titled.tbr";
    QString loaded = librariesLoaded(
        {"--export-midi", dir.filePath("s.mid"), "--render-png", dir.filePath("s.png"), score});
    EXPECT_TRUE(loaded.contains("libQt6Widgets")) << "LD_DEBUG shows the libraries";
    for (const char* unused : {"tabrella-sound.so", "libfluidsynth", "tabrella-print.so",
                               "libQt6PrintSupport", "tabrella-exchange.so", "libzip"}) {
        EXPECT_FALSE(loaded.contains(unused)) << unused;
    }
    loaded = librariesLoaded({"--export-musicxml", dir.filePath("s.mxl"), score});
    EXPECT_TRUE(loaded.contains("tabrella-exchange.so") && loaded.contains("libzip"));
    EXPECT_FALSE(loaded.contains("libfluidsynth"));
    loaded = librariesLoaded({"--import", dir.filePath("i.tbr"), dir.filePath("s.mxl")});
    EXPECT_TRUE(loaded.contains("tabrella-exchange.so") && loaded.contains("libzip"));
    EXPECT_FALSE(loaded.contains("libfluidsynth") || loaded.contains("libQt6PrintSupport"));
    loaded = librariesLoaded({"--export-audio", dir.filePath("s.wav"), score});
    EXPECT_TRUE(loaded.contains("tabrella-sound.so") && loaded.contains("libfluidsynth"));
    EXPECT_FALSE(loaded.contains("libQt6PrintSupport"));
    loaded = librariesLoaded({"--print-pdf", dir.filePath("s.pdf"), score});
    EXPECT_TRUE(loaded.contains("tabrella-print.so") && loaded.contains("libQt6PrintSupport"));
    EXPECT_FALSE(loaded.contains("libfluidsynth"));
}

TEST(CommandLine, APdfWithoutThePrintModuleFailsNamingIt) {
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TABRELLA_MODULE_DIR", dir.path());  // an empty folder
    process.setProcessEnvironment(env);
    process.start(kProgram, {"--print-pdf", dir.filePath("s.pdf"), kScores + "/titled.tbr"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 0);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(
        err.contains("印刷モジュールを読み込めません: " + dir.filePath("tabrella-print.so")))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("s.pdf")));
}

TEST(CommandLine, FailuresNameTheFileAndTheReasonOnOneLine) {
    QTemporaryDir dir;
    ProgramRun run =
        Tabrella({"--export-midi", dir.filePath("x.mid"), dir.filePath("missing.tbr")});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.contains("missing.tbr")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("No such file")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.mid")));

    // No new file can be made in a missing folder: the message names the folder.
    run = Tabrella({"--export-midi", dir.filePath("no/such/dir/x.mid"), kScores + "/example.tbr"});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains(dir.filePath("no/such/dir") + ": ")) << run.err.toStdString();

    run = Tabrella({"--print-pdf", dir.filePath("x.pdf")});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("score file")) << run.err.toStdString();

    // Exports with an extension that names no format of theirs write nothing.
    for (const char* option : {"--export-audio", "--export-musicxml"}) {
        run = Tabrella({option, dir.filePath("x.mp3"), kScores + "/example.tbr"});
        EXPECT_NE(run.status, 0) << option;
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("x.mp3")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("x.mp3")));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

// The score an import writes, opened again, sounds what the file it came from sounds; the
// report goes to standard error. What is no melody, or options out of place, write nothing.
TEST(CommandLine, ImportWritesAScoreThatSoundsTheMelodyAndSaysWhatItPlaced) {
    QTemporaryDir dir;
    ASSERT_EQ(Tabrella({"--export-midi", dir.filePath("in.mid"), kScores + "/titled.tbr"}).status,
              0);
    ProgramRun run = Tabrella({"--import", dir.filePath("out.tbr"), "--track", "ch1",
                               dir.filePath("in.mid"), "--export-midi", dir.filePath("now.mid")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.contains("音を配置しました")) << run.err.toStdString();
    ASSERT_EQ(
        Tabrella({"--export-midi", dir.filePath("again.mid"), dir.filePath("out.tbr")}).status, 0);
    const auto notes = [&](const char* name) {
        return test::ReadMidi(Bytes(dir.filePath(name)).toStdString()).GridNotes();
    };
    EXPECT_FALSE(notes("in.mid").empty());
    EXPECT_EQ(notes("now.mid"), notes("in.mid"));
    EXPECT_EQ(notes("again.mid"), notes("in.mid"));

    run = Tabrella({"--import", dir.filePath("x.tbr"), kScores + "/example.tbr"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.contains("example.tbr: MIDIファイルでもMusicXMLファイルでも音声ファイルでも"
                         "ありません"))
        << run.err.toStdString();

    // A recording, told by its content whatever its name: the score's own audio export
    // comes back as its notes, at the tempo given (File > Import takes the same path).
    ASSERT_EQ(Tabrella({"--export-audio", dir.filePath("in.flac"), kScores + "/example.tbr",
                        "--export-midi", dir.filePath("example.mid")})
                  .status,
              0);
    ASSERT_TRUE(QFile::rename(dir.filePath("in.flac"), dir.filePath("recording.mid")));
    run = Tabrella({"--import", dir.filePath("heard.tbr"), "--tempo", "100",
                    dir.filePath("recording.mid"), "--export-midi", dir.filePath("heard.mid")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("指定されたテンポ: 100")) << run.err.toStdString();
    const auto keys = [&](const char* name) {
        std::vector<int> keys;
        for (const auto& note : notes(name)) keys.push_back(note.key);
        return keys;
    };
    EXPECT_EQ(keys("heard.mid"), keys("example.mid"));
    // The export of a score without notes is silence: refused, nothing written.
    QFile empty(dir.filePath("empty.tbr"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    ASSERT_EQ(
        Tabrella({"--export-audio", dir.filePath("silent.wav"), dir.filePath("empty.tbr")}).status,
        0);
    run = Tabrella({"--import", dir.filePath("x.tbr"), dir.filePath("silent.wav")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("silent.wav: 録音が無音です")) << run.err.toStdString();

    for (const QStringList& misplaced :
         {QStringList{"--tuning", "1", "--export-midi", dir.filePath("x.mid")},
          QStringList{"--tempo", "80", "--export-midi", dir.filePath("x.mid")},
          QStringList{"--import", dir.filePath("x.tbr"), "--base", "13"}}) {
        run = Tabrella(misplaced + QStringList{dir.filePath("in.mid")});
        EXPECT_EQ(run.status, 2) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.tbr")) || QFile::exists(dir.filePath("x.mid")));
}

// Every batch mode takes and writes names in any script, each on exactly its own file.
TEST(CommandLine, BatchNamesInAnyScriptLandOnExactlyTheirFiles) {
    QTemporaryDir dir;
    const QStringList names = {"x〜yé", "w〜", "é", "ü", "中文", "한국어", "🎵"};
    for (const QString& name : names) {
        ASSERT_TRUE(QFile::copy(kScores + "/titled.tbr", dir.filePath(name + ".tbr")));
        const ProgramRun run = Tabrella({"--export-midi", dir.filePath(name + ".mid"),
                                         "--render-png", dir.filePath(name + ".png"), "--print-pdf",
                                         dir.filePath(name + ".pdf"), dir.filePath(name + ".tbr")});
        ASSERT_EQ(run.status, 0) << name.toStdString() << run.err.toStdString();
    }
    QStringList want;
    for (const QString& name : names) {
        for (const char* ext : {".tbr", ".mid", ".png", ".pdf"}) want << name + ext;
    }
    want.sort();
    QStringList onDisk = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    onDisk.sort();
    EXPECT_EQ(onDisk, want);
}

// A file that is no score, a FIFO or a device is refused at once with a message, and no
// output is written; an output that cannot be written whole leaves the old file.
TEST(CommandLine, BatchRefusalsWriteNothingAndLeaveOldOutputs) {
    QTemporaryDir dir;
    QFile note(dir.filePath("note.txt"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("Shopping: 2 eggs, 1 koto string\n");
    note.close();
    const QByteArray fifo = QFile::encodeName(dir.filePath("x.tbr"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    for (const QString& input :
         {dir.filePath("note.txt"), dir.filePath("x.tbr"), QStringLiteral("/dev/zero")}) {
        for (const char* mode : {"--export-midi", "--render-png", "--print-pdf"}) {
            const ProgramRun run = Tabrella({mode, dir.filePath("out"), input});
            EXPECT_NE(run.status, 0) << mode << " " << input.toStdString();
            EXPECT_TRUE(run.err.contains(input)) << run.err.toStdString();
            EXPECT_FALSE(QFile::exists(dir.filePath("out")));
        }
    }
    EXPECT_TRUE(Tabrella({"--print-pdf", dir.filePath("note.txt"), dir.filePath("note.txt")})
                    .err.contains("楽譜ファイルではありません"));
    EXPECT_EQ(Bytes(dir.filePath("note.txt")), "Shopping: 2 eggs, 1 koto string\n");
    for (const char* mode : {"--print-pdf", "--render-png", "--export-midi"}) {
        const ProgramRun run = Tabrella({mode, "/dev/full", kScores + "/example.tbr"});
        EXPECT_NE(run.status, 0) << mode;
        EXPECT_TRUE(run.err.contains("/dev/full")) << run.err.toStdString();
    }
}

// A batch export ended by a signal leaves the old file, no temporary file, and says which
// signal ended it in its exit status.
TEST(CommandLine, ABatchEndedBySignalLeavesTheOldFileAndNoTemporary) {
    QTemporaryDir dir;
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.View().m_tempo = 40;  // half an hour of music: the render is still under way
    frame.View().m_cells[1].first[2] = 5;
    frame.View().m_cells[2999].first[2] = 7;
    frame.View().m_lastCell = 2999;
    ASSERT_FALSE(frame.View().WriteScoreFile(qt::ToSjis(dir.filePath("long.tbr"))));
    QFile old(dir.filePath("out.wav"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the old file");
    old.close();
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QProcess process;
        process.start(kProgram,
                      {"--export-audio", dir.filePath("out.wav"), dir.filePath("long.tbr")});
        ASSERT_TRUE(process.waitForStarted());
        QDir folder(dir.path(), {}, QDir::Name, QDir::Files | QDir::Hidden);
        QElapsedTimer waited;
        waited.start();
        while (folder.entryList().size() < 3 && waited.elapsed() < 30000) {
            QTest::qWait(5);
            folder.refresh();
        }
        ASSERT_EQ(folder.entryList().size(), 3) << "the temporary file appears";
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(10000)) << signal;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(process.exitCode(), 128 + signal);
        folder.refresh();
        EXPECT_EQ(folder.entryList(), (QStringList{"long.tbr", "out.wav"})) << signal;
        EXPECT_EQ(Bytes(dir.filePath("out.wav")), "the old file");
    }
}

// Asked to terminate, the editor ends as the close box would, without its question.
TEST(CommandLine, TheEditorEndsCleanlyOnTerminateSignals) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // Copies the user's runs left are not this test's to be offered.
        QTemporaryDir state;
        env.insert("XDG_STATE_HOME", state.path());
        process.setProcessEnvironment(env);
        process.start(kProgram, {kScores + "/titled.tbr"});
        ASSERT_TRUE(process.waitForStarted());
        QTest::qWait(700);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(10000)) << signal;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(process.exitCode(), 0) << signal;
    }
}

TEST(CommandLine, HelpAndVersionNeedNoWindow) {
    ProgramRun run = Tabrella({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith("Tabrella ")) << run.out.toStdString();
    run = Tabrella({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("--export-midi"));
    EXPECT_TRUE(run.out.contains("--render-png"));
    EXPECT_TRUE(run.out.contains("--print-pdf"));
    EXPECT_TRUE(run.out.contains("--export-audio"));
    EXPECT_TRUE(run.out.contains("--export-musicxml"));
}

// --help speaks the locale's language (Qt's own lines in Japanese too), or --lang's.
TEST(CommandLine, HelpFollowsTheLocaleAndLangOverridesIt) {
    struct Case {
        const char* lang;
        QStringList args;
        bool english;
    };
    const Case cases[] = {{"en_US.UTF-8", {"--help"}, true},
                          {"ja_JP.UTF-8", {"--help"}, false},
                          {"C.UTF-8", {"--help"}, false},
                          {"en_US.UTF-8", {"--lang", "ja", "--help"}, false},
                          {"C.UTF-8", {"--lang=en", "--help"}, true}};
    for (const Case& c : cases) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env.remove(name);
        env.insert("LANG", c.lang);
        process.setProcessEnvironment(env);
        process.start(kProgram, c.args);
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(out.contains("Koto score editor (Tabrella)"), c.english) << c.lang;
        EXPECT_EQ(out.contains("平調子, Hirajōshi"), c.english) << c.lang;
        EXPECT_EQ(out.startsWith("Usage:"), c.english) << c.lang;
        EXPECT_EQ(out.startsWith("使い方:"), !c.english) << c.lang;
        // Every line in Japanese: no English sentence left, Qt's help line included.
        EXPECT_EQ(out.contains(QRegularExpression("[a-z]+ [a-z]+ [a-z]+")), c.english) << c.lang;
        EXPECT_EQ(out.contains("このヘルプを表示します。"), !c.english) << c.lang;
    }
    EXPECT_EQ(Tabrella({"--lang", "fr", kScores + "/titled.tbr"}).status, 2);
}

TEST(CommandLine, BatchWorkNeverReadsOrWritesTheUsersSettings) {
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_STATE_HOME", home.filePath("state"));
    process.setProcessEnvironment(env);
    process.start(kProgram, {"--render-png", home.filePath("page.png"), kScores + "/titled.tbr"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath("page.png")));
    // Nor the recovery copies.
    for (const char* folder :
         {"config/Tabrella", ".config/Tabrella", "state/Tabrella", ".local/state/Tabrella"}) {
        EXPECT_FALSE(QFile::exists(home.filePath(folder))) << folder;
    }
}

TEST(CommandLine, AWaylandSessionRunsOnXWaylandUnlessAPlatformWasChosen) {
    struct Case {
        const char* chosen;
        const char* session;
        const char* waylandDisplay;
        const char* x11Display;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "wayland", nullptr, ":0", "xcb"},
        {nullptr, nullptr, "wayland-0", ":1", "xcb"},
        {"", "wayland", "wayland-0", ":0", "xcb"},
        {"wayland", "wayland", "wayland-0", ":0", nullptr},
        {"offscreen", "wayland", nullptr, ":0", nullptr},
        {nullptr, "wayland", "wayland-0", nullptr, nullptr},  // no XWayland to run on
        {nullptr, "wayland", "wayland-0", "", nullptr},
        {nullptr, "x11", nullptr, ":0", nullptr},
        {nullptr, nullptr, nullptr, ":0", nullptr},
        {nullptr, "tty", "", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const char* platform =
            PlatformForSession(c.chosen, c.session, c.waylandDisplay, c.x11Display);
        EXPECT_STREQ(platform, c.expected)
            << (c.chosen ? c.chosen : "(none)") << " " << (c.session ? c.session : "(none)");
    }
}

TEST(CommandLine, AFileNamedAtStartIsOpenedAsOpenOpensIt) {
    test::FakeSequencer sequencer;
    CMainFrame frame(sequencer);
    frame.View().OpenNamedFile(qt::ToNativePath(kScores + "/titled.tbr"));
    EXPECT_FALSE(frame.View().m_title.empty());
    EXPECT_EQ(frame.windowTitle(), "titled.tbr[*]　－タブレラ");
    EXPECT_FALSE(frame.isWindowModified());
}

}  // namespace
}  // namespace tabrella::app
