// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OpenPathCheck.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "files/ScoreFile.h"
#include "resources/FileMessage.h"
#include "resources/FileTexts.h"
#include "score/CTabrellaView.h"
#include "score/TuningTable.h"
#include "support/FakePlatform.h"
#include "support/MidiBytes.h"

namespace tabrella::test {
namespace {

// Opening a file shows no dialog; one that opens anyway is a fault of the path under test.
class NoDialogHost : public platform::IDialogHost {
  public:
    std::string* failure = nullptr;

    int DoModal(platform::CDialog& dialog) override {
        Fail("a dialog opened: " + std::to_string(dialog.ResourceId()));
        return platform::kIdCancel;
    }
    int MessageBox(std::string_view text, std::string_view, platform::MessageBoxKind) override {
        Fail("a message box opened: " + std::string(text));
        return platform::kIdOk;
    }
    void FileMessageBox(std::string_view headline, std::string_view, std::string_view) override {
        Fail("a message box opened: " + std::string(headline));
    }
    std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
        Fail("a file dialog opened");
        return std::nullopt;
    }
    bool FontDialog(platform::FontRecord&) override {
        Fail("a font dialog opened");
        return false;
    }

  private:
    void Fail(const std::string& what) {
        if (failure && failure->empty()) *failure = what;
    }
};

// A drawing surface that keeps no picture, only what a check needs: how much was drawn, and
// the longest text. The fuzzer draws every input three times; a full recording costs more
// than the drawing under test.
struct DrawTally {
    size_t operations = 0;
    size_t longestText = 0;
};

class CheckingSurface : public platform::IDrawSurface {
  public:
    CheckingSurface(DrawTally& tally, bool printer) : m_tally(tally), m_printer(printer) {}

    bool IsPrinter() const override { return m_printer; }
    void SetScreenMapping(int, int, int, int, int, int) override { ++m_tally.operations; }
    void SetPrinterMapping() override { ++m_tally.operations; }
    void SelectFont(const platform::LogicalFont&) override { ++m_tally.operations; }
    void SelectPen(const platform::Pen&) override { ++m_tally.operations; }
    void SetTransparentText() override { ++m_tally.operations; }
    void Line(platform::Point, platform::Point) override { ++m_tally.operations; }
    void Text(platform::Point, std::string_view sjis) override {
        ++m_tally.operations;
        m_tally.longestText = std::max(m_tally.longestText, sjis.size());
    }
    void Rectangle(platform::Point, platform::Point) override { ++m_tally.operations; }
    void FillWhite(platform::Point, int, int) override { ++m_tally.operations; }
    void FillDeviceWhite(int, int) override { ++m_tally.operations; }
    void ClipTo(platform::Point, platform::Point) override { ++m_tally.operations; }
    void ClipOff() override { ++m_tally.operations; }

  private:
    DrawTally& m_tally;
    bool m_printer;
};

// The view's window, as FakeWindow behaves, with tallying surfaces.
class CheckingWindow : public platform::IViewWindow {
  public:
    DrawTally immediate, printed;

    void Invalidate() override {}
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override {
        if (erase) immediate = {};
        return std::make_unique<CheckingSurface>(immediate, false);
    }
    platform::ClientSize GetClientSize() const override { return {800, 600}; }
    void SetScrollRange(platform::ScrollBar bar, int min, int max, int page) override {
        Bar(bar) = {min, max, page, Bar(bar).pos};
    }
    platform::ScrollInfo GetScrollInfo(platform::ScrollBar bar) const override {
        return bar == platform::ScrollBar::Vertical ? m_v : m_h;
    }
    void SetScrollPos(platform::ScrollBar bar, int pos) override {
        platform::ScrollInfo& info = Bar(bar);
        info.pos =
            std::clamp(pos, info.min, std::max(info.min, info.max - std::max(info.page - 1, 0)));
    }
    void SetTimer(int, int) override {}
    void KillTimer(int) override {}
    void SetCaption(std::string_view) override {}
    void SetPathCaption(std::string_view) override {}
    void CloseMainWindow() override {}
    void ShowHelp() override {}
    void RunPrintJob(platform::PrintJob job, const platform::PrintPages& pages) override {
        if (job == platform::PrintJob::Setup) return;
        // The page the screen shows and the last page of the printout, each one drawing.
        printed = {};
        for (int page : {0, pages.count}) {
            DrawTally tally;
            CheckingSurface printer(tally, true);
            pages.draw(printer, page);
            printed.operations = std::max(printed.operations, tally.operations);
            printed.longestText = std::max(printed.longestText, tally.longestText);
        }
    }
    void ShowAbout() override {}

  private:
    platform::ScrollInfo& Bar(platform::ScrollBar bar) {
        return bar == platform::ScrollBar::Vertical ? m_v : m_h;
    }
    platform::ScrollInfo m_v{}, m_h{};
};

struct OpenedView {
    CheckingWindow window;
    NoDialogHost dialogs;
    FakeSequencer sequencer;
    CTabrellaView view{platform::Services{window, dialogs, sequencer}};
};

// A new view in static storage: allocating two of these views for every input costs the
// fuzzer more page faults than the path under test takes time.
OpenedView& NewView(size_t which, std::string& failure) {
    static std::array<std::optional<OpenedView>, 2> views;
    OpenedView& opened = views.at(which).emplace();
    opened.dialogs.failure = &failure;
    return opened;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The first failed check is kept; later ones add nothing.
class Checker {
  public:
    bool Failed() const { return !m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    std::string& Slot() { return m_failure; }
    bool Expect(bool ok, const std::string& what) {
        if (!ok && m_failure.empty()) m_failure = what;
        return ok;
    }

  private:
    std::string m_failure;
};

std::string N(long long v) {
    return std::to_string(v);
}

// What any opened or edited score must hold before it is drawn, played or saved.
void CheckState(Checker& c, const CTabrellaView& v, const char* when) {
    const std::string at = std::string(" (") + when + ")";
    c.Expect(v.m_cells[0] == ScoreCell{}, "cell 0 is not empty" + at);
    c.Expect(v.m_lastCell >= 0 && v.m_lastCell <= kLastCellIndex,
             "m_lastCell " + N(v.m_lastCell) + at);
    c.Expect(v.m_baseTone >= 0 && v.m_baseTone <= kBaseToneCount,
             "m_baseTone " + N(v.m_baseTone) + at);
    c.Expect(v.m_tempo > 0, "m_tempo " + N(v.m_tempo) + at);
    c.Expect(v.m_tuningIndex >= 0 && v.m_tuningIndex < kTuningCount,
             "m_tuningIndex " + N(v.m_tuningIndex) + at);
    c.Expect(v.m_otsuFlag <= 1, "m_otsuFlag " + N(v.m_otsuFlag) + at);
    c.Expect(!v.m_tuningName.empty(), "empty tuning name" + at);
    for (int p : v.m_pitch) c.Expect(p >= 0 && p <= 127, "pitch " + N(p) + at);
    c.Expect(v.m_cursorHalf == 1 || v.m_cursorHalf == 2, "m_cursorHalf" + at);
    c.Expect(v.m_cursorSlot >= 1 && v.m_cursorSlot <= 3, "m_cursorSlot" + at);
    c.Expect(v.m_topColumn >= 0 && v.m_topColumn <= kMaxTopColumn, "m_topColumn" + at);
    c.Expect(v.m_cursorPos >= 1 && v.m_cursorPos <= kLastCellIndex + 2,
             "m_cursorPos " + N(v.m_cursorPos) + at);
}

}  // namespace

// Streams over the bytes without keeping the events, since the fuzzer runs it on every input.
std::string MidiFileFault(std::string_view b, int cells) {
    std::array<int, 128> sounding{};
    std::string fault;
    auto count = [&](long, std::string_view e) {
        const unsigned kind = static_cast<unsigned char>(e[0]) & 0xF0;
        if (e.size() < 3 || (kind != 0x80 && kind != 0x90)) return;
        const auto key = static_cast<unsigned char>(e[1]);
        const bool on = kind == 0x90 && e[2] != 0;
        // Spacers (note off for key 0) carry time only.
        if (key == 0) return;
        if (on) {
            ++sounding[key];
        } else if (--sounding[key] < 0 && fault.empty()) {
            fault = "note off without note on";
        }
    };
    long tick = 0;
    if (std::string error = WalkMidi(b, count, tick); !error.empty()) return error;
    if (!fault.empty()) return fault;
    // Each cell lasts 240 ticks, a rest 238 in older files, after the one tick of the program
    // change.
    if (cells >= 0 && (tick < 1 + 238LL * cells || tick > 1 + 240LL * cells)) {
        return "the track lasts " + N(tick) + " ticks for " + N(cells) + " cells";
    }
    for (size_t key = 1; key < sounding.size(); ++key) {
        if (sounding[key] != 0) return "note " + N(static_cast<long long>(key)) + " never ends";
    }
    return {};
}

namespace {

std::string Midi(Checker& c, const CTabrellaView& v, int first, int end, const std::string& what) {
    std::ostringstream out;
    c.Expect(v.WriteMidiStream(out, first, end), what + ": the writer failed");
    const int cells = std::max(0, std::min(end, kLastCellIndex + 1) - std::max(first, 1) + 1);
    const std::string fault = MidiFileFault(out.str(), cells);
    c.Expect(fault.empty(), what + ": " + fault);
    return out.str();
}

// A page shows 224 cells of at most a few texts each and a few dozen header characters.
constexpr size_t kMostOperations = 20000;
constexpr size_t kLongestText = 64;

void Draw(Checker& c, OpenedView& opened, const char* when) {
    CTabrellaView& v = opened.view;
    const std::string at = std::string(" (") + when + ")";
    // The printer comes first: only a screen drawing keeps the end of the score at 1 or more.
    v.OnFilePrint();
    DrawTally paint;
    CheckingSurface surface(paint, false);
    v.OnPaint(surface);
    v.RedrawNow();
    for (const DrawTally* t : {&opened.window.printed, &paint, &opened.window.immediate}) {
        c.Expect(t->operations > 0 && t->operations < kMostOperations,
                 "runaway drawing: " + N(static_cast<long long>(t->operations)) + at);
        c.Expect(t->longestText <= kLongestText,
                 "a text of " + N(static_cast<long long>(t->longestText)) + " bytes" + at);
    }
    CheckState(c, v, when);
}

bool SameFields(const ScoreFileContent& a, const ScoreFileContent& b) {
    return a.cells == b.cells && a.settings.m_title == b.settings.m_title &&
           a.settings.m_tuningName == b.settings.m_tuningName &&
           a.settings.m_otsuFlag == b.settings.m_otsuFlag &&
           a.settings.m_baseTone == b.settings.m_baseTone &&
           a.settings.m_tempo == b.settings.m_tempo;
}

void CheckSavedCopy(Checker& c, OpenedView& first, const std::string& midi,
                    const std::string& workDir) {
    CTabrellaView& v = first.view;
    const std::string saved = workDir + "/saved.tbr";
    if (!c.Expect(!v.WriteScoreFile(saved), "saving failed")) return;
    const std::string savedBytes = ReadBytes(saved);
    c.Expect(savedBytes == FormatScoreFile(v.ScoreFileFields()), "the saved bytes differ");
    const ScoreFileRead read = ReadScoreFile(saved);
    if (!c.Expect(!read.error, "the saved file cannot be read")) return;
    c.Expect(SameFields(read.content, v.ScoreFileFields()), "the saved file reads back different");

    // Opened again, the saved score is the same score and is saved as the same bytes.
    OpenedView& second = NewView(1, c.Slot());
    CTabrellaView& w = second.view;
    if (!c.Expect(!w.LoadScoreFile(saved), "the saved file cannot be opened")) return;
    Draw(c, second, "reopened");
    c.Expect(SameFields(w.ScoreFileFields(), v.ScoreFileFields()), "reopened score differs");
    c.Expect(w.m_lastCell == v.m_lastCell, "reopened end differs");
    c.Expect(w.m_tuningIndex == v.m_tuningIndex && w.m_pitch == v.m_pitch &&
                 w.m_baseToneLabel == v.m_baseToneLabel,
             "reopened tuning differs");
    c.Expect(Midi(c, w, 1, w.m_lastCell + 1, "reopened export") == midi, "reopened MIDI differs");
    const std::string again = workDir + "/again.tbr";
    if (c.Expect(!w.WriteScoreFile(again), "saving the reopened score failed")) {
        c.Expect(ReadBytes(again) == savedBytes, "a second save differs from the first");
    }
}

}  // namespace

std::string CheckOpenPath(std::string_view fileBytes, const std::string& workDir) {
    Checker c;
    const std::string input = workDir + "/in.tbr";
    WriteBytes(input, fileBytes);

    OpenedView& opened = NewView(0, c.Slot());
    CTabrellaView& v = opened.view;
    if (std::optional<FileError> error = v.LoadScoreFile(input)) {
        // A file that is no score is refused whole: nothing of it may reach the view.
        if (ReasonText(*error) == res::Sjis(res::FileTxt::NotAScore)) {
            c.Expect(v.m_filePath.empty() && v.LastUsedCell() == 0, "a refused file was read");
            return c.Failed() ? c.Failure() : "";
        }
        return "the file cannot be opened: " + ReasonText(*error);
    }
    CheckState(c, v, "loaded");
    c.Expect(v.m_lastCell >= 1, "m_lastCell 0 after loading");
    Draw(c, opened, "painted");
    c.Expect(v.m_lastCell >= 1 && v.m_lastCell >= v.LastUsedCell(),
             "m_lastCell " + N(v.m_lastCell) + " below the last used cell");
    if (c.Failed()) return c.Failure();

    // MIDI export with the cursor on cell 1, then the saved copy.
    const std::string midi = Midi(c, v, 1, v.m_lastCell + 1, "export");
    if (c.Failed()) return c.Failure();
    CheckSavedCopy(c, opened, midi, workDir);
    if (c.Failed()) return c.Failure();

    // Go to end and play from there, as a user would after opening a long score.
    v.OnGoToEnd();
    CheckState(c, v, "gone to end");
    Midi(c, v, v.CursorCell(), v.m_lastCell + 1, "play from the end");
    v.OnKeyDown(0x22);  // Page Down, then play the page from its top
    v.OnGoToTop();
    Midi(c, v, v.CursorCell(), v.m_lastCell + 1, "play from the page");
    CheckState(c, v, "paged");
    return c.Failure();
}

}  // namespace tabrella::test
