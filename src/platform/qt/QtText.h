#pragma once
// The Qt edge of the text rule: Shift-JIS inside, QString only for showing and reading.
#include <QString>
#include <string>
#include <string_view>

namespace tabrella::qt {

QString FromSjis(std::string_view sjis);
std::string ToSjis(const QString& text);

}  // namespace tabrella::qt
