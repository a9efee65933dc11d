// SPDX-License-Identifier: GPL-3.0-or-later
// What the editor keeps between runs: what it writes reads back, and a store holding
// anything else reads as the defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "score/Remembered.h"

namespace tabrella {
namespace {

TEST(Remembered, WhatIsWrittenReadsBack) {
    platform::MemorySettings store;
    Remembered r;
    r.zoom = 90;
    r.fontFace = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";  // ＭＳ 明朝
    r.lastFolder = "/home/k/\x8a\x79\x95\x88";         // 楽譜
    r.recentFiles = {"/a.tbr", "/b.txt", "/c.tbr"};
    r.windowGeometry = "AdnQywADAAA=";
    r.language = "en";
    r.previewNotes = false;
    WriteRemembered(store, r);
    const Remembered back = ReadRemembered(store);
    EXPECT_EQ(back.zoom, 90);
    EXPECT_EQ(back.fontFace, r.fontFace);
    EXPECT_EQ(back.lastFolder, r.lastFolder);
    EXPECT_EQ(back.recentFiles, r.recentFiles);
    EXPECT_EQ(back.windowGeometry, r.windowGeometry);
    EXPECT_EQ(back.language, "en");
    EXPECT_FALSE(back.previewNotes);

    for (int zoom : {80, 100, 120, 150, 200, 300}) {
        r.zoom = zoom;
        WriteRemembered(store, r);
        EXPECT_EQ(ReadRemembered(store).zoom, zoom);
    }
    // A shorter list later leaves no old entry behind.
    r.recentFiles = {"/d.tbr"};
    WriteRemembered(store, r);
    EXPECT_EQ(ReadRemembered(store).recentFiles, r.recentFiles);
}

TEST(Remembered, ValuesThatMakeNoSenseReadAsTheDefaults) {
    struct Case {
        const char* key;
        std::string value;
    };
    const Case cases[] = {
        {"(none)", ""},
        {"view/zoom", "abc"},
        {"view/zoom", "130"},
        {"view/zoom", "120x"},
        {"view/zoom", ""},
        {"view/zoom", "-80"},
        {"view/zoom", "99999999999999"},
        {"view/font", ""},
        {"view/font", std::string(32, 'F')},
        {"view/font", "a\nb"},
        {"files/lastFolder", std::string("/a\0b", 4)},
        {"files/recent3", "a.tbr"},
        {"files/lastFolder", "home/k"},
        {"files/recent1", ""},
        {"files/recent2", "/x\r\n.tbr"},
        {"window/geometry", "\x01"},
        {"view/language", "fr"},
        {"view/language", "EN"},
        {"sound/previewNotes", "off"},
    };
    // The first round is the empty store of a first run.
    for (const Case& c : cases) {
        platform::MemorySettings store;
        if (&c != cases) store.SetValue(c.key, c.value);
        const Remembered r = ReadRemembered(store);
        EXPECT_EQ(r.zoom, 120) << c.key << "=" << c.value;
        EXPECT_EQ(r.fontFace, "") << c.key;
        EXPECT_EQ(r.lastFolder, "") << c.key;
        EXPECT_TRUE(r.recentFiles.empty()) << c.key;
        EXPECT_EQ(r.windowGeometry, "") << c.key;
        EXPECT_EQ(r.language, "") << c.key;
        EXPECT_TRUE(r.previewNotes) << c.key;
    }
}

// The recent-file list against a plain model: newest first, no path twice, at most four,
// over random runs of opens and removals.
TEST(RecentFiles, BehaveAsAMostRecentlyUsedListOfFour) {
    std::mt19937 random(18);
    for (int run = 0; run < 200; ++run) {
        std::vector<std::string> list;
        std::vector<std::string> model;  // every use, newest last
        for (int step = 0; step < 30; ++step) {
            const std::string path = "/s" + std::to_string(random() % 7) + ".tbr";
            if (random() % 5 == 0) {
                RemoveRecentFile(list, path);
                model.erase(std::remove(model.begin(), model.end(), path), model.end());
            } else {
                AddRecentFile(list, path);
                model.erase(std::remove(model.begin(), model.end(), path), model.end());
                model.push_back(path);
            }
            std::vector<std::string> expected(model.rbegin(), model.rend());
            if (expected.size() > 4) expected.resize(4);
            // A path pushed out of the four cannot come back by removals alone.
            if (list.size() < expected.size()) expected.resize(list.size());
            ASSERT_EQ(list, expected) << "run " << run << " step " << step;
        }
    }
}

TEST(RecentFiles, AStoreWithTheSamePathTwiceReadsItOnce) {
    platform::MemorySettings store;
    store.SetValue("files/recent1", "/a.tbr");
    store.SetValue("files/recent2", "/b.tbr");
    store.SetValue("files/recent3", "/a.tbr");
    EXPECT_EQ(ReadRemembered(store).recentFiles, (std::vector<std::string>{"/a.tbr", "/b.tbr"}));
}

}  // namespace
}  // namespace tabrella
