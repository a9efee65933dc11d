// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtText.h"

#include <QFile>
#include <algorithm>

#include "base/Sjis.h"

namespace tabrella::qt {

QString FromSjis(std::string_view sjis) {
    const std::string utf8 = SjisToUtf8(sjis);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToSjis(const QString& text) {
    return Utf8ToSjis(text.toStdString());
}

bool FitsSjis(const QString& text) {
    // The converter writes "?" for each character it cannot map; "?" is never part of a
    // two-byte character, so counting them tells.
    const std::string utf8 = text.toStdString();
    const std::string sjis = Utf8ToSjis(utf8);
    return std::count(sjis.begin(), sjis.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
}

QString FromNativePath(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToNativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace tabrella::qt
