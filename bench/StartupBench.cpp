// SPDX-License-Identifier: GPL-3.0-or-later
// The program as a process: start-up to the first frame and keystroke to pixels seen from
// outside on a real X server, the batch MIDI export, resident memory, Play and a typed note
// to the first sound through a real sound server; and, in this process on the offscreen
// platform, the editor's window built and painted again (warm).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <fluidsynth.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/AppInfo.h"
#include "app/CommandLine.h"
#include "files/ScoreFile.h"
#include "qt/QtViewWidget.h"

// Xlib's macros (None, Bool, Status) break Qt's headers: it comes last.
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
// clang-format on

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

// ---- Observed from outside, on a real X server ----------------------------------------------
//
// The programs run as a user runs them, on the X server of DISPLAY (scripts/bench starts a
// private Xvfb). XDamage on the root window reports every drawing on the screen; nothing
// else draws there, so the first report after a spawn is the program's first frame, and
// the first after a key its answer to the key. Each measure alternates with its baseline
// and reports medians.

const char* const kEditor = TABRELLA_BINARY;
const char* const kPlainWindow = TABRELLA_PLAIN_WINDOW;
constexpr int kKeyReturn = 36, kKeyUp = 111, kKeyDown = 116;  // X keycodes
constexpr int kKeyOne = 10, kKeySpace = 65;  // 一 into the cursor's slot, and clearing it

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p / 100.0 * double(v.size())))];
}

class Screen {
  public:
    Screen() {
        if (!std::getenv("DISPLAY") || !(m_display = XOpenDisplay(nullptr))) return;
        int error = 0;
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error)) return;
        m_damage = XDamageCreate(m_display, DefaultRootWindow(m_display), XDamageReportNonEmpty);
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
        m_ready = true;
    }
    ~Screen() {
        if (m_display) XCloseDisplay(m_display);
    }
    bool Ready() const { return m_ready; }

    // The time of the next drawing anywhere on the screen; -1 when none came in time.
    std::int64_t NextDrawing(double timeoutSeconds) {
        const std::int64_t deadline = NowNs() + std::int64_t(timeoutSeconds * 1e9);
        for (;;) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == MapNotify) m_lastMapped = event.xmap.window;
                if (event.type == m_damageEvent + XDamageNotify) {
                    const std::int64_t at = NowNs();
                    XDamageSubtract(m_display, m_damage, 0, 0);
                    XFlush(m_display);
                    return at;
                }
            }
            const std::int64_t left = deadline - NowNs();
            if (left <= 0) return -1;
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, int(left / 1000000) + 1);
        }
    }
    // Waits until nothing has been drawn for `quietSeconds`.
    void Settle(double quietSeconds) {
        while (NextDrawing(quietSeconds) >= 0) {
        }
    }
    // Gives the keyboard to the window mapped last, as a window manager would.
    void FocusLastWindow() {
        if (m_lastMapped) XSetInputFocus(m_display, m_lastMapped, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    void Key(int keycode) {
        XTestFakeKeyEvent(m_display, unsigned(keycode), True, 0);
        XTestFakeKeyEvent(m_display, unsigned(keycode), False, 0);
        XFlush(m_display);
    }

  private:
    Display* m_display = nullptr;
    int m_damageEvent = 0;
    Damage m_damage = 0;
    Window m_lastMapped = 0;
    bool m_ready = false;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

// The null-ended array of C strings posix_spawn takes, pointing into `strings`.
std::vector<char*> CStrings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// One program on the screen, ended (SIGKILL: tearing down is not start-up) when it goes.
class Program {
  public:
    // A window goes to the X server; batch work chooses its own platform.
    Program(std::vector<std::string> args, std::vector<std::string> env = {}, bool window = true) {
        // The first of a name wins: the caller's settings, then xcb, then ours.
        if (window) env.emplace_back("QT_QPA_PLATFORM=xcb");
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> argv = CStrings(args), envp = CStrings(env);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        spawned = NowNs();
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program() { End(); }
    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    // Waits for its own end; the CPU time it used, or -1 when it failed.
    double WaitCpuSeconds() {
        int status = 0;
        rusage usage{};
        if (m_pid <= 0 || ::wait4(m_pid, &status, 0, &usage) != m_pid) return -1;
        m_pid = 0;
        ended = NowNs();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
    void End() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }
    // Resident memory now, in megabytes (VmRSS).
    double ResidentMb() const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
        }
        return 0;
    }
    bool HasLoaded(const std::string& library) const {
        std::ifstream maps("/proc/" + std::to_string(m_pid) + "/maps");
        for (std::string line; std::getline(maps, line);) {
            if (line.find(library) != std::string::npos) return true;
        }
        return false;
    }

    std::int64_t spawned = 0;
    std::int64_t ended = 0;

  private:
    pid_t m_pid = 0;
};

// Starts a program and waits for its first frame; nullopt when it showed none.
std::unique_ptr<Program> ShowFirstFrame(std::vector<std::string> args, double& seconds,
                                        std::vector<std::string> env = {}) {
    Screen& screen = TheScreen();
    screen.Settle(0.15);  // what the last program left behind is repainted
    auto program = std::make_unique<Program>(std::move(args), std::move(env));
    const std::int64_t frame = program->Started() ? screen.NextDrawing(10) : -1;
    seconds = frame < 0 ? -1 : double(frame - program->spawned) * 1e-9;
    return program;
}

bool NeedScreen(benchmark::State& state) {
    if (TheScreen().Ready()) return true;
    state.SkipWithError("needs DISPLAY: an X server with XDamage (scripts/bench starts Xvfb)");
    return false;
}

// Spawn to the first frame: the editor against a plain Qt window of the same build.
void BM_FirstFrame(benchmark::State& state) {
    if (!NeedScreen(state)) return;
    std::vector<double> editor, plain;
    bool editorFirst = true;
    for (auto _ : state) {
        double seconds[2] = {};
        for (int i = 0; i < 2; ++i) {
            const bool isEditor = (i == 0) == editorFirst;
            double s = 0;
            ShowFirstFrame({isEditor ? kEditor : kPlainWindow}, s);
            if (s < 0) {
                state.SkipWithError("a program showed no frame");
                return;
            }
            seconds[isEditor ? 0 : 1] = s;
        }
        editorFirst = !editorFirst;
        editor.push_back(seconds[0]);
        plain.push_back(seconds[1]);
        state.SetIterationTime(seconds[0]);
    }
    state.counters["editor_ms"] = Median(editor) * 1e3;
    state.counters["plain_ms"] = Median(plain) * 1e3;
}
BENCHMARK(BM_FirstFrame)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

// Keystroke to pixels: 200 presses of Down and Up in the editor, against the plain window
// repainting on each key. Argument 1: two processes spin on the CPUs meanwhile.
void KeysToPixels(Screen& screen, std::vector<double>& samples, int keys) {
    screen.Settle(0.1);
    screen.FocusLastWindow();
    for (int i = 0; i < keys; ++i) {
        screen.Settle(0.03);
        const std::int64_t pressed = NowNs();
        screen.Key(i % 2 ? kKeyUp : kKeyDown);
        const std::int64_t drawn = screen.NextDrawing(1);
        if (drawn > 0) samples.push_back(double(drawn - pressed) * 1e-9);
    }
}

void BM_KeyToPixels(benchmark::State& state) {
    if (!NeedScreen(state)) return;
    std::vector<pid_t> load;
    for (int i = 0; i < 2 * state.range(0); ++i) {
        const pid_t spinner = ::fork();
        if (spinner == 0) {
            for (unsigned n = 0;; ++n) benchmark::DoNotOptimize(n);
        }
        load.push_back(spinner);
    }
    std::vector<double> editor, plain;
    for (auto _ : state) {
        double seconds = 0;
        auto program = ShowFirstFrame({kEditor}, seconds);
        KeysToPixels(TheScreen(), editor, 100);
        program = ShowFirstFrame({kPlainWindow}, seconds);
        KeysToPixels(TheScreen(), plain, 100);
        state.SetIterationTime(Percentile(editor, 90));
    }
    for (pid_t spinner : load) {
        ::kill(spinner, SIGKILL);
        ::waitpid(spinner, nullptr, 0);
    }
    if (editor.size() < 150 || plain.size() < 150) state.SkipWithError("keys went unanswered");
    for (const auto& [name, samples] : {std::pair{"editor", &editor}, std::pair{"plain", &plain}}) {
        state.counters[std::string(name) + "_p50_ms"] = Percentile(*samples, 50) * 1e3;
        state.counters[std::string(name) + "_p90_ms"] = Percentile(*samples, 90) * 1e3;
        state.counters[std::string(name) + "_p99_ms"] = Percentile(*samples, 99) * 1e3;
    }
}
BENCHMARK(BM_KeyToPixels)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// Keys that change the score, each followed by a recovery copy: 一 and Space by turns, in the
// editor with its copy (in a fresh folder each time) and without it.
void BM_TypingToPixels(benchmark::State& state) {
    if (!NeedScreen(state)) return;
    const std::string folder = std::getenv("TABRELLA_BENCH_CONFIG");
    std::vector<double> on, off;
    int run = 0;
    for (auto _ : state) {
        for (const bool recovery : {true, false}) {
            const std::string env =
                recovery ? "XDG_STATE_HOME=" + folder + "/state-" + std::to_string(run++)
                         : std::string("TABRELLA_NO_RECOVERY=1");
            double seconds = 0;
            auto program = ShowFirstFrame({kEditor}, seconds, {env});
            Screen& screen = TheScreen();
            screen.Settle(0.1);
            screen.FocusLastWindow();
            for (int i = 0; i < 100; ++i) {
                screen.Settle(0.03);
                const std::int64_t pressed = NowNs();
                screen.Key(i % 2 ? kKeySpace : kKeyOne);
                const std::int64_t drawn = screen.NextDrawing(1);
                if (drawn > 0) (recovery ? on : off).push_back(double(drawn - pressed) * 1e-9);
            }
        }
        state.SetIterationTime(Percentile(on, 90));
    }
    if (on.size() < 150 || off.size() < 150) state.SkipWithError("keys went unanswered");
    state.counters["on_p90_ms"] = Percentile(on, 90) * 1e3;
    state.counters["off_p90_ms"] = Percentile(off, 90) * 1e3;
}
BENCHMARK(BM_TypingToPixels)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// ---- Batch work and memory -------------------------------------------------------------------

// A score of 2999 used cells: chords, pressed strings, split cells and rests.
std::string WriteFullScore(const std::string& folder) {
    ScoreFileContent content;
    for (int k = 1; k <= kLastCellIndex; ++k) {
        ScoreCell cell;
        const int s = (k * 7) % 13 + 1;
        cell.first[2] = (k % 3 ? 0 : 100) + s;
        if (k % 5 == 0) cell.first[1] = (s + 4) % 13 + 1;
        if (k % 7 == 0) {
            cell.split = 1;
            cell.second[2] = (s + 2) % 13 + 1;
        }
        if (k % 16 == 9) cell = ScoreCell{{0, 0, 600, 0}};
        content.cells.push_back(cell);
    }
    const std::string path = folder + "/full.tbr";
    std::ofstream(path, std::ios::binary) << FormatScoreFile(content);
    return path;
}

// The batch MIDI export of 2999 cells against `tabrella --version`: the same program
// doing the least it can. Wall time from spawn to exit, and CPU time, medians.
void BM_BatchExportMidi(benchmark::State& state) {
    const std::string folder = std::getenv("TABRELLA_BENCH_CONFIG");
    const std::string score = WriteFullScore(folder);
    const std::string midi = folder + "/full.mid";
    std::vector<double> wall[2], cpu[2];
    bool exportFirst = true;
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            const int who = (i == 0) == exportFirst ? 0 : 1;
            Program program(who == 0
                                ? std::vector<std::string>{kEditor, "--export-midi", midi, score}
                                : std::vector<std::string>{kEditor, "--version"},
                            std::vector<std::string>{}, false);
            const double used = program.WaitCpuSeconds();
            if (used < 0) {
                state.SkipWithError("the program failed");
                return;
            }
            wall[who].push_back(double(program.ended - program.spawned) * 1e-9);
            cpu[who].push_back(used);
        }
        exportFirst = !exportFirst;
        state.SetIterationTime(wall[0].back());
    }
    state.counters["export_ms"] = Median(wall[0]) * 1e3;
    state.counters["version_ms"] = Median(wall[1]) * 1e3;
    state.counters["export_cpu_ms"] = Median(cpu[0]) * 1e3;
    state.counters["version_cpu_ms"] = Median(cpu[1]) * 1e3;
}
BENCHMARK(BM_BatchExportMidi)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Resident memory of the editor after its first frame, and after playing the full score
// for two seconds (ALSA's null device stands in for a sound card), beside the plain window.
void BM_EditorMemory(benchmark::State& state) {
    if (!NeedScreen(state)) return;
    const std::string folder = std::getenv("TABRELLA_BENCH_CONFIG");
    const std::string score = WriteFullScore(folder);
    const std::string alsa = folder + "/asound.conf";
    std::ofstream(alsa) << "pcm.!default { type null }\n";
    std::vector<double> started, playing, plain;
    for (auto _ : state) {
        double seconds = 0;
        auto program = ShowFirstFrame({kPlainWindow}, seconds);
        plain.push_back(program->ResidentMb());
        program = ShowFirstFrame({kEditor}, seconds);
        started.push_back(program->ResidentMb());
        program = ShowFirstFrame({kEditor, score}, seconds, {"ALSA_CONFIG_PATH=" + alsa});
        TheScreen().Settle(0.2);
        TheScreen().FocusLastWindow();
        TheScreen().Key(kKeyReturn);  // play from the first cell
        std::this_thread::sleep_for(std::chrono::seconds(2));
        if (!program->HasLoaded("libfluidsynth")) {
            state.SkipWithError("the editor did not play");
            return;
        }
        playing.push_back(program->ResidentMb());
        state.SetIterationTime(seconds);
    }
    state.counters["started_MB"] = Median(started);
    state.counters["playing_MB"] = Median(playing);
    state.counters["plain_MB"] = Median(plain);
}
BENCHMARK(BM_EditorMemory)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- Sound through a real sound server -------------------------------------------------------
//
// A private PulseAudio whose one sink is a null sink stands in for the desktop's sound server;
// parec records what reaches that sink (its monitor). A sample above -50 dBFS is sound.

constexpr int kKeyX = 53, kKeyC = 54, kKeyFive = 14;  // Play, Stop, the fifth string
constexpr double kSinkRate = 44100;
constexpr int kLoud = 103;  // -50 dBFS of a 16-bit sample
const char* const kPulseAudio = "/usr/bin/pulseaudio";
const char* const kParec = "/usr/bin/parec";

class SoundServer {
  public:
    SoundServer() {
        char dir[] = "/tmp/tabrella-pulse-XXXXXX";
        if (::access(kPulseAudio, X_OK) != 0 || !mkdtemp(dir)) return;
        m_dir = dir;
        const std::string socket = m_dir + "/native";
        m_server = std::make_unique<Program>(
            std::vector<std::string>{
                kPulseAudio, "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                "-L", "module-null-sink sink_name=nul", "-L",
                "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
            std::vector<std::string>{"HOME=" + m_dir, "XDG_RUNTIME_DIR=" + m_dir}, false);
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (std::filesystem::exists(socket)) m_address = "unix:" + socket;
    }
    ~SoundServer() {
        m_server.reset();
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
    }
    bool Ready() const { return !m_address.empty() && ::access(kParec, X_OK) == 0; }
    const std::string& Address() const { return m_address; }

  private:
    std::string m_dir;
    std::string m_address;
    std::unique_ptr<Program> m_server;
};

// The sink's monitor as it is recorded, each frame's louder channel kept. A frame's time is
// the recording's start plus its place: the start is the earliest any block of frames
// could have begun, given when it arrived, so parec's own delays do not count.
class Recording {
  public:
    explicit Recording(const std::string& server) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        std::vector<std::string> args = {
            kParec,         "-d",           "nul.monitor",     "--format=s16le",
            "--rate=44100", "--channels=2", "--latency-msec=5"};
        std::vector<std::string> env = {"PULSE_SERVER=" + server};
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> argv = CStrings(args), envp = CStrings(env);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, kParec, &actions, nullptr, argv.data(), envp.data()) != 0) {
            m_pid = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_fd = fds[0];
        m_reader = std::thread([this] { Read(); });
    }
    ~Recording() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_reader.joinable()) m_reader.join();
        if (m_fd >= 0) ::close(m_fd);
    }

    // The time of the first sound at or after `from`, waiting for the recording to reach
    // `timeout` seconds past it; -1 when it stayed silent.
    std::int64_t FirstSoundAfter(std::int64_t from, double timeout) {
        const std::int64_t until = from + std::int64_t(timeout * 1e9);
        for (size_t i = 0;;) {
            {
                std::lock_guard lock(m_mutex);
                if (m_started) {
                    i = std::max(i, FrameAt(from));
                    for (; i < m_peaks.size(); ++i) {
                        if (m_peaks[i] > kLoud) return TimeOf(i);
                    }
                    if (TimeOf(m_peaks.size()) > until) return -1;
                }
            }
            if (NowNs() > until + 2'000'000'000) return -1;  // the recording stopped
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Waits until the last `quiet` seconds recorded were silent; false when they never were.
    bool WaitForSilence(double quiet, double timeout) {
        const std::int64_t deadline = NowNs() + std::int64_t(timeout * 1e9);
        const size_t frames = size_t(quiet * kSinkRate);
        while (NowNs() < deadline) {
            {
                std::lock_guard lock(m_mutex);
                const size_t n = m_peaks.size();
                if (n >= frames &&
                    std::all_of(m_peaks.end() - std::ptrdiff_t(frames), m_peaks.end(),
                                [](std::uint16_t p) { return p <= kLoud; })) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

  private:
    void Read() {
        char buffer[4096];
        std::string partial;
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) return;
            const std::int64_t arrived = NowNs();
            partial.append(buffer, size_t(n));
            std::lock_guard lock(m_mutex);
            size_t at = 0;
            for (; at + 4 <= partial.size(); at += 4) {
                std::int16_t left, right;
                std::memcpy(&left, partial.data() + at, 2);
                std::memcpy(&right, partial.data() + at + 2, 2);
                m_peaks.push_back(
                    std::uint16_t(std::max(std::abs(int(left)), std::abs(int(right)))));
            }
            partial.erase(0, at);
            const std::int64_t start =
                arrived - std::int64_t(double(m_peaks.size()) / kSinkRate * 1e9);
            m_start = m_started ? std::min(m_start, start) : start;
            m_started = true;
        }
    }
    std::int64_t TimeOf(size_t frame) const {
        return m_start + std::int64_t(double(frame) / kSinkRate * 1e9);
    }
    size_t FrameAt(std::int64_t time) const {
        return time <= m_start ? 0 : size_t(double(time - m_start) * 1e-9 * kSinkRate);
    }

    pid_t m_pid = 0;
    int m_fd = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::vector<std::uint16_t> m_peaks;
    std::int64_t m_start = 0;
    bool m_started = false;
};

// The baseline: FluidSynth alone, with the editor's buffer and the same sound font, playing
// into the same server; from its note-on call to the first sound.
std::vector<double> BareNoteOnToSound(const std::string& server, Recording& recording, int notes) {
    std::vector<double> out;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kSinkRate);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "audio.period-size", 64);
    fluid_settings_setint(settings, "audio.periods", 16);
    fluid_settings_setstr(settings, "audio.driver", "pulseaudio");
    fluid_settings_setstr(settings, "audio.pulseaudio.server", server.c_str());
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, "/usr/share/sounds/sf2/FluidR3_GM.sf2", 1);
    fluid_audio_driver_t* driver = new_fluid_audio_driver(settings, synth);
    if (driver) {
        fluid_synth_program_change(synth, 0, 107);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (int i = 0; i < notes; ++i) {
            recording.WaitForSilence(0.1, 3);
            const std::int64_t on = NowNs();
            fluid_synth_noteon(synth, 0, 67, 100);
            const std::int64_t heard = recording.FirstSoundAfter(on, 1.0);
            if (heard > 0) out.push_back(double(heard - on) * 1e-9);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            fluid_synth_noteoff(synth, 0, 67);
        }
        delete_fluid_audio_driver(driver);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return out;
}

// A score of eight notes, one a cell, each on its own string.
std::string WriteShortScore(const std::string& folder) {
    ScoreFileContent content;
    for (int k = 1; k <= 8; ++k) {
        ScoreCell cell;
        cell.first[2] = k + 2;
        content.cells.push_back(cell);
    }
    const std::string path = folder + "/short.tbr";
    std::ofstream(path, std::ios::binary) << FormatScoreFile(content);
    return path;
}

// The editor with a short score, its window shown for 3 s. Typed first, a note opens the
// sound device on its own key.
std::unique_ptr<Program> ShowSoundingEditor(const std::string& score, const SoundServer& server) {
    double seconds = 0;
    // Killed with typed notes, an editor would leave a copy for the next to offer back.
    auto editor = ShowFirstFrame({kEditor, score}, seconds,
                                 {"PULSE_SERVER=" + server.Address(), "TABRELLA_NO_RECOVERY=1"});
    if (seconds < 0) return nullptr;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    TheScreen().FocusLastWindow();
    return editor;
}

// From a key to the first sound it makes; -1 when none came within `timeout` seconds.
double KeyToSound(Recording& recording, int keycode, double timeout) {
    recording.WaitForSilence(0.1, 3);
    const std::int64_t pressed = NowNs();
    TheScreen().Key(keycode);
    const std::int64_t heard = recording.FirstSoundAfter(pressed, timeout);
    return heard < 0 ? -1 : double(heard - pressed) * 1e-9;
}

// Play (X) to its first sound, then Stop (C) and five times Down and a string key to the
// typed note's sound; in another editor, a note typed before any Play.
void BM_SoundLatency(benchmark::State& state) {
    if (!NeedScreen(state)) return;
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);  // which driver the baseline uses
    SoundServer server;
    if (!server.Ready()) {
        state.SkipWithError("needs pulseaudio and parec (pulseaudio, pulseaudio-utils)");
        return;
    }
    const std::string score = WriteShortScore(std::getenv("TABRELLA_BENCH_CONFIG"));
    std::vector<double> play, typed, firstTyped, bare;
    Recording recording(server.Address());
    for (auto _ : state) {
        for (double s : BareNoteOnToSound(server.Address(), recording, 5)) bare.push_back(s);
        auto editor = ShowSoundingEditor(score, server);
        const double played = editor ? KeyToSound(recording, kKeyX, 2.0) : -1;
        if (played < 0) {
            state.SkipWithError("Play made no sound");
            return;
        }
        play.push_back(played);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        TheScreen().Key(kKeyC);
        for (int i = 0; i < 5; ++i) {
            recording.WaitForSilence(0.1, 3);
            TheScreen().Key(kKeyDown);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (const double s = KeyToSound(recording, kKeyFive, 1.0); s >= 0) typed.push_back(s);
        }
        editor = ShowSoundingEditor(score, server);
        if (const double s = editor ? KeyToSound(recording, kKeyFive, 1.0) : -1; s >= 0) {
            firstTyped.push_back(s);
        }
        state.SetIterationTime(played);
    }
    if (typed.size() < play.size() * 4 || firstTyped.size() < play.size()) {
        state.SkipWithError("typed notes went unheard");
        return;
    }
    state.counters["play_ms"] = Median(play) * 1e3;
    state.counters["play_worst_ms"] = Percentile(play, 100) * 1e3;
    state.counters["typed_ms"] = Median(typed) * 1e3;
    state.counters["typed_worst_ms"] = Percentile(typed, 100) * 1e3;
    state.counters["first_typed_worst_ms"] = Percentile(firstTyped, 100) * 1e3;
    state.counters["bare_ms"] = Median(bare) * 1e3;
}
BENCHMARK(BM_SoundLatency)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tabrella

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform warns about what it cannot do; that is no news here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // The editor reads and writes its settings and recovery copies as it runs; a folder of the
    // bench's own keeps the user's settings out of it (the cold children inherit it).
    std::string ownFolder;
    if (!std::getenv("TABRELLA_BENCH_CONFIG")) {
        char folder[] = "/tmp/tabrella-bench-XXXXXX";
        if (!mkdtemp(folder)) return 1;
        ownFolder = folder;
        setenv("TABRELLA_BENCH_CONFIG", folder, 1);
        setenv("XDG_CONFIG_HOME", folder, 1);
        setenv("XDG_STATE_HOME", folder, 1);  // and its recovery copies
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
