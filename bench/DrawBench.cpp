// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing speed: the whole page through DrawScore and the Qt surface, against a bare
// QPainter loop that draws the same glyph runs, lines and fills into the same pixels (the
// two pictures are compared); and RedrawNow after one key press.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/Sequencer.h"
#include "qt/QtFonts.h"
#include "qt/QtSurface.h"
#include "qt/QtText.h"
#include "resources/KeyCodes.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

// The view's window for benchmarks: a picture as the window keeps it (pixel format and
// text hint of the view widget), of the client size a window of the default size has.
class ImageWindow : public platform::IViewWindow {
  public:
    QImage image{900, 720, QImage::Format_RGB32};

    void Invalidate() override {}
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override {
        if (erase) image.fill(Qt::white);
        return std::make_unique<qt::PictureSurface>(&image);
    }
    platform::ClientSize GetClientSize() const override { return {image.width(), image.height()}; }
    void SetScrollRange(platform::ScrollBar, int, int, int) override {}
    platform::ScrollInfo GetScrollInfo(platform::ScrollBar) const override { return {}; }
    void SetScrollPos(platform::ScrollBar, int) override {}
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void SetCaption(std::string_view) override {}
    void SetPathCaption(std::string_view) override {}
    void CloseMainWindow() override {}
    void ShowHelp() override {}
    void RunPrintJob(platform::PrintJob, const platform::PrintPages&) override {}
    void ShowAbout() override {}
};

class NoDialogs : public platform::IDialogHost {
  public:
    int DoModal(platform::CDialog&) override { return platform::kIdCancel; }
    int MessageBox(std::string_view, std::string_view, platform::MessageBoxKind) override {
        return platform::kIdOk;
    }
    void FileMessageBox(std::string_view, std::string_view, std::string_view) override {}
    std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
        return {};
    }
    bool FontDialog(platform::FontRecord&) override { return false; }
};

struct Page {
    ImageWindow window;
    NoDialogs dialogs;
    platform::NoSequencer sequencer;
    CTabrellaView view{platform::Services{window, dialogs, sequencer}};

    // Every slot of the 224 cells filled: pressed strings with their overlays, split cells
    // and rests.
    explicit Page(int zoom) {
        view.m_zoom = zoom;
        view.m_title = qt::ToSjis(QStringLiteral("六段の調"));
        for (int k = 1; k <= 224; ++k) {
            ScoreCell& c = view.m_cells[k];
            c.first[1] = 300 + (k % 13) + 1;
            c.first[2] = 100 + ((k + 4) % 13) + 1;
            c.first[3] = (k + 8) % 13 + 1;
            if (k % 4 == 0) {
                c.split = 1;
                c.second[1] = 200 + (k % 13) + 1;
                c.second[2] = 300 + ((k + 2) % 13) + 1;
                c.second[3] = (k + 5) % 13 + 1;
            }
            if (k % 16 == 7) c = ScoreCell{{0, 0, 700, 0}};
        }
        view.m_cursorPos = 50;
    }
};

struct UnusedPicture {
    QImage unused{1, 1, QImage::Format_RGB32};
};

// What the Qt surface drew for DrawScore, in device pixels, kept to be replayed.
class DeviceRecording : private UnusedPicture, public qt::PictureSurface {
  public:
    struct Op {
        enum Kind { Line, LineF, Rect, Fill, Glyphs, Clip, ClipOff } kind;
        QPen pen;
        QLine line;
        QLineF lineF;
        QRect rect;
        QTransform transform;
        QGlyphRun glyphs;
        QRectF clip;
    };
    DeviceRecording() : PictureSurface(&unused) {}
    std::vector<Op> ops;
    bool fellBack = false;  // some character needed another face

  protected:
    void DeviceLine(const QPen& pen, const QLine& line) override {
        ops.push_back({Op::Line, pen, line, {}, {}, {}, {}});
    }
    void DeviceLine(const QPen& pen, const QLineF& line) override {
        ops.push_back({Op::LineF, pen, {}, line, {}, {}, {}});
    }
    void DeviceRect(const QPen& pen, const QRect& outline) override {
        ops.push_back({Op::Rect, pen, {}, {}, outline, {}, {}});
    }
    void DeviceFill(const QRect& rect) override {
        ops.push_back({Op::Fill, {}, {}, {}, rect, {}, {}});
    }
    void DeviceClip(const QRectF* clip) override {
        ops.push_back(
            {clip ? Op::Clip : Op::ClipOff, {}, {}, {}, {}, {}, {}, clip ? *clip : QRectF()});
    }
    void DeviceGlyphs(const QTransform& transform, const QGlyphRun& glyphs) override {
        ops.push_back({Op::Glyphs, QPen(Qt::black), {}, {}, {}, transform, glyphs});
    }
    void DeviceChars(const QTransform&, const QFont&, const QList<QPointF>&,
                     const QStringList&) override {
        fellBack = true;
    }
};

// The least QPainter work for the same pixels: the recorded glyph runs, lines and fills,
// a pen set only when it changes, a transform for each glyph run.
void Replay(const std::vector<DeviceRecording::Op>& ops, QImage& image) {
    using Op = DeviceRecording::Op;
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    QPen pen = p.pen();
    bool transformed = false;
    for (const Op& op : ops) {
        if (op.kind == Op::Glyphs) {
            p.setTransform(op.transform);
            transformed = true;
        } else if (transformed) {
            p.resetTransform();
            transformed = false;
        }
        if (op.kind == Op::Fill || op.kind == Op::Rect) p.fillRect(op.rect, Qt::white);
        if (op.kind != Op::Fill && op.kind != Op::Clip && op.kind != Op::ClipOff && op.pen != pen) {
            p.setPen(pen = op.pen);
        }
        switch (op.kind) {
            case Op::Line:
                p.drawLine(op.line);
                break;
            case Op::LineF:
                p.drawLine(op.lineF);
                break;
            case Op::Rect:
                p.drawRect(op.rect.adjusted(0, 0, -1, -1));
                break;
            case Op::Clip:
                p.setClipRect(op.clip);
                break;
            case Op::ClipOff:
                p.setClipping(false);
                break;
            case Op::Glyphs:
                p.drawGlyphRun(QPointF(0, 0), op.glyphs);
                break;
            case Op::Fill:
                break;
        }
    }
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The whole page at a zoom, through the view and the Qt surface, against the bare loop
// drawing the same pixels; the two take turns and are timed on the CPU the drawing thread
// uses, so that other work on the machine counts for neither. The bare loop's mean is
// bare_us.
void BM_DrawScore(benchmark::State& state) {
    Page page(static_cast<int>(state.range(0)));
    DeviceRecording recorded;
    page.view.OnPaint(recorded);
    QImage bare(page.window.image.size(), page.window.image.format());
    const auto drawScore = [&] {
        auto surface = page.window.GetSurface(true);
        page.view.OnPaint(*surface);
    };
    double bareTotal = 0;
    bool bareFirst = false;
    for (auto _ : state) {
        double t0 = 0, spent = 0;
        if (bareFirst)
            t0 = ThreadCpuSeconds(), Replay(recorded.ops, bare),
            bareTotal += ThreadCpuSeconds() - t0;
        t0 = ThreadCpuSeconds();
        drawScore();
        spent = ThreadCpuSeconds() - t0;
        if (!bareFirst)
            t0 = ThreadCpuSeconds(), Replay(recorded.ops, bare),
            bareTotal += ThreadCpuSeconds() - t0;
        bareFirst = !bareFirst;
        state.SetIterationTime(spent);
    }
    // The same pixels, or the comparison means nothing.
    if (recorded.fellBack) state.SkipWithError("a character fell back to another face");
    if (bare != page.window.image) state.SkipWithError("the pictures differ");
    state.counters["bare_us"] = bareTotal / double(state.iterations()) * 1e6;
    state.counters["ops"] = double(recorded.ops.size());
}
BENCHMARK(BM_DrawScore)->Arg(120)->Arg(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A key that moves the cursor: the view's step and its immediate redraw of the page.
void BM_RedrawNowAfterKey(benchmark::State& state) {
    Page page(static_cast<int>(state.range(0)));
    bool down = true;
    for (auto _ : state) {
        const double t0 = ThreadCpuSeconds();
        page.view.OnKeyDown(down ? vk::kDown : vk::kUp);
        state.SetIterationTime(ThreadCpuSeconds() - t0);
        down = !down;
    }
}
BENCHMARK(BM_RedrawNowAfterKey)->Arg(120)->Arg(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tabrella

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    tabrella::qt::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
