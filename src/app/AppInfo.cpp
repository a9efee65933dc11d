// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppInfo.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <string_view>

#include "platform/qt/QtFonts.h"

namespace tabrella::app {

QString Version() {
    return QStringLiteral(TABRELLA_VERSION);
}

QString AboutText() {
    return QStringLiteral(
               "<b>タブレラ (Tabrella)</b> バージョン %1<br><br>"
               "十三弦の箏の縦譜を打ち込み、聴き、印刷するためのエディタ。<br>"
               "Qt と FluidSynth を使って作られています。")
        .arg(Version());
}

const char* PlatformForSession(const char* chosenPlatform, const char* sessionType,
                               const char* waylandDisplay, const char* x11Display) {
    if (chosenPlatform && *chosenPlatform) return nullptr;
    if (!x11Display || !*x11Display) return nullptr;
    const bool wayland = (sessionType && std::string_view(sessionType) == "wayland") ||
                         (waylandDisplay && *waylandDisplay);
    return wayland ? "xcb" : nullptr;
}

void SetUpApplication(QTranslator& translator) {
    QApplication::setApplicationName(QStringLiteral("Tabrella"));
    QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QApplication::setApplicationVersion(Version());
    qt::InstallFontSubstitutions();

    // Qt's own buttons (はい, いいえ, キャンセル) in Japanese.
    if (translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
}

}  // namespace tabrella::app
