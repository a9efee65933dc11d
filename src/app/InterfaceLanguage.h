// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which language the interface speaks in this run, and the View menu's choice of it.
#include <QStringList>
#include <optional>
#include <string>

#include "platform/Settings.h"
#include "resources/Language.h"

class QTranslator;

namespace tabrella::app {

// --lang when given; else the choice remembered in `settings` (nullptr for batch work,
// which never reads the user's settings); else what the locale asks for.
res::Language ChooseLanguage(const QStringList& arguments, const platform::ISettings* settings);

// Qt's own texts (buttons, its dialogs) in the language; English needs none.
void InstallQtTranslation(QTranslator& translator, res::Language language);

// The code a language command of the View menu stores ("" to follow the locale), or
// nothing for any other command.
std::optional<std::string> LanguageCodeOfCommand(int id);

// The code the View menu ticks at start: the remembered choice, unless --lang chose the
// language of this run, then that one.
std::string LanguageCodeTicked(const QStringList& arguments, const std::string& remembered);

}  // namespace tabrella::app
