#include "writer/addressfile.h"
#include "writer/adrrecords.h"

#include "format/address.h"
#include "passes/addressinfo.h"
#include "passes/analysis.h"
#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/maptext.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace zel {
namespace {

using format::AddressWord;

// "Freeland" with the region "North" and the city "Brookfield".
const std::string smallTree = "[COUNTRIES]\nCountry1=Freeland\n[END-COUNTRIES]\n"
                              "[REGIONS]\nRegion1=North\nCountryIdx1=1\n[END-REGIONS]\n"
                              "[CITIES]\nCity1=Brookfield\nRegionIdx1=1\n[END-CITIES]\n";

std::string object(const std::string& section, const std::string& keys) {
    const std::string data = section == "POI" ? "(2,1)" : "(3,4),(3,5)";
    return "[" + section + "]\nType=0x6\n" + keys + "\nData0=" + data + "\n[END]\n";
}

std::string house(const std::string& street, const std::string& number, int city = 1) {
    return object("POI", "CityIdx=" + std::to_string(city) + "\nStreetDesc=" + street +
                             "\nHouseNumber=" + number);
}

template <typename Item> std::vector<std::u16string> namesOf(const std::vector<Item>& items) {
    std::vector<std::u16string> names;
    for (const Item& item : items)
        names.push_back(item.name);
    return names;
}

class AddressFile : public testing::Test {
protected:
    // Reads `text` into a fresh model and builds its address index.
    void build(const std::string& text) {
        map.reset();
        test::readMapText(map, "[IMG ID]\nLevels=2\nLevel0=24\n[END]\n" + text);
        countObjects(map);
        platform::ConsoleCapture capture;
        buildAddressInfo(map);
    }

    // Writes the file of `level`; returns its bytes (none when no file is left).
    Bytes write(uint32_t level = 0) {
        platform::ConsoleCapture capture;
        written = writeAddressFile(map, level, platform::fromSystemName(file.string()));
        console = capture.text();
        return std::filesystem::exists(file) ? test::readFile(file) : Bytes{};
    }

    // Writes level 0 and decodes it; the file must be well formed.
    format::AddressSection decoded() {
        const Bytes bytes = write();
        EXPECT_TRUE(written);
        format::AddressSection section = format::readAddressSection(bytes);
        for (const format::Problem& problem : section.problems)
            ADD_FAILURE() << problem.offset << ": " << problem.what;
        return section;
    }

    test::TempDir dir;
    std::filesystem::path file = dir / "town.mp0.badr";
    cMapPolish map;
    std::string console;
    bool written = false;
};

TEST_F(AddressFile, BareHeaderAboveLevelZeroAndWithoutContent) {
    Bytes bare = {'B', 'A', 'D', 'R'};
    bare.resize(36, 0);
    build(smallTree + house("S", "5"));
    EXPECT_EQ(write(1), bare);
    build(smallTree); // a tree without objects has nothing to write
    EXPECT_EQ(write(), bare);
}

TEST_F(AddressFile, HouseTablesAndWordLists) {
    // Elm St has no houses: (-1, 0) in both of its tables.
    build(smallTree + object("POLYLINE", "CityIdx=1\nStreetDesc=Elm St") +
          object("POLYLINE", "CityIdx=1\nStreetDesc=Oak St") + house("Oak St", "12 A"));
    format::AddressSection section = decoded();
    ASSERT_EQ(section.cities.size(), 1u);
    ASSERT_EQ(section.cities[0].houses.size(), 2u);
    EXPECT_EQ(section.cities[0].houses[0].houseTable, (format::AddressPos{-1, 0}));
    EXPECT_EQ(section.cities[0].houses[0].wordTable, (format::AddressPos{-1, 0}));
    EXPECT_EQ(section.cities[0].houses[1].words, (std::vector<AddressWord>{{0, 0}, {3, 0}}));

    // (position, house) of the sorted houses: "1 B" and "2 A" give the words
    // "1 B", "2 A", "A", "B"; a leading blank starts a word, a trailing one
    // does not.
    const std::vector<std::pair<std::string, std::vector<AddressWord>>> cases = {
        {house("S", "2 A") + house("S", "1 B"), {{0, 0}, {0, 1}, {2, 1}, {2, 0}}},
        {house("S", "5 ") + house("S", " 6"), {{0, 0}, {0, 1}, {1, 0}}},
    };
    for (const auto& [houses, words] : cases) {
        build(smallTree + houses);
        section = decoded();
        ASSERT_EQ(section.cities.size(), 1u);
        ASSERT_EQ(section.cities[0].houses.size(), 1u);
        EXPECT_EQ(section.cities[0].houses[0].words, words) << houses;
    }
}

// Left out: cities without objects, regions without written cities, countries
// without written regions, and what names an unknown city, owner or street.
TEST_F(AddressFile, WhatTheFileCannotHoldIsLeftOut) {
    // Barton names region 5, North names country 0 (none), Carby has no
    // objects and is West's only city, Borland has no region; city 9 does
    // not exist.
    build("[COUNTRIES]\nCountry1=Aland\nCountry2=Borland\n[END-COUNTRIES]\n"
          "[REGIONS]\nRegion1=North\nCountryIdx1=0\nRegion2=South\nCountryIdx2=1\n"
          "Region3=West\nCountryIdx3=1\n[END-REGIONS]\n"
          "[CITIES]\nCity1=Ashby\nRegionIdx1=1\nCity2=Barton\nRegionIdx2=5\n"
          "City3=Dunton\nRegionIdx3=2\nCity4=Carby\nRegionIdx4=3\n[END-CITIES]\n" +
          house("Main St", "1", 1) + house("Main St", "2", 2) + house("Main St", "3", 3) +
          house("Main St", "4", 9));
    format::AddressSection section = decoded();
    EXPECT_EQ(console, " Unknown city ID 8 Unknown owner ID 4 Unknown owner ID -1");
    EXPECT_EQ(namesOf(section.cities), (std::vector<std::u16string>{u"Ashby", u"Dunton"}));
    EXPECT_EQ(namesOf(section.regions), std::vector<std::u16string>{u"South"});
    EXPECT_EQ(section.regions[0].firstChild, 1);
    EXPECT_EQ(namesOf(section.countries), std::vector<std::u16string>{u"Aland"});
    // The writer prunes its own copies; the model stays whole.
    EXPECT_EQ(map.cities.size(), 4u);

    // Houses whose street the city lacks are counted but not written.
    build(smallTree);
    for (const auto& [kind, ref, name] :
         {std::tuple{2u, 2u, u""}, {3u, 2u, u"4"}, {3u, 5u, u"1"}, {3u, 5u, u"2"}}) {
        map.adrObjects.emplace_back(name).kind = kind;
        map.adrObjects.back().ref = ref;
    }
    section = decoded();
    EXPECT_EQ(console, "Absent polyline for houses");
    ASSERT_EQ(section.cities.size(), 1u);
    EXPECT_EQ(section.cities[0].kinds[2], (format::AddressKind{3, 3, 14}));
    ASSERT_EQ(section.cities[0].houses.size(), 1u);
    EXPECT_EQ(namesOf(section.cities[0].houses[0].houses), std::vector<std::u16string>{u"4"});
}

TEST_F(AddressFile, FilesThatCannotBeWrittenAreReportedAndRemoved) {
    build(smallTree + house("Main St", "1"));
    const std::filesystem::path missing = dir / "no" / "town.mp0.badr";
    platform::ConsoleCapture capture;
    EXPECT_FALSE(writeAddressFile(map, 0, platform::fromSystemName(missing.string())));
    EXPECT_EQ(capture.text(), "Can't write file: " + missing.string() + "\n");
    // A small file fails when it is flushed, a large one while it is written.
    for (int houses : {1, 3000}) {
        std::string text = smallTree;
        for (int i = 0; i < houses; ++i)
            text += house("Main St", std::to_string(i));
        build(text);
        {
            const test::FileSizeLimit limit(100);
            write();
        }
        EXPECT_FALSE(written) << houses;
        EXPECT_EQ(console, "Can't write file: " + file.string() + "\n");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

// The offsets of the file are summed from recordSize: it must count exactly
// the bytes putRecord appends.
template <typename Item> Bytes recordOf(const Item& item) {
    Bytes bytes;
    putRecord(bytes, item);
    EXPECT_EQ(recordSize(item), bytes.size());
    return bytes;
}

// A name record holds at most 255 units, and never half a surrogate pair.
TEST(AddressRecords, NamesAreCutOutsideSurrogatePairs) {
    EXPECT_EQ(recordOf(mapStrItem(u"Abc")), (Bytes{0x03, 'A', 0, 'b', 0, 'c', 0}));
    const std::u16string pair = u"\U0001F600";
    const std::vector<std::pair<std::u16string, size_t>> cases = {
        {std::u16string(300, u'a'), 255},
        {std::u16string(254, u'c') + pair + u"x", 254},
        {std::u16string(253, u'd') + pair + u"xy", 255},
        {std::u16string(254, u'e') + u'\xD83D' + u"xy", 255}}; // a lone half is kept
    for (const auto& [name, units] : cases) {
        const Bytes record = recordOf(mapStrItem(name));
        ASSERT_EQ(record.size(), 2 * units + 1);
        EXPECT_EQ(record[0], units);
        EXPECT_EQ(getU16(record.data() + record.size() - 2), name[units - 1]);
        recordOf(mapAdrItem(name, 0)); // the size must count the cut name
    }
}

} // namespace
} // namespace zel
