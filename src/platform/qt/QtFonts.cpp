#include "platform/qt/QtFonts.h"

#include <QStringList>
#include <algorithm>

#include "platform/qt/QtText.h"

namespace tabrella::qt {

void InstallFontSubstitutions() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Pゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitutions(QStringLiteral("HG正楷書体-PRO"),
                               QStringList{QStringLiteral("KouzanBrushFont"),
                                           QStringLiteral("IPAMincho")});
}

QFont LayoutFont(std::string_view sjisFace, int weight, int pixelSize) {
    QFont font(FromSjis(sjisFace));
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 100, 900)));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setKerning(false);
    return font;
}

}  // namespace tabrella::qt
