#include "reader/adritems.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace zel {
namespace {

using platform::File;

// One scratch file: written through File, then inspected as bytes or reopened.
class ScratchFile {
public:
    File create() { return openAs(File::Mode::write); }
    File reopen() { return openAs(File::Mode::read); }
    Bytes bytes() const { return test::readFile(path); }
    void fill(const Bytes& bytes) { test::writeFile(path, bytes); }

private:
    File openAs(File::Mode mode) {
        File file;
        EXPECT_TRUE(file.open(platform::fromSystemName(path.string()), mode));
        return file;
    }

    test::TempDir dir;
    std::filesystem::path path = dir / "items.bin";
};

// The bytes writeFile puts in a file; the count it reports and size() must
// both agree with them.
Bytes recordOf(const mapStrItem& item) {
    ScratchFile scratch;
    File file = scratch.create();
    const uint32_t reported = item.writeFile(file);
    EXPECT_TRUE(file.close());
    Bytes bytes = scratch.bytes();
    EXPECT_EQ(reported, bytes.size());
    EXPECT_EQ(item.size(), bytes.size());
    return bytes;
}

// Reads one whole record of type Item from `bytes`, which it must use up.
template <typename Item> Item readBack(const Bytes& bytes, Item item = Item{}) {
    ByteReader in(bytes);
    EXPECT_TRUE(item.read(in));
    EXPECT_EQ(in.remaining(), 0u);
    return item;
}

std::unique_ptr<mapAdrItem> node(std::u16string name, int32_t owner, int32_t childPos = 0) {
    auto item = std::make_unique<mapAdrItem>(std::move(name), 0);
    item->ownerIndex = owner;
    item->childPos = childPos;
    return item;
}

std::vector<std::unique_ptr<mapAdrItem>>
countriesNamed(std::initializer_list<const char16_t*> names) {
    std::vector<std::unique_ptr<mapAdrItem>> list;
    for (const char16_t* name : names)
        list.push_back(node(name, -1, -1));
    return list;
}

template <typename Item>
std::vector<std::u16string> namesOf(const std::vector<std::unique_ptr<Item>>& items) {
    std::vector<std::u16string> names;
    for (const auto& item : items)
        names.push_back(item->name);
    return names;
}

template <typename Item>
Bytes concatenatedRecords(const std::vector<std::unique_ptr<Item>>& items) {
    Bytes all;
    for (const auto& item : items) {
        const Bytes record = recordOf(*item);
        all.insert(all.end(), record.begin(), record.end());
    }
    return all;
}

TEST(ByteReader, ReadsLittleEndianAndFailsForGoodAtTheEnd) {
    const Bytes data = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0x3F, 0xEE};
    ByteReader in(data);
    EXPECT_EQ(in.readU8(), 0x01);
    EXPECT_EQ(in.readU16(), 0x1234);
    EXPECT_EQ(in.readU32(), 0x12345678u);
    EXPECT_EQ(in.readF32(), 1.0f);
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.readU32(), 0u); // one byte left: too short
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.position(), 11u);
    EXPECT_EQ(in.readU8(), 0u); // the failure sticks
    EXPECT_FALSE(in.skip(0));

    ByteReader empty;
    EXPECT_TRUE(empty.skip(0));
    EXPECT_FALSE(empty.skip(1));
    const Bytes minusTwo = {0xFE, 0xFF, 0xFF, 0xFF};
    ByteReader signedField(minusTwo);
    EXPECT_EQ(signedField.readI32(), -2);
}

struct FormCase {
    const char* what;
    std::function<std::unique_ptr<mapStrItem>()> make;
    Bytes expected;
};

std::vector<FormCase> formCases() {
    return {
        {"name of 3 units",
         [] { return std::make_unique<mapStrItem>(u"Abc"); },
         {0x03, 'A', 0, 'b', 0, 'c', 0}},
        {"empty name", [] { return std::make_unique<mapStrItem>(); }, {0x00}},
        {"tree item",
         [] {
             auto item = std::make_unique<mapAdrItem>(u"R\u00E9", 4);
             item->childCount = 2;
             item->childPos = 0x0110;
             return item;
         },
         {0x02, 'R', 0, 0xE9, 0, 2, 0, 0, 0, 0x10, 0x01, 0, 0}},
        {"unused tree item",
         [] { return std::make_unique<mapAdrItem>(); },
         {0x00, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"city",
         [] {
             auto city = std::make_unique<cCityInfo>(u"T", 0);
             city->childPos = 5;
             city->kindTables[1] = {0x40, 7, 2};
             city->table1.pos = 0x20;
             city->table1.count = 3;
             city->table2.pos = 0x99; // never written
             return city;
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
             auto object = std::make_unique<mapAdrObject>(u"9");
             object->kind = 0x0D; // only the low 3 bits are written
             object->cityKey = 77;
             object->ref = 0x01020304;
             object->x = 1.0f;
             object->y = -2.0f;
             return object;
         },
         {0x05, 0x04, 0x03, 0x02, 0x01, 0x01, '9', 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0}},
    };
}

TEST(AddressItems, WriteFileWritesTheRecordAndStreamWriteTheNameOnly) {
    for (const FormCase& c : formCases()) {
        SCOPED_TRACE(c.what);
        const auto item = c.make();
        EXPECT_EQ(recordOf(*item), c.expected);

        Bytes stream;
        EXPECT_EQ(item->write(stream), 2 * item->name.size() + 1);
        EXPECT_EQ(stream, recordOf(mapStrItem(item->name)));
    }
}

TEST(AddressItems, FilePositionsWriteBothFields) {
    cFilePos table;
    table.count = 2;
    const Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0};
    Bytes stream;
    EXPECT_EQ(table.write(stream), 8u);
    EXPECT_EQ(stream, expected);

    ScratchFile scratch;
    File file = scratch.create();
    EXPECT_EQ(table.writeFile(file), 8u);
    file.close();
    EXPECT_EQ(scratch.bytes(), expected);
}

TEST(AddressItems, EveryClassReadsBackItsRecord) {
    mapAdrItem region(u"North", 3);
    region.childCount = 4;
    region.childPos = 1234;
    const auto regionBack = readBack<mapAdrItem>(recordOf(region));
    EXPECT_EQ(regionBack.name, u"North");
    EXPECT_EQ(regionBack.childCount, 4u);
    EXPECT_EQ(regionBack.childPos, 1234);

    cCityInfo city(u"Town \U0001F600", 0);
    city.childPos = 60;
    findKind(city, 2) = {100, 9, 2};
    city.table1.pos = 300;
    city.table1.count = 2;
    const auto cityBack = readBack<cCityInfo>(recordOf(city));
    EXPECT_EQ(cityBack.name, city.name);
    EXPECT_EQ(cityBack.childPos, 60);
    EXPECT_EQ(cityBack.kindTables[1].pos, 100u);
    EXPECT_EQ(cityBack.kindTables[1].count, 9u);
    EXPECT_EQ(cityBack.table1.pos, 300);
    EXPECT_EQ(cityBack.table1.count, 2u);
    EXPECT_EQ(cityBack.table1.loaded, 1);

    mapAdrObject house(u"12a");
    house.kind = 3;
    house.ref = 42;
    house.x = 13.375f;
    house.y = -52.5f;
    mapAdrObject target;
    target.kind = 0xF8; // bits above the written three survive a read
    const auto houseBack = readBack<mapAdrObject>(recordOf(house), target);
    EXPECT_EQ(houseBack.name, u"12a");
    EXPECT_EQ(houseBack.kind, 0xFBu);
    EXPECT_EQ(houseBack.ref, 42u);
    EXPECT_EQ(houseBack.x, 13.375f);
    EXPECT_EQ(houseBack.y, -52.5f);
}

TEST(AddressItems, NamesAndTablesReadBackFromStreamAndFile) {
    const mapStrItem first(u"Main St");
    const mapStrItem second(u"\u0141\u00F3d\u017A");
    Bytes stream;
    first.write(stream);
    second.write(stream);
    cItemTable table;
    table.pos = 16;
    table.count = 5;
    table.write(stream);

    ByteReader in(stream);
    mapStrItem name;
    EXPECT_TRUE(name.skip(in));
    EXPECT_TRUE(name.read(in));
    EXPECT_EQ(name.name, second.name);
    cItemTable tableBack;
    EXPECT_TRUE(tableBack.read(in));
    EXPECT_EQ(tableBack.pos, 16);
    EXPECT_EQ(tableBack.count, 5u);
    EXPECT_EQ(tableBack.source, &in);
    EXPECT_EQ(tableBack.loaded, 1);
    EXPECT_EQ(in.remaining(), 0u);

    ScratchFile scratch;
    File out = scratch.create();
    EXPECT_EQ(first.writeFile(out), 15u);
    EXPECT_EQ(second.writeFile(out), 9u);
    out.close();
    File file = scratch.reopen();
    mapStrItem fromFile;
    EXPECT_TRUE(fromFile.readFile(file));
    EXPECT_EQ(fromFile.name, first.name);
    EXPECT_TRUE(fromFile.readFile(file));
    EXPECT_EQ(fromFile.name, second.name);
    EXPECT_FALSE(fromFile.readFile(file));
}

TEST(AddressItems, TruncatedRecordsFailToRead) {
    for (const FormCase& c : formCases()) {
        SCOPED_TRACE(c.what);
        const auto item = c.make();
        const Bytes record = recordOf(*item);
        for (size_t length = 0; length < record.size(); ++length) {
            ByteReader in(record.data(), length);
            const auto target = c.make();
            EXPECT_FALSE(target->read(in)) << length;
        }
    }
    // A city announcing four billion kind records stops with the input.
    const Bytes city = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 0, 0, 0};
    ByteReader in(city);
    cCityInfo target;
    EXPECT_FALSE(target.read(in));

    ScratchFile scratch;
    scratch.fill({0x03, 'A', 0, 'b'});
    File file = scratch.reopen();
    mapStrItem name;
    EXPECT_FALSE(name.readFile(file));
}

TEST(AddressItems, LongNamesAreCutTo255UnitsAndSizeCountsWhatIsWritten) {
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
        EXPECT_EQ(readBack<mapStrItem>(name).name, c.name.substr(0, c.units));
        Bytes stream;
        EXPECT_EQ(mapStrItem(c.name).write(stream), name.size());
        EXPECT_EQ(recordOf(mapAdrItem(c.name, 0)).size(), 2 * c.units + 9);
        EXPECT_EQ(recordOf(cCityInfo(c.name, 0)).size(), 2 * c.units + 9 + 36 + 8);
        EXPECT_EQ(recordOf(mapAdrObject(c.name)).size(), 2 * c.units + 14);
    }
}

TEST(AddressTree, ChildrenAreWrittenGroupedByOwnerInNameOrder) {
    auto countries = countriesNamed({u"Land", u"Other"});
    std::vector<std::unique_ptr<mapAdrItem>> regions;
    regions.push_back(node(u"Zeta", 1));
    regions.push_back(node(u"Beta", 0));
    regions.push_back(node(u"Gone", 0, -1)); // received no cities
    regions.push_back(node(u"Alpha", 0));
    regions.push_back(node(u"Alp", 1));

    ScratchFile scratch;
    File file = scratch.create();
    const uint32_t end = writeChildren(regions, file, 100, countries);
    file.close();

    EXPECT_EQ(namesOf(regions), (std::vector<std::u16string>{u"Alpha", u"Beta", u"Alp", u"Zeta"}));
    EXPECT_EQ(scratch.bytes(), concatenatedRecords(regions));
    EXPECT_EQ(countries[0]->childPos, 100);
    EXPECT_EQ(countries[0]->childCount, 2u);
    // Records of 2n + 9 bytes: Alpha 19, Beta 17, then Alp 15, Zeta 17.
    EXPECT_EQ(countries[1]->childPos, 100 + 19 + 17);
    EXPECT_EQ(countries[1]->childCount, 2u);
    EXPECT_EQ(end, 100 + 19 + 17 + 15 + 17);
}

TEST(AddressTree, EqualOwnersAndNamesKeepTheirOrder) {
    auto countries = countriesNamed({u"Land"});
    std::vector<std::unique_ptr<mapAdrItem>> regions;
    for (uint32_t mark = 1; mark <= 4; ++mark) {
        regions.push_back(node(u"Same", 0));
        regions.back()->childCount = mark;
    }
    ScratchFile scratch;
    File file = scratch.create();
    writeChildren(regions, file, 0, countries);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(regions[i]->childCount, i + 1);
}

TEST(AddressTree, ChildrenOfUnknownOwnersAreReportedAndDeleted) {
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
        std::vector<std::unique_ptr<mapAdrItem>> regions;
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
    std::vector<std::unique_ptr<mapAdrItem>> regions;
    regions.push_back(node(u"Hollow", 1)); // its only city has no objects
    regions.push_back(node(u"Busy", 1));
    for (auto& region : regions)
        region->childPos = -1;
    std::vector<std::unique_ptr<cCityInfo>> cities;
    cities.push_back(std::make_unique<cCityInfo>(u"Ghost", 0));
    cities.push_back(std::make_unique<cCityInfo>(u"Town", 0));
    cities[1]->ownerIndex = 1;
    cities[1]->childPos = 0;

    ScratchFile scratch;
    File file = scratch.create();
    uint32_t offset = writeChildren(cities, file, 0, regions);
    EXPECT_EQ(namesOf(cities), std::vector<std::u16string>{u"Town"});
    EXPECT_EQ(regions[1]->childPos, 0);
    EXPECT_EQ(regions[1]->childCount, 1u);
    EXPECT_EQ(countUsed(regions), 1u);

    offset = writeChildren(regions, file, offset, countries);
    EXPECT_EQ(namesOf(regions), std::vector<std::u16string>{u"Busy"});
    EXPECT_EQ(countUsed(countries), 1u);
    EXPECT_EQ(countries[1]->childPos, static_cast<int32_t>(cities[0]->size()));

    offset = writeAll(countries, file, offset);
    file.close();
    EXPECT_EQ(namesOf(countries), std::vector<std::u16string>{u"Full"});
    Bytes expected = concatenatedRecords(cities);
    for (const Bytes& part : {concatenatedRecords(regions), concatenatedRecords(countries)})
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(scratch.bytes(), expected);
    EXPECT_EQ(offset, expected.size());

    destroyAll(cities);
    EXPECT_TRUE(cities.empty());
}

TEST(AddressTree, AFailedWriteStopsTheLevelWithoutCountingIt) {
    File closed; // every write fails
    EXPECT_EQ(mapStrItem(u"x").writeFile(closed), 0u);
    EXPECT_EQ(mapAdrItem(u"x", 0).writeFile(closed), 0u);
    EXPECT_EQ(cCityInfo(u"x", 0).writeFile(closed), 0u);
    EXPECT_EQ(mapAdrObject(u"x").writeFile(closed), 0u);
    EXPECT_EQ(cFilePos().writeFile(closed), 0u);

    auto countries = countriesNamed({u"Unused", u"A", u"B"});
    countries[1]->childPos = 0;
    countries[2]->childPos = 0;
    EXPECT_EQ(writeAll(countries, closed, 40), 40u);
    EXPECT_EQ(namesOf(countries), (std::vector<std::u16string>{u"A", u"B"}));

    std::vector<std::unique_ptr<mapAdrItem>> regions;
    regions.push_back(node(u"R", 0));
    EXPECT_EQ(writeChildren(regions, closed, 40, countries), 40u);
    EXPECT_EQ(regions.size(), 1u);
    EXPECT_EQ(countries[0]->childCount, 0u);
}

TEST(CityKinds, FindKindCreatesMissingRecordsInSortedPlace) {
    cCityInfo city(u"Town", 0);
    mapKindTable* streets = &findKind(city, 2);
    EXPECT_EQ(streets, &city.kindTables[1]);
    findKind(city, 5).count = 4;
    findKind(city, 0).pos = 8;
    findKind(city, 4);

    std::vector<uint32_t> kinds;
    for (const mapKindTable& table : city.kindTables)
        kinds.push_back(table.kind);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(city.kindTables[0].pos, 8u);
    EXPECT_EQ(city.kindTables[5].count, 4u);
    EXPECT_EQ(city.childCount, 6u); // announces every record written
    EXPECT_EQ(readBack<cCityInfo>(recordOf(city)).kindTables.size(), 6u);
}

TEST(CityKinds, ReadReplacesKnownKindsAndInsertsNewOnes) {
    Bytes record = {0x01, 'T', 0, 3, 0, 0, 0, 9, 0, 0, 0};
    const std::vector<mapKindTable> stored = {{40, 7, 2}, {9, 1, 4}, {50, 2, 0}};
    for (const mapKindTable& table : stored) {
        putU32(record, table.kind);
        putU32(record, table.count);
        putU32(record, table.pos);
    }
    putI32(record, 12);
    putU32(record, 1);

    const auto city = readBack<cCityInfo>(record);
    const std::vector<std::array<uint32_t, 3>> expected = {
        {0, 2, 50}, {1, 0, 0}, {2, 7, 40}, {3, 0, 0}, {4, 1, 9}};
    std::vector<std::array<uint32_t, 3>> tables;
    for (const mapKindTable& table : city.kindTables)
        tables.push_back({table.kind, table.count, table.pos});
    EXPECT_EQ(tables, expected);
    EXPECT_EQ(city.childCount, 3u);
    EXPECT_EQ(city.childPos, 9);
    EXPECT_EQ(city.table1.pos, 12);
}

} // namespace
} // namespace zel
