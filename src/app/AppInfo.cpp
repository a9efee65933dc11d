// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppInfo.h"

#include <QApplication>
#include <optional>
#include <string_view>

#include "app/InterfaceLanguage.h"
#include "qt/QtFonts.h"
#include "qt/QtSettings.h"
#include "qt/QtText.h"
#include "resources/ShellTexts.h"

namespace tabrella::app {

QString Version() {
    return QStringLiteral(TABRELLA_VERSION);
}

QString AboutText() {
    return qt::FromSjis(res::Sjis(res::ShellTxt::AboutText)).arg(Version());
}

const char* PlatformForSession(const char* chosenPlatform, const char* sessionType,
                               const char* waylandDisplay, const char* x11Display) {
    if (chosenPlatform && *chosenPlatform) return nullptr;
    if (!x11Display || !*x11Display) return nullptr;
    const bool wayland = (sessionType && std::string_view(sessionType) == "wayland") ||
                         (waylandDisplay && *waylandDisplay);
    return wayland ? "xcb" : nullptr;
}

void SetUpApplication(QTranslator& translator, bool readSettings) {
    QApplication::setApplicationName(QStringLiteral("Tabrella"));
    QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QApplication::setApplicationVersion(Version());
    qt::InstallFontSubstitutions();

    std::optional<qt::QtSettings> settings;
    if (readSettings) settings.emplace();
    const res::Language language =
        ChooseLanguage(QCoreApplication::arguments(), settings ? &*settings : nullptr);
    res::SetLanguage(language);
    InstallQtTranslation(translator, language);
}

}  // namespace tabrella::app
