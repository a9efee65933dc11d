// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Qt edge of the text rule: Shift-JIS inside, QString only for showing and reading.
#include <QString>
#include <string>
#include <string_view>

namespace tabrella::qt {

QString FromSjis(std::string_view sjis);
std::string ToSjis(const QString& text);
// False when `text` holds a character that Shift-JIS has not (ToSjis would make it "?").
bool FitsSjis(const QString& text);

// File names pass between Qt and the file system unconverted in meaning: the bytes the
// file system uses, whatever script they are in.
QString FromNativePath(std::string_view path);
std::string ToNativePath(const QString& path);

}  // namespace tabrella::qt
