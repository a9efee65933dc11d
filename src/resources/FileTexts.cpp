#include "resources/FileTexts.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "resources/Sjis.h"

namespace tabrella::res {
namespace {

constexpr std::array<std::string_view, static_cast<size_t>(FileTxt::Count)> kUtf8Texts = {
    "タブレラファイル (*.tbr)",
    "テキストファイル (*.txt)",
    "ファイルを保存できませんでした。",
    "ファイルを開けませんでした。",
};

}  // namespace

const std::string& Sjis(FileTxt id) {
    static const auto texts = Utf8ToSjisAll(kUtf8Texts);
    return texts.at(static_cast<size_t>(id));
}

}  // namespace tabrella::res
