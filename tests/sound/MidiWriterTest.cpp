// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of the MIDI writer, compared as hex text so a failure shows a readable diff.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/MidiBytes.h"
#include "support/ViewHarness.h"

namespace tabrella::test {
namespace {

// Strings of the default tuning: 五 = 40h, 六 = 41h, 七 = 45h, 八 = 47h.
constexpr int k5 = 5, k6 = 6, k7 = 7, k8 = 8;
constexpr size_t kEventsStart = 33;

struct Score {
    ViewHarness h;

    // A whole cell with one string in the centre slot.
    Score& Note(int k, int value) {
        h.Cell(k).first[2] = value;
        return *this;
    }
    Score& Split(int k, int firstCentre, int secondCentre) {
        h.Cell(k).split = 1;
        h.Cell(k).first[2] = firstCentre;
        h.Cell(k).second[2] = secondCentre;
        return *this;
    }
    // Everything the writer produces for cells first..end, with m_lastCell = last.
    std::string Bytes(int last, int first = 1, int end = -1) {
        h.v().m_lastCell = last;
        std::ostringstream out;
        EXPECT_TRUE(h.v().WriteMidiStream(out, first, end < 0 ? last + 1 : end));
        return out.str();
    }
    // The events from offset 33, as the export with the cursor on cell 1 writes them.
    std::string Events(int last) { return Hex(Bytes(last), kEventsStart); }
};

TEST(MidiWriterHeader, HeaderProgramTempoAndTrackLength) {
    Score s;
    s.Note(1, k5).Note(2, k6);
    const std::string bytes = s.Bytes(2);
    EXPECT_EQ(Hex(bytes.substr(0, kEventsStart)),
              "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 2D "
              "01 C0 6B 00 FF 51 03 0B 71 B0 00");
    EXPECT_EQ(bytes.size(), 22u + 0x2D);
}

TEST(MidiWriterHeader, TempoBytesAreMicrosecondsPerQuarterNote) {
    Score s;
    s.h.v().m_tempo = 120;
    EXPECT_EQ(Hex(s.Bytes(0).substr(29, 3)), "07 A1 20");
    s.h.v().m_tempo = 80;
    EXPECT_EQ(Hex(s.Bytes(0).substr(29, 3)), "0B 71 B0");
}

TEST(MidiWriterHeader, ATempoOfZeroOrLessNeverReachesTheDivision) {
    for (int tempo : {0, -80, 1, 3}) {
        Score s;
        s.h.v().m_tempo = tempo;
        const std::string bytes = s.Bytes(0);
        // The slowest tempo the three bytes can hold: 60 000 000 / 4 = E4 E1 C0.
        EXPECT_EQ(Hex(bytes.substr(29, 3)), "E4 E1 C0") << "tempo " << tempo;
        EXPECT_TRUE(ReadMidi(bytes).valid);
    }
}

// ---- The examples, byte for byte -------------------------------------------------------

TEST(MidiWriterExamples, TwoNotesThenTheExtraCellAfterTheEnd) {
    Score s;
    s.Note(1, k5).Note(2, k6);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 40 64 81 70 80 40 00 00 "
              "E0 00 40 00 90 41 64 81 70 80 41 00 "
              "81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, ANoteHeldThroughTwoEmptyCells) {
    Score s;
    s.Note(1, k5).Note(4, k7);
    EXPECT_EQ(s.Events(4),
              "E0 00 40 00 90 40 64 81 70 80 00 00 81 70 80 00 00 81 70 80 00 00 00 "
              "80 40 00 00 E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, ARestCellEndsTheNoteAndLastsAWholeCell) {
    Score s;
    s.Note(1, k5).Note(2, 500).Note(3, k7);
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 40 64 81 70 80 40 00 81 70 80 00 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, TheRepeatSignPlaysThePreviousNoteAgain) {
    Score s;
    s.Note(1, k5).Note(2, 900).Note(3, k7);
    const std::string note5 = "E0 00 40 00 90 40 64 81 70 80 40 00 00 ";
    EXPECT_EQ(s.Events(3),
              note5 + note5 + "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, WoAloneInTheSecondHalfBendsUpOneSemitone) {
    Score s;
    s.Split(1, k5, 100).Note(2, k7);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 40 64 78 E0 00 60 78 80 40 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, HaAfterAPressedNoteReturnsByItsPressing) {
    Score s;
    s.Split(1, 105, 1000).Note(2, k7);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 41 64 78 E0 00 20 78 80 41 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, OAloneInAHoldCellBendsTheHeldNoteUpTwoSemitones) {
    Score s;
    s.Note(1, k5).Note(2, 200).Note(3, k7);
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 40 64 81 70 80 00 00 00 E0 00 7F 81 70 80 00 00 00 80 40 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, ARestInTheSecondHalfStopsTheHoldAndTheScoreGoesOn) {
    Score s;
    s.Note(1, k5).Note(3, k7);
    s.h.Cell(2).second[2] = 500;
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 40 64 81 70 80 00 00 00 80 40 00 81 70 80 00 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterExamples, AWholeCellIgnoresMarksLeftInItsSecondHalf) {
    Score plain, leftover;
    plain.Note(1, k5).Note(2, k7);
    leftover.Note(1, k5).Note(2, k7);
    leftover.h.Cell(1).second[1] = 100;
    leftover.h.Cell(1).second[2] = 1100;
    leftover.h.Cell(1).second[3] = 1200;
    EXPECT_EQ(leftover.Events(2), plain.Events(2));
}

// ---- Split cells, chords, ツ -------------------------------------------------------------

TEST(MidiWriterCells, ASplitCellSoundsEachHalfForHalfACell) {
    Score s;
    s.Split(1, k5, k7).Note(2, k8);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 40 64 78 80 40 00 00 90 45 64 78 80 45 00 00 "
              "E0 00 40 00 90 47 64 81 70 80 47 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterCells, AChordStartsAndEndsOnTheSameTicks) {
    Score s;
    s.h.Cell(1).first[1] = k5;
    s.h.Cell(1).first[2] = k7;
    s.h.Cell(1).first[3] = k8;
    s.Note(2, k6);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 40 64 00 90 45 64 00 90 47 64 81 70 "
              "80 40 00 00 80 45 00 00 80 47 00 00 "
              "E0 00 40 00 90 41 64 81 70 80 41 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterCells, TsuInTheSecondHalfPulsesTheBendOverTheWholeCell) {
    Score s;
    s.Split(1, k5, 1100).Note(2, k7);
    EXPECT_EQ(s.Events(2),
              "E0 00 40 00 90 40 64 3C E0 00 40 3C E0 00 60 3C E0 00 40 3C 80 40 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
    const MidiTrack t = ReadMidi(s.Bytes(2));
    ASSERT_TRUE(t.valid) << t.error;
    // Reset at 60, up at 120, back at 180 after the note started at tick 1.
    EXPECT_EQ(t.Bends(), (std::vector<std::string>{"1:64", "61:64", "121:96", "181:64", "241:64"}));
}

TEST(MidiWriterCells, ABendMarkAndTsuTogetherPlayTheBendMark) {
    Score both, bendOnly;
    both.Split(1, k5, 100).Note(2, k7);
    both.h.Cell(1).second[1] = 1100;
    bendOnly.Split(1, k5, 100).Note(2, k7);
    EXPECT_EQ(both.Events(2), bendOnly.Events(2));
    EXPECT_TRUE(ReadMidi(both.Bytes(2)).valid);
}

TEST(MidiWriterCells, TheLastBendMarkOfTheSecondHalfCounts) {
    Score s;
    s.Split(1, k5, 1200).Note(2, k7);
    s.h.Cell(1).second[1] = 200;
    // ヒ in the centre comes after オ on the left: down one semitone.
    EXPECT_NE(s.Events(2).find("78 E0 00 20 78"), std::string::npos);
}

TEST(MidiWriterCells, ModifiersRaiseTheNote) {
    Score s;
    s.h.Cell(1).first[1] = 105;  // ヲ五
    s.h.Cell(1).first[2] = 205;  // オ五
    s.h.Cell(1).first[3] = 305;  // ォ五
    const MidiTrack t = ReadMidi(s.Bytes(1));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"1:65", "1:66", "1:67"}));
}

// ---- Holds -------------------------------------------------------------------------------

TEST(MidiWriterHolds, MarksInSplitHoldCellsBendHalfByHalf) {
    Score s;
    s.Note(1, 105).Note(3, k7);  // ヲ五, held through cell 2
    s.h.Cell(2).split = 1;
    s.h.Cell(2).first[2] = 1200;  // ヒ, and the second half takes the first half's kind
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 41 64 81 70 80 00 00 00 "
              "E0 00 20 78 80 00 00 00 E0 00 20 78 80 00 00 00 80 41 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterHolds, HaInAHoldCellUsesThePressingOfTheNote) {
    Score s;
    s.Note(1, 205).Note(2, 1000).Note(3, k7);  // オ五 held, then ハ: back two semitones
    EXPECT_NE(s.Events(3).find("80 00 00 00 E0 00 00 81 70 80 00 00 00 80 42 00 00"),
              std::string::npos)
        << s.Events(3);
}

TEST(MidiWriterHolds, TsuInAHoldCellPulsesAndTsuInAHeldNotesOwnCentreToo) {
    Score s;
    s.h.Cell(1).first[1] = k5;
    s.h.Cell(1).first[2] = 1100;  // ツ in the note's own cell
    s.Note(2, 1100).Note(3, k7);
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 40 64 00 E0 00 60 78 E0 00 40 78 80 00 00 00 "
              "E0 00 60 78 E0 00 40 78 80 00 00 00 80 40 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterHolds, AHeldSplitNoteEndsItsFirstHalfAndHoldsTheSecond) {
    Score s;
    s.Split(1, k5, k6).Note(3, k7);
    EXPECT_EQ(s.Events(3),
              "E0 00 40 00 90 40 64 78 80 40 00 00 90 41 64 78 80 00 00 "
              "81 70 80 00 00 00 80 41 00 00 "
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterHolds, AHoldNeverGoesPastTheLastCell) {
    Score s;
    s.Note(1, k5);
    s.h.Cell(2).first[1] = 300;  // ォ alone: a hold cell, and the last used cell
    const MidiTrack t = ReadMidi(s.Bytes(2));
    ASSERT_TRUE(t.valid) << t.error;
    // Two cells of note, the extra cell of rest, then the end.
    EXPECT_EQ(t.endTick, 1 + 480 + 240);
}

TEST(MidiWriterHolds, AHoldEndsEarlyWhenTheRunFromItsCountToTheEndIsEmpty) {
    // The screen raises the last cell to the cursor: a note on cell 1 and nothing up to
    // cell 6. After one hold cell the run from cell 2 to cell 6 is empty: the hold ends and
    // the remaining cells are rests.
    Score s;
    s.Note(1, k5);
    const std::string rest = "81 70 80 00 00 ";
    EXPECT_EQ(s.Events(6), "E0 00 40 00 90 40 64 81 70 80 00 00 81 70 80 00 00 00 80 40 00 " +
                               rest + rest + rest + rest + rest + "00 FF 2F 00");
}

TEST(MidiWriterHolds, TheEarlyEndCountsFromTheStartOfTheScoreNotFromTheNote) {
    // A note on cell 2 held to a raised end at cell 7: the run from cell 2 holds the note
    // itself, so the hold goes on; from cell 3 the run is empty and the hold ends there.
    Score s;
    s.Note(2, k5);
    const MidiTrack t = ReadMidi(s.Bytes(7));
    ASSERT_TRUE(t.valid) << t.error;
    std::vector<long> offs;
    for (const TimedEvent& e : t.events) {
        if (e.bytes == std::string("\x80\x40\x00", 3)) offs.push_back(e.tick);
    }
    // Cell 1 is a rest (240 ticks, a whole cell); the note then sounds for three cells.
    EXPECT_EQ(offs, (std::vector<long>{1 + 240 + 3 * 240}));
    EXPECT_EQ(t.endTick, 1 + 240 + 3 * 240 + 4 * 240);
}

TEST(MidiWriterHolds, AFullScoreNeverEndsAHoldEarly) {
    Score s;
    s.Note(1, k6).Note(2, k6).Note(3, k5).Note(9, k7);
    const MidiTrack t = ReadMidi(s.Bytes(9));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"1:65", "241:65", "481:64", "1921:69"}));
}

// ---- Repeats and rests ---------------------------------------------------------------------

TEST(MidiWriterRepeats, ARepeatAfterRestsStillPlaysThePreviousNote) {
    Score s;
    s.Note(1, k5).Note(2, 500).Note(3, 600).Note(4, 900);
    const MidiTrack t = ReadMidi(s.Bytes(4));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"1:64", "721:64"}));
}

TEST(MidiWriterRepeats, ARepeatReplaysHalvesAndBendOfASplitCell) {
    Score s;
    s.Split(1, k5, 100).Note(2, 900);
    const std::string cell = "E0 00 40 00 90 40 64 78 E0 00 60 78 80 40 00 00 ";
    EXPECT_EQ(s.Events(2), cell + "E0 00 40 00 90 40 64 78 E0 00 60 78 80 40 00 " +
                               "81 70 80 00 00 00 FF 2F 00");
}

TEST(MidiWriterRepeats, ARepeatWithNothingToRepeatIsARest) {
    Score first, afterHold;
    first.Note(1, 900).Note(2, k5);
    // A rest first replaces the provisional delta at offset 32.
    EXPECT_EQ(Hex(first.Bytes(2), kEventsStart - 1),
              "81 70 80 00 00 00 E0 00 40 00 90 40 64 81 70 80 40 00 81 70 80 00 00 00 FF 2F 00");
    // A held note cannot be repeated: the ゝ after the rest that ends the hold is a rest.
    afterHold.Note(1, k5).Note(3, 500).Note(4, 900).Note(5, k7);
    const MidiTrack t = ReadMidi(afterHold.Bytes(5));
    ASSERT_TRUE(t.valid) << t.error;
    // The note holds through cell 2 (480 ticks), cells 3 and 4 rest (480), then 七.
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"1:64", "961:69"}));
}

TEST(MidiWriterRepeats, PlaybackFromTheCursorStartsAtThatCell) {
    Score s;
    s.Note(1, k5).Note(2, k6).Note(3, k7);
    EXPECT_EQ(Hex(s.Bytes(3, 3, 4), kEventsStart),
              "E0 00 40 00 90 45 64 81 70 80 45 00 81 70 80 00 00 00 FF 2F 00");
    // A cursor on an empty cell after the end: header, tempo, rests, end of track.
    EXPECT_EQ(Hex(s.Bytes(3, 4, 5), kEventsStart - 1), "81 70 80 00 00 81 70 80 00 00 00 FF 2F 00");
}

// ---- Well-formed whatever the cells hold ---------------------------------------------------

TEST(MidiWriterSafety, TimeIsNeverLostWhenACellEndsWithoutANoteOff) {
    // A split cell sounding only its first half, then a rest: the silent second half keeps
    // its 120 ticks.
    Score half;
    half.Split(1, k5, 0).Note(2, 500);
    const MidiTrack t1 = ReadMidi(half.Bytes(2));
    ASSERT_TRUE(t1.valid) << t1.error;
    EXPECT_EQ(t1.endTick, 1 + 240 + 240 + 240);

    // A joined cell whose only string stayed in its second half sounds nothing for a cell.
    Score joined;
    joined.h.Cell(1).second[2] = k5;
    joined.Note(2, 500);
    const MidiTrack t2 = ReadMidi(joined.Bytes(2));
    ASSERT_TRUE(t2.valid) << t2.error;
    EXPECT_EQ(t2.endTick, 1 + 240 + 240 + 240);
}

TEST(MidiWriterSafety, SlotsThatNameNoPlayableNoteWriteNoNote) {
    Score s;
    s.h.Cell(1).first[1] = 14;    // string 14 (a file may hold it)
    s.h.Cell(1).first[2] = -105;  // negative
    s.h.Cell(1).first[3] = 399;   // ォ on string 99
    s.Note(2, k5);
    const MidiTrack t = ReadMidi(s.Bytes(2));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"241:64"}));
}

TEST(MidiWriterSafety, PitchesOutsideMidiAreLeftOutAndEveryDataByteStaysBelow80) {
    Score s;
    s.h.v().m_baseTone = 70;  // a base tone only a score file could hold: 巾 lands at 150
    s.h.v().RecomputePitchesForLoad();
    s.Note(1, 13).Note(2, 2).Note(3, 202);
    const MidiTrack t = ReadMidi(s.Bytes(3));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.NoteOns(), (std::vector<std::string>{"241:124", "481:126"}));
    EXPECT_EQ(t.endTick, 1 + 3 * 240 + 240);
}

TEST(MidiWriterSafety, TheEndNeverReachesPastTheOneCellAfterTheScore) {
    Score s;
    s.Note(2999, k5);
    const MidiTrack t = ReadMidi(s.Bytes(2999, 2999, 1000000));
    ASSERT_TRUE(t.valid) << t.error;
    EXPECT_EQ(t.endTick, 1 + 240 + 240);
    Score huge;
    huge.h.v().m_lastCell = 50000;
    std::ostringstream out;
    ASSERT_TRUE(huge.h.v().WriteMidiStream(out, 1, 50001));
    EXPECT_EQ(ReadMidi(out.str()).endTick, 1 + 3000 * 240);
}

TEST(MidiWriterSafety, EveryKindOfCellGivesAWellFormedFileOfTheRightLength) {
    // Every cell value the keys can enter, in every slot and split state, next to notes.
    const std::vector<int> values = {0,   5,   105, 205, 305, 100,  200,  300,
                                     500, 600, 700, 800, 900, 1000, 1100, 1200};
    Score s;
    int k = 1;
    for (size_t i = 0; i < values.size() && k < 2990; ++i) {
        for (size_t j = 0; j < values.size() && k < 2990; ++j, ++k) {
            ScoreCell& c = s.h.Cell(k);
            c.split = static_cast<int>((i + j) % 2);
            c.first[1 + i % 3] = values[i];
            c.second[1 + j % 3] = values[j];
            if (i % 3 == 0) c.first[2] = values[(i + j) % values.size()];
        }
    }
    const MidiTrack t = ReadMidi(s.Bytes(k - 1));
    ASSERT_TRUE(t.valid) << t.error;
    // Every note that starts also ends.
    int open = 0;
    for (const TimedEvent& e : t.events) {
        const unsigned status = static_cast<unsigned char>(e.bytes[0]);
        if (status == 0x90) ++open;
        if (status == 0x80 && e.bytes[1] != 0) --open;
    }
    EXPECT_EQ(open, 0);
}

}  // namespace
}  // namespace tabrella::test
