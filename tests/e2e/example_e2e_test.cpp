// The bundled example town compiled by the real executable and read back with
// the format reader.
#include "format/zelfile.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace zel {
namespace {

namespace fs = std::filesystem;

const format::Record* findRecord(const format::Level& level, std::u16string_view label,
                                 int32_t& square, const format::Block*& block) {
    for (const format::Block& b : level.blocks) {
        for (const format::Record& r : b.records) {
            if (r.label == label) {
                square = b.square;
                block = &b;
                return &r;
            }
        }
    }
    return nullptr;
}

// Half away from zero, as level units are rounded.
int32_t levelUnits(double degrees, int bits) {
    const double v = degrees * std::ldexp(1.0, bits) / 360.0;
    return static_cast<int32_t>(v >= 0 ? v + 0.5 : v - 0.5);
}

// The example town compiled once for the tests below.
class Example : public testing::Test {
protected:
    static void SetUpTestSuite() {
        test::TempDir dir;
        fs::copy(fs::path(MP2ZEL_SOURCE_DIR) / "examples", dir.path(), fs::copy_options::recursive);
        const test::RunResult run = test::runProgram(MP2ZEL_EXE, dir.path(), {});
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        // Only the main file is left beside the map.
        EXPECT_EQ(test::listNames(dir / "in/maps"), std::vector<std::string>{"brookfield.mp"});
        zel = format::readZel(test::readFile(dir / "brookfield.zel"));
        EXPECT_TRUE(zel.valid());
    }

    static format::ZelFile zel;
};

format::ZelFile Example::zel;

TEST_F(Example, TownCompilesToAValidFileWithItsObjectsInPlace) {
    // "Levels=4" builds three levels: 24, 22 and 20 bits.
    ASSERT_EQ(zel.levels.size(), 3u);
    EXPECT_EQ(zel.levels[0].bits, 24);
    EXPECT_EQ(zel.levels[0].squareSize, 90u);
    // Labels in the declared code page reach the character block.
    for (char16_t c : std::u16string(u"\u00E9\u00C9\u00FC"))
        EXPECT_NE(zel.chars.find(c), std::u16string::npos);

    // The city point lands in its 90-second square with its offset from the
    // square's base point.
    int32_t square = 0;
    const format::Block* block = nullptr;
    const format::Record* city = findRecord(zel.levels[0], u"Brookfield", square, block);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->kind, layout::recordPoi);
    EXPECT_EQ(city->type, 0x0800);
    const double squareDeg = 90.0 / 3600.0;
    const int32_t column = static_cast<int32_t>(12.40110 / squareDeg);
    const int32_t row = static_cast<int32_t>(45.51020 / squareDeg);
    EXPECT_EQ(square, row * 14400 + column);
    ASSERT_EQ(city->offsets.size(), 1u);
    EXPECT_EQ(block->baseX + city->offsets[0].dx, levelUnits(12.40110f, 24));
    EXPECT_EQ(block->baseY + city->offsets[0].dy, levelUnits(45.51020f, 24));

    // The routable street keeps its road number and nodes on level 0.
    const format::Record* street = findRecord(zel.levels[0], u"Main Street", square, block);
    ASSERT_NE(street, nullptr);
    EXPECT_EQ(street->kind, layout::recordLine);
    EXPECT_TRUE(street->hasRouting);
    EXPECT_FALSE(street->nodeRefs.empty());
    // The town hall gets its two floors (three metres each).
    const format::Record* hall = nullptr;
    for (const format::Block& b : zel.levels[0].blocks) {
        for (const format::Record& r : b.records) {
            if (r.kind == layout::recordPolygon && r.type == 0x13)
                hall = &r;
        }
    }
    ASSERT_NE(hall, nullptr);
    EXPECT_TRUE(hall->hasFloors);
    EXPECT_EQ(hall->floors, 6);
}

// The address index and the routing graph of level 0 against the map's text.
TEST_F(Example, AddressIndexAndRoutingGraphMatchTheMap) {
    ASSERT_FALSE(zel.levels.empty());
    const format::AddressSection& address = zel.levels[0].address;
    // Street names, normalised and sorted; the code page's letters intact.
    EXPECT_EQ(address.strings, (std::vector<std::u16string>{u"Bridge Road", u"Main Street",
                                                            u"Mill Lane", u"M\u00FChlweg"}));
    ASSERT_EQ(address.countries.size(), 1u);
    EXPECT_EQ(address.countries[0].name, u"Freeland ( FRL)");
    ASSERT_EQ(address.regions.size(), 1u);
    EXPECT_EQ(address.regions[0].name, u"North Shore");
    std::vector<std::u16string> cities;
    for (const format::AddressCity& city : address.cities)
        cities.push_back(city.name);
    EXPECT_EQ(cities, (std::vector<std::u16string>{u"Brookfield", u"Lakeside"}));
    // Brookfield: its city point, three streets, and the houses 1 and 12 of
    // Main Street; Lakeside: Mühlweg with house 7b.
    const format::AddressCity& brookfield = address.cities[0];
    ASSERT_EQ(brookfield.points.size(), 1u);
    EXPECT_EQ(brookfield.points[0].name, u"Brookfield");
    EXPECT_EQ(brookfield.streets.size(), 3u);
    std::vector<std::u16string> houses;
    for (const format::AddressStreetHouses& street : brookfield.houses) {
        for (const format::AddressObject& house : street.houses)
            houses.push_back(house.name);
    }
    EXPECT_EQ(houses, (std::vector<std::u16string>{u"1", u"12"}));
    const format::AddressCity& lakeside = address.cities[1];
    ASSERT_EQ(lakeside.houses.size(), 1u);
    ASSERT_EQ(lakeside.houses[0].houses.size(), 1u);
    EXPECT_EQ(lakeside.houses[0].houses[0].name, u"7b");

    const format::RoutingSection& routing = zel.levels[0].routing;
    // Roads 100 to 103; boundary nodes 1, 6 and 7.
    EXPECT_EQ(routing.header.roadCount, 4u);
    EXPECT_EQ(routing.header.externNodeCount, 3u);
    EXPECT_GT(routing.header.externCostCount, 0u);
    // Upper levels carry no routing and no address data.
    EXPECT_EQ(zel.levels[1].routingBytes, 44u);
    EXPECT_EQ(zel.levels[1].address.size, 36u);
}

TEST(EmptyLevels, MapWithoutObjectsGivesTheBareFile) {
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    test::writeText(dir / "in/maps/empty.mp",
                    "[IMG ID]\nLevels=3\nLevel0=24\nLevel1=22\n[END-IMG ID]\n"
                    "[POI]\nType=1\nData0=(0,5)\n[END]\n");
    const test::RunResult run = test::runProgram(MP2ZEL_EXE, dir.path(), {});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.find("Detected as"), std::string::npos);
    const format::ZelFile zel = format::readZel(test::readFile(dir / "empty.zel"));
    EXPECT_TRUE(zel.valid());
    EXPECT_TRUE(zel.levels.empty());
}

} // namespace
} // namespace zel
