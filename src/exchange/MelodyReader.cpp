// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/MelodyReader.h"

#include <charconv>
#include <cstdio>

#include "base/Sjis.h"
#include "exchange/AudioMelody.h"
#include "platform/Task.h"

namespace tabrella::exchange {
namespace {

unsigned char At(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = At(s, i);
        const size_t n = b < 0x80           ? 1
                         : (b >> 5) == 0x6  ? 2
                         : (b >> 4) == 0xE  ? 3
                         : (b >> 3) == 0x1E ? 4
                                            : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            if ((At(s, i + k) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

bool IsSjis(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!IsSjisLeadByte(At(s, i))) continue;
        if (++i >= s.size()) return false;
        const unsigned char trail = At(s, i);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
    }
    return true;
}

// A whole number made of digits only, or -1.
int Number(std::string_view digits) {
    int value = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
                   digits[0] != '-'
               ? value
               : -1;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// MusicXML may start with a byte order mark and blank lines before its first tag.
bool LooksLikeXml(std::string_view bytes) {
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) return true;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '<';
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsSjisLeadByte(At(a, i))) {
            // The trail byte may look like an ASCII letter: it is compared as it is.
            if (i + 1 >= a.size() || a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        const auto lower = [](unsigned char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
        };
        if (lower(At(a, i)) != lower(At(b, i))) return false;
    }
    return true;
}

TrackChoice TrackChoice::Parse(std::string_view sjis) {
    TrackChoice choice;
    if (sjis.empty()) return choice;
    if (const int n = Number(sjis); n >= 1) {
        choice.kind = Kind::Number;
        choice.number = n;
        return choice;
    }
    if (sjis.size() > 2 && (sjis[0] == 'c' || sjis[0] == 'C') &&
        (sjis[1] == 'h' || sjis[1] == 'H')) {
        if (const int n = Number(sjis.substr(2)); n >= 1 && n <= 16) {
            choice.kind = Kind::Channel;
            choice.number = n;
            return choice;
        }
    }
    choice.kind = Kind::Name;
    choice.name = std::string(sjis);
    return choice;
}

std::string ForeignText(std::string_view bytes) {
    std::string text;
    if (IsAscii(bytes)) {
        text = std::string(bytes);
    } else if (IsUtf8(bytes)) {
        text = Utf8ToSjis(bytes);
    } else if (IsSjis(bytes)) {
        text = std::string(bytes);
    } else {
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) text += c;
        }
    }
    // Trail bytes of Shift-JIS are never control characters, so bytes can be looked at
    // one by one.
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string CharactersOutsideSjis(std::string_view bytes) {
    if (IsAscii(bytes) || !IsUtf8(bytes)) return {};
    std::string named;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char b = At(bytes, i);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : 4;
        const std::string_view one = bytes.substr(i, n);
        i += n;
        if (n == 1 || Utf8ToSjis(one) != "?") continue;
        char32_t code = b & (0xFF >> (n + 1));
        for (size_t k = 1; k < n; ++k) code = (code << 6) | (At(one, k) & 0x3F);
        char text[16];
        std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
        named += (named.empty() ? "" : " ") + std::string(text);
    }
    return named;
}

platform::MelodyRead TooLarge(platform::MelodyLimit limit, const ReadLimits& limits) {
    platform::MelodyRead read;
    read.fault = platform::MelodyFault::TooLarge;
    read.limit = limit;
    read.most = limits.Most(limit);
    return read;
}

platform::MelodyRead MelodyReader::Read(std::string_view bytes, std::string_view track,
                                        platform::TaskState* task) {
    const TrackChoice choice = TrackChoice::Parse(track);
    // The readers stop at their platform::StopPoint()s, which see this task.
    const platform::TaskScope scope(task);
    try {
        if (StartsWith(bytes, "MThd")) return ReadMidiMelody(bytes, choice, m_limits);
        if (StartsWith(bytes, "PK\x03\x04") || LooksLikeXml(bytes)) {
            return ReadMusicXmlMelody(bytes, choice, m_limits);
        }
    } catch (const platform::TaskStopped&) {
        return {platform::MelodyFault::Stopped, {}};
    }
    return {platform::MelodyFault::UnknownKind, {}};
}

platform::MelodyRead MelodyReader::ReadRecording(const std::string& nativePath, double tempo,
                                                 const std::function<bool(long, long)>& progress) {
    return ReadAudioMelody(nativePath, tempo, progress);
}

}  // namespace tabrella::exchange
