// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialog templates: the controls of every dialog with ids, texts, kinds and places in
// dialog units, as a resource script would hold them. The platform builds real dialogs
// from these; the dialog classes only know control ids.
#include <string>
#include <vector>

#include "platform/Dialog.h"

namespace tabrella::res {

enum class ControlKind {
    Static,
    Edit,
    Spin,  // up-down control; `buddy` names its edit box
    Button,
    DefaultButton,  // chosen by Enter
    CheckBox,
    ComboBox,  // drop-down with an edit field; typed text is kept as typed
    GroupBox,
};

struct ControlTemplate {
    int id;  // -1 for controls without an id
    ControlKind kind;
    std::string text;  // Shift-JIS
    int x, y, width, height;
    int buddy = 0;
};

struct DialogTemplate {
    int id;
    std::string caption;   // Shift-JIS
    int width, height;     // dialog units
    std::string fontFace;  // Shift-JIS
    int fontPoints;
    std::vector<ControlTemplate> controls;  // in tab order
};

inline constexpr int kDlgSavePrompt = 102;
inline constexpr int kDlgSavedNotice = 133;
inline constexpr int kDlgTitle = 134;
inline constexpr int kDlgTuning = 136;
inline constexpr int kDlgTempo = 137;
inline constexpr int kDlgRange = 139;
inline constexpr int kDlgPaste = 141;
inline constexpr int kDlgPlaySpeed = 160;
inline constexpr int kDlgRecovery = 170;
inline constexpr int kDlgImport = 171;

// The template of a dialog resource, or nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// How the dialogs answer a refused input.
const platform::RefusalTexts& InputRefusals();

}  // namespace tabrella::res
