#pragma once
#include <QString>

class QTranslator;

namespace tabrella::app {

// The version the build was made from.
QString Version();
// The about box's text: name, version and credit line.
QString AboutText();

// The help page of a program that lives in `programFolder`: where installing puts it
// relative to the program, so a moved or differently installed program finds its own.
QString HelpPagePath(const QString& programFolder);

// What the running application needs before its first window: its names, the font
// substitutions and Qt's own texts in Japanese (loaded into `translator`, which must live
// as long as the application).
void SetUpApplication(QTranslator& translator);

}  // namespace tabrella::app
