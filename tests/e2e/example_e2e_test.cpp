// The bundled example town compiled by the real executable and read back with
// the format reader: what its address index holds against the map's text.
#include "support/example.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zel {
namespace {

namespace fs = std::filesystem;

// The address index and the routing graph of level 0 against the map's text.
TEST(Example, AddressIndexAndRoutingGraphMatchTheMap) {
    const format::ZelFile zel = format::readZel(test::compiledExample().bytes);
    ASSERT_TRUE(zel.valid());
    ASSERT_EQ(zel.levels.size(), 3u);
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
