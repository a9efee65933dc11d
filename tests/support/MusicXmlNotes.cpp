// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MusicXmlNotes.h"

#include <zip.h>

#include <algorithm>
#include <map>
#include <memory>
#include <pugixml.hpp>

namespace tabrella::test {
namespace {

constexpr int kTicksPerQuarter = 480;

int KeyOf(pugi::xml_node pitch) {
    static const std::map<std::string, int> kSteps = {{"C", 0}, {"D", 2}, {"E", 4}, {"F", 5},
                                                      {"G", 7}, {"A", 9}, {"B", 11}};
    const auto step = kSteps.find(pitch.child_value("step"));
    if (step == kSteps.end()) return -1;
    return step->second + pitch.child("alter").text().as_int() +
           12 * (pitch.child("octave").text().as_int() + 1);
}

bool HasTie(pugi::xml_node note, const char* type) {
    for (pugi::xml_node tie : note.children("tie")) {
        if (std::string(tie.attribute("type").value()) == type) return true;
    }
    return false;
}

}  // namespace

MusicXmlScore ReadMusicXml(std::string_view document) {
    MusicXmlScore s;
    auto fail = [&](std::string why) {
        s.valid = false;
        s.error = std::move(why);
        return s;
    };
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(document.data(), document.size());
    if (!parsed) return fail(std::string("does not parse: ") + parsed.description());
    const pugi::xml_node root = doc.child("score-partwise");
    if (!root || std::string(root.attribute("version").value()) != "4.0") {
        return fail("not partwise MusicXML 4.0");
    }
    s.title = root.child("work").child_value("work-title");
    const pugi::xml_node part = root.child("part-list").child("score-part");
    s.partName = part.child_value("part-name");
    s.midiProgram = part.child("midi-instrument").child("midi-program").text().as_int();

    std::multimap<int, size_t> open;  // key -> tied note waiting for its continuation
    long time = 0, chordStart = 0;
    for (pugi::xml_node measure : root.child("part").children("measure")) {
        ++s.measures;
        const long measureStart = time;
        for (pugi::xml_node item : measure.children()) {
            const std::string name = item.name();
            if (name == "attributes") {
                if (item.child("divisions")) s.divisions = item.child("divisions").text().as_int();
                if (item.child("time")) {
                    s.time = std::string(item.child("time").child_value("beats")) + "/" +
                             item.child("time").child_value("beat-type");
                }
                if (item.child("clef")) {
                    s.clef = std::string(item.child("clef").child_value("sign")) +
                             item.child("clef").child_value("line");
                }
            } else if (name == "direction") {
                const pugi::xml_node type = item.child("direction-type");
                if (type.child("words")) s.direction = type.child_value("words");
                if (type.child("metronome")) {
                    s.tempo = type.child("metronome").child("per-minute").text().as_int();
                }
            } else if (name == "note") {
                if (s.divisions <= 0) return fail("a note before the divisions");
                const long duration =
                    item.child("duration").text().as_int() * kTicksPerQuarter / s.divisions;
                const long onset = item.child("chord") ? chordStart : time;
                if (!item.child("chord")) {
                    chordStart = time;
                    time += duration;
                }
                if (!item.child("pitch")) continue;
                const int key = KeyOf(item.child("pitch"));
                const std::string at = std::to_string(onset) + ":" + std::to_string(key) + ":";
                for (pugi::xml_node lyric : item.children("lyric")) {
                    s.lyrics.push_back(at + lyric.attribute("number").value() + ":" +
                                       lyric.child_value("text"));
                }
                for (pugi::xml_node bend :
                     item.child("notations").child("technical").children("bend")) {
                    s.bends.push_back(at + bend.child_value("bend-alter") +
                                      (bend.child("release") ? "r" : ""));
                }
                size_t index = s.notes.size();
                if (HasTie(item, "stop")) {
                    const auto it = open.lower_bound(key);
                    if (it == open.end() || it->first != key) return fail("a tie from nothing");
                    index = it->second;
                    open.erase(it);
                    if (s.notes[index].end != onset) return fail("a tie over a gap");
                    s.notes[index].end = onset + duration;
                } else {
                    s.notes.push_back({onset, onset + duration, key});
                }
                if (HasTie(item, "start")) open.emplace(key, index);
            }
        }
        if (time - measureStart != 4 * kTicksPerQuarter) {
            return fail("measure " + std::to_string(s.measures) + " is not one 4/4 measure");
        }
    }
    if (!open.empty()) return fail("a tie to nothing");
    std::sort(s.notes.begin(), s.notes.end());
    s.valid = true;
    return s;
}

std::string ReadMxl(std::string_view archive, std::string& error) {
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, nullptr);
    zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, nullptr) : nullptr;
    if (!zip) {
        zip_source_free(source);
        error = "not a zip archive";
        return {};
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> owner(zip, &zip_discard);
    // The bytes of entry `index`; empty when there is none.
    auto entry = [&](zip_int64_t index) {
        zip_stat_t st;
        if (index < 0 || zip_stat_index(zip, zip_uint64_t(index), 0, &st) != 0)
            return std::string();
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(
            zip_fopen_index(zip, zip_uint64_t(index), 0), &zip_fclose);
        std::string bytes(size_t(st.size), '\0');
        if (!file || zip_fread(file.get(), bytes.data(), st.size) != zip_int64_t(st.size))
            return std::string();
        return bytes;
    };
    zip_stat_t first;
    if (zip_get_name(zip, 0, 0) != std::string("mimetype") ||
        zip_stat_index(zip, 0, 0, &first) != 0 || first.comp_method != ZIP_CM_STORE ||
        entry(0) != "application/vnd.recordare.musicxml") {
        error = "no stored mimetype of MusicXML first";
        return {};
    }
    pugi::xml_document container;
    container.load_string(entry(zip_name_locate(zip, "META-INF/container.xml", 0)).c_str());
    const char* root =
        container.select_node("/container/rootfiles/rootfile/@full-path").attribute().value();
    std::string document = entry(zip_name_locate(zip, root, 0));
    if (document.empty()) error = "the container names no file of the archive";
    return document;
}

}  // namespace tabrella::test
