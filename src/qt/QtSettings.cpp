// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtSettings.h"

#include "qt/QtText.h"

namespace tabrella::qt {
namespace {

QString Key(std::string_view key) {
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QtSettings::QtSettings()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Tabrella"),
                                             QStringLiteral("Tabrella"))) {
    m_readable = m_settings->status() == QSettings::NoError;
}

QtSettings::QtSettings(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {
    m_readable = m_settings->status() == QSettings::NoError;
}

QtSettings::~QtSettings() = default;

std::optional<std::string> QtSettings::Value(std::string_view key) const {
    if (!m_readable) return std::nullopt;
    const QVariant value = m_settings->value(Key(key));
    // A list or a number where a text belongs was not written by the program.
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return ToSjis(value.toString());
}

void QtSettings::SetValue(std::string_view key, std::string_view value) {
    m_settings->setValue(Key(key), FromSjis(value));
}

std::optional<std::string> QtSettings::PathValue(std::string_view key) const {
    if (!m_readable) return std::nullopt;
    const QVariant value = m_settings->value(Key(key));
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return ToNativePath(value.toString());
}

void QtSettings::SetPathValue(std::string_view key, std::string_view path) {
    m_settings->setValue(Key(key), FromNativePath(path));
}

void QtSettings::Remove(std::string_view key) {
    m_settings->remove(Key(key));
}

}  // namespace tabrella::qt
