#pragma once
#include <QString>

namespace tabrella::app {

// The version the build was made from.
QString Version();
// The about box's text: name, version and credit line.
QString AboutText();

}  // namespace tabrella::app
