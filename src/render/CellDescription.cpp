// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/CellDescription.h"

#include <initializer_list>
#include <vector>

#include "resources/SpeechTexts.h"
#include "score/CTabrellaView.h"

namespace tabrella {
namespace {

using res::SpeechTxt;

const std::string& Word(SpeechTxt id) {
    return res::Sjis(id);
}

// Fills "%1", "%2" ... in order; the arguments hold no "%" of their own.
std::string Fill(std::string format, std::initializer_list<std::string> args) {
    int n = 1;
    for (const std::string& arg : args) {
        const std::string mark = "%" + std::to_string(n++);
        if (const size_t at = format.find(mark); at != std::string::npos) {
            format.replace(at, mark.size(), arg);
        }
    }
    return format;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += Word(SpeechTxt::Separator);
        out += part;
    }
    return out;
}

SpeechTxt SlotWord(int slot) {
    return slot == 1 ? SpeechTxt::Left : slot == 3 ? SpeechTxt::Right : SpeechTxt::Centre;
}

// Words of a mark code; empty for anything that is not one.
std::string MarkWords(int v) {
    switch (v) {
        case slot::kPairRest:
            return Word(SpeechTxt::PairRest);
        case slot::kRest:
            return Word(SpeechTxt::Rest);
        case slot::kDottedPairRest:
            return Word(SpeechTxt::DottedPairRest);
        case slot::kDottedRest:
            return Word(SpeechTxt::DottedRest);
        case slot::kRepeat:
            return Word(SpeechTxt::Repeat);
        case slot::kHa:
            return Word(SpeechTxt::Ha);
        case slot::kTsu:
            return Word(SpeechTxt::Tsu);
        case slot::kHi:
            return Word(SpeechTxt::Hi);
        default:
            return {};
    }
}

// The pressing sign, then the string: what the page draws, in words. Values the page draws
// as nothing (0, 400, a string part past 巾) say nothing.
std::string NoteWords(int v) {
    if (v <= 0 || v >= slot::kReserved) return {};
    std::string out;
    if (const int pressing = slot::Pressing(v); pressing > 0) {
        out = Word(static_cast<SpeechTxt>(static_cast<int>(SpeechTxt::Wo) + pressing - 1));
    }
    if (const int string = slot::StringPart(v); string >= 1 && string <= kStringCount) {
        if (!out.empty()) out += ' ';
        out += Word(static_cast<SpeechTxt>(static_cast<int>(SpeechTxt::String1) + string - 1));
    }
    return out;
}

// The three slots of a half from left to right; a mark is said without its slot, which is
// always the centre as the keys place it.
std::string HalfWords(const std::int32_t* half) {
    std::vector<std::string> parts;
    for (int s = 1; s <= 3; ++s) {
        const int v = half[s];
        if (slot::IsMark(v)) {
            std::string words = MarkWords(v);
            if (words.empty()) continue;
            parts.push_back(s == 2 ? words : Word(SlotWord(s)) + ' ' + words);
        } else if (std::string words = NoteWords(v); !words.empty()) {
            parts.push_back(Word(SlotWord(s)) + ' ' + words);
        }
    }
    return parts.empty() ? Word(SpeechTxt::Empty) : Join(parts);
}

}  // namespace

std::string DescribeCell(const CursorPlace& place, const ScoreCell* cell, bool covered) {
    const ScoreCell empty{};
    const ScoreCell& c = cell ? *cell : empty;
    std::vector<std::string> parts{Fill(Word(SpeechTxt::CellFormat), {std::to_string(place.cell)})};
    if (covered) parts.push_back(Word(SpeechTxt::Covered));
    if (c.IsSplit()) {
        parts.push_back(
            Word(place.half == 2 ? SpeechTxt::SplitSecondHalf : SpeechTxt::SplitFirstHalf));
        parts.push_back(Word(SpeechTxt::FirstHalf) + ' ' + HalfWords(c.first));
        parts.push_back(Word(SpeechTxt::SecondHalf) + ' ' + HalfWords(c.second));
    } else if (!covered || !c.IsEmpty()) {
        parts.push_back(HalfWords(c.first));
    }
    parts.push_back(Fill(Word(SpeechTxt::CursorFormat), {Word(SlotWord(place.slot))}));
    // Cell n is in column (n - 1) / 32 and row ((n - 1) mod 32) / 2, the odd cell above.
    const int n = std::max(place.cell, 1) - 1;
    parts.push_back(
        Fill(Word(SpeechTxt::PlaceFormat),
             {std::to_string(n / kCellsPerColumn + 1), std::to_string(n % kCellsPerColumn / 2 + 1),
              Word(n % 2 == 0 ? SpeechTxt::UpperCell : SpeechTxt::LowerCell)}));
    return Join(parts);
}

std::string CTabrellaView::CursorDescription() const {
    const int k = CursorCell();
    const ScoreCell* before = CellAt(k - 1);
    const bool covered = before && slot::CoversNext(before->first[2]);
    return DescribeCell({k, m_cursorHalf, m_cursorSlot}, CellAt(k), covered);
}

}  // namespace tabrella
