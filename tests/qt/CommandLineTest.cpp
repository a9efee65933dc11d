// The command line, run as a user runs it: the built program on sample score files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/AppInfo.h"
#include "app/CMainFrame.h"
#include "platform/qt/QtText.h"
#include "support/FakePlatform.h"

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
        frame.View().OpenNamedFile(qt::ToSjis(score));
        // The user can reach the menu only after the paint pass that Open asks for.
        frame.ViewWidget().viewport()->repaint();
        ASSERT_FALSE(frame.View().ExportMidi(qt::ToSjis(dir.filePath("window.mid"))));
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

TEST(CommandLine, FailuresNameTheFileAndTheReasonOnOneLine) {
    QTemporaryDir dir;
    ProgramRun run =
        Tabrella({"--export-midi", dir.filePath("x.mid"), dir.filePath("missing.tbr")});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.contains("missing.tbr")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("No such file")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.mid")));

    run = Tabrella({"--export-midi", dir.filePath("no/such/dir/x.mid"), kScores + "/example.tbr"});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("x.mid")) << run.err.toStdString();

    run = Tabrella({"--print-pdf", dir.filePath("x.pdf")});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("score file")) << run.err.toStdString();
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
}

TEST(CommandLine, BatchWorkNeverReadsOrWritesTheUsersSettings) {
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    process.setProcessEnvironment(env);
    process.start(kProgram, {"--render-png", home.filePath("page.png"), kScores + "/titled.tbr"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath("page.png")));
    EXPECT_FALSE(QFile::exists(home.filePath("config/Tabrella")));
    EXPECT_FALSE(QFile::exists(home.filePath(".config/Tabrella")));
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
    frame.View().OpenNamedFile(qt::ToSjis(kScores + "/titled.tbr"));
    EXPECT_FALSE(frame.View().m_title.empty());
    EXPECT_EQ(frame.windowTitle(), kScores + "/titled.tbr[*]");
    EXPECT_FALSE(frame.isWindowModified());
}

}  // namespace
}  // namespace tabrella::app
