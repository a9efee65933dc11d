// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user store of what the program keeps between runs: texts by key. The window
// keeps one on disk; tests and batch work use the one in memory, so they never read or
// change the user's own settings.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tabrella::platform {

class ISettings {
  public:
    virtual ~ISettings() = default;
    // Nothing when the key was never stored (or the store could not be read).
    virtual std::optional<std::string> Value(std::string_view key) const = 0;
    virtual void SetValue(std::string_view key, std::string_view value) = 0;
    // A file or folder path, kept in the file system's own bytes rather than as a text.
    virtual std::optional<std::string> PathValue(std::string_view key) const = 0;
    virtual void SetPathValue(std::string_view key, std::string_view path) = 0;
    virtual void Remove(std::string_view key) = 0;
};

class MemorySettings : public ISettings {
  public:
    std::optional<std::string> Value(std::string_view key) const override;
    void SetValue(std::string_view key, std::string_view value) override;
    std::optional<std::string> PathValue(std::string_view key) const override { return Value(key); }
    void SetPathValue(std::string_view key, std::string_view path) override { SetValue(key, path); }
    void Remove(std::string_view key) override;

  private:
    std::map<std::string, std::string, std::less<>> m_values;
};

}  // namespace tabrella::platform
