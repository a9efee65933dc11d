// SPDX-License-Identifier: GPL-3.0-or-later
// Random runs of keys, range commands and the setting dialogs, with undo, redo and saves in
// between, checked against a plain model of the history: a list of score states and a
// position in it. Undo must give back each earlier state exactly, redo each later one, the
// flag must be 0 exactly at the state last saved, and the cursor must land on the first
// cell a step changed.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files/FileDialogs.h"
#include "files/FileTestSupport.h"
#include "files/ScoreFile.h"
#include "resources/CommandIds.h"
#include "resources/DialogResources.h"
#include "resources/KeyCodes.h"
#include "score/RangeDialogs.h"
#include "sound/TempoDialog.h"
#include "sound/TuningDialog.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

using UA = UserAction;

struct State {
    std::array<ScoreCell, kCellArraySize> cells;
    ScoreSettings settings;
    friend bool operator==(const State&, const State&) = default;
};

State Take(const CTabrellaView& v) {
    return {v.m_cells, v.Settings()};
}

int FirstDifferentCell(const State& a, const State& b) {
    for (int k = 1; k <= kLastCellIndex; ++k) {
        if (!(a.cells[k] == b.cells[k])) return k;
    }
    return 0;
}

// What Save writes of a state, cut after its last used cell.
std::string Bytes(CTabrellaView& v) {
    const int keep = v.m_lastCell;
    v.m_lastCell = std::max(v.LastUsedCell(), 1);
    const std::string bytes = FormatScoreFile(v.ScoreFileFields());
    v.m_lastCell = keep;
    return bytes;
}

class UndoRun {
  public:
    // A budget of 0 keeps the history's own.
    explicit UndoRun(unsigned seed, std::size_t budget = 0) : m_rng(seed), m_budget(budget) {}

    void Run(int events) {
        WriteBytes(m_dir / "opened.tbr",
                   ReadBytes(std::string(TABRELLA_TEST_DATA) + "/scores/titled.tbr"));
        ASSERT_FALSE(v().LoadScoreFile(m_dir / "opened.tbr"));
        if (m_budget) v().m_history.SetBudget(m_budget);
        const std::string opened = Bytes(v());
        m_states = {Take(v())};
        for (int event = 0; event < events; ++event) {
            SCOPED_TRACE("event " + std::to_string(event));
            Step();
            Check();
            if (::testing::Test::HasFailure()) return;
        }
        const State edited = m_states.back();
        const std::string editedBytes = [&] {
            while (v().CanRedo()) Redo();
            return Bytes(v());
        }();
        while (v().CanUndo()) Undo();
        if (dropped == 0) {
            EXPECT_EQ(Bytes(v()), opened) << "undoing everything gives the score as opened";
        } else {
            EXPECT_TRUE(Take(v()) == m_states.front())
                << "undoing everything gives the oldest kept";
        }
        EXPECT_EQ(v().Modified(), m_clean == 0 ? 0 : 1);
        while (v().CanRedo()) Redo();
        EXPECT_TRUE(Take(v()) == edited);
        EXPECT_EQ(Bytes(v()), editedBytes);
    }

    int dropped = 0;             // the oldest steps the history let go
    int droppedCleanPoints = 0;  // ... when one of them led from the saved state

  private:
    CTabrellaView& v() { return m_h.v(); }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    void Step() {
        const int pick = Uniform(0, 99);
        if (pick < 45) {
            static const int keys[] = {'1',        '5',        '0',           0xBD,
                                       vk::kSpace, vk::kO,     vk::kInsert,   vk::kOem1,
                                       vk::kOem6,  vk::kOem3,  vk::kOem4,     vk::kOemPeriod,
                                       vk::kL,     vk::kK,     vk::kDown,     vk::kUp,
                                       vk::kLeft,  vk::kRight, vk::kPageDown, vk::kPageUp};
            m_h.Keys({keys[Uniform(0, std::size(keys) - 1)]});
            Recorded();
        } else if (pick < 60) {
            RangeCommand();
            Recorded();
        } else if (pick < 68) {
            SettingsDialog();
            Recorded();
        } else if (pick < 82) {
            Undo();
        } else if (pick < 92) {
            Redo();
        } else if (pick < 96) {
            m_h.dialogs.AnswerFile(m_dir / "saved.tbr");
            m_h.dialogs.Expect(res::kDlgSavedNotice, {UA::Tick(1)});
            v().OnCommand(cmd::kSaveAs);
            m_clean = m_position;
        } else {
            v().OnCommand(Uniform(0, 1) ? cmd::kGoToEnd : cmd::kZoom150);
            Recorded();
        }
    }

    void RangeCommand() {
        const int from = Uniform(1, 240), to = from + Uniform(0, 40);
        // The menu's ids and the frame's standard ones (Ctrl+X, Ctrl+V) alike.
        const std::vector<int> commands = {cmd::kCut,      cmd::kEditCut,  cmd::kInsertBlank,
                                           cmd::kCopy,     cmd::kEditCopy, cmd::kPaste,
                                           cmd::kEditPaste};
        const int command = commands[Uniform(0, static_cast<int>(commands.size()) - 1)];
        if (command == cmd::kPaste || command == cmd::kEditPaste) {
            m_h.dialogs.Expect(res::kDlgPaste,
                               {UA::TypeText(CPasteDialog::kTargetEdit, std::to_string(from)),
                                UA::Press(CPasteDialog::kRunButton)});
        } else {
            m_h.dialogs.Expect(res::kDlgRange,
                               {UA::TypeText(CRangeDialog::kFromEdit, std::to_string(from)),
                                UA::TypeText(CRangeDialog::kToEdit, std::to_string(to)),
                                UA::Press(CRangeDialog::kDecideButton)});
        }
        v().OnCommand(command);
    }

    void SettingsDialog() {
        switch (Uniform(0, 2)) {
            case 0:
                m_h.dialogs.Expect(
                    res::kDlgTitle,
                    {UA::TypeText(CTitleDialog::kTitleEdit, "t" + std::to_string(Uniform(0, 3))),
                     UA::PressEnter()});
                v().OnCommand(cmd::kTitle);
                break;
            case 1:
                m_h.dialogs.Expect(res::kDlgTempo, {UA::TypeText(CTempoDialog::kTempoEdit,
                                                                 std::to_string(Uniform(60, 63))),
                                                    UA::PressEnter()});
                v().OnCommand(cmd::kTempo);
                break;
            default:
                m_h.dialogs.Expect(res::kDlgTuning,
                                   {UA::Choose(CTuningDialog::kTuningBox, Uniform(0, 7)),
                                    UA::Choose(CTuningDialog::kBaseToneBox, Uniform(0, 11)),
                                    UA::Check(CTuningDialog::kOtsuBox, Uniform(0, 1)),
                                    UA::Press(platform::kIdOk)});
                v().OnCommand(cmd::kTuning);
                break;
        }
    }

    // The model: a command that changed the state is a step; one after an undo drops the
    // steps that could have been redone, the saved state among them.
    void Recorded() {
        const State now = Take(v());
        if (now == m_states[m_position]) return;
        m_states.resize(m_position + 1);
        if (m_clean > m_position) m_clean = -1;
        m_states.push_back(now);
        ++m_position;
        // Past its budget the history forgets the oldest states; the saved one among them
        // can no longer be reached, so the score stays modified until the next save.
        while (m_states.size() - 1 > v().m_history.Size()) {
            m_states.erase(m_states.begin());
            --m_position;
            ++dropped;
            if (m_clean == 0) ++droppedCleanPoints;
            m_clean = m_clean > 0 ? m_clean - 1 : -1;
        }
        if (m_budget) {
            EXPECT_TRUE(v().m_history.Bytes() <= m_budget || v().m_history.Size() == 1)
                << v().m_history.Bytes() << " bytes held";
        }
    }

    void Undo() {
        v().OnCommand(cmd::kEditUndo);
        if (m_position == 0) return;
        --m_position;
        ExpectCursorOnFirstChange(m_states[m_position + 1], m_states[m_position]);
    }

    void Redo() {
        v().OnCommand(cmd::kEditRedo);
        if (m_position + 1 >= static_cast<int>(m_states.size())) return;
        ++m_position;
        ExpectCursorOnFirstChange(m_states[m_position - 1], m_states[m_position]);
    }

    void ExpectCursorOnFirstChange(const State& a, const State& b) {
        if (const int k = FirstDifferentCell(a, b)) {
            EXPECT_EQ(v().CursorCell(), k);
            EXPECT_LE(v().m_cursorPos, v().CellsPerPage()) << "the page shows the cursor";
        }
    }

    void Check() {
        EXPECT_TRUE(Take(v()) == m_states[m_position]) << "position " << m_position;
        EXPECT_EQ(v().Modified(), m_position == m_clean ? 0 : 1) << "position " << m_position;
        EXPECT_EQ(v().CanUndo(), m_position > 0);
        EXPECT_EQ(v().CanRedo(), m_position + 1 < static_cast<int>(m_states.size()));
        EXPECT_TRUE(m_h.dialogs.AllScriptsUsed());
    }

    std::mt19937 m_rng;
    std::size_t m_budget;
    TempDir m_dir;
    ViewHarness m_h;
    std::vector<State> m_states;
    int m_position = 0;
    int m_clean = 0;
};

TEST(UndoProperty, RandomEditsUndoAndRedoAgainstAModelOfTheHistory) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        UndoRun(seed).Run(400);
    }
}

// A small budget: the oldest steps go, undo and redo of the rest stay exact, and a saved
// state whose steps went leaves the score modified until it is saved again.
TEST(UndoProperty, ABoundedHistoryDropsTheOldestStepsAndKeepsTheRestExact) {
    int dropped = 0, droppedCleanPoints = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        UndoRun run(seed, 8 * 1024);
        run.Run(400);
        dropped += run.dropped;
        droppedCleanPoints += run.droppedCleanPoints;
    }
    EXPECT_GT(dropped, 0);
    EXPECT_GT(droppedCleanPoints, 0);
}

// Saving moves the clean point; New and Open start a new history.
TEST(UndoProperty, NewAndOpenClearTheHistory) {
    ViewHarness h;
    h.Keys({'5', vk::kDown, '6'});
    ASSERT_TRUE(h.v().CanUndo());
    h.dialogs.Expect(res::kDlgSavePrompt, {UA::Press(CSavePromptDialog::kNo)});
    h.v().OnCommand(cmd::kNew);
    EXPECT_FALSE(h.v().CanUndo());
    EXPECT_FALSE(h.v().CanRedo());
    EXPECT_EQ(h.v().Modified(), 0);
}

}  // namespace
}  // namespace tabrella::test
