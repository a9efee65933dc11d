#include "app/AppInfo.h"

namespace tabrella::app {

QString Version() { return QStringLiteral(TABRELLA_VERSION); }

QString AboutText() {
    return QStringLiteral("<b>タブレラ (Tabrella)</b> バージョン %1<br><br>"
                          "十三弦の箏の縦譜を打ち込み、聴き、印刷するためのエディタ。<br>"
                          "Qt と FluidSynth を使って作られています。")
        .arg(Version());
}

}  // namespace tabrella::app
