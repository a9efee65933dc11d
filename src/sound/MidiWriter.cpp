// SPDX-License-Identifier: GPL-3.0-or-later
// The Standard MIDI File writer: format 0, one track, 480 ticks per quarter note, channel 1,
// program 107 (koto). One cell is an eighth note (240 ticks), half a split cell 120.
//
// Every event is followed by a provisional delta 00. When time has to pass before the next
// event, the writer steps back over that 00 and writes the real delta in its place, so notes
// struck together start on the same tick and there is no event list.
//
// The bytes are built in memory and handed to the stream in one write: stepping back on a
// file stream would flush its buffer and seek every time.
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "score/CTabrellaView.h"
#include "score/Tempo.h"
#include "sound/CellWalk.h"

namespace tabrella {
namespace {

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;
constexpr int kBend = 0xE0;
constexpr int kVelocity = 0x64;

constexpr int kWholeTicks = 240;
constexpr int kHalfTicks = 120;
constexpr int kTsuStepTicks = 60;
constexpr int kRestTicks = kWholeTicks;  // a rest lasts its cell, or the music drifts off the beat

constexpr std::size_t kTrackLengthOffset = 18;
constexpr std::size_t kTrackDataOffset = 22;

// A whole score of notes takes ~45 KB: the file is built in one allocation as a rule.
constexpr std::size_t kReservedBytes = 64 * 1024;

// The MIDI key of each note value, worked out once per pass; -1 where no note is written.
class KeyTable {
  public:
    explicit KeyTable(const CTabrellaView& view) : m_view(view) {
        for (int v = 0; v < kSize; ++v) m_keys[v] = static_cast<std::int16_t>(Compute(v));
    }
    int operator()(std::int32_t v) const {
        return v >= 0 && v < kSize ? m_keys[static_cast<std::size_t>(v)] : Compute(v);
    }

  private:
    // Every note the keys can enter (pressing 0..3, string 1..13) lies below this.
    static constexpr int kSize = slot::kSmallO + slot::kPressingStep;
    int Compute(std::int32_t v) const { return SoundingKey(m_view, v); }
    const CTabrellaView& m_view;
    std::array<std::int16_t, kSize> m_keys{};
};

class MidiPass : private ICellWalker {
  public:
    MidiPass(const CTabrellaView& view, std::ostream& out)
        : m_view(view), m_out(out), m_keys(view), m_run(view) {
        m_bytes.reserve(kReservedBytes);
    }

    bool Write(int firstCell, int endCell);
    std::string Preview(int cell);

  private:
    // ---- bytes ----
    void Put(std::initializer_list<int> bytes) {
        for (int b : bytes) m_bytes.push_back(static_cast<char8_t>(b));
        m_provisional = false;
    }
    void Event(int status, int data1, int data2) { Put({status, data1, data2}); }
    void Provisional() {
        m_bytes.push_back(0);
        m_provisional = true;
    }
    void Delta(int ticks);
    void StepBack();
    void Spacer() {
        Event(kNoteOff, 0, 0);
        Provisional();
    }
    void BendTo(int m) {
        Event(kBend, 0, m);
        Provisional();
    }

    // ---- the pass (ICellWalker) ----
    void Rest(int f) override;
    void Direct(int f, int source) override;
    void Held(int n, int holds) override;

    const ScoreCell& Cell(long long k) const { return m_run.Cell(k); }
    void Header();
    void NoteOns(const std::int32_t* slots);
    void NoteOffs(const std::int32_t* slots);
    void HalfEnd(const ScoreCell& c, const NoteMarks& m, int h, int& group);
    void OwnTime(const ScoreCell& c);
    void HoldCell(const ScoreCell& c, int p);
    void FixTrackLength();

    const CTabrellaView& m_view;
    std::ostream& m_out;
    // The file being built, an event at a time. char8_t, as a byte stored through a char
    // may alias the vector's own end, which push_back would then load again for each byte.
    std::vector<char8_t> m_bytes;
    const KeyTable m_keys;
    const CellRun m_run;
    bool m_provisional = false;
    int m_noteOns = 0;
};

void MidiPass::Delta(int ticks) {
    if (ticks >= 128) Put({0x80 | (ticks >> 7)});
    Put({ticks & 0x7F});
}

void MidiPass::StepBack() {
    if (m_provisional) {
        m_bytes.pop_back();
        m_provisional = false;
        return;
    }
    // A real delta is already in place (a half or cell that ended without a note off): a
    // spacer carries it, so its time is neither lost nor merged into a wrong number.
    Event(kNoteOff, 0, 0);
}

void MidiPass::Header() {
    const int tempo = 60000000 / SoundingTempo(m_view.m_tempo);
    Put({0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0});  // MThd, format 0
    Put({0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0});                          // MTrk, length later
    Put({0x01, 0xC0, 0x6B});                                            // program 107
    Put({0x00, 0xFF, 0x51, 0x03, tempo >> 16, (tempo >> 8) & 0xFF, tempo & 0xFF});
    Provisional();
}

void MidiPass::Rest(int /*f*/) {
    StepBack();
    Delta(kRestTicks);
    Spacer();
}

void MidiPass::NoteOns(const std::int32_t* slots) {
    for (int s = 1; s <= 3; ++s) {
        const int key = m_keys(slots[s]);
        if (key < 0) continue;
        Event(kNoteOn, key, kVelocity);
        Provisional();
        ++m_noteOns;
    }
}

void MidiPass::NoteOffs(const std::int32_t* slots) {
    for (int s = 1; s <= 3; ++s) {
        const int key = m_keys(slots[s]);
        if (key < 0) continue;
        Event(kNoteOff, key, 0);
        Provisional();
    }
}

// Steps 2 to 4 of a direct half: its time, then the bend that keeps the first half's notes
// sounding under the second half, or the note offs.
void MidiPass::HalfEnd(const ScoreCell& c, const NoteMarks& m, int h, int& group) {
    StepBack();
    if (Halves(c) == 1) {
        Delta(kWholeTicks);
    } else if (m.tsu) {
        Delta(kTsuStepTicks);
        Event(kBend, 0, kBendCentre);
        Delta(kTsuStepTicks);
    } else {
        Delta(kHalfTicks);
    }
    if (h == 1 && m.Any()) {
        BendTo(m.bend ? m.bendByte : kTsuPeak);
        return;
    }
    NoteOffs(c.Half(group));
    group = 2;
}

// Every note, a ゝ's included, starts from the centre of the bend.
void MidiPass::Direct(int /*f*/, int source) {
    BendTo(kBendCentre);
    const ScoreCell& c = Cell(source);
    const NoteMarks m = MarksOf(c);
    int group = 1;
    for (int h = 1; h <= Halves(c); ++h) {
        if (!(h == 2 && m.Any())) NoteOns(c.Half(group));
        HalfEnd(c, m, h, group);
    }
}

void MidiPass::Held(int n, int holds) {
    BendTo(kBendCentre);
    const ScoreCell& c = Cell(n);
    const NoteMarks m = MarksOf(c);
    int group = 1;
    if (Halves(c) == 2) {
        NoteOns(c.first);
        HalfEnd(c, m, 1, group);
    }
    if (!(Halves(c) == 2 && m.Any())) NoteOns(c.Half(group));
    OwnTime(c);
    for (int k = n + 1; k <= n + holds; ++k) HoldCell(Cell(k), m.p);
    NoteOffs(c.Half(group));
}

void MidiPass::OwnTime(const ScoreCell& c) {
    if (Halves(c) == 2) {
        StepBack();
        Delta(kHalfTicks);
    } else if (c.first[2] == slot::kTsu) {
        Event(kBend, 0, kTsuPeak);
        Delta(kHalfTicks);
        Event(kBend, 0, kBendCentre);
        Delta(kHalfTicks);
    } else {
        StepBack();
        Delta(kWholeTicks);
    }
    Spacer();
}

// One hold cell, half by half: a mark in the centre slot bends the sounding note.
void MidiPass::HoldCell(const ScoreCell& c, int p) {
    const int halves = Halves(c);
    const int ticks = halves == 1 ? kWholeTicks : kHalfTicks;
    int firstKind = 0;
    for (int h = 1; h <= halves; ++h) {
        const int centre = c.Half(h)[2];
        const int kind = HeldKind(centre, h, firstKind);
        if (h == 1) firstKind = kind;
        if (kind == kTsuKind) {
            Event(kBend, 0, kTsuPeak);
            Delta(ticks / 2);
            Event(kBend, 0, kBendCentre);
            Delta(ticks / 2);
        } else {
            if (IsBendKind(kind)) BendTo(BendByte(kind, p));
            StepBack();
            Delta(ticks);
        }
        Spacer();
    }
}

void MidiPass::FixTrackLength() {
    const auto length = static_cast<std::uint32_t>(m_bytes.size() - kTrackDataOffset);
    for (int i = 0; i < 4; ++i) {
        m_bytes[kTrackLengthOffset + i] = static_cast<char8_t>((length >> (24 - 8 * i)) & 0xFF);
    }
}

bool MidiPass::Write(int firstCell, int endCell) {
    Header();
    WalkCells(m_view, firstCell, endCell, *this);
    Put({0xFF, 0x2F, 0x00});
    FixTrackLength();
    m_out.write(reinterpret_cast<const char*>(m_bytes.data()),
                static_cast<std::streamsize>(m_bytes.size()));
    m_out.flush();
    return !m_out.fail();
}

std::string MidiPass::Preview(int cell) {
    // The walk from the start decides, as for playback, how the cell sounds; only the one
    // step that sounds in it is written, a held note cut off at the end of the cell.
    class InCell : public ICellWalker {
      public:
        InCell(MidiPass& pass, int cell) : m_pass(pass), m_cell(cell) {}
        void Rest(int /*f*/) override {}
        void Direct(int f, int source) override {
            if (f == m_cell) m_pass.Direct(f, source);
        }
        void Held(int n, int holds) override {
            if (n + holds >= m_cell) m_pass.Held(n, m_cell - n);
        }

      private:
        MidiPass& m_pass;
        const int m_cell;
    } inCell(*this, cell);
    Header();
    WalkCells(m_view, 1, cell, inCell);
    if (m_noteOns == 0) return {};
    Put({0xFF, 0x2F, 0x00});
    FixTrackLength();
    return {m_bytes.begin(), m_bytes.end()};
}

}  // namespace

std::string CTabrellaView::PreviewMidi(int cell) const {
    std::ostringstream unused;
    return MidiPass(*this, unused).Preview(cell);
}

bool CTabrellaView::WriteMidiStream(std::ostream& out, int firstCell, int endCell) const {
    return MidiPass(*this, out).Write(firstCell, endCell);
}

}  // namespace tabrella
