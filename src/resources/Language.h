// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language of the interface: chosen once at start-up, before the first text is
// shown, and the same for the rest of the run. The score and its file are not affected.
#include <optional>
#include <string_view>

namespace tabrella::res {

enum class Language { Japanese, English };
inline constexpr int kLanguageCount = 2;

Language CurrentLanguage();
void SetLanguage(Language language);

// "ja" or "en" (the --lang values and the stored choice); nothing for anything else.
std::optional<Language> LanguageOfCode(std::string_view code);
std::string_view CodeOf(Language language);

// The language the locale asks for, by the environment variables' values (nullptr when
// unset): Japanese for a Japanese locale and for C and POSIX, English for any other.
Language LanguageOfLocale(const char* language, const char* lcAll, const char* lcMessages,
                          const char* lang);

}  // namespace tabrella::res
