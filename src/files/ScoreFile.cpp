// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading score files.
#include "files/ScoreFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "base/AtomicFile.h"
#include "base/FileRead.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/TuningTable.h"

namespace tabrella {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTitleWord = "Title";
constexpr std::string_view kNoTitleWord = "NULL";
constexpr std::size_t kMaxNumberChars = 11;  // "-2147483648"

// The reader looks at every byte of the file; a table keeps that to one load.
constexpr std::array<bool, 256> kWhiteSpace = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\r', '\n', '\v', '\f'}) table[c] = true;
    return table;
}();

bool IsWhiteSpace(char c) {
    return kWhiteSpace[static_cast<unsigned char>(c)];
}

bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// A word's value as WordValue gives it, from its first byte up to the first that is no
// part of the number; `end` is the end of the word. `whole` tells whether the word is an
// integer and nothing else: a sign at most, then digits. Inline: it runs for nearly every
// word.
inline std::int32_t ValueOf(const char* at, const char* end, bool* whole = nullptr) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    bool negative = false;
    if (at != end && (*at == '+' || *at == '-')) negative = *at++ == '-';
    const char* digits = at;
    // Held at 2^31 at most, so one more digit never overflows.
    std::int64_t value = 0;
    for (; at != end && *at >= '0' && *at <= '9'; ++at) {
        value = std::min(value * 10 + (*at - '0'), kLimit);
    }
    if (whole) *whole = at == end && at != digits;
    return static_cast<std::int32_t>(negative ? -value : std::min(value, kLimit - 1));
}

// Hands out the words of a text in order; lines mean nothing to it.
class WordReader {
  public:
    explicit WordReader(std::string_view text)
        : m_at(text.data()), m_end(text.data() + text.size()) {}

    std::optional<std::string_view> Next() {
        SkipWhiteSpace();
        if (m_at == m_end) return std::nullopt;
        const char* start = m_at;
        while (m_at != m_end && !IsWhiteSpace(*m_at)) ++m_at;
        return std::string_view(start, static_cast<size_t>(m_at - start));
    }

    // The next word's value; false at the end of the text, and also at the word "Title"
    // when `titleEnds`. The cell records are nearly all of a file, so their words are
    // read here in one pass rather than cut out first and read again. `whole` is cleared
    // by a word that is not an integer, except "Title" where it is the value 0.
    bool NextValue(std::int32_t& value, bool titleEnds, bool& whole) {
        SkipWhiteSpace();
        // Nearly every word is a few digits: read them as they come, and anything else
        // again from its start. Nine digits at most, so the value always fits.
        const char* start = m_at;
        std::int32_t digits = 0;
        for (; m_at != m_end && IsDigit(*m_at) && m_at - start < 9; ++m_at) {
            digits = digits * 10 + (*m_at - '0');
        }
        if (m_at != start && (m_at == m_end || IsWhiteSpace(*m_at))) {
            value = digits;
            return true;
        }
        m_at = start;
        return OtherValue(value, titleEnds, whole);
    }

  private:
    [[gnu::noinline]] bool OtherValue(std::int32_t& value, bool titleEnds, bool& whole) {
        if (m_at == m_end) return false;
        const char* start = m_at;
        while (m_at != m_end && !IsWhiteSpace(*m_at)) ++m_at;
        bool integer = true;
        value = ValueOf(start, m_at, &integer);
        if (!integer) {
            if (std::string_view(start, static_cast<size_t>(m_at - start)) == kTitleWord) {
                if (titleEnds) return false;
            } else {
                whole = false;
            }
        }
        return true;
    }

    void SkipWhiteSpace() {
        while (m_at != m_end && IsWhiteSpace(*m_at)) ++m_at;
    }

    const char* m_at;
    const char* m_end;
};

// A number as the file writes it (a minus sign, digits) and the space after it.
char* PutNumber(char* at, std::int32_t value) {
    if (value >= 0 && value < 10) {  // most fields of a cell
        *at++ = static_cast<char>('0' + value);
    } else {
        at = std::to_chars(at, at + kMaxNumberChars, value).ptr;
    }
    *at = ' ';
    return at + 1;
}

void AppendNumber(std::string& out, std::int32_t value) {
    char text[kMaxNumberChars + 1];
    out.append(text, PutNumber(text, value));
}

constexpr std::size_t kMaxCellLine = 7 * (kMaxNumberChars + 1) + kLineEnd.size();

// One cell line: seven numbers, each with its space, and the line end.
char* PutCellLine(char* at, const ScoreCell& cell) {
    for (int j = 1; j <= 7; ++j) at = PutNumber(at, cell.Field(j));
    return std::copy(kLineEnd.begin(), kLineEnd.end(), at);
}

// The cell lines, gathered a few kilobytes at a time: one append per line costs more than
// writing the line.
void AppendCellLines(std::string& out, const std::vector<ScoreCell>& cells) {
    char chunk[4096];
    char* at = chunk;
    for (const ScoreCell& cell : cells) {
        if (static_cast<std::size_t>(chunk + sizeof chunk - at) < kMaxCellLine) {
            out.append(chunk, at);
            at = chunk;
        }
        at = PutCellLine(at, cell);
    }
    out.append(chunk, at);
}

// Reads the cell records until "Title" or the end stands where one of the first six
// numbers of a record should be. The seventh word is taken whatever it is. A word that
// is no number marks the file as no score.
void ParseCells(WordReader& words, ScoreFileContent& c) {
    bool whole = true;
    ScoreCell beyond;  // a record past the last cell: read and counted, not kept
    for (long long k = 1;; ++k) {
        const bool kept = IsCellIndex(k);
        ScoreCell& cell = kept ? c.cells.emplace_back() : (beyond = ScoreCell{});
        for (int j = 1; j <= 6; ++j) {
            if (!words.NextValue(cell.Field(j), true, whole)) {
                if (kept && j == 1) c.cells.pop_back();
                c.notAScore = !whole;
                return;
            }
        }
        if (!words.NextValue(cell.split, false, whole)) cell.split = 0;
        ++c.records;
    }
}
}  // namespace

std::int32_t WordValue(std::string_view word) {
    return ValueOf(word.data(), word.data() + word.size());
}

std::string FormatScoreFile(const ScoreFileContent& c) {
    std::string out;
    // Most cell lines of a real score are 14 to 24 bytes long.
    const StoredSettings& s = c.settings;
    out.reserve(c.cells.size() * 24 + s.m_title.size() + s.m_tuningName.size() + 64);
    AppendCellLines(out, c.cells);
    out += kTitleWord;
    out += ' ';
    if (s.m_title.empty()) {
        out += kNoTitleWord;
        out += ' ';
    } else {
        out += s.m_title;
    }
    out += kLineEnd;
    out += s.m_tuningName;
    out += kLineEnd;
    for (int value : {int{s.m_otsuFlag}, s.m_baseTone, s.m_tempo}) {
        AppendNumber(out, value);
        out += kLineEnd;
    }
    return out;
}

ScoreFileContent ParseScoreFile(std::string_view bytes) {
    ScoreFileContent c;
    StoredSettings& s = c.settings;
    // A record takes 14 bytes at the least; the guess only spares the vector its growing.
    c.cells.reserve(std::min<std::size_t>(bytes.size() / 14 + 1, kLastCellIndex));
    WordReader words(bytes);
    ParseCells(words, c);
    // After the first "Title" the reader no longer looks for that word.
    if (auto w = words.Next()) s.m_title = *w == kNoTitleWord ? std::string() : std::string(*w);
    if (auto w = words.Next()) s.m_tuningName = std::string(*w);
    if (auto w = words.Next()) s.m_otsuFlag = WordValue(*w) == 1 ? 1 : 0;
    // A base tone names one of the twelve pitches (0: none) and the tempo divides time;
    // a value the program cannot use counts as missing.
    if (auto w = words.Next()) {
        const std::int32_t b = WordValue(*w);
        if (b >= 0 && b <= kBaseToneCount) s.m_baseTone = b;
    }
    if (auto w = words.Next()) {
        const std::int32_t t = WordValue(*w);
        if (t > 0) s.m_tempo = t;
    }
    return c;
}

std::string TitleAsOneWord(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size());
    for (char c : sjis) {
        if (IsWhiteSpace(c)) {
            out += res::Sjis(res::Txt::FullWidthSpace);
        } else {
            out += c;
        }
    }
    return out;
}

ScoreFileRead ReadScoreFile(std::string_view path) {
    std::string bytes;
    if (int err = ReadRegularFile(std::string(path), bytes, kMaxScoreFileBytes)) {
        return {MakeFileError(path, err), {}};
    }
    ScoreFileContent content = ParseScoreFile(bytes);
    if (content.notAScore) {
        return {FileError{std::string(path), FileFault::NotAScore}, {}};
    }
    return {std::nullopt, std::move(content)};
}

// ---- The view's side ----------------------------------------------------------------

ScoreFileContent CTabrellaView::ScoreFileFields() const {
    ScoreFileContent c;
    const int last = std::min(m_lastCell, kLastCellIndex);
    if (last >= 1) c.cells.assign(m_cells.begin() + 1, m_cells.begin() + 1 + last);
    c.settings = Settings();
    return c;
}

std::optional<FileError> CTabrellaView::WriteScoreFile(const std::string& path) const {
    return WriteFileAtomically(path, FormatScoreFile(ScoreFileFields()));
}

void CTabrellaView::StoreScoreFileFields(const ScoreFileContent& c) {
    for (size_t i = 0; i < c.cells.size(); ++i) {
        if (ScoreCell* cell = CellAt(static_cast<long long>(i) + 1)) *cell = c.cells[i];
    }
    // The redraw that follows a load recomputes the end from the cells.
    m_lastCell = std::min(c.records + 1, kLastCellIndex);
    LoadSettings(c.settings);
}

}  // namespace tabrella
