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
    static const auto texts = [] {
        std::array<std::string, kUtf8Texts.size()> out;
        for (size_t i = 0; i < out.size(); ++i) out[i] = Utf8ToSjis(kUtf8Texts[i]);
        return out;
    }();
    return texts.at(static_cast<size_t>(id));
}

}  // namespace tabrella::res
