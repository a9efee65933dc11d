// SPDX-License-Identifier: GPL-3.0-or-later
// The MusicXML reader: partwise scores, plain or compressed (.mxl). Time is kept in quarter
// notes as the divisions of each measure give it and turned into ticks only at each note,
// so tuplets and divisions that change between measures add up without drift. Voices are
// merged, tied notes joined, grace notes left out (they take no time of their own), cue
// and unpitched notes only take their time.
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "exchange/MelodyReader.h"
#include "platform/Task.h"

namespace tabrella::exchange {
namespace {

using platform::MelodyFault;
using platform::MelodyLimit;
using platform::MelodyNote;
using platform::MelodyRead;

constexpr int kTicksPerQuarter = 480;
// No score comes near this; past it a file is taken for damaged (or built to hurt).
constexpr double kMaxQuarters = 1e9;

// ---- The document ---------------------------------------------------------------------------

// The nodes the tree of a document could hold, counted before it is built. In an encoding
// that keeps ASCII as it is, each start of markup other than an end tag, each '=' within a
// tag and each run of text that is not all blanks makes one node at most (comments and the
// like count without making one). Where ASCII takes more than a byte (UTF-16, UTF-32), a
// text ends at a '<' or the end: two for each '<' and one for each '='.
std::int64_t XmlNodes(std::string_view bytes) {
    std::int64_t nodes = 0;
    if (bytes.substr(0, 4).find('\0') != std::string_view::npos) {
        for (const char c : bytes) nodes += c == '<' ? 2 : c == '=' ? 1 : 0;
        return nodes + 1;
    }
    bool tag = false, text = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '<') {
            tag = true;
            text = false;
            nodes += i + 1 < bytes.size() && bytes[i + 1] == '/' ? 0 : 1;
        } else if (c == '>') {
            tag = false;
        } else if (tag) {
            nodes += c == '=' ? 1 : 0;
        } else if (!text && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            text = true;
            ++nodes;
        }
    }
    return nodes;
}

// The document's tree, or the limit it passes. `owned` (the bytes, when the reader holds
// them) is parsed where it lies, without a copy.
std::optional<MelodyRead> LoadXml(pugi::xml_document& doc, std::string_view bytes,
                                  std::string* owned, const ReadLimits& limits) {
    if (static_cast<std::int64_t>(bytes.size()) > limits.xmlCharacters) {
        return TooLarge(MelodyLimit::Characters, limits);
    }
    if (XmlNodes(bytes) > limits.xmlElements) {
        return TooLarge(MelodyLimit::Elements, limits);
    }
    const pugi::xml_parse_result parsed =
        owned ? doc.load_buffer_inplace(owned->data(), owned->size())
              : doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed) return MelodyRead{MelodyFault::Damaged, {}};
    return std::nullopt;
}

// ---- The compressed file ----------------------------------------------------------------

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

// An entry's bytes, none when it is missing or damaged; `tooLarge` when it is longer than
// a document may be.
std::optional<std::string> EntryBytes(zip_t* archive, const char* name, const ReadLimits& limits,
                                      bool& tooLarge) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
        return std::nullopt;
    }
    if (stat.size > static_cast<zip_uint64_t>(std::max<std::int64_t>(limits.xmlCharacters, 0))) {
        tooLarge = true;
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen(archive, name, 0);
    if (!file) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) return std::nullopt;
    return bytes;
}

// The score the container names, or without a container the first MusicXML file. A
// container past the limits refuses the whole file, like the score would.
std::string RootFile(zip_t* archive, const ReadLimits& limits, std::optional<MelodyRead>& refusal) {
    bool tooLarge = false;
    std::optional<std::string> container =
        EntryBytes(archive, "META-INF/container.xml", limits, tooLarge);
    if (tooLarge) {
        refusal = TooLarge(MelodyLimit::Characters, limits);
        return {};
    }
    if (container) {
        pugi::xml_document doc;
        refusal = LoadXml(doc, *container, &*container, limits);
        if (refusal && refusal->fault == MelodyFault::TooLarge) return {};
        refusal.reset();
        const pugi::xml_node rootfile = doc.child("container").child("rootfiles").child("rootfile");
        if (const char* path = rootfile.attribute("full-path").value(); *path) return path;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (!name) continue;
        const std::string_view n(name);
        const bool xml = n.ends_with(".musicxml") || n.ends_with(".xml");
        if (xml && !n.starts_with("META-INF/")) return std::string(n);
    }
    return {};
}

// The files an archive could list: each begins its entry of the central directory with
// this signature, and libzip reads every entry listed (with a call of mktime each).
std::int64_t ArchiveEntries(std::string_view bytes) {
    constexpr std::string_view kCentralEntry = "PK\x01\x02";
    std::int64_t entries = 0;
    for (std::size_t at = bytes.find(kCentralEntry); at != std::string_view::npos;
         at = bytes.find(kCentralEntry, at + kCentralEntry.size())) {
        ++entries;
    }
    return entries;
}

// The score's document, or why there is none.
std::optional<std::string> ScoreOfArchive(std::string_view bytes, const ReadLimits& limits,
                                          MelodyRead& refusal) {
    if (ArchiveEntries(bytes) > limits.archiveEntries) {
        refusal = TooLarge(MelodyLimit::ArchiveEntries, limits);
        return std::nullopt;
    }
    refusal = {MelodyFault::Damaged, {}};
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* opened = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!opened) {
        if (source) zip_source_free(source);
        return std::nullopt;
    }
    const std::unique_ptr<zip_t, ArchiveDiscard> archive(opened);  // frees the source too
    std::optional<MelodyRead> containerRefusal;
    const std::string root = RootFile(archive.get(), limits, containerRefusal);
    if (containerRefusal) refusal = std::move(*containerRefusal);
    if (root.empty()) return std::nullopt;
    bool tooLarge = false;
    std::optional<std::string> document = EntryBytes(archive.get(), root.c_str(), limits, tooLarge);
    if (tooLarge) refusal = TooLarge(MelodyLimit::Characters, limits);
    return document;
}

// ---- The score --------------------------------------------------------------------------

std::optional<int> KeyOf(pugi::xml_node pitch) {
    static constexpr std::string_view kSteps = "C D EF G A B";
    const std::string_view step = pitch.child_value("step");
    const std::size_t semitone = step.size() == 1 ? kSteps.find(step[0]) : std::string_view::npos;
    const double alter = pitch.child("alter").text().as_double(0);
    const int octave = pitch.child("octave").text().as_int(-100);
    if (semitone == std::string_view::npos || step[0] == ' ' || !std::isfinite(alter) ||
        std::abs(alter) > 2 || octave < -1 || octave > 9) {
        return std::nullopt;
    }
    const int key =
        (octave + 1) * 12 + static_cast<int>(semitone) + static_cast<int>(std::lround(alter));
    if (key < 0 || key > 127) return std::nullopt;
    return key;
}

bool HasTie(pugi::xml_node note, const char* type) {
    for (pugi::xml_node tie : note.children("tie")) {
        if (std::strcmp(tie.attribute("type").value(), type) == 0) return true;
    }
    for (pugi::xml_node tied : note.child("notations").children("tied")) {
        if (std::strcmp(tied.attribute("type").value(), type) == 0) return true;
    }
    return false;
}

// ---- Repeats --------------------------------------------------------------------------------

// A score's repeats could otherwise multiply it without end.
constexpr std::size_t kMaxPlayedMeasures = 100000;

// A measure's first sound of each kind that steers the way through the piece, found once
// however often the measure is played.
struct Marks {
    pugi::xml_node fine, tocoda, dacapo, dalsegno, segno, coda;
};

Marks MarksOf(pugi::xml_node measure) {
    static constexpr std::pair<const char*, pugi::xml_node Marks::*> kKinds[] = {
        {"fine", &Marks::fine},         {"tocoda", &Marks::tocoda}, {"dacapo", &Marks::dacapo},
        {"dalsegno", &Marks::dalsegno}, {"segno", &Marks::segno},   {"coda", &Marks::coda}};
    Marks marks;
    measure.find_node([&](pugi::xml_node n) {
        if (std::strcmp(n.name(), "sound") != 0) return false;
        for (const auto& [attribute, kind] : kKinds) {
            if (!(marks.*kind) && n.attribute(attribute)) marks.*kind = n;
        }
        return false;
    });
    return marks;
}

bool EndingHas(std::string_view numbers, int pass) {
    std::size_t at = 0;
    while (at < numbers.size()) {
        const std::size_t comma = std::min(numbers.find(',', at), numbers.size());
        std::string_view n = numbers.substr(at, comma - at);
        while (!n.empty() && n.front() == ' ') n.remove_prefix(1);
        while (!n.empty() && n.back() == ' ') n.remove_suffix(1);
        if (n == std::to_string(pass)) return true;
        at = comma + 1;
    }
    return false;
}

// The measures in the order they are played: repeats taken (as often as `times` says),
// first and second endings chosen by the pass, then D.C. or D.S. once, to Fine or by To
// Coda to the coda, without the repeats again. `jumps` counts the repeats and jumps taken.
std::vector<pugi::xml_node> PlayOrder(pugi::xml_node part, int& jumps) {
    std::vector<pugi::xml_node> measures;
    std::vector<Marks> marks;
    for (pugi::xml_node m : part.children("measure")) {
        measures.push_back(m);
        marks.push_back(MarksOf(m));
    }
    std::vector<pugi::xml_node> order;
    std::map<std::size_t, int> taken;  // backward repeat -> times jumped back from it
    std::size_t repeatStart = 0, i = 0;
    int pass = 1;
    bool jumped = false;  // after D.C. or D.S.
    const auto find = [&](pugi::xml_node Marks::*kind, const char* attribute,
                          std::string_view value) {
        for (std::size_t k = 0; k < measures.size(); ++k) {
            const pugi::xml_node sound = marks[k].*kind;
            if (sound && (value.empty() || value == sound.attribute(attribute).value())) return k;
        }
        return measures.size();
    };
    while (i < measures.size() && order.size() < kMaxPlayedMeasures) {
        const pugi::xml_node m = measures[i];
        pugi::xml_node forward, backward, ending;
        for (pugi::xml_node barline : m.children("barline")) {
            const pugi::xml_node repeat = barline.child("repeat");
            const std::string_view direction = repeat.attribute("direction").value();
            if (direction == "forward") forward = repeat;
            if (direction == "backward") backward = repeat;
            const pugi::xml_node e = barline.child("ending");
            if (std::string_view(e.attribute("type").value()) == "start") ending = e;
        }
        if (forward && !jumped && repeatStart != i) {
            repeatStart = i;
            pass = 1;
        }
        // An ending of another pass is passed over, up to where it stops. After D.C. or
        // D.S. the way goes through the later endings, not the first.
        const std::string_view numbers = ending.attribute("number").value();
        const bool plays =
            jumped ? !EndingHas(numbers, 1) || EndingHas(numbers, 2) : EndingHas(numbers, pass);
        if (ending && !plays) {
            while (i < measures.size()) {
                bool stops = false;
                for (pugi::xml_node barline : measures[i].children("barline")) {
                    const std::string_view type = barline.child("ending").attribute("type").value();
                    stops = stops || type == "stop" || type == "discontinue";
                }
                ++i;
                if (stops) break;
            }
            continue;
        }
        order.push_back(m);
        if (jumped && marks[i].fine) break;
        if (jumped && marks[i].tocoda) {
            const std::size_t coda =
                find(&Marks::coda, "coda", marks[i].tocoda.attribute("tocoda").value());
            if (coda > i && coda < measures.size()) {
                i = coda;
                ++jumps;
                continue;
            }
        }
        if (backward && !jumped) {
            const int times = std::clamp(backward.attribute("times").as_int(2), 1, 16);
            int& done = taken[i];
            if (done + 1 < times) {
                ++done;
                ++pass;
                ++jumps;
                i = repeatStart;
                continue;
            }
            done = 0;
            repeatStart = i + 1;
            pass = 1;
        }
        if (!jumped && (marks[i].dacapo || marks[i].dalsegno)) {
            jumped = true;
            ++jumps;
            const pugi::xml_node ds = marks[i].dalsegno;
            const std::size_t segno =
                ds ? find(&Marks::segno, "segno", ds.attribute("dalsegno").value()) : 0;
            i = segno < measures.size() ? segno : 0;
            continue;
        }
        ++i;
    }
    return order;
}

// ---- The part --------------------------------------------------------------------------------

class PartReader {
  public:
    PartReader(platform::Melody& melody, const ReadLimits& limits)
        : m_melody(melody), m_limits(limits) {}

    // The limit the part passes with its repeats played out, if any: its notes, or the
    // elements of its measures each time they are played.
    std::optional<MelodyLimit> Read(pugi::xml_node part) {
        bool first = true;
        for (pugi::xml_node measure : PlayOrder(part, m_melody.repeatsPlayedOut)) {
            platform::StopPoint();
            Measure(measure);
            if (m_passed) return m_passed;
            if (first && std::string_view(measure.attribute("implicit").value()) == "yes") {
                PadPickup();
            }
            first = false;
        }
        std::stable_sort(
            m_melody.notes.begin(), m_melody.notes.end(),
            [](const MelodyNote& a, const MelodyNote& b) { return a.onset < b.onset; });
        return std::nullopt;
    }

  private:
    // A pickup gets the rests before it that make it a whole bar, so the bar lines of the
    // piece fall on those of the cells.
    void PadPickup() {
        const double pad = m_barQuarters - m_start;
        if (!(pad > 0) || m_start <= 0) return;
        const std::int64_t ticks = Ticks(pad);
        for (MelodyNote& n : m_melody.notes) {
            n.onset += ticks;
            n.end += ticks;
        }
        m_start += pad;
        m_melody.padded = true;
    }

    void Measure(pugi::xml_node measure) {
        m_position = m_furthest = m_lastOnset = 0;
        for (pugi::xml_node element : measure.children()) {
            if (++m_played > m_limits.xmlElements) {
                m_passed = MelodyLimit::Elements;
                return;
            }
            const std::string_view name = element.name();
            if (name == "attributes") {
                const double divisions = element.child("divisions").text().as_double(0);
                if (std::isfinite(divisions) && divisions > 0) m_divisions = divisions;
                if (const pugi::xml_node t = element.child("transpose")) Transpose(t);
                if (const pugi::xml_node time = element.child("time")) {
                    const double beats = time.child("beats").text().as_double(0);
                    const double type = time.child("beat-type").text().as_double(0);
                    if (beats > 0 && beats <= 64 && type > 0 && type <= 64) {
                        m_barQuarters = beats * 4 / type;
                    }
                }
            } else if (name == "note") {
                Note(element);
            } else if (name == "backup") {
                m_position = std::max(0.0, m_position - Length(element));
            } else if (name == "forward") {
                Advance(Length(element));
            }
        }
        // A measure lasts as long as its longest voice.
        m_start = std::min(m_start + m_furthest, kMaxQuarters);
    }

    // A transposing instrument's part is written away from the pitch it sounds: its notes
    // come in at concert pitch.
    void Transpose(pugi::xml_node transpose) {
        const int chromatic = transpose.child("chromatic").text().as_int(0);
        const int octaves = transpose.child("octave-change").text().as_int(0);
        m_transpose = std::clamp(chromatic, -24, 24) + 12 * std::clamp(octaves, -4, 4);
    }

    double Length(pugi::xml_node element) const {
        const double length = element.child("duration").text().as_double(0) / m_divisions;
        return std::isfinite(length) ? std::clamp(length, 0.0, kMaxQuarters) : 0.0;
    }

    void Advance(double length) {
        m_position = std::min(m_position + length, kMaxQuarters);
        m_furthest = std::max(m_furthest, m_position);
    }

    void Note(pugi::xml_node note) {
        if (note.child("grace")) {
            if (note.child("pitch")) ++m_melody.leftOut;
            return;
        }
        const double length = Length(note);
        double onset = m_lastOnset;
        if (!note.child("chord")) {
            onset = m_lastOnset = m_position;
            Advance(length);
        }
        // Cue notes show another part's line; they are not played.
        const pugi::xml_node pitch = note.child("pitch");
        if (!pitch || note.child("cue")) return;
        std::optional<int> key = KeyOf(pitch);
        if (key) key = *key + m_transpose;
        if (!key || *key < 0 || *key > 127) {
            ++m_melody.leftOut;
            return;
        }
        Add({Ticks(m_start + onset), Ticks(m_start + onset + length), *key}, HasTie(note, "start"),
            HasTie(note, "stop"));
    }

    static std::int64_t Ticks(double quarters) {
        return std::llround(std::min(quarters, 2 * kMaxQuarters) * kTicksPerQuarter);
    }

    // A note tied from one before it lengthens that note rather than sound again. A chord
    // may tie two notes of one key (two strings in unison): the first tied is the first
    // continued.
    void Add(MelodyNote note, bool tieStart, bool tieStop) {
        const auto open = m_openTies.find(note.key);
        if (tieStop && open != m_openTies.end()) {
            const std::size_t tied = open->second;
            m_melody.notes[tied].end = std::max(m_melody.notes[tied].end, note.end);
            m_openTies.erase(open);
            if (tieStart) m_openTies.emplace(note.key, tied);
            return;
        }
        if (static_cast<std::int64_t>(m_melody.notes.size()) >= m_limits.notes) {
            m_passed = MelodyLimit::Notes;
            return;
        }
        if (tieStart) m_openTies.emplace(note.key, m_melody.notes.size());
        m_melody.notes.push_back(note);
    }

    platform::Melody& m_melody;
    const ReadLimits& m_limits;
    std::int64_t m_played = 0;  // elements of the measures played so far
    std::optional<MelodyLimit> m_passed;
    double m_divisions = 1;
    int m_transpose = 0;  // semitones from the written to the sounding pitch
    double m_barQuarters = 4;
    double m_start = 0;  // the measure's start, in quarter notes from the beginning
    double m_position = 0, m_furthest = 0, m_lastOnset = 0;  // within the measure
    std::multimap<int, std::size_t> m_openTies;              // key -> the notes a tie goes on from
};

bool HasPitchedNote(pugi::xml_node part) {
    return !part.find_node([](pugi::xml_node n) {
                    return std::strcmp(n.name(), "pitch") == 0 && !n.parent().child("grace");
                })
                .empty();
}

// Each part's name by its id, the first of an id that repeats.
std::unordered_map<std::string_view, std::string> PartNames(pugi::xml_node root) {
    std::unordered_map<std::string_view, std::string> names;
    for (pugi::xml_node entry : root.child("part-list").children("score-part")) {
        names.try_emplace(entry.attribute("id").value(), entry.child_value("part-name"));
    }
    return names;
}

std::string Listed(std::size_t index, const std::string& name) {
    return std::to_string(index + 1) + (name.empty() ? std::string() : " " + name);
}

// The part asked for: by number, by name in either case (one part only), else the first
// that has pitched notes.
std::optional<std::size_t> ChosenPart(const std::vector<pugi::xml_node>& parts,
                                      const std::vector<std::string>& names,
                                      const TrackChoice& choice, bool& ambiguous) {
    switch (choice.kind) {
        case TrackChoice::Kind::Every:
            for (std::size_t i = 0; i < parts.size(); ++i) {
                if (HasPitchedNote(parts[i])) return i;
            }
            return parts.empty() ? std::nullopt : std::optional<std::size_t>(0);
        case TrackChoice::Kind::Number:
            if (static_cast<std::size_t>(choice.number) <= parts.size()) {
                return static_cast<std::size_t>(choice.number) - 1;
            }
            return std::nullopt;
        case TrackChoice::Kind::Name: {
            std::optional<std::size_t> found;
            for (std::size_t i = 0; i < parts.size(); ++i) {
                if (!SameName(names[i], choice.name)) continue;
                if (found) ambiguous = true;
                found = i;
            }
            return ambiguous ? std::nullopt : found;
        }
        case TrackChoice::Kind::Channel:
            break;  // parts have no channels of their own
    }
    return std::nullopt;
}

// Quarter notes a minute: the first tempo the part sounds, else the first in the score,
// else the first metronome mark; 0 when there is none.
double TempoOf(pugi::xml_node root, pugi::xml_node part) {
    const auto sound = [](pugi::xml_node n) {
        return std::strcmp(n.name(), "sound") == 0 && n.attribute("tempo");
    };
    pugi::xml_node found = part.find_node(sound);
    if (!found) found = root.find_node(sound);
    if (found) return found.attribute("tempo").as_double(0);
    const pugi::xml_node metronome =
        part.find_node([](pugi::xml_node n) { return std::strcmp(n.name(), "metronome") == 0; });
    static const std::map<std::string_view, double> kQuarters = {
        {"whole", 4}, {"half", 2}, {"quarter", 1}, {"eighth", 0.5}, {"16th", 0.25}};
    const auto unit = kQuarters.find(metronome.child_value("beat-unit"));
    if (!metronome || unit == kQuarters.end()) return 0;
    const double dotted = metronome.child("beat-unit-dot") ? 1.5 : 1;
    return metronome.child("per-minute").text().as_double(0) * unit->second * dotted;
}

}  // namespace

MelodyRead ReadMusicXmlMelody(std::string_view bytes, const TrackChoice& choice,
                              const ReadLimits& limits) {
    std::string unpacked;
    if (bytes.substr(0, 4) == "PK\x03\x04") {
        MelodyRead refusal;
        std::optional<std::string> document = ScoreOfArchive(bytes, limits, refusal);
        if (!document) return refusal;
        unpacked = std::move(*document);
        bytes = unpacked;
    }
    pugi::xml_document doc;
    if (std::optional<MelodyRead> refusal =
            LoadXml(doc, bytes, unpacked.empty() ? nullptr : &unpacked, limits)) {
        return std::move(*refusal);
    }
    const pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), "score-timewise") == 0) return {MelodyFault::Unsupported, {}};
    if (std::strcmp(root.name(), "score-partwise") != 0) return {MelodyFault::UnknownKind, {}};
    std::vector<pugi::xml_node> parts;
    std::vector<std::string> names;
    MelodyRead read;
    const std::unordered_map<std::string_view, std::string> partNames = PartNames(root);
    for (pugi::xml_node p : root.children("part")) {
        parts.push_back(p);
        const auto named = partNames.find(p.attribute("id").value());
        names.push_back(named == partNames.end() ? std::string() : ForeignText(named->second));
        read.melody.parts.push_back(Listed(parts.size() - 1, names.back()));
    }
    const std::optional<std::size_t> chosen =
        ChosenPart(parts, names, choice, read.melody.ambiguousTrack);
    if (!chosen) {
        // A score without parts has nothing to read, which is not the choice's fault.
        if (parts.empty() && choice.kind == TrackChoice::Kind::Every) return read;
        read.fault = MelodyFault::NoSuchTrack;
        return read;
    }
    const pugi::xml_node part = parts[*chosen];
    read.melody.taken = read.melody.parts[*chosen];
    read.melody.ticksPerQuarter = kTicksPerQuarter;
    if (const std::optional<MelodyLimit> passed = PartReader(read.melody, limits).Read(part)) {
        return TooLarge(*passed, limits);
    }
    std::string title = root.child("work").child_value("work-title");
    if (title.empty()) title = root.child_value("movement-title");
    read.melody.title = ForeignText(title);
    read.melody.titleReplaced = CharactersOutsideSjis(title);
    const double tempo = TempoOf(root, part);
    read.melody.tempo = std::isfinite(tempo) && tempo > 0 ? tempo : 0;
    return read;
}

}  // namespace tabrella::exchange
