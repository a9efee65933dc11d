// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store of the window on disk, through QSettings. Texts are Shift-JIS inside
// and UTF-8 in the file, so the file stays readable.
#include <QSettings>
#include <QString>
#include <memory>

#include "platform/Settings.h"

namespace tabrella::qt {

class QtSettings : public platform::ISettings {
  public:
    // The user's own store: Tabrella/Tabrella.ini in the user's configuration folder.
    QtSettings();
    // A store in the named file (tests keep theirs in a temporary folder).
    explicit QtSettings(const QString& iniPath);
    ~QtSettings() override;

    std::optional<std::string> Value(std::string_view key) const override;
    void SetValue(std::string_view key, std::string_view value) override;
    std::optional<std::string> PathValue(std::string_view key) const override;
    void SetPathValue(std::string_view key, std::string_view path) override;
    void Remove(std::string_view key) override;

  private:
    std::unique_ptr<QSettings> m_settings;
    // A file that could not be read gives the defaults; what is written replaces it.
    bool m_readable = true;
};

}  // namespace tabrella::qt
