// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing speed: the whole page through DrawScore and the Qt surface, against a bare
// QPainter loop that draws the same glyphs and lines; and RedrawNow after one key press.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/qt/QtFonts.h"
#include "platform/qt/QtSurface.h"
#include "platform/qt/QtText.h"
#include "resources/KeyCodes.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

// The view's window for benchmarks: a raster image of a fixed size.
class ImageWindow : public platform::IViewWindow {
  public:
    QImage image{1200, 1000, QImage::Format_ARGB32_Premultiplied};

    class Surface : public qt::QtSurface {
      public:
        explicit Surface(std::unique_ptr<QPainter> p) : QtSurface(*p), m_painter(std::move(p)) {}

      private:
        std::unique_ptr<QPainter> m_painter;
    };

    void Invalidate() override {}
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override {
        if (erase) image.fill(Qt::white);
        return std::make_unique<Surface>(std::make_unique<QPainter>(&image));
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

class NoSequencer : public platform::ISequencer {
  public:
    platform::SeqError Open(std::string_view, platform::DeviceId&) override { return 1; }
    platform::SeqError Play(platform::DeviceId) override { return 1; }
    platform::SeqError SetLooping(platform::DeviceId, bool) override { return 1; }
    platform::SeqError Stop(platform::DeviceId) override { return 1; }
    platform::SeqError Close(platform::DeviceId) override { return 1; }
    std::string ErrorText(platform::SeqError) override { return {}; }
};

struct Page {
    ImageWindow window;
    NoDialogs dialogs;
    NoSequencer sequencer;
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

void BM_DrawScore(benchmark::State& state) {
    Page page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto surface = page.window.GetSurface(true);
        page.view.OnPaint(*surface);
    }
}
BENCHMARK(BM_DrawScore)->Arg(120)->Arg(300)->Unit(benchmark::kMicrosecond);

// What DrawScore asked for, replayed below with plain QPainter calls.
struct Recorded : platform::IDrawSurface {
    struct Glyphs {
        QPointF at;
        QString text;
        QFont font;
    };
    std::vector<std::pair<QPointF, QPointF>> lines;
    std::vector<Glyphs> texts;
    double sx = 1, sy = 1;
    QFont font;
    QPointF Map(platform::Point p) const { return {p.x * sx, p.y * sy}; }
    bool IsPrinter() const override { return false; }
    void SetScreenMapping(int wx, int wy, int vx, int vy, int, int) override {
        sx = double(vx) / wx;
        sy = double(vy) / wy;
    }
    void SetPrinterMapping() override {}
    void SelectFont(const platform::LogicalFont& f) override {
        font = qt::LayoutFont(f.face, f.weight, std::max(1, int(f.height * std::abs(sy))));
    }
    void SelectPen(const platform::Pen&) override {}
    void SetTransparentText() override {}
    void Line(platform::Point a, platform::Point b) override { lines.emplace_back(Map(a), Map(b)); }
    void Text(platform::Point at, std::string_view sjis) override {
        texts.push_back({Map(at), qt::FromSjis(sjis), font});
    }
    void Rectangle(platform::Point, platform::Point) override {}
    void FillWhite(platform::Point, int, int) override {}
    void FillDeviceWhite(int, int) override {}
    void ClipTo(platform::Point, platform::Point) override {}
    void ClipOff() override {}
};

void BM_BareQPainterBaseline(benchmark::State& state) {
    Page page(static_cast<int>(state.range(0)));
    Recorded recorded;
    page.view.OnPaint(recorded);
    QImage& image = page.window.image;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        for (const auto& [a, b] : recorded.lines) p.drawLine(a, b);
        for (const auto& t : recorded.texts) {
            p.setFont(t.font);
            p.drawText(t.at, t.text);
        }
    }
    state.counters["lines"] = double(recorded.lines.size());
    state.counters["texts"] = double(recorded.texts.size());
}
BENCHMARK(BM_BareQPainterBaseline)->Arg(120)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_RedrawNowAfterKey(benchmark::State& state) {
    Page page(static_cast<int>(state.range(0)));
    bool down = true;
    for (auto _ : state) {
        page.view.OnKeyDown(down ? vk::kDown : vk::kUp);
        down = !down;
    }
}
BENCHMARK(BM_RedrawNowAfterKey)->Arg(120)->Arg(300)->Unit(benchmark::kMicrosecond);

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
