// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InterfaceLanguage.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdlib>

#include "resources/CommandIds.h"
#include "score/Remembered.h"

namespace tabrella::app {
namespace {

// The value of --lang, looked at before the command line is parsed, since --help already
// speaks the language; a wrong value is left to the parser to refuse.
std::optional<res::Language> LanguageOption(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString value;
        if (a.startsWith(QLatin1String("--lang="))) {
            value = a.mid(7);
        } else if (a == QLatin1String("--lang") && i + 1 < arguments.size()) {
            value = arguments[i + 1];
        } else {
            continue;
        }
        return res::LanguageOfCode(value.toStdString());
    }
    return std::nullopt;
}

}  // namespace

res::Language ChooseLanguage(const QStringList& arguments, const platform::ISettings* settings) {
    if (const auto chosen = LanguageOption(arguments)) return *chosen;
    if (settings) {
        if (const auto stored = res::LanguageOfCode(ReadRemembered(*settings).language)) {
            return *stored;
        }
    }
    return res::LanguageOfLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                 std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void InstallQtTranslation(QTranslator& translator, res::Language language) {
    if (language != res::Language::Japanese) return;
    // Qt's own buttons (はい, いいえ, キャンセル) in Japanese.
    if (translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
}

std::string LanguageCodeTicked(const QStringList& arguments, const std::string& remembered) {
    if (const auto chosen = LanguageOption(arguments)) return std::string(res::CodeOf(*chosen));
    return remembered;
}

std::optional<std::string> LanguageCodeOfCommand(int id) {
    switch (id) {
        case cmd::kLanguageSystem:
            return std::string();
        case cmd::kLanguageJapanese:
            return std::string(res::CodeOf(res::Language::Japanese));
        case cmd::kLanguageEnglish:
            return std::string(res::CodeOf(res::Language::English));
        default:
            return std::nullopt;
    }
}

}  // namespace tabrella::app
