// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/RecoveryTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "resources/Localized.h"

namespace tabrella::res {
namespace {

constexpr std::size_t kCount = static_cast<std::size_t>(RecoveryTxt::Count);

constexpr std::array<std::string_view, kCount> kJapanese = {
    "無題",
    "ファイル: %s",
    "最後の変更: %s",
    "使ったマス: %d",
    "読めない控えです: ",
    "復元用の控えを書けません: ",
    "このファイルは、開いた後（または保存した後）に他で変更されています。上書きしますか？",
};

constexpr std::array<std::string_view, kCount> kEnglish = {
    "Untitled",
    "File: %s",
    "Last change: %s",
    "Cells used: %d",
    "Unreadable copy: ",
    "Recovery copies cannot be written: ",
    "The file was changed on disk after this score was last opened or saved. Overwrite it?",
};

}  // namespace

const std::string& Sjis(RecoveryTxt id) {
    static const LocalizedTable texts(kJapanese, kEnglish);
    return texts.At(static_cast<std::size_t>(id));
}

}  // namespace tabrella::res
