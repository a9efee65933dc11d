// SPDX-License-Identifier: GPL-3.0-or-later
// Random runs of insert blank, cut, copy and paste, each checked against a plain model of
// the score as a list: inserting and erasing list elements, then padding or trimming the
// list back to 2999 cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "score/RangeDialogs.h"
#include "support/CellPrinting.h"
#include "support/ViewHarness.h"

namespace tabrella {
namespace {

using test::UserAction;

constexpr size_t kScoreLength = kLastCellIndex;

struct Model {
    std::vector<ScoreCell> cells = std::vector<ScoreCell>(kScoreLength);  // cell k at k - 1
    std::vector<ScoreCell> clip;                                          // entry i at i - 1

    // The part of the score range start..end that exists, as list positions.
    bool Span(long long start, long long end, size_t& first, size_t& last) const {
        if (start > static_cast<long long>(kScoreLength)) return false;
        first = static_cast<size_t>(start - 1);
        last = static_cast<size_t>(std::min<long long>(end, kScoreLength));
        return true;
    }
    void InsertBlank(long long start, long long end) {
        size_t first, last;
        if (!Span(start, end, first, last)) return;
        cells.insert(cells.begin() + first, last - first, ScoreCell{});
        cells.resize(kScoreLength);
    }
    void Copy(long long start, long long end) {
        size_t first, last;
        if (!Span(start, end, first, last)) return;
        clip.assign(cells.begin() + first, cells.begin() + last);
    }
    void Cut(long long start, long long end) {
        size_t first, last;
        if (!Span(start, end, first, last)) return;
        Copy(start, end);
        cells.erase(cells.begin() + first, cells.begin() + last);
        cells.resize(kScoreLength);
    }
    void Paste(long long target) {
        for (size_t i = 0; i < clip.size(); ++i) {
            const long long k = target + static_cast<long long>(i);
            if (k <= static_cast<long long>(kScoreLength)) cells[k - 1] = clip[i];
        }
    }
};

enum class Op { InsertBlank, Cut, Copy, Paste };

// How the user leaves the dialog.
enum class Ending { Confirm, KeepDefaults, Cancel, Escape, RefusedThenEscape, RefusedThenConfirm };

class Runner {
  public:
    explicit Runner(unsigned seed) : m_rng(seed) {
        for (int k = 1; k <= kLastCellIndex; ++k) {
            if (Chance(80)) m_model.cells[k - 1] = RandomCell(k);
        }
        for (int k = 1; k <= kLastCellIndex; ++k) m_h.Cell(k) = m_model.cells[k - 1];
    }

    void Step(int step) {
        CTabrellaView& v = m_h.v();
        v.m_topColumn = Chance(50) ? Uniform(0, 3) : Uniform(0, kMaxTopColumn);
        v.m_cursorPos = Uniform(1, 224);
        v.m_cursorHalf = Uniform(1, 2);
        v.m_cursorSlot = Uniform(1, 3);
        v.m_lastCell = Uniform(0, 2999);
        v.SetDocumentFile(v.m_filePath, Uniform(0, 1) == 0);
        const Untouched before = Take();
        const int invalidationsBefore = m_h.window.invalidations;
        const std::vector<ScoreCell> cellsBefore = m_model.cells;

        const Op op = static_cast<Op>(Uniform(0, 3));
        const Ending ending = static_cast<Ending>(Uniform(0, 5));
        const int a = ending == Ending::KeepDefaults ? v.m_cursorPos : Position();
        const int b = ending == Ending::KeepDefaults ? v.m_cursorPos : Position();
        Script(op, ending, a, b);
        v.OnCommand(CommandOf(op));

        const bool goesAhead = ending == Ending::Confirm || ending == Ending::KeepDefaults ||
                               ending == Ending::RefusedThenConfirm;
        const long long offset = 32LL * v.m_topColumn;
        const long long start = std::min(a, b) + offset;
        const long long end = std::max(a, b) + offset;
        if (goesAhead) {
            switch (op) {
                case Op::InsertBlank:
                    m_model.InsertBlank(start, end);
                    break;
                case Op::Cut:
                    m_model.Cut(start, end);
                    break;
                case Op::Copy:
                    m_model.Copy(start, end);
                    break;
                case Op::Paste:
                    m_model.Paste(a + offset);
                    break;
            }
        }

        SCOPED_TRACE("step " + std::to_string(step) + ": op " +
                     std::to_string(static_cast<int>(op)) + ", ending " +
                     std::to_string(static_cast<int>(ending)) + ", " + std::to_string(a) + ".." +
                     std::to_string(b) + ", top column " + std::to_string(v.m_topColumn));
        CheckAgainstModel();
        CheckUntouched(before);
        // The score counts as changed exactly when a command changed a cell.
        EXPECT_EQ(v.Modified(), before.modified || m_model.cells != cellsBefore ? 1 : 0);
        const bool repaints = goesAhead && op != Op::Copy;
        EXPECT_EQ(m_h.window.invalidations - invalidationsBefore, repaints ? 1 : 0);
        if (goesAhead) {
            EXPECT_EQ(v.m_rangeStart, op == Op::Paste ? a + offset : start);
            if (op != Op::Paste) {
                EXPECT_EQ(v.m_rangeEnd, end);
            }
        }
        EXPECT_TRUE(m_h.dialogs.AllScriptsUsed());
    }

  private:
    bool Chance(int percent) { return Uniform(1, 100) <= percent; }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    ScoreCell RandomCell(int tag) {
        ScoreCell c;
        c.first[1] = tag;
        c.first[2] = Uniform(0, 1200);
        c.second[3] = Uniform(0, 399);
        c.split = Uniform(0, 1);
        return c;
    }

    // A page position: on the page, anywhere, or near where the score ends for this page.
    int Position() {
        const int endOfScore = kLastCellIndex - 32 * m_h.v().m_topColumn;
        switch (Uniform(0, 2)) {
            case 0:
                return Uniform(1, 224);
            case 1:
                return Uniform(1, kLastCellIndex);
            default:
                return std::clamp(endOfScore + Uniform(-40, 40), 1, kLastCellIndex);
        }
    }

    std::string BadNumber() {
        static const char* bad[] = {"", "abc", "0", "3000", "-5", "1.5", "99999999999"};
        return bad[Uniform(0, 6)];
    }

    static int CommandOf(Op op) {
        switch (op) {
            case Op::InsertBlank:
                return cmd::kInsertBlank;
            case Op::Cut:
                return cmd::kEditCut;
            case Op::Copy:
                return cmd::kCopy;
            case Op::Paste:
                break;
        }
        return cmd::kEditPaste;
    }

    void Script(Op op, Ending ending, int a, int b) {
        const bool paste = op == Op::Paste;
        const int resource = paste ? res::kDlgPaste : res::kDlgRange;
        const int confirm = paste ? CPasteDialog::kRunButton : CRangeDialog::kDecideButton;
        const int cancel = CRangeDialog::kCancelButton;
        const int firstBox = paste ? CPasteDialog::kTargetEdit : CRangeDialog::kFromEdit;
        std::vector<UserAction> actions;
        auto typeNumbers = [&] {
            actions.push_back(UserAction::TypeText(firstBox, std::to_string(a)));
            if (!paste) {
                actions.push_back(UserAction::TypeText(CRangeDialog::kToEdit, std::to_string(b)));
            }
        };
        auto typeBad = [&] {
            const int box = paste || Chance(50) ? firstBox : CRangeDialog::kToEdit;
            actions.push_back(UserAction::TypeText(box, BadNumber()));
            actions.push_back(UserAction::Press(Chance(50) ? confirm : cancel));
        };
        switch (ending) {
            case Ending::Confirm:
                typeNumbers();
                actions.push_back(UserAction::Press(confirm));
                break;
            case Ending::KeepDefaults:
                actions.push_back(UserAction::Press(confirm));
                break;
            case Ending::Cancel:
                typeNumbers();
                actions.push_back(UserAction::Press(cancel));
                break;
            case Ending::Escape:
                typeNumbers();
                actions.push_back(UserAction::PressEscape());
                break;
            case Ending::RefusedThenEscape:
                typeBad();
                actions.push_back(UserAction::PressEscape());
                break;
            case Ending::RefusedThenConfirm:
                typeBad();
                typeNumbers();
                actions.push_back(UserAction::Press(confirm));
                break;
        }
        m_h.dialogs.Expect(resource, std::move(actions));
    }

    // What no range command moves or changes: the cursor, the page, the flags.
    struct Untouched {
        int topColumn, cursorPos, cursorHalf, cursorSlot, lastCell, modified;
        bool SameBesidesModified(const Untouched& o) const {
            return topColumn == o.topColumn && cursorPos == o.cursorPos &&
                   cursorHalf == o.cursorHalf && cursorSlot == o.cursorSlot &&
                   lastCell == o.lastCell;
        }
    };
    Untouched Take() const {
        const CTabrellaView& v = *m_h.view;
        return {v.m_topColumn,  v.m_cursorPos, v.m_cursorHalf,
                v.m_cursorSlot, v.m_lastCell,  v.Modified() ? 1 : 0};
    }
    void CheckUntouched(const Untouched& before) const {
        EXPECT_TRUE(Take().SameBesidesModified(before));
    }

    void CheckAgainstModel() {
        const CTabrellaView& v = *m_h.view;
        for (int k = 1; k <= kLastCellIndex; ++k) {
            ASSERT_EQ(v.m_cells[k], m_model.cells[k - 1]) << "cell " << k;
        }
        EXPECT_TRUE(v.m_cells[0].IsEmpty() && v.m_cells[0] == ScoreCell{});
        ASSERT_EQ(v.m_clipCount, static_cast<int>(m_model.clip.size()));
        for (int i = 1; i <= v.m_clipCount; ++i) {
            ASSERT_EQ(v.m_clip[i], m_model.clip[i - 1]) << "clipboard entry " << i;
        }
    }

    test::ViewHarness m_h;
    Model m_model;
    std::mt19937 m_rng;
};

TEST(RangeEditingProperty, RandomRunsMatchAListModelOfTheScore) {
    for (unsigned seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Runner runner(seed);
        for (int step = 1; step <= 40; ++step) {
            runner.Step(step);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace tabrella
