// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to first paint: the editor's window (main frame with menus, toolbar, status bar
// and the view drawing the empty score) against a bare QMainWindow around one QWidget, on
// the offscreen platform.
//
// Warm: both windows built, shown and painted once more in this process, through the same
// code the program runs (app::RunEditor). Cold: a fresh process of this same binary for
// each start, so loading the libraries, QApplication and the fonts are counted as well;
// the time runs from spawning it to the end of its first paint.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "app/CommandLine.h"
#include "platform/qt/QtViewWidget.h"

extern char** environ;

namespace tabrella {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The bare window's content: a widget that paints its background, and with `text` also
// one Japanese word in the default font (which is what makes Qt set up its fonts).
class BareView : public QWidget {
  public:
    explicit BareView(QString text = {}) : m_text(std::move(text)) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (!m_text.isEmpty()) p.drawText(rect(), Qt::AlignCenter, m_text);
    }

  private:
    QString m_text;
};

bool IsEditorView(const QObject* object) {
    const auto* view = qobject_cast<const qt::QtViewWidget*>(object->parent());
    return view != nullptr && view->viewport() == object;
}

bool IsBareView(const QObject* object) {
    return dynamic_cast<const BareView*>(object) != nullptr;
}

// Sees every event of the application; once the watched widget has been painted and the
// event that painted it is over, calls `done` with the time.
class FirstPaint : public QObject {
  public:
    FirstPaint(bool (*isTarget)(const QObject*), std::function<void(std::int64_t)> done)
        : m_isTarget(isTarget), m_done(std::move(done)) {
        qApp->installEventFilter(this);
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && m_isTarget(object)) {
            m_seen = true;
            QTimer::singleShot(0, this, [this] { m_done(NowNs()); });
        }
        return false;
    }

  private:
    bool (*m_isTarget)(const QObject*);
    std::function<void(std::int64_t)> m_done;
    bool m_seen = false;
};

void ShowBareWindow(QMainWindow& window, QString text = {}) {
    window.setCentralWidget(new BareView(std::move(text)));
    window.resize(620, 800);
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    window.activateWindow();
}

// ---- Warm: in this process ----------------------------------------------------------------

// Seconds from the start of `run` to the first paint of the window it builds and shows.
double UntilFirstPaint(bool (*isTarget)(const QObject*), const std::function<void()>& run) {
    std::int64_t painted = 0;
    FirstPaint watch(isTarget, [&](std::int64_t t) {
        painted = t;
        QApplication::exit();
    });
    const std::int64_t start = NowNs();
    run();
    // What the closed window left behind (deferred deletions) is not the next one's work.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return double(painted - start) * 1e-9;
}

// The editor and its baselines take turns within each iteration, so that a busy machine
// slows them alike. The reported time is the editor's; each baseline's mean is a counter
// (NAME_ms) beside the ratio of the editor to it (x_NAME).
struct Contender {
    const char* name;
    std::function<double()> seconds;
    double total = 0;
};

void TakeTurns(benchmark::State& state, const std::function<double()>& editor,
               std::vector<Contender> baselines) {
    double total = 0;
    size_t turn = 0;
    for (auto _ : state) {
        double spent = 0;
        // Rotate who goes first, so none always finds the caches warmed by another.
        for (size_t i = 0; i <= baselines.size(); ++i) {
            const size_t who = (turn + i) % (baselines.size() + 1);
            if (who == baselines.size()) {
                spent = editor();
                if (spent < 0) {
                    state.SkipWithError("the editor did not paint");
                    return;
                }
            } else {
                const double seconds = baselines[who].seconds();
                if (seconds < 0) {
                    state.SkipWithError("a baseline did not paint");
                    return;
                }
                baselines[who].total += seconds;
            }
        }
        ++turn;
        total += spent;
        state.SetIterationTime(spent);
    }
    const double n = double(state.iterations());
    for (const Contender& b : baselines) {
        state.counters[std::string(b.name) + "_ms"] = b.total / n * 1e3;
        state.counters[std::string("x_") + b.name] = total / b.total;
    }
}

// The first window of a process also loads fonts and styles for good; the cold start-ups
// below count that, these do not.
void BM_WarmStartup(benchmark::State& state) {
    const auto editor = [] {
        return UntilFirstPaint(IsEditorView, [] { app::RunEditor(app::CommandLine{}); });
    };
    const auto bare = [] {
        return UntilFirstPaint(IsBareView, [] {
            QMainWindow window;
            ShowBareWindow(window);
            QApplication::exec();
        });
    };
    editor();
    bare();
    TakeTurns(state, editor, {{"bare", bare}});
}
BENCHMARK(BM_WarmStartup)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Cold: a new process each time ----------------------------------------------------------

constexpr const char* kColdOption = "--cold-start=";

// Starts this binary in `mode` and returns the nanoseconds until it reports its first paint.
std::int64_t ColdStart(const char* mode) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string option = std::string(kColdOption) + mode;
    char self[] = "/proc/self/exe";
    char* argv[] = {self, const_cast<char*>(option.c_str()), nullptr};
    pid_t child = 0;
    const std::int64_t start = NowNs();
    const int rc = posix_spawn(&child, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string reply;
    char buffer[64];
    for (ssize_t n; rc == 0 && (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        reply.append(buffer, size_t(n));
    }
    ::close(out[0]);
    int status = 0;
    if (rc == 0) ::waitpid(child, &status, 0);
    if (rc != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty()) return -1;
    return std::stoll(reply) - start;
}

// The bare window with one Japanese word is not a target: it shows how much of the
// difference is Qt setting up its fonts for the first text, which the bare window never has.
void BM_ColdStartup(benchmark::State& state) {
    const auto start = [](const char* mode) {
        return [mode] { return double(ColdStart(mode)) * 1e-9; };
    };
    TakeTurns(state, start("editor"), {{"bare", start("bare")}, {"bare_text", start("bare-text")}});
}
BENCHMARK(BM_ColdStartup)->UseManualTime()->Iterations(9)->Unit(benchmark::kMillisecond);

// The child of a cold start: starts as the program does, prints the time of its first
// paint and leaves at once (tearing down is not start-up).
int RunColdChild(int argc, char** argv, const char* mode) {
    QApplication application(argc, argv);
    const bool editor = std::strcmp(mode, "editor") == 0;
    FirstPaint watch(editor ? IsEditorView : IsBareView, [](std::int64_t t) {
        std::printf("%lld\n", static_cast<long long>(t));
        std::fflush(stdout);
        std::_Exit(0);
    });
    if (editor) {
        QTranslator translator;
        app::SetUpApplication(translator);
        return app::RunEditor(app::CommandLine{});
    }
    QMainWindow window;
    ShowBareWindow(window,
                   std::strcmp(mode, "bare-text") == 0 ? QStringLiteral("レディ") : QString());
    return QApplication::exec();
}

}  // namespace
}  // namespace tabrella

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform warns about what it cannot do; that is no news here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // The editor reads and writes its settings as it starts and closes; a folder of the
    // bench's own keeps the user's settings out of it (the cold children inherit it).
    std::string ownFolder;
    if (!std::getenv("TABRELLA_BENCH_CONFIG")) {
        char folder[] = "/tmp/tabrella-bench-XXXXXX";
        if (!mkdtemp(folder)) return 1;
        ownFolder = folder;
        setenv("TABRELLA_BENCH_CONFIG", folder, 1);
        setenv("XDG_CONFIG_HOME", folder, 1);
    }
    using tabrella::kColdOption;
    if (argc == 2 && std::strncmp(argv[1], kColdOption, std::strlen(kColdOption)) == 0) {
        return tabrella::RunColdChild(argc, argv, argv[1] + std::strlen(kColdOption));
    }
    QApplication application(argc, argv);
    QTranslator translator;
    tabrella::app::SetUpApplication(translator);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!ownFolder.empty()) std::filesystem::remove_all(ownFolder);
    return 0;
}
