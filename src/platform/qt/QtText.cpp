#include "platform/qt/QtText.h"

#include "resources/Sjis.h"

namespace tabrella::qt {

QString FromSjis(std::string_view sjis) {
    const std::string utf8 = SjisToUtf8(sjis);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToSjis(const QString& text) {
    return Utf8ToSjis(text.toStdString());
}

}  // namespace tabrella::qt
