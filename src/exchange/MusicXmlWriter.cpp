// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/MusicXmlWriter.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

#include "base/Sjis.h"

namespace tabrella::exchange {
namespace {

using platform::NotationNote;
using platform::NotationScore;

constexpr int kDivisions = 4;  // per quarter note: a sixteenth is one
constexpr int kMeasureDivisions = 4 * kDivisions;
constexpr const char* kPartId = "P1";
constexpr const char* kInstrumentId = "P1-I1";
constexpr const char* kMimeType = "application/vnd.recordare.musicxml";
constexpr const char* kScoreEntry = "score.musicxml";

// ---- Key and spelling ---------------------------------------------------------------------

constexpr int kNaturals[7] = {0, 2, 4, 5, 7, 9, 11};  // C D E F G A B
constexpr const char* kSteps[7] = {"C", "D", "E", "F", "G", "A", "B"};

struct Spelling {
    int letter = 0;  // C = 0 .. B = 6
    int alter = 0;
};

// The alteration the key signature of `fifths` gives a letter.
int SignatureAlter(int fifths, int letter) {
    static constexpr int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
    for (int i = 0; i < std::abs(fifths); ++i) {
        if (kSharpOrder[fifths > 0 ? i : 6 - i] == letter) return fifths > 0 ? 1 : -1;
    }
    return 0;
}

// A key as the key of `fifths` spells it: its own notes as the signature has them, the
// others one step off a note of the key, sharpened in sharp keys and flattened in flat ones.
Spelling Spell(int fifths, int pitchClass) {
    Spelling best;
    int bestCost = INT_MAX;
    for (int letter = 0; letter < 7; ++letter) {
        for (int alter = -2; alter <= 2; ++alter) {
            if ((kNaturals[letter] + alter + 12) % 12 != pitchClass) continue;
            const int off = alter - SignatureAlter(fifths, letter);
            const int cost = 4 * std::abs(off) + std::abs(alter) +
                             (off == 0                     ? 0
                              : (off > 0) == (fifths >= 0) ? 0
                                                           : 2);
            if (cost < bestCost) {
                best = {letter, alter};
                bestCost = cost;
            }
        }
    }
    return best;
}

// Of the fifteen keys, the one whose notes need the fewest accidentals; then the one with
// the fewest sharps or flats, sharps first.
int KeyOfScore(const NotationScore& score) {
    std::array<long long, 12> counts{};
    for (const platform::NotationMeasure& m : score.measures) {
        for (const NotationNote& n : m.notes) {
            if (n.tiedFromPrevious) continue;
            for (int key : n.keys) {
                if (key >= 0) ++counts[static_cast<std::size_t>(key % 12)];
            }
        }
    }
    int best = 0;
    long long bestCount = LLONG_MAX;
    for (const int fifths : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7}) {
        long long accidentals = 0;
        for (int pc = 0; pc < 12; ++pc) {
            const Spelling sp = Spell(fifths, pc);
            if (sp.alter != SignatureAlter(fifths, sp.letter)) accidentals += counts[pc];
        }
        if (accidentals < bestCount) {
            best = fifths;
            bestCount = accidentals;
        }
    }
    return best;
}

// MusicXML names octaves 0 to 9: MIDI keys 12 and up.
constexpr int kLowestKey = 12;

pugi::xml_node Child(pugi::xml_node parent, const char* name) {
    return parent.append_child(name);
}

void Text(pugi::xml_node parent, const char* name, const std::string& utf8) {
    parent.append_child(name).text().set(utf8.c_str());
}

void Number(pugi::xml_node parent, const char* name, int value) {
    parent.append_child(name).text().set(value);
}

void PartList(pugi::xml_node root, const NotationScore& score) {
    pugi::xml_node part = Child(Child(root, "part-list"), "score-part");
    part.append_attribute("id") = kPartId;
    Text(part, "part-name", "Koto");
    pugi::xml_node instrument = Child(part, "score-instrument");
    instrument.append_attribute("id") = kInstrumentId;
    Text(instrument, "instrument-name", "Koto");
    Text(instrument, "instrument-sound", "pluck.koto");
    pugi::xml_node midi = Child(part, "midi-instrument");
    midi.append_attribute("id") = kInstrumentId;
    Number(midi, "midi-channel", 1);
    Number(midi, "midi-program", score.midiProgram + 1);  // counted from 1 here
}

// Divisions, key, time and clef, then the tuning and the tempo above the first note.
void Beginning(pugi::xml_node measure, const NotationScore& score, int fifths) {
    pugi::xml_node attributes = Child(measure, "attributes");
    Number(attributes, "divisions", kDivisions);
    Number(Child(attributes, "key"), "fifths", fifths);
    pugi::xml_node time = Child(attributes, "time");
    Text(time, "beats", "4");
    Text(time, "beat-type", "4");
    pugi::xml_node clef = Child(attributes, "clef");
    Text(clef, "sign", "G");
    Number(clef, "line", 2);

    pugi::xml_node words = Child(measure, "direction");
    words.append_attribute("placement") = "above";
    Text(Child(words, "direction-type"), "words", SjisToUtf8(score.direction));

    pugi::xml_node tempo = Child(measure, "direction");
    tempo.append_attribute("placement") = "above";
    pugi::xml_node metronome = Child(Child(tempo, "direction-type"), "metronome");
    Text(metronome, "beat-unit", "quarter");
    Number(metronome, "per-minute", score.tempo);
    Child(tempo, "sound").append_attribute("tempo") = score.tempo;
}

void Tie(pugi::xml_node note, const char* name, const char* type) {
    Child(note, name).append_attribute("type") = type;
}

void Lyric(pugi::xml_node note, int number, const std::string& sjis) {
    pugi::xml_node lyric = Child(note, "lyric");
    lyric.append_attribute("number") = number;
    Text(lyric, "syllabic", "single");
    Text(lyric, "text", SjisToUtf8(sjis));
}

// ---- Note values ------------------------------------------------------------------------

constexpr int kBeat = kDivisions;

// The value (in sixteenths) a note starting at `at` in the bar may take, longest first: one
// within a beat, or one from a beat that does not cross the middle of the bar unless it
// starts the bar.
int LongestValue(int at, int left) {
    static constexpr int kValues[] = {16, 12, 8, 6, 4, 3, 2, 1};
    for (const int v : kValues) {
        if (v > left) continue;
        const int end = at + v;
        const bool inBeat = v < kBeat && at / kBeat == (end - 1) / kBeat;
        const bool fromBeat =
            v >= kBeat && at % kBeat == 0 &&
            (at == 0 || end <= kMeasureDivisions / 2 || at >= kMeasureDivisions / 2);
        if (inBeat || fromBeat) return v;
    }
    return 1;
}

void Type(pugi::xml_node note, int value) {
    const bool dotted = value == 12 || value == 6 || value == 3;
    const int plain = dotted ? value * 2 / 3 : value;
    Text(note, "type",
         plain == 16  ? "whole"
         : plain == 8 ? "half"
         : plain == 4 ? "quarter"
         : plain == 2 ? "eighth"
                      : "16th");
    if (dotted) Child(note, "dot");
}

// Part of a note as written: its value, and whether it is tied on either side.
struct Piece {
    int value = 2;
    bool tieStop = false, tieStart = false;
    bool first = true;  // the part that carries the note's marks and tablature
};

// One <note> of a chord (or the chord's only note); `index` counts the chord's notes.
void Note(pugi::xml_node measure, const NotationNote& n, int key, int fifths, size_t index,
          size_t first, const Piece& piece) {
    pugi::xml_node note = Child(measure, "note");
    if (index != first) Child(note, "chord");
    pugi::xml_node pitch = Child(note, "pitch");
    const Spelling spelling = Spell(fifths, key % 12);
    Text(pitch, "step", kSteps[spelling.letter]);
    if (spelling.alter != 0) Number(pitch, "alter", spelling.alter);
    Number(pitch, "octave", (key - spelling.alter) / 12 - 1);
    Number(note, "duration", piece.value);
    if (piece.tieStop) Tie(note, "tie", "stop");
    if (piece.tieStart) Tie(note, "tie", "start");
    Text(note, "voice", "1");
    Type(note, piece.value);

    const bool bends = piece.first && !n.bends.empty();
    if (piece.tieStop || piece.tieStart || bends) {
        pugi::xml_node notations = Child(note, "notations");
        if (piece.tieStop) Tie(notations, "tied", "stop");
        if (piece.tieStart) Tie(notations, "tied", "start");
        if (bends) {
            pugi::xml_node technical = Child(notations, "technical");
            for (const platform::NotationBend& b : n.bends) {
                pugi::xml_node bend = Child(technical, "bend");
                Number(bend, "bend-alter", b.alter);
                if (b.release) Child(bend, "release");
            }
        }
    }
    if (!piece.first) return;
    // The tablature under each note: a chord's texts stand one under another.
    if (index < n.texts.size() && !n.texts[index].empty()) {
        Lyric(note, static_cast<int>(index - first) + 1, n.texts[index]);
    } else if (index == first && !n.sign.empty()) {
        Lyric(note, 1, n.sign);
    }
}

void Rest(pugi::xml_node measure, int divisions, bool wholeMeasure) {
    pugi::xml_node note = Child(measure, "note");
    pugi::xml_node rest = Child(note, "rest");
    if (wholeMeasure) rest.append_attribute("measure") = "yes";
    Number(note, "duration", divisions);
    Text(note, "voice", "1");
    if (!wholeMeasure) Type(note, divisions);
}

bool Sounds(const NotationNote& n) {
    return std::any_of(n.keys.begin(), n.keys.end(), [](int k) { return k >= kLowestKey; });
}

// A note, or a rest, with what sounds on after it without a mark of its own: one value of
// the music, written in as few notes as the bar and its beats allow.
struct Event {
    const NotationNote* note = nullptr;
    int length = 0;
    bool tiedToNext = false;
};

std::vector<Event> Events(const platform::NotationMeasure& m) {
    std::vector<Event> events;
    for (const NotationNote& n : m.notes) {
        if (!events.empty()) {
            Event& last = events.back();
            const bool rest = !Sounds(n) && !Sounds(*last.note);
            const bool soundsOn = Sounds(n) && n.tiedFromPrevious && n.bends.empty() &&
                                  n.sign.empty() && n.keys == last.note->keys && last.tiedToNext;
            if (rest || soundsOn) {
                last.length += n.sixteenths;
                last.tiedToNext = n.tiedToNext;
                continue;
            }
        }
        events.push_back({&n, n.sixteenths, n.tiedToNext});
    }
    return events;
}

void Measure(pugi::xml_node measure, const platform::NotationMeasure& m, int fifths) {
    if (std::none_of(m.notes.begin(), m.notes.end(), Sounds)) {
        Rest(measure, kMeasureDivisions, true);
        return;
    }
    int at = 0;
    for (const Event& e : Events(m)) {
        const NotationNote& n = *e.note;
        for (int left = e.length; left > 0;) {
            const int value = LongestValue(at % kMeasureDivisions, left);
            if (!Sounds(n)) {
                Rest(measure, value, false);
            } else {
                const Piece piece{value, left != e.length || n.tiedFromPrevious,
                                  left > value || e.tiedToNext, left == e.length};
                size_t first = n.keys.size();
                for (size_t i = 0; i < n.keys.size(); ++i) {
                    if (n.keys[i] < kLowestKey) continue;
                    if (first == n.keys.size()) first = i;
                    Note(measure, n, n.keys[i], fifths, i, first, piece);
                }
            }
            at += value;
            left -= value;
        }
    }
}

}  // namespace

std::string MusicXmlDocument(const NotationScore& score) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "no";
    doc.append_child(pugi::node_doctype)
        .set_value(
            "score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
            "\"http://www.musicxml.org/dtds/partwise.dtd\"");

    pugi::xml_node root = doc.append_child("score-partwise");
    root.append_attribute("version") = "4.0";
    if (!score.title.empty()) Text(Child(root, "work"), "work-title", SjisToUtf8(score.title));
    Text(Child(Child(root, "identification"), "encoding"), "software", "Tabrella");
    PartList(root, score);

    pugi::xml_node part = Child(root, "part");
    part.append_attribute("id") = kPartId;
    const int fifths = KeyOfScore(score);
    for (size_t i = 0; i < score.measures.size(); ++i) {
        pugi::xml_node measure = Child(part, "measure");
        measure.append_attribute("number") = static_cast<unsigned>(i + 1);
        if (i == 0) Beginning(measure, score, fifths);
        Measure(measure, score.measures[i], fifths);
    }

    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

namespace {

// The container's list of the files it holds: one score.
std::string ContainerXml() {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node rootfile = doc.append_child("container").append_child("rootfiles");
    rootfile = rootfile.append_child("rootfile");
    rootfile.append_attribute("full-path") = kScoreEntry;
    rootfile.append_attribute("media-type") = "application/vnd.recordare.musicxml+xml";
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

struct SourceFree {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;

// Adds a file whose bytes live as long as the archive is open; false on failure.
bool AddEntry(zip_t* archive, const char* name, const std::string& bytes, bool stored) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    if (!source) return false;
    const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                    stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) == 0;
}

// The bytes of a closed in-memory archive.
std::optional<std::string> ReadBack(zip_source_t* source) {
    if (zip_source_open(source) != 0) return std::nullopt;
    std::string bytes;
    char buffer[1 << 14];
    zip_int64_t n = 0;
    while ((n = zip_source_read(source, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(n));
    }
    zip_source_close(source);
    if (n < 0) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> MxlArchive(const std::string& document) {
    // The mimetype comes first and uncompressed, so a reader can tell the file by its start.
    const std::string mimeType = kMimeType;
    const std::string container = ContainerXml();
    zip_error_t error;
    zip_error_init(&error);
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_error_fini(&error);
    if (!buffer) return std::nullopt;
    zip_source_keep(buffer.get());  // the archive's close must not free the bytes it wrote
    zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, nullptr);
    if (!archive) {
        zip_source_free(buffer.get());  // the reference the archive did not take
        return std::nullopt;
    }
    const bool added = AddEntry(archive, "mimetype", mimeType, true) &&
                       AddEntry(archive, "META-INF/container.xml", container, false) &&
                       AddEntry(archive, kScoreEntry, document, false);
    if (!added) {
        zip_discard(archive);
        return std::nullopt;
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return std::nullopt;
    }
    return ReadBack(buffer.get());
}

std::optional<std::string> MusicXmlWriter::MusicXml(const NotationScore& score, bool compressed) {
    std::string document = MusicXmlDocument(score);
    if (!compressed) return document;
    return MxlArchive(document);
}

}  // namespace tabrella::exchange
