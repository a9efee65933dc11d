// Writing and reading score files.
#include "files/ScoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "files/AtomicFile.h"
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "sound/Tuning.h"

namespace tabrella {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTitleWord = "Title";
constexpr std::string_view kNoTitleWord = "NULL";

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Hands out the words of a text in order; lines mean nothing to it.
class WordReader {
  public:
    explicit WordReader(std::string_view text) : m_rest(text) {}

    std::optional<std::string_view> Next() {
        size_t start = 0;
        while (start < m_rest.size() && IsWhiteSpace(m_rest[start])) ++start;
        if (start == m_rest.size()) {
            m_rest = {};
            return std::nullopt;
        }
        size_t end = start;
        while (end < m_rest.size() && !IsWhiteSpace(m_rest[end])) ++end;
        const std::string_view word = m_rest.substr(start, end - start);
        m_rest.remove_prefix(end);
        return word;
    }

  private:
    std::string_view m_rest;
};

void AppendNumber(std::string& out, std::int32_t value) {
    out += std::to_string(value);
    out += ' ';
}

// Reads the cell records until "Title" or the end stands where one of the first six
// numbers of a record should be. The seventh word is taken whatever it is.
void ParseCells(WordReader& words, ScoreFileContent& c) {
    for (long long k = 1;; ++k) {
        ScoreCell cell;
        for (int j = 1; j <= 6; ++j) {
            const std::optional<std::string_view> word = words.Next();
            if (!word || *word == kTitleWord) {
                if (j > 1 && IsCellIndex(k)) c.cells.push_back(cell);
                return;
            }
            cell.Field(j) = WordValue(*word);
        }
        const std::optional<std::string_view> split = words.Next();
        cell.split = split ? WordValue(*split) : 0;
        if (IsCellIndex(k)) c.cells.push_back(cell);
        ++c.records;
    }
}

// Reads a whole file, refusing folders and anything larger than a score can be.
int ReadFileBytes(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        if (n == 0) break;
        if (out.size() + static_cast<size_t>(n) > kMaxScoreFileBytes) {
            err = EFBIG;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return err;
}

}  // namespace

ScoreFileContent ScoreFileContent::Defaults() {
    ScoreFileContent c;
    c.tuningName = TuningTable()[0].name;
    return c;
}

std::int32_t WordValue(std::string_view word) {
    constexpr long long kLimit = 1LL << 31;
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    long long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = std::min(value * 10 + (word[i] - '0'), kLimit);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<long long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::string FormatScoreFile(const ScoreFileContent& c) {
    std::string out;
    out.reserve(c.cells.size() * 16 + c.title.size() + c.tuningName.size() + 64);
    for (const ScoreCell& cell : c.cells) {
        for (int j = 1; j <= 7; ++j) AppendNumber(out, cell.Field(j));
        out += kLineEnd;
    }
    out += kTitleWord;
    out += ' ';
    if (c.title.empty()) {
        out += kNoTitleWord;
        out += ' ';
    } else {
        out += c.title;
    }
    out += kLineEnd;
    out += c.tuningName;
    out += kLineEnd;
    for (int value : {int{c.otsuFlag}, c.baseTone, c.tempo}) {
        AppendNumber(out, value);
        out += kLineEnd;
    }
    return out;
}

ScoreFileContent ParseScoreFile(std::string_view bytes) {
    ScoreFileContent c = ScoreFileContent::Defaults();
    WordReader words(bytes);
    ParseCells(words, c);
    // After the first "Title" the reader no longer looks for that word.
    if (auto w = words.Next()) c.title = *w == kNoTitleWord ? std::string() : std::string(*w);
    if (auto w = words.Next()) c.tuningName = std::string(*w);
    if (auto w = words.Next()) c.otsuFlag = WordValue(*w) == 1 ? 1 : 0;
    // A base tone names one of the twelve pitches (0: none) and the tempo divides time;
    // a value the program cannot use counts as missing.
    if (auto w = words.Next()) {
        const std::int32_t b = WordValue(*w);
        if (b >= 0 && b <= kBaseToneCount) c.baseTone = b;
    }
    if (auto w = words.Next()) {
        const std::int32_t t = WordValue(*w);
        if (t > 0) c.tempo = t;
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

ScoreFileRead ReadScoreFile(std::string_view sjisPath) {
    std::string bytes;
    if (int err = ReadFileBytes(NativeFilePath(sjisPath), bytes)) {
        return {MakeFileError(sjisPath, err), {}};
    }
    return {std::nullopt, ParseScoreFile(bytes)};
}

// ---- The view's side ----------------------------------------------------------------

ScoreFileContent CTabrellaView::ScoreFileFields() const {
    ScoreFileContent c;
    const int last = std::min(m_lastCell, kLastCellIndex);
    if (last >= 1) c.cells.assign(m_cells.begin() + 1, m_cells.begin() + 1 + last);
    c.title = m_title;
    c.tuningName = m_tuningName;
    c.otsuFlag = m_otsuFlag;
    c.baseTone = m_baseTone;
    c.tempo = m_tempo;
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
    m_title = c.title;
    m_tuningName = c.tuningName;
    m_otsuFlag = c.otsuFlag;
    m_baseTone = c.baseTone;
    m_tempo = c.tempo;
}

}  // namespace tabrella
