// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text table in every language, each converted to Shift-JIS once; lookups answer in the
// language of the run.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/Sjis.h"
#include "resources/Language.h"

namespace tabrella::res {

template <std::size_t N>
class LocalizedTable {
  public:
    LocalizedTable(const std::array<std::string_view, N>& japanese,
                   const std::array<std::string_view, N>& english)
        : m_tables{Utf8ToSjisAll(japanese), Utf8ToSjisAll(english)} {}

    const std::string& At(std::size_t index) const {
        return m_tables.at(static_cast<std::size_t>(CurrentLanguage())).at(index);
    }

  private:
    std::array<std::array<std::string, N>, kLanguageCount> m_tables;
};

}  // namespace tabrella::res
