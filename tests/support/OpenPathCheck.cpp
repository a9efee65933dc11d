#include "support/OpenPathCheck.h"

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "files/ScoreFile.h"
#include "score/CTabrellaView.h"
#include "sound/Tuning.h"
#include "support/FakePlatform.h"
#include "support/MidiBytes.h"
#include "support/RecordingSurface.h"

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

struct OpenedView {
    FakeWindow window;
    NoDialogHost dialogs;
    FakeSequencer sequencer;
    std::unique_ptr<CTabrellaView> view =
        std::make_unique<CTabrellaView>(platform::Services{window, dialogs, sequencer});
};

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

// A well-formed file whose every note that starts also ends.
void CheckMidi(Checker& c, const std::string& bytes, const std::string& what) {
    const MidiTrack track = ReadMidi(bytes);
    if (!c.Expect(track.valid, what + ": " + track.error)) return;
    std::map<int, int> sounding;
    for (const TimedEvent& e : track.events) {
        if (e.bytes.size() != 3) continue;
        const int status = static_cast<unsigned char>(e.bytes[0]);
        const int key = static_cast<unsigned char>(e.bytes[1]);
        const int velocity = static_cast<unsigned char>(e.bytes[2]);
        if (key == 0) continue;  // spacers carry time only
        if (status == 0x90 && velocity > 0) ++sounding[key];
        if (status == 0x80 || (status == 0x90 && velocity == 0)) {
            if (!c.Expect(--sounding[key] >= 0, what + ": note off without note on " + N(key)))
                return;
        }
    }
    for (const auto& [key, count] : sounding) {
        c.Expect(count == 0, what + ": note " + N(key) + " never ends");
    }
}

std::string Midi(Checker& c, const CTabrellaView& v, int first, int end, const std::string& what) {
    std::ostringstream out;
    c.Expect(v.WriteMidiStream(out, first, end), what + ": the writer failed");
    CheckMidi(c, out.str(), what);
    return out.str();
}

void Draw(Checker& c, CTabrellaView& v, FakeWindow& window, const char* when) {
    // The printer comes first: only a screen drawing keeps the end of the score at 1 or more.
    v.OnFilePrint();
    DrawLog paint;
    RecordingSurface surface(paint);
    v.OnPaint(surface);
    v.RedrawNow();
    // A page shows 224 cells of at most a few texts each and a few dozen header characters.
    for (const DrawLog* log : {&paint, &window.immediate, &window.printed}) {
        c.Expect(log->ops.size() < 20000, std::string("runaway drawing: ") +
                                               N(static_cast<long long>(log->ops.size())) +
                                               " operations (" + when + ")");
    }
    CheckState(c, v, when);
}

bool SameFields(const ScoreFileContent& a, const ScoreFileContent& b) {
    return a.cells == b.cells && a.title == b.title && a.tuningName == b.tuningName &&
           a.otsuFlag == b.otsuFlag && a.baseTone == b.baseTone && a.tempo == b.tempo;
}

void CheckSavedCopy(Checker& c, OpenedView& first, const std::string& midi,
                    const std::string& workDir) {
    CTabrellaView& v = *first.view;
    const std::string saved = workDir + "/saved.tbr";
    if (!c.Expect(!v.WriteScoreFile(saved), "saving failed")) return;
    const std::string savedBytes = ReadBytes(saved);
    c.Expect(savedBytes == FormatScoreFile(v.ScoreFileFields()), "the saved bytes differ");
    const ScoreFileRead read = ReadScoreFile(saved);
    if (!c.Expect(!read.error, "the saved file cannot be read")) return;
    c.Expect(SameFields(read.content, v.ScoreFileFields()), "the saved file reads back different");

    // Opened again, the saved score is the same score and is saved as the same bytes.
    OpenedView second;
    second.dialogs.failure = &c.Slot();
    CTabrellaView& w = *second.view;
    if (!c.Expect(!w.LoadScoreFile(saved), "the saved file cannot be opened")) return;
    Draw(c, w, second.window, "reopened");
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

    OpenedView opened;
    opened.dialogs.failure = &c.Slot();
    CTabrellaView& v = *opened.view;
    if (std::optional<FileError> error = v.LoadScoreFile(input)) {
        return "the file cannot be opened: " + error->reason;
    }
    CheckState(c, v, "loaded");
    c.Expect(v.m_lastCell >= 1, "m_lastCell 0 after loading");
    Draw(c, v, opened.window, "painted");
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
