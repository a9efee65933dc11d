// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Sjis.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tabrella {
namespace {

// One converter per direction and thread, opened on first use: opening one costs far more
// than converting a short text.
class Converter {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    // Back to the initial shift state, as a fresh converter would be.
    iconv_t Fresh() {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

  private:
    iconv_t m_cd;
};

// Converts with iconv, replacing each unconvertible or invalid input unit with `replacement`.
// `skip` tells how many bytes to skip for an invalid sequence (one character).
template <typename SkipFn>
std::string Convert(Converter& converter, std::string_view input, std::string_view replacement,
                    SkipFn skip) {
    iconv_t cd = converter.Fresh();
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: one bad character; replace it and go on.
            size_t n = skip(std::string_view(in, inLeft));
            in += n;
            inLeft -= n;
            out.append(replacement);
        }
    }
    return out;
}

size_t Utf8CharLength(std::string_view s) {
    const auto b = static_cast<unsigned char>(s.front());
    size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    return n <= s.size() ? n : s.size();
}

size_t SjisCharLength(std::string_view s) {
    return IsSjisLeadByte(static_cast<unsigned char>(s.front())) && s.size() >= 2 ? 2 : 1;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    thread_local Converter converter("CP932", "UTF-8");
    return Convert(converter, utf8, "?", Utf8CharLength);
}

std::string SjisToUtf8(std::string_view sjis) {
    thread_local Converter converter("UTF-8", "CP932");
    return Convert(converter, sjis, "\xEF\xBF\xBD", SjisCharLength);
}

std::string ClampSjis(std::string text, size_t limit) {
    size_t end = 0;
    while (end < text.size()) {
        size_t width = IsSjisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > limit || end + width > text.size()) break;
        end += width;
    }
    text.resize(end);
    return text;
}

}  // namespace tabrella
