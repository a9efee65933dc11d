// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/Language.h"

namespace tabrella::res {
namespace {

Language g_language = Language::Japanese;

bool Set(const char* value) {
    return value && *value;
}

// "ja_JP.UTF-8" -> "ja"; "C.UTF-8" -> "C".
std::string_view LanguagePart(std::string_view locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

}  // namespace

Language CurrentLanguage() {
    return g_language;
}

void SetLanguage(Language language) {
    g_language = language;
}

std::optional<Language> LanguageOfCode(std::string_view code) {
    if (code == "ja") return Language::Japanese;
    if (code == "en") return Language::English;
    return std::nullopt;
}

std::string_view CodeOf(Language language) {
    return language == Language::English ? "en" : "ja";
}

Language LanguageOfLocale(const char* language, const char* lcAll, const char* lcMessages,
                          const char* lang) {
    const char* locale = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : Set(lang) ? lang : "C";
    const std::string_view name = LanguagePart(locale);
    // As gettext does, LANGUAGE counts only when the locale is not C: scripts and tests
    // running under C keep the program's own Japanese whatever else is set.
    if (name == "C" || name == "POSIX") return Language::Japanese;
    if (Set(language)) {
        // A list of preferences, "fr:ja:en": the first one the program speaks wins.
        std::string_view list = language;
        while (!list.empty()) {
            const size_t colon = list.find(':');
            const std::string_view entry = LanguagePart(list.substr(0, colon));
            if (entry == "ja") return Language::Japanese;
            if (entry == "en") return Language::English;
            list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
        }
    }
    return name == "ja" ? Language::Japanese : Language::English;
}

}  // namespace tabrella::res
