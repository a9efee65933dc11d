// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedDialogHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace tabrella::test {

std::string FakeControls::GetText(int id) const {
    auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

int FakeControls::GetCheck(int id) const {
    auto it = checks.find(id);
    return it == checks.end() ? 0 : it->second;
}

int FakeControls::BuddyOf(int spinId) const {
    if (!m_template) return 0;
    for (const res::ControlTemplate& c : m_template->controls) {
        if (c.id == spinId) return c.buddy;
    }
    return 0;
}

void FakeControls::SpinSetRange(int id, int lower, int upper) {
    spinRanges[id] = {lower, upper};
}

void FakeControls::SpinSetPos(int id, int pos) {
    spinPos[id] = pos;
    if (int buddy = BuddyOf(id)) texts[buddy] = std::to_string(pos);
}

int FakeControls::GetSpinPos(int id) const {
    // An up-down control reads its position back from the buddy's text when it parses.
    if (int buddy = BuddyOf(id)) {
        if (auto v = platform::ParseDialogInt(GetText(buddy))) return *v;
    }
    auto it = spinPos.find(id);
    return it == spinPos.end() ? 0 : it->second;
}

void FakeControls::Step(int spinId, int delta) {
    auto range = spinRanges.count(spinId) ? spinRanges[spinId] : std::pair<int, int>{0, 100};
    const int lo = std::min(range.first, range.second);
    const int hi = std::max(range.first, range.second);
    SpinSetPos(spinId, std::clamp(GetSpinPos(spinId) + delta, lo, hi));
}

void FakeControls::RefuseInput(int controlId, std::string_view sjisMessage) {
    refusals.emplace_back(sjisMessage);
    refusedControls.push_back(controlId);
}

void ScriptedDialogHost::Expect(int resourceId, std::vector<UserAction> actions) {
    m_scripts.emplace_back(resourceId, std::move(actions));
}

int ScriptedDialogHost::DoModal(platform::CDialog& dialog) {
    const res::DialogTemplate* tmpl = res::FindDialogTemplate(dialog.ResourceId());
    EXPECT_NE(tmpl, nullptr) << "dialog " << dialog.ResourceId() << " has no template";
    std::vector<UserAction> actions;
    if (!m_scripts.empty()) {
        int expectedId = 0;
        std::tie(expectedId, actions) = m_scripts.front();
        m_scripts.pop_front();
        EXPECT_EQ(expectedId, dialog.ResourceId()) << "a different dialog opened";
    } else if (onDialog) {
        actions = onDialog(dialog.ResourceId());
    } else {
        ADD_FAILURE() << "dialog " << dialog.ResourceId() << " opened without a script";
        return platform::kIdCancel;
    }

    FakeControls controls(tmpl);
    controls.notSjis = notSjisTexts;
    dialog.OnInitDialog(controls);
    const FakeControls atOpen = controls;
    for (const UserAction& a : actions) {
        if (controls.ended) break;
        switch (a.kind) {
            case UserAction::Type:
                controls.SetText(a.id, a.text);
                break;
            case UserAction::SetCheck:
                controls.SetCheck(a.id, a.value);
                break;
            case UserAction::Click:
                dialog.OnButton(a.id, controls);
                break;
            case UserAction::Enter: {
                int id = platform::kIdOk;
                for (const res::ControlTemplate& c : tmpl->controls) {
                    if (c.kind == res::ControlKind::DefaultButton) id = c.id;
                }
                dialog.OnButton(id, controls);
                break;
            }
            case UserAction::Escape:
                dialog.OnCancel(controls);
                break;
            case UserAction::Timer:
                dialog.OnTimer(a.id, controls);
                break;
            case UserAction::SpinUp:
                controls.Step(a.id, +1);
                break;
            case UserAction::SpinDown:
                controls.Step(a.id, -1);
                break;
            case UserAction::Pick:
                controls.SetText(a.id, controls.lists[a.id].at(a.value));
                break;
        }
    }
    if (!controls.ended) {
        ADD_FAILURE() << "dialog " << dialog.ResourceId() << " still open after its script";
        controls.ended = platform::kIdCancel;
    }
    shown.push_back({dialog.ResourceId(), atOpen, controls, *controls.ended});
    return *controls.ended;
}

int ScriptedDialogHost::MessageBox(std::string_view text, std::string_view caption,
                                   platform::MessageBoxKind kind) {
    messages.push_back({std::string(text), std::string(caption), kind});
    if (m_messageAnswers.empty() && onMessage) return onMessage(messages.back());
    if (m_messageAnswers.empty()) {
        return kind == platform::MessageBoxKind::YesNoQuestion ? platform::kIdNo : platform::kIdOk;
    }
    int answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogHost::FileDialog(
    const platform::FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (m_fileAnswers.empty() && onFile) return onFile(request);
    if (m_fileAnswers.empty()) {
        ADD_FAILURE() << "file dialog opened without a scripted answer";
        return std::nullopt;
    }
    auto answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

std::unique_ptr<platform::IProgress> ScriptedDialogHost::ShowProgress(std::string_view sjisText) {
    struct Scripted : platform::IProgress {
        ScriptedDialogHost& host;
        bool cancelled;
        Scripted(ScriptedDialogHost& h, bool c) : host(h), cancelled(c) {}
        bool Continue(long, long) override {
            return ++host.progressSteps != host.cancelAtStep && !cancelled;
        }
    };
    progressTexts.emplace_back(sjisText);
    return std::make_unique<Scripted>(*this, progressTexts.size() == cancelProgress);
}

bool ScriptedDialogHost::FontDialog(platform::FontRecord& font) {
    fontRequests.push_back(font);
    std::optional<std::string> answer;
    if (!m_fontAnswers.empty()) {
        answer = m_fontAnswers.front();
        m_fontAnswers.pop_front();
    } else if (onFont) {
        answer = onFont();
    } else {
        ADD_FAILURE() << "font dialog opened without a scripted answer";
        return false;
    }
    if (!answer) return false;
    font.faceName = *answer;
    return true;
}

}  // namespace tabrella::test
