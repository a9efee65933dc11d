// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/QtFonts.h"

#include <QStringList>
#include <algorithm>

#include "qt/QtText.h"
#include "resources/Texts.h"

namespace tabrella::qt {

void InstallFontSubstitutions() {
    using res::Txt;
    QFont::insertSubstitution(FromSjis(res::Sjis(Txt::FontGothic)), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(FromSjis(res::Sjis(Txt::FontPGothicHalf)),
                              QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(FromSjis(res::Sjis(Txt::FontPGothicFull)),
                              QStringLiteral("IPAPGothic"));
    // The brush face of the header texts; the Mincho face where the brush font is missing.
    QFont::insertSubstitutions(
        FromSjis(res::Sjis(Txt::FontBrush)),
        QStringList{QStringLiteral("KouzanBrushFont"), QStringLiteral("IPAMincho")});
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
