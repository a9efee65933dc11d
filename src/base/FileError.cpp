// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileError.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <utility>

#include "base/Sjis.h"

namespace tabrella {

std::string SystemReason(int errnum) {
    // The text follows the user's language when that locale speaks UTF-8; any other
    // encoding would be guessed wrong, so the C locale's English text is used instead.
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && std::strcmp(codeset, "UTF-8") == 0) return Utf8ToSjis(std::strerror(errnum));
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::string text = c ? strerror_l(errnum, c) : "error " + std::to_string(errnum);
    if (c) freelocale(c);
    return text;
}

FileError MakeFileError(std::string_view path, int errnum) {
    if (errnum == kNotRegularFile) return {std::string(path), FileFault::NotRegularFile};
    return {std::string(path), FileFault::System, errnum};
}

FileError ForeignFileError(std::string_view path, std::string detail) {
    return {std::string(path), FileFault::Foreign, 0, std::move(detail)};
}

}  // namespace tabrella
