#include "writer/adrrecords.h"
#include "writer/adrtree.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

namespace zel {
namespace {

using platform::File;

// One scratch file, written through File and inspected as bytes.
class ScratchFile {
public:
    File create() {
        File file;
        EXPECT_TRUE(file.open(platform::fromSystemName(path.string()), File::Mode::write));
        return file;
    }
    Bytes bytes() const { return test::readFile(path); }

private:
    test::TempDir dir;
    std::filesystem::path path = dir / "items.bin";
};

template <typename Item> Bytes recordOf(const Item& item) {
    Bytes bytes;
    putRecord(bytes, item);
    EXPECT_EQ(recordSize(item), bytes.size());
    return bytes;
}

mapAdrItem node(std::u16string name, int32_t owner, int32_t childPos = 0) {
    mapAdrItem item(std::move(name), 0);
    item.ownerIndex = owner;
    item.childPos = childPos;
    return item;
}

std::vector<mapAdrItem> countriesNamed(std::initializer_list<const char16_t*> names) {
    std::vector<mapAdrItem> list;
    for (const char16_t* name : names)
        list.push_back(node(name, -1, -1));
    return list;
}

template <typename Item> std::vector<std::u16string> namesOf(const std::vector<Item>& items) {
    std::vector<std::u16string> names;
    for (const Item& item : items)
        names.push_back(item.name);
    return names;
}

template <typename Item> Bytes concatenatedRecords(const std::vector<Item>& items) {
    Bytes all;
    for (const Item& item : items) {
        const Bytes record = recordOf(item);
        all.insert(all.end(), record.begin(), record.end());
    }
    return all;
}

TEST(AddressRecords, EachItemHasItsPackedForm) {
    struct Case {
        const char* what;
        std::function<Bytes()> record;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"name of 3 units",
         [] { return recordOf(mapStrItem(u"Abc")); },
         {0x03, 'A', 0, 'b', 0, 'c', 0}},
        {"empty name", [] { return recordOf(mapStrItem()); }, {0x00}},
        {"tree item",
         [] {
             mapAdrItem item(u"R\u00E9", 4);
             item.childCount = 2;
             item.childPos = 0x0110;
             return recordOf(item);
         },
         {0x02, 'R', 0, 0xE9, 0, 2, 0, 0, 0, 0x10, 0x01, 0, 0}},
        {"unused tree item",
         [] { return recordOf(mapAdrItem()); },
         {0x00, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"city",
         [] {
             cCityInfo city(u"T", 0);
             city.childPos = 5;
             city.kindTables[1] = {0x40, 7, 2};
             city.table1.pos = 0x20;
             city.table1.count = 3;
             city.table2.pos = 0x99; // never written
             return recordOf(city);
         },
         // clang-format off
         {0x01, 'T', 0, 3, 0, 0, 0, 5, 0, 0, 0,    // name, childCount, childPos
          1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // kind 1: kind, count, pos
          2, 0, 0, 0, 7, 0, 0, 0, 0x40, 0, 0, 0,   // kind 2
          3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // kind 3
          0x20, 0, 0, 0, 3, 0, 0, 0}},             // table1
        // clang-format on
        {"address object",
         [] {
             mapAdrObject object(u"9");
             object.kind = 0x0D; // only the low 3 bits are written
             object.cityKey = 77;
             object.ref = 0x01020304;
             object.x = 1.0f;
             object.y = -2.0f;
             return recordOf(object);
         },
         {0x05, 0x04, 0x03, 0x02, 0x01, 0x01, '9', 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0}},
        {"file position",
         [] {
             cFilePos table;
             table.count = 2;
             Bytes bytes;
             putRecord(bytes, table);
             return bytes;
         },
         {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.record(), c.expected) << c.what;
}

TEST(AddressRecords, LongNamesAreCutTo255UnitsAndSizeCountsWhatIsWritten) {
    const std::u16string pair = u"\U0001F600"; // two units
    struct Case {
        const char* what;
        std::u16string name;
        size_t units;
    };
    const std::vector<Case> cases = {
        {"300 units", std::u16string(300, u'a'), 255},
        {"exactly 255", std::u16string(255, u'b'), 255},
        {"pair across the cut", std::u16string(254, u'c') + pair + u"x", 254},
        {"pair before the cut", std::u16string(253, u'd') + pair + u"xy", 255},
        {"lone high surrogate at the cut", std::u16string(254, u'e') + u'\xD83D' + u"xy", 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nameRecordUnits(c.name), c.units);
        const Bytes name = recordOf(mapStrItem(c.name));
        ASSERT_EQ(name.size(), 2 * c.units + 1);
        EXPECT_EQ(name[0], c.units);
        EXPECT_EQ(name.back(), static_cast<uint8_t>(c.name[c.units - 1] >> 8));
        EXPECT_EQ(recordOf(mapAdrItem(c.name, 0)).size(), 2 * c.units + 9);
        EXPECT_EQ(recordOf(cCityInfo(c.name, 0)).size(), 2 * c.units + 9 + 36 + 8);
        EXPECT_EQ(recordOf(mapAdrObject(c.name)).size(), 2 * c.units + 14);
    }
}

TEST(AddressTree, ChildrenAreWrittenGroupedByOwnerInNameOrder) {
    auto countries = countriesNamed({u"Land", u"Other"});
    std::vector<mapAdrItem> regions = {node(u"Zeta", 1), node(u"Beta", 0),
                                       node(u"Gone", 0, -1), // received no cities
                                       node(u"Alpha", 0), node(u"Alp", 1)};

    ScratchFile scratch;
    File file = scratch.create();
    const uint32_t end = writeChildren(regions, file, 100, countries);
    file.close();

    EXPECT_EQ(namesOf(regions), (std::vector<std::u16string>{u"Alpha", u"Beta", u"Alp", u"Zeta"}));
    EXPECT_EQ(scratch.bytes(), concatenatedRecords(regions));
    EXPECT_EQ(countries[0].childPos, 100);
    EXPECT_EQ(countries[0].childCount, 2u);
    // Records of 2n + 9 bytes: Alpha 19, Beta 17, then Alp 15, Zeta 17.
    EXPECT_EQ(countries[1].childPos, 100 + 19 + 17);
    EXPECT_EQ(countries[1].childCount, 2u);
    EXPECT_EQ(end, 100 + 19 + 17 + 15 + 17);
}

TEST(AddressTree, EqualOwnersAndNamesKeepTheirOrder) {
    auto countries = countriesNamed({u"Land"});
    std::vector<mapAdrItem> regions;
    for (uint32_t mark = 1; mark <= 4; ++mark) {
        regions.push_back(node(u"Same", 0));
        regions.back().childCount = mark;
    }
    ScratchFile scratch;
    File file = scratch.create();
    writeChildren(regions, file, 0, countries);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(regions[i].childCount, i + 1);
}

TEST(AddressTree, ChildrenOfUnknownOwnersAreReportedAndDropped) {
    struct Case {
        const char* what;
        std::vector<int32_t> owners;
        std::string message;
        std::vector<std::u16string> kept;
    };
    const std::vector<Case> cases = {
        {"every region without a country", {-1, -1, -1}, " Unknown owner ID -1", {}},
        {"owners beyond the list, -1 last",
         {-1, 0, 5, 1, 5},
         " Unknown owner ID 5 Unknown owner ID -1",
         {u"r1", u"r3"}},
        {"all known", {1, 0}, "", {u"r1", u"r0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto countries = countriesNamed({u"A", u"B"});
        std::vector<mapAdrItem> regions;
        for (size_t i = 0; i < c.owners.size(); ++i)
            regions.push_back(node(u"r" + platform::fromAscii(std::to_string(i)), c.owners[i]));

        ScratchFile scratch;
        File file = scratch.create();
        platform::ConsoleCapture console;
        const uint32_t end = writeChildren(regions, file, 8, countries);
        file.close();

        EXPECT_EQ(console.text(), c.message);
        EXPECT_EQ(namesOf(regions), c.kept);
        EXPECT_EQ(end, 8 + scratch.bytes().size());
    }
}

TEST(AddressTree, OwnersWithoutWrittenChildrenDropOutLevelByLevel) {
    auto countries = countriesNamed({u"Empty", u"Full"});
    std::vector<mapAdrItem> regions = {node(u"Hollow", 1, -1), // its only city has no objects
                                       node(u"Busy", 1, -1)};
    std::vector<cCityInfo> cities = {cCityInfo(u"Ghost", 0), cCityInfo(u"Town", 0)};
    cities[1].ownerIndex = 1;
    cities[1].childPos = 0;

    ScratchFile scratch;
    File file = scratch.create();
    uint32_t offset = writeChildren(cities, file, 0, regions);
    EXPECT_EQ(namesOf(cities), std::vector<std::u16string>{u"Town"});
    EXPECT_EQ(regions[1].childPos, 0);
    EXPECT_EQ(regions[1].childCount, 1u);

    offset = writeChildren(regions, file, offset, countries);
    EXPECT_EQ(namesOf(regions), std::vector<std::u16string>{u"Busy"});
    EXPECT_EQ(countries[1].childPos, static_cast<int32_t>(recordSize(cities[0])));

    offset = writeAll(countries, file, offset);
    file.close();
    EXPECT_EQ(namesOf(countries), std::vector<std::u16string>{u"Full"});
    Bytes expected = concatenatedRecords(cities);
    for (const Bytes& part : {concatenatedRecords(regions), concatenatedRecords(countries)})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(scratch.bytes(), expected);
    EXPECT_EQ(offset, expected.size());
}

TEST(AddressTree, AFailedWriteStopsTheLevelWithoutCountingIt) {
    File closed; // every write fails
    auto countries = countriesNamed({u"Unused", u"A", u"B"});
    countries[1].childPos = 0;
    countries[2].childPos = 0;
    EXPECT_EQ(writeAll(countries, closed, 40), 40u);
    EXPECT_EQ(namesOf(countries), (std::vector<std::u16string>{u"A", u"B"}));

    std::vector<mapAdrItem> regions = {node(u"R", 0)};
    EXPECT_EQ(writeChildren(regions, closed, 40, countries), 40u);
    EXPECT_EQ(regions.size(), 1u);
    EXPECT_EQ(countries[0].childCount, 0u);
}

} // namespace
} // namespace zel
