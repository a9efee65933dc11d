// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Modal dialogs as small classes with a data exchange, run by the platform's host.
// The host builds the controls from the dialog's resource template, calls OnInitDialog,
// forwards button presses and timer ticks, and returns what End() was given. Esc and the
// close box call OnCancel, which reads nothing back.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Progress.h"

namespace tabrella::platform {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The live controls of an open dialog. Texts are Shift-JIS.
// The words a refused input is answered with, Shift-JIS; the controls supply them.
struct RefusalTexts {
    std::string notShiftJis;
    std::string integerRequired;
    std::string integerRangeFormat;  // printf format taking the lower and upper bound
};

class IDialogControls {
  public:
    virtual ~IDialogControls() = default;
    virtual std::string GetText(int id) const = 0;
    // False when the control's text holds a character Shift-JIS cannot hold, which
    // GetText would turn into "?".
    virtual bool TextFitsSjis(int id) const = 0;
    virtual void SetText(int id, std::string_view sjis) = 0;
    virtual int GetCheck(int id) const = 0;
    virtual void SetCheck(int id, int state) = 0;
    virtual void ComboAppend(int id, std::string_view sjis) = 0;
    // Up-down control tied to an edit box: setting the position writes it into the box.
    virtual void SpinSetRange(int id, int lower, int upper) = 0;
    virtual void SpinSetPos(int id, int pos) = 0;
    virtual int GetSpinPos(int id) const = 0;
    virtual void StartTimer(int id, int intervalMs) = 0;
    // Shows a validation message and puts the focus on the control; the dialog stays open.
    virtual void RefuseInput(int controlId, std::string_view sjisMessage) = 0;
    virtual const RefusalTexts& Refusals() const = 0;
    virtual void End(int result) = 0;
};

// Copies fields into the controls (loading) or back (saving). Saving checks integers;
// the first refusal stops the exchange and keeps the dialog open.
class DataExchange {
  public:
    DataExchange(IDialogControls& controls, bool saving) : m_controls(controls), m_saving(saving) {}

    bool Saving() const { return m_saving; }
    bool Failed() const { return m_failed; }
    IDialogControls& Controls() { return m_controls; }

    // Refuses a text with a character Shift-JIS cannot hold, rather than store a "?".
    void Text(int id, std::string& field);
    void Int(int id, int& field);
    void IntInRange(int id, int& field, int lower, int upper);
    void Check(int id, int& field);

  private:
    IDialogControls& m_controls;
    bool m_saving;
    bool m_failed = false;
};

// Parses a whole integer as a dialog box would take it: optional blanks around an
// optional sign and decimal digits that fit in 32 bits. Anything else is refused.
std::optional<int> ParseDialogInt(std::string_view text);

class CDialog {
  public:
    explicit CDialog(int resourceId) : m_resourceId(resourceId) {}
    virtual ~CDialog() = default;

    int ResourceId() const { return m_resourceId; }

    virtual void OnInitDialog(IDialogControls& controls);
    virtual void OnButton(int id, IDialogControls& controls);
    virtual void OnTimer(int /*id*/, IDialogControls& /*controls*/) {}
    virtual void OnOK(IDialogControls& controls);
    virtual void OnCancel(IDialogControls& controls);

  protected:
    virtual void DoDataExchange(DataExchange& /*dx*/) {}
    bool UpdateData(IDialogControls& controls, bool save);

  private:
    int m_resourceId;
};

// Ok warns, Information reports; a YesNoQuestion defaults to No, so that Enter keeps
// things as they are.
enum class MessageBoxKind { Ok, YesNoQuestion, Information };

struct FileFilter {
    std::string label;    // Shift-JIS, e.g. "タブレラファイル (*.tbr)"
    std::string pattern;  // "*.tbr"
};

struct FileDialogRequest {
    bool save = false;
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // added when the typed name has none
    std::string initialName;       // Shift-JIS: a name made from the title, or empty
    bool confirmOverwrite = false;
    bool mustExist = false;
};

// The platform's logical-font record, kept by the font command between openings.
struct FontRecord {
    std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    std::uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    std::string faceName;  // Shift-JIS, at most 31 bytes
};

class IDialogHost {
  public:
    virtual ~IDialogHost() = default;
    // Runs the dialog modally; returns the result given to End(), kIdCancel for Esc/close.
    virtual int DoModal(CDialog& dialog) = 0;
    // Returns kIdOk, kIdYes or kIdNo.
    virtual int MessageBox(std::string_view sjisText, std::string_view sjisCaption,
                           MessageBoxKind kind) = 0;
    // A message about one file under the program's name: headline and reason are Shift-JIS,
    // the path is shown as the file system spells it (it may hold characters Shift-JIS
    // has not).
    virtual void FileMessageBox(std::string_view sjisHeadline, std::string_view nativePath,
                                std::string_view sjisReason) = 0;
    // The chosen full path as the file system names it, or nothing when cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    // Opens on `font`; on confirmation writes the choice back and returns true.
    virtual bool FontDialog(FontRecord& font) = 0;
    // A progress display with a cancel button for a long task, up while the result lives.
    // A host that shows nothing lets every task run to its end.
    virtual std::unique_ptr<IProgress> ShowProgress(std::string_view sjisText);
};

}  // namespace tabrella::platform
