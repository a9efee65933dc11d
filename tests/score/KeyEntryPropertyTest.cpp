// SPDX-License-Identifier: GPL-3.0-or-later
// Long random runs of key presses, clicks and the go-to commands. Whatever arrives, the
// cursor stays in its ranges, only the cursor cell (and the cell after it, for a two-cell
// rest) changes, every slot holds a value the keys can produce, and nothing outside the
// 2999 cells is written: cell 0 stays empty and the fields around the score keep their
// values. A key that stores a note asks for its cell's sound, the notes and bends the MIDI
// export plays there, unless a play runs or the menu item is off; no other key asks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "resources/CommandIds.h"
#include "resources/KeyCodes.h"
#include "support/CellPrinting.h"
#include "support/MidiBytes.h"
#include "support/RunLength.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

// Every code of the key table, the keypad digits, and the JIS ろ key.
const std::vector<int> kTableKeys = {
    0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xDE, 0xDC, 0x20, 0x2D, 0x4F,
    0xBA, 0xC0, 0xDD, 0xDB, 0xBE, 0xBB, 0x4C, 0x4B, 0x28, 0x26, 0x27, 0x25, 0x22, 0x21, 0x5A, 0x24,
    0x58, 0x0D, 0x43, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0xE2};

// The string keys (Space is not one), the pressing sign and the technique keys.
const std::vector<int> kNoteKeys = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
                                    0x30, 0xBD, 0xDE, 0xDC, 0x4F, 0xBB, 0x4C, 0x4B};
constexpr int kCellTicks = 240;

bool IsNoteKey(int key) {
    return std::find(kNoteKeys.begin(), kNoteKeys.end(), key) != kNoteKeys.end();
}

// The preview of cell k against the export of the score up to it: the same notes and bends
// from the preview's first cell (k, or the earlier note it holds) to the end of k.
std::string PreviewProblem(const CTabrellaView& v, int k, const std::string& preview) {
    std::ostringstream exported;
    v.WriteMidiStream(exported, 1, k);
    const MidiTrack whole = ReadMidi(exported.str());
    long from = static_cast<long>(k - 1) * kCellTicks;
    const long to = from + kCellTicks;
    std::vector<std::pair<long, int>> want, got;
    std::vector<std::string> wantBends, gotBends;
    if (!preview.empty()) {
        const MidiTrack own = ReadMidi(preview);
        if (!own.valid) return "preview: " + own.error;
        from = to - (own.endTick - 1);
        for (const SoundedNote& n : own.GridNotes()) got.emplace_back(n.onset + from, n.key);
        for (const TimedEvent& e : own.events) {
            if (e.bytes.size() == 3 && (e.bytes[0] & 0xF0) == 0xE0) {
                gotBends.push_back(std::to_string(e.tick - 1 + from) + ":" + Hex(e.bytes));
            }
        }
    }
    for (const SoundedNote& n : whole.GridNotes()) {
        // An empty preview: nothing may sound in the cell.
        const bool inCell = preview.empty() ? n.onset < to && n.end > from : n.onset >= from;
        if (inCell && n.onset < to) want.emplace_back(n.onset, n.key);
    }
    for (const TimedEvent& e : whole.events) {
        const long at = e.tick - 1;
        if (!preview.empty() && at >= from && at < to && e.bytes.size() == 3 &&
            (e.bytes[0] & 0xF0) == 0xE0) {
            wantBends.push_back(std::to_string(at) + ":" + Hex(e.bytes));
        }
    }
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    if (want != got) return "notes differ from the export's";
    if (wantBends != gotBends) return "bends differ from the export's";
    return {};
}

// A slot value the keys can leave behind: nothing, a string with or without a modifier, a
// modifier alone, or a mark code.
bool KeyMadeValue(int v) {
    if (v == 0) return true;
    if (v >= 500 && v <= 1200) return v % 100 == 0;
    return v > 0 && v < 400 && v % 100 <= 13;
}

std::string Problem(const CTabrellaView& v) {
    std::ostringstream out;
    if (v.m_cursorHalf < 1 || v.m_cursorHalf > 2) out << " half " << v.m_cursorHalf;
    if (v.m_cursorSlot < 1 || v.m_cursorSlot > 3) out << " slot " << v.m_cursorSlot;
    if (v.m_topColumn < 0 || v.m_topColumn > kMaxTopColumn) out << " top " << v.m_topColumn;
    if (v.m_cursorPos < 1) out << " pos " << v.m_cursorPos;
    if (!(v.m_cells[0] == ScoreCell{})) out << " cell 0 " << Describe(v.m_cells[0]);
    if (v.m_rangeStart != 0 || v.m_rangeEnd != 0 || v.m_clipCount != 0) out << " range/clip";
    return out.str();
}

// The page is drawn after every event as always, onto a surface that keeps nothing: these
// runs look at the score and the cursor, and recording the pictures would only slow them.
class NullSurface : public platform::IDrawSurface {
  public:
    bool IsPrinter() const override { return false; }
    void SetScreenMapping(int, int, int, int, int, int) override {}
    void SetPrinterMapping() override {}
    void SelectFont(const platform::LogicalFont&) override {}
    void SelectPen(const platform::Pen&) override {}
    void SetTransparentText() override {}
    void Line(platform::Point, platform::Point) override {}
    void Text(platform::Point, std::string_view) override {}
    void Rectangle(platform::Point, platform::Point) override {}
    void FillWhite(platform::Point, int, int) override {}
    void FillDeviceWhite(int, int) override {}
    void ClipTo(platform::Point, platform::Point) override {}
    void ClipOff() override {}
};

class QuietWindow : public FakeWindow {
  public:
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool /*erase*/) override {
        ++surfacesTaken;
        return std::make_unique<NullSurface>();
    }
};

class RandomRun : public ::testing::TestWithParam<std::uint32_t> {
  protected:
    void Run(int events, int prefilledEnd);
};

void RandomRun::Run(int events, int prefilledEnd) {
    const std::uint32_t seed = GetParam();
    std::mt19937 rng(seed);
    QuietWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    CTabrellaView v(platform::Services{window, dialogs, sequencer});
    // A score that reaches the end lets go to end put the cursor past cell 2999.
    for (int k = prefilledEnd; k >= 1 && k > prefilledEnd - 40; --k) {
        v.m_cells[static_cast<size_t>(k)].first[2] = k % 13 + 1;
    }
    auto shadow = v.m_cells;
    const ScoreCell emptyClip{};

    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int i = 0; i < events; ++i) {
        const int k = v.CursorCell();
        const int surfaces = window.surfacesTaken;
        const size_t callsBefore = sequencer.calls.size();
        const bool previewWanted = v.m_previewNotes && !window.TimerRunning(1);
        int key = -1;
        const int choice = pick(100);
        if (choice < 60) {
            key = kTableKeys[static_cast<size_t>(pick(static_cast<int>(kTableKeys.size())))];
        } else if (choice < 80) {
            key = pick(256);
        }
        if (key >= 0) {
            v.OnKeyDown(key);
            size_t previews = 0;
            for (size_t c = callsBefore; c < sequencer.calls.size(); ++c) {
                const FakeSequencer::Call& call = sequencer.calls[c];
                if (call.op != "preview") continue;
                // Every fourth event's sound is compared: the export of a long score is slow.
                if (++previews, i % 4 != 0) continue;
                const std::string problem = PreviewProblem(v, k, call.fileBytes);
                ASSERT_TRUE(problem.empty())
                    << "seed " << seed << " event " << i << " cell " << k << " "
                    << Describe(v.m_cells[static_cast<size_t>(k)]) << ": " << problem;
            }
            ASSERT_EQ(previews, IsNoteKey(key) && previewWanted ? 1u : 0u)
                << "seed " << seed << " event " << i << " key " << key;
        } else if (choice < 97) {
            v.OnMouse(static_cast<platform::MouseEvent>(pick(4)));
        } else if (choice < 98) {
            v.OnCommand(cmd::kGoToEnd);
        } else if (pick(2) == 0) {
            v.OnCommand(cmd::kGoToTop);
        } else {
            v.OnCommand(cmd::kPreviewNotes);  // a menu check: nothing to draw or change
            continue;
        }

        const std::string problem = Problem(v);
        ASSERT_TRUE(problem.empty()) << "seed " << seed << " event " << i << ":" << problem;
        // Only the cursor cell and the one after it may have changed.
        for (int c : {k, k + 1}) {
            if (IsCellIndex(c)) shadow[static_cast<size_t>(c)] = v.m_cells[static_cast<size_t>(c)];
        }
        ASSERT_GT(window.surfacesTaken, surfaces) << "event " << i << " did not redraw";
        if (i % 512 == 0 || i == events - 1) {
            ASSERT_TRUE(SameScore(shadow, v.m_cells)) << "seed " << seed << " event " << i;
            for (size_t c = 1; c < v.m_cells.size(); ++c) {
                const ScoreCell& cell = v.m_cells[c];
                for (int j = 1; j <= 6; ++j) {
                    ASSERT_TRUE(KeyMadeValue(cell.Field(j)))
                        << "seed " << seed << " cell " << c << " " << Describe(cell);
                }
                ASSERT_TRUE(cell.split == 0 || cell.split == 1) << "cell " << c;
            }
            for (const ScoreCell& clip : v.m_clip) ASSERT_EQ(clip, emptyClip);
        }
    }
    v.OnDestroy();  // releases whatever the playback keys opened
}

TEST_P(RandomRun, KeysAndClicksOnAShortScore) {
    Run(RunLength(40000), 30);
}

TEST_P(RandomRun, KeysAndClicksOnAScoreReachingTheLastCell) {
    Run(RunLength(10000), 2999);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomRun, ::testing::Values(1u, 2u, 3u, 20240607u));

}  // namespace
}  // namespace tabrella::test
