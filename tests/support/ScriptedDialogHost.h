// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dialog host that runs the real dialog classes against in-memory controls built from
// their resource templates, following a script of user actions per dialog.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "resources/DialogResources.h"

namespace tabrella::test {

struct UserAction {
    enum Kind { Type, SetCheck, Click, Enter, Escape, Timer, SpinUp, SpinDown, Pick };
    Kind kind;
    int id = 0;
    std::string text;  // Shift-JIS, for Type
    int value = 0;     // for SetCheck and Pick (list index)

    static UserAction TypeText(int id, std::string sjis) { return {Type, id, std::move(sjis)}; }
    static UserAction Check(int id, int state) { return {SetCheck, id, {}, state}; }
    static UserAction Press(int id) { return {Click, id}; }
    static UserAction PressEnter() { return {Enter}; }
    static UserAction PressEscape() { return {Escape}; }
    static UserAction Tick(int id) { return {Timer, id}; }
    static UserAction Up(int spinId) { return {SpinUp, spinId}; }
    static UserAction Down(int spinId) { return {SpinDown, spinId}; }
    static UserAction Choose(int comboId, int index) { return {Pick, comboId, {}, index}; }
};

// The controls of one open dialog, as the fake host keeps them.
class FakeControls : public platform::IDialogControls {
  public:
    explicit FakeControls(const res::DialogTemplate* tmpl) : m_template(tmpl) {}

    std::string GetText(int id) const override;
    bool TextFitsSjis(int id) const override { return notSjis.count(id) == 0; }
    void SetText(int id, std::string_view sjis) override { texts[id] = std::string(sjis); }
    int GetCheck(int id) const override;
    void SetCheck(int id, int state) override { checks[id] = state; }
    void ComboAppend(int id, std::string_view sjis) override { lists[id].emplace_back(sjis); }
    void SpinSetRange(int id, int lower, int upper) override;
    void SpinSetPos(int id, int pos) override;
    int GetSpinPos(int id) const override;
    void StartTimer(int id, int intervalMs) override { timers[id] = intervalMs; }
    void RefuseInput(int controlId, std::string_view sjisMessage) override;
    const platform::RefusalTexts& Refusals() const override { return res::InputRefusals(); }
    void End(int result) override { ended = result; }

    // Arrow of an up-down control: steps its position within the range.
    void Step(int spinId, int delta);

    std::map<int, std::string> texts;
    std::set<int> notSjis;  // controls whose typed text Shift-JIS cannot hold
    std::map<int, int> checks;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, std::pair<int, int>> spinRanges;
    std::map<int, int> spinPos;
    std::map<int, int> timers;
    std::vector<std::string> refusals;
    std::vector<int> refusedControls;
    std::optional<int> ended;

  private:
    int BuddyOf(int spinId) const;
    const res::DialogTemplate* m_template;
};

class ScriptedDialogHost : public platform::IDialogHost {
  public:
    struct Shown {
        int resourceId;
        FakeControls controlsAtOpen;  // the controls right after OnInitDialog
        FakeControls controlsAtEnd;
        int result;
    };
    struct Message {
        std::string text;
        std::string caption;
        platform::MessageBoxKind kind;
    };

    // Queues the actions of the next run of dialog `resourceId`.
    void Expect(int resourceId, std::vector<UserAction> actions);
    void AnswerMessage(int answer) { m_messageAnswers.push_back(answer); }
    void AnswerFile(std::optional<std::string> path) { m_fileAnswers.push_back(std::move(path)); }
    void AnswerFont(std::optional<std::string> face) { m_fontAnswers.push_back(std::move(face)); }
    bool AllScriptsUsed() const {
        return m_scripts.empty() && m_messageAnswers.empty() && m_fileAnswers.empty() &&
               m_fontAnswers.empty();
    }

    int DoModal(platform::CDialog& dialog) override;
    int MessageBox(std::string_view text, std::string_view caption,
                   platform::MessageBoxKind kind) override;
    // Recorded as one message of three lines, headline, path and reason, under the
    // program's name as the real host shows it.
    void FileMessageBox(std::string_view headline, std::string_view path,
                        std::string_view reason) override {
        MessageBox(std::string(headline) + "\n" + std::string(path) + "\n" + std::string(reason),
                   "Tabrella", platform::MessageBoxKind::Ok);
    }
    std::optional<std::string> FileDialog(const platform::FileDialogRequest& request) override;
    bool FontDialog(platform::FontRecord& font) override;
    // Records the text; the progress it gives cancels at its call `cancelAtStep` (1 is the
    // first), or never when that is 0, and so does the progress shown as the
    // `cancelProgress`th (from 1) at its first call. `progressSteps` counts the calls.
    std::unique_ptr<platform::IProgress> ShowProgress(std::string_view sjisText) override;
    std::vector<std::string> progressTexts;
    int cancelAtStep = 0;
    std::size_t cancelProgress = 0;
    int progressSteps = 0;

    // Answers made up as each dialog opens, for when nothing is queued (a soak test decides
    // as it goes). Without them an unscripted dialog is a test failure.
    std::function<std::vector<UserAction>(int resourceId)> onDialog;
    std::function<int(const Message&)> onMessage;
    std::function<std::optional<std::string>(const platform::FileDialogRequest&)> onFile;
    std::function<std::optional<std::string>()> onFont;

    // Controls whose typed text stands for one Shift-JIS cannot hold, in every dialog.
    std::set<int> notSjisTexts;
    std::vector<Shown> shown;
    std::vector<Message> messages;
    std::vector<platform::FileDialogRequest> fileRequests;
    std::vector<platform::FontRecord> fontRequests;

  private:
    std::deque<std::pair<int, std::vector<UserAction>>> m_scripts;
    std::deque<int> m_messageAnswers;
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::deque<std::optional<std::string>> m_fontAnswers;
};

}  // namespace tabrella::test
