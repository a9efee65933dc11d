// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A view wired to the fakes, as every view-level test needs it.
#include <initializer_list>
#include <memory>

#include "score/CTabrellaView.h"
#include "support/FakePlatform.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogHost.h"

namespace tabrella::test {

struct ViewHarness {
    FakeWindow window;
    ScriptedDialogHost dialogs;
    FakeSequencer sequencer;
    std::unique_ptr<CTabrellaView> view =
        std::make_unique<CTabrellaView>(platform::Services{window, dialogs, sequencer});

    CTabrellaView& v() { return *view; }
    void Keys(std::initializer_list<int> keys) {
        for (int key : keys) view->OnKeyDown(key);
    }
    ScoreCell& Cell(int k) { return view->m_cells.at(static_cast<size_t>(k)); }
    // The paint pass that follows an invalidation in the real window.
    void Paint() {
        DrawLog log;
        RecordingSurface surface(log);
        view->OnPaint(surface);
    }
};

}  // namespace tabrella::test
