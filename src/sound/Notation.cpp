// SPDX-License-Identifier: GPL-3.0-or-later
// The score as staff notation: the walk of the MIDI writer, turned into notes on the cell
// grid. A cell is an eighth and half of a split cell a sixteenth, so a note never crosses a
// cell and eight cells make a 4/4 measure. Where the MIDI file holds a note on, the notation
// ties it; where the file bends, the note carries a bend.
#include "resources/Texts.h"
#include "score/CTabrellaView.h"
#include "score/Tempo.h"
#include "sound/CellWalk.h"

namespace tabrella {
namespace {

using platform::NotationBend;
using platform::NotationNote;

constexpr int kCellSixteenths = 2;
constexpr int kMeasureSixteenths = 8 * kCellSixteenths;

// A slot's text as the page shows it: the pressing sign, then the string name.
std::string TablatureOf(int v) {
    const int mark = slot::Pressing(v), string = slot::StringPart(v);
    std::string text;
    if (mark >= 0 && mark < res::kMarkNameCount) text += res::MarkName(mark);
    if (string >= 0 && string < res::kStringNameCount) text += res::StringName(string);
    return text;
}

std::string MarkText(int kind) {
    return kind >= 0 && kind < res::kMarkNameCount ? res::MarkName(kind) : std::string();
}

// The pitch wheel's byte in whole semitones at the default range of +-2 (7F is +2).
int Semitones(int bendByte) {
    const int offset = bendByte - kBendCentre;
    return (offset + (offset >= 0 ? 16 : -16)) / 32;
}

class NotationBuilder : private ICellWalker {
  public:
    explicit NotationBuilder(const CTabrellaView& view) : m_view(view), m_run(view) {}

    std::vector<NotationNote> Notes(int endCell) {
        WalkCells(m_view, 1, endCell, *this);
        return std::move(m_notes);
    }

  private:
    void Rest(int) override { m_notes.push_back(NotationNote{}); }

    void Direct(int, int source) override {
        const ScoreCell& c = m_run.Cell(source);
        const NoteMarks m = MarksOf(c);
        m_wheel = kBendCentre;
        if (Halves(c) == 1) {
            Strike(c.first, kCellSixteenths);
        } else if (m.Any()) {
            // The first half's keys sound on under the second half's bend.
            Strike(c.first, 1);
            NotationNote& on = SoundOn(1);
            if (m.bend) {
                BendTo(on, m.bendByte, m.bendKind == 10);
                Sign(on, m.bendKind);
            } else {
                Tsu(on);
            }
        } else {
            Strike(c.first, 1);
            Strike(c.second, 1);
        }
    }

    void Held(int n, int holds) override {
        const ScoreCell& c = m_run.Cell(n);
        const NoteMarks m = MarksOf(c);
        m_wheel = kBendCentre;
        if (Halves(c) == 2) {
            Strike(c.first, 1);
            if (m.Any()) {
                // As in the file, ツ goes up here and stays up through the hold.
                NotationNote& on = SoundOn(1);
                BendTo(on, m.bend ? m.bendByte : kTsuPeak, m.bend && m.bendKind == kHaKind);
                Sign(on, m.bend ? m.bendKind : kTsuKind);
            } else {
                Strike(c.second, 1);
            }
        } else {
            NotationNote& note = Strike(c.first, kCellSixteenths);
            if (c.first[2] == slot::kTsu) Tsu(note);
        }
        for (int k = n + 1; k <= n + holds; ++k) HoldCell(m_run.Cell(k), m.p);
    }

    // A hold cell, half by half: the sounding keys go on, bent by a mark in the centre slot.
    void HoldCell(const ScoreCell& c, int p) {
        const int halves = Halves(c);
        int firstKind = 0;
        for (int h = 1; h <= halves; ++h) {
            const int centre = c.Half(h)[2];
            const int kind = HeldKind(centre, h, firstKind);
            if (h == 1) firstKind = kind;
            NotationNote& on = SoundOn(kCellSixteenths / halves);
            if (kind == kTsuKind) {
                Tsu(on);
            } else if (IsBendKind(kind)) {
                BendTo(on, BendByte(kind, p), kind == kHaKind);
            }
            // The sign stands where the cell writes it, not where a second half repeats it.
            if (centre >= slot::kWo && (kind == kTsuKind || IsBendKind(kind))) Sign(on, kind);
        }
    }

    // The keys of a half struck anew, each with its tablature; a rest when none sounds.
    NotationNote& Strike(const std::int32_t* slots, int sixteenths) {
        NotationNote note;
        note.sixteenths = sixteenths;
        for (int s = 1; s <= 3; ++s) {
            const int key = SoundingKey(m_view, slots[s]);
            if (key < 0) continue;
            note.keys.push_back(key);
            note.texts.push_back(TablatureOf(slots[s]));
        }
        m_notes.push_back(std::move(note));
        return m_notes.back();
    }

    // The keys of the note before, sounding on: tied to it.
    NotationNote& SoundOn(int sixteenths) {
        NotationNote note;
        note.sixteenths = sixteenths;
        NotationNote& before = m_notes.back();
        if (!before.IsRest()) {
            note.keys = before.keys;
            note.tiedFromPrevious = true;
            before.tiedToNext = true;
        }
        m_notes.push_back(std::move(note));
        return m_notes.back();
    }

    // The wheel moves to `bendByte` at the note's start; a rest keeps no bend.
    void BendTo(NotationNote& note, int bendByte, bool release) {
        const int alter = Semitones(bendByte) - Semitones(m_wheel);
        m_wheel = bendByte;
        if (alter != 0 && !note.IsRest()) note.bends.push_back({alter, release});
    }

    // ツ: up a semitone and back within the note.
    void Tsu(NotationNote& note) {
        BendTo(note, kTsuPeak, false);
        BendTo(note, kBendCentre, true);
        Sign(note, kTsuKind);
    }

    // A technique sign over sounding keys; silence carries none.
    static void Sign(NotationNote& note, int kind) {
        if (!note.IsRest()) note.sign = MarkText(kind);
    }

    const CTabrellaView& m_view;
    const CellRun m_run;
    std::vector<NotationNote> m_notes;
    int m_wheel = kBendCentre;
};

}  // namespace

platform::NotationScore CTabrellaView::NotationOfScore() const {
    platform::NotationScore score;
    score.title = m_title;
    score.direction = m_tuningName + res::Sjis(res::Txt::FullWidthSpace) + BaseToneLabelOf();
    score.tempo = SoundingTempo(m_tempo);

    std::vector<NotationNote> notes = NotationBuilder(*this).Notes(ExportEndCell());
    // The last measure is filled up with rests.
    int length = 0;
    for (const NotationNote& note : notes) length += note.sixteenths;
    while (length == 0 || length % kMeasureSixteenths != 0) {
        notes.push_back(NotationNote{});
        length += kCellSixteenths;
    }
    int inMeasure = 0;
    for (NotationNote& note : notes) {
        if (inMeasure == 0) score.measures.emplace_back();
        inMeasure = (inMeasure + note.sixteenths) % kMeasureSixteenths;
        score.measures.back().notes.push_back(std::move(note));
    }
    // The rest cell the export adds after the last cell rings the last note out in sound;
    // on paper it would only start an empty measure.
    const auto firstCellOf = [](std::size_t measure) {
        return static_cast<int>(measure) * kMeasureSixteenths / kCellSixteenths + 1;
    };
    while (score.measures.size() > 1 && firstCellOf(score.measures.size() - 1) > m_lastCell) {
        score.measures.pop_back();
    }
    return score;
}

}  // namespace tabrella
