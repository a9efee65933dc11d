// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main frame's resources: menu tree, toolbar, accelerators and status-bar strings.
// Texts are Shift-JIS; a menu text may carry "\t" followed by the shortcut shown.
#include <string>
#include <vector>

namespace tabrella::res {

struct MenuItem {
    std::string text;  // Shift-JIS; empty for a separator
    int id = 0;        // 0 for a popup or a separator
    std::vector<MenuItem> popup;
    bool IsSeparator() const { return text.empty() && id == 0; }
};

// Ids of the popups, by which the languages' tables name them.
namespace menu {
inline constexpr int kFile = 1, kEdit = 2, kView = 3, kFont = 4, kZoom = 5, kLanguage = 6,
                     kPlay = 7, kHelp = 8;
}

// Top-level popups in order, in the language of the run.
const std::vector<MenuItem>& MainMenu();

// Toolbar buttons in order; id 0 is a separator.
const std::vector<int>& ToolbarButtons();

enum KeyModifier { kNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

struct Accelerator {
    int modifiers;   // KeyModifier bits
    int virtualKey;  // a code of resources/KeyCodes.h
    int id;
};
const std::vector<Accelerator>& Accelerators();

struct CommandStrings {
    std::string prompt;   // status-bar prompt (Shift-JIS)
    std::string tooltip;  // empty when the command has none
};
// The prompt and tooltip of a command; both empty for an id without a string.
CommandStrings StringsOfCommand(int id);

// Status-bar indicators after the message pane, and the idle message.
const std::vector<std::string>& StatusIndicators();
const std::string& IdleMessage();

}  // namespace tabrella::res
