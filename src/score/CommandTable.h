// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one table from command id to the view operation that carries it out. Menus,
// toolbar buttons, accelerators and keys all send ids through it.
#include <span>

namespace tabrella {

class CTabrellaView;

struct CommandEntry {
    int id;
    void (*run)(CTabrellaView& view);
    bool (*checked)(const CTabrellaView& view) = nullptr;  // check mark rule, if any
    bool (*enabled)(const CTabrellaView& view) = nullptr;  // when it may run; always if none
    // May change what Save writes: the view records what it changed as one undo step.
    bool edits = false;
};

std::span<const CommandEntry> CommandTable();
const CommandEntry* FindCommand(int id);

}  // namespace tabrella
