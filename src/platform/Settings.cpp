// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Settings.h"

namespace tabrella::platform {

std::optional<std::string> MemorySettings::Value(std::string_view key) const {
    auto it = m_values.find(key);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

void MemorySettings::SetValue(std::string_view key, std::string_view value) {
    m_values.insert_or_assign(std::string(key), std::string(value));
}

void MemorySettings::Remove(std::string_view key) {
    auto it = m_values.find(key);
    if (it != m_values.end()) m_values.erase(it);
}

}  // namespace tabrella::platform
