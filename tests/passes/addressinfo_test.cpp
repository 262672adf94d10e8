#include "passes/addressinfo.h"

#include "passes/analysis.h"
#include "platform/console.h"
#include "support/maptext.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace zel {
namespace {

const std::string twoLevels = "[IMG ID]\nLevels=3\nLevel0=24\nLevel1=22\n[END-IMG ID]\n";

// A map read from `text` line by line as the loader would, with its totals;
// then the pass, whose console output is kept.
class AddressInfo : public testing::Test {
protected:
    void build(const std::string& text) {
        test::readMapText(map, twoLevels + text);
        countObjects(map);
        platform::ConsoleCapture capture;
        buildAddressInfo(map);
        console = capture.text();
    }

    std::vector<std::u16string> streetNames() const {
        std::vector<std::u16string> names;
        for (const mapStrItem& street : map.streetNames)
            names.push_back(street.name);
        return names;
    }

    // The position of `name` in streetNames, which must hold it.
    uint32_t streetRef(const std::u16string& name) const {
        for (size_t i = 0; i < map.streetNames.size(); ++i) {
            if (map.streetNames[i].name == name)
                return static_cast<uint32_t>(i);
        }
        ADD_FAILURE() << "no such street";
        return 0;
    }

    cMapPolish map;
    std::string console;
};

// The fields of an address object that the pass settles, for comparing whole
// lists at once.
struct Obj {
    uint32_t kind;
    uint32_t cityKey;
    uint32_t ref;
    std::u16string name;
    float x;
    float y;
    bool operator==(const Obj&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Obj& o) {
    out << "{kind " << o.kind << ", city " << o.cityKey << ", ref " << o.ref << ", name ";
    for (char16_t c : o.name)
        out << static_cast<char>(c < 128 ? c : '?');
    return out << ", " << o.x << ", " << o.y << "}";
}

std::vector<Obj> objectsOf(const cMapPolish& map) {
    std::vector<Obj> objects;
    for (const mapAdrObject& o : map.adrObjects)
        objects.push_back({o.kind & 7, o.cityKey, o.ref, o.name, o.x, o.y});
    return objects;
}

std::string poi(const std::string& keys, const std::string& data = "Data0=(10,20)") {
    return "[POI]\nType=0x2f00\n" + keys + "\n" + data + "\n[END]\n";
}

std::string line(const std::string& keys, const std::string& data = "Data0=(11,21),(11,22)") {
    return "[POLYLINE]\nType=0x6\n" + keys + "\n" + data + "\n[END]\n";
}

std::string polygon(const std::string& keys,
                    const std::string& data = "Data0=(12,23),(12,24),(13,24)") {
    return "[POLYGON]\nType=0x13\n" + keys + "\n" + data + "\n[END]\n";
}

TEST_F(AddressInfo, HousePointBecomesAHouseOnItsStreetWithTheCityIndexFromZero) {
    build(line("CityIdx=2\nStreetDesc=Elm St") +
          poi("CityIdx=2\nStreetDesc=Main St\nHouseNumber=5", "Data0=(50.5,7.25)"));
    EXPECT_EQ(streetNames(), (std::vector<std::u16string>{u"Elm St", u"Main St"}));
    const uint32_t mainSt = streetRef(u"Main St");
    EXPECT_EQ(mainSt, 1u);
    // Elm St keeps its street object; Main St, carried only by the house
    // point, gets one added at the house's position.
    EXPECT_EQ(objectsOf(map), (std::vector<Obj>{{2, 1, 0, u"", 21.0f, 11.0f},
                                                {2, 1, mainSt, u"", 7.25f, 50.5f},
                                                {3, 1, mainSt, u"5", 7.25f, 50.5f}}));
}

TEST_F(AddressInfo, SpellingsOfOneStreetGiveOneName) {
    build(line("CityIdx=1\nStreetDesc=Park Rd.") + line("CityIdx=1\nStreetDesc=Park Rd.") +
          line("CityIdx=1\nStreetDesc=Park  Rd.") + line("CityIdx=1\nStreetDesc=St.Peter-Ording") +
          line("CityIdx=1\nStreetDesc=~[0x2d]Rd.(Old)"));
    EXPECT_EQ(streetNames(),
              (std::vector<std::u16string>{u"Park Rd.", u"Rd. ( Old)", u"St. Peter- Ording"}));
}

TEST_F(AddressInfo, HousesOfAStreetSortShorterNumbersFirst) {
    build(poi("CityIdx=1\nStreetDesc=Main St\nHouseNumber=10") +
          poi("CityIdx=1\nStreetDesc=Main St\nHouseNumber=9a") +
          poi("CityIdx=1\nStreetDesc=Main St\nHouseNumber=9"));
    std::vector<std::u16string> houses;
    for (const mapAdrObject& o : map.adrObjects) {
        if (o.kind == 3)
            houses.push_back(o.name);
    }
    EXPECT_EQ(houses, (std::vector<std::u16string>{u"9", u"10", u"9a"}));
}

TEST_F(AddressInfo, OnlyTheFirstLevelCopyCarriesAnAddress) {
    struct Case {
        std::string data;
        std::string more;
        size_t houses;
    };
    const std::vector<Case> cases = {
        {"Data0=(10,20)", "", 1},
        // The copy on level 1 lost its address when it was committed.
        {"Data0=(10,20)", "EndLevel=1\n", 1},
        // An object drawn from level 1 on keeps its address there.
        {"Data1=(10,20)", "", 1},
        // A second coordinate key commits a second object without address.
        {"Data0=(10,20)\nData1=(10,20)", "", 1},
    };
    for (const Case& c : cases) {
        map.reset();
        build(poi(c.more + "CityIdx=1\nStreetDesc=Main St\nHouseNumber=5", c.data) +
              polygon("EndLevel=1\nCityIdx=1\nStreetDesc=Main St\nHouseNumber=7"));
        size_t houses = 0;
        for (const mapAdrObject& o : map.adrObjects)
            houses += o.kind == 3 && o.name == u"5" ? 1 : 0;
        EXPECT_EQ(houses, c.houses) << c.data;
        EXPECT_EQ(map.streetNames.size(), 1u) << c.data;
        // The polygon's copy on level 1 adds no second house 7.
        EXPECT_EQ(map.adrObjects.size(), 3u) << c.data;
    }
}

TEST_F(AddressInfo, WhatTakesPartAndWhatItBecomes) {
    struct Case {
        std::string object;
        std::vector<Obj> objects;
    };
    const std::vector<Case> cases = {
        {poi("CityIdx=3\nCity=Y\nLabel=St.Anna"), {{5, 2, 0, u"St. Anna", 20.0f, 10.0f}}},
        // A city point needs a name, and no street.
        {poi("CityIdx=3\nCity=Y"), {}},
        {poi("CityIdx=3\nStreetDesc=Main St\nHouseNumber=1-3"),
         {{2, 2, 0, u"", 20.0f, 10.0f}, {3, 2, 0, u"1- 3", 20.0f, 10.0f}}},
        {poi("CityIdx=3\nHouseNumber=4"), {}},
        {poi("CityIdx=3\nStreetDesc=Main St"), {}},
        {poi("StreetDesc=Main St\nHouseNumber=4"), {}},
        {poi("CityIdx=3\nDontFind=Y\nStreetDesc=Main St\nHouseNumber=4"), {}},
        {line("CityIdx=3\nStreetDesc=Main St"), {{2, 2, 0, u"", 21.0f, 11.0f}}},
        {line("CityIdx=3"), {}},
        {line("CityIdx=3\nDontFind=Y\nStreetDesc=Main St"), {}},
        // A polygon with a street is a house, with or without a number.
        {polygon("CityIdx=3\nStreetDesc=Main St\nHouseNumber=2"),
         {{2, 2, 0, u"", 23.0f, 12.0f}, {3, 2, 0, u"2", 23.0f, 12.0f}}},
        {polygon("CityIdx=3\nStreetDesc=Main St"),
         {{2, 2, 0, u"", 23.0f, 12.0f}, {3, 2, 0, u"", 23.0f, 12.0f}}},
        {polygon("CityIdx=3\nHouseNumber=2"), {}},
        // City numbers are taken as written; a negative one sorts last.
        {line("CityIdx=-1\nStreetDesc=Main St"), {{2, 0xFFFFFFFEu, 0, u"", 21.0f, 11.0f}}},
    };
    for (const Case& c : cases) {
        map.reset();
        build(c.object);
        EXPECT_EQ(objectsOf(map), c.objects) << c.object;
    }
}

TEST_F(AddressInfo, OrderByCityKindAndStreet) {
    build(poi("CityIdx=2\nStreetDesc=B St\nHouseNumber=1") + poi("CityIdx=1\nCity=Y\nLabel=Zeta") +
          poi("CityIdx=1\nCity=Y\nLabel=Alpha") + poi("CityIdx=1\nStreetDesc=B St\nHouseNumber=2") +
          poi("CityIdx=1\nStreetDesc=A St\nHouseNumber=3") + line("CityIdx=1\nStreetDesc=B St"));
    EXPECT_EQ(objectsOf(map), (std::vector<Obj>{
                                  {5, 0, 0, u"Alpha", 20.0f, 10.0f},
                                  {5, 0, 0, u"Zeta", 20.0f, 10.0f},
                                  // Street A St comes from its house.
                                  {2, 0, 0, u"", 20.0f, 10.0f},
                                  {2, 0, 1, u"", 21.0f, 11.0f},
                                  {3, 0, 0, u"3", 20.0f, 10.0f},
                                  {3, 0, 1, u"2", 20.0f, 10.0f},
                                  {2, 1, 1, u"", 20.0f, 10.0f},
                                  {3, 1, 1, u"1", 20.0f, 10.0f},
                              }));
}

TEST(AddressOrder, CityKindClassThenWithinTheClass) {
    const auto object = [](uint32_t kind, uint32_t city, uint32_t ref, std::u16string name) {
        mapAdrObject o(std::move(name));
        o.kind = kind;
        o.cityKey = city;
        o.ref = ref;
        return o;
    };
    struct Case {
        mapAdrObject a;
        mapAdrObject b;
    };
    // In each case a comes strictly before b.
    const std::vector<Case> cases = {
        {object(3, 1, 0, u"1"), object(5, 2, 0, u"A")},
        {object(3, 0, 0, u"1"), object(5, 0xFFFFFFFFu, 0, u"A")},
        {object(4, 0, 9, u"Z"), object(5, 0, 0, u"A")},
        {object(5, 0, 0, u"Z"), object(2, 0, 0, u"")},
        {object(6, 0, 9, u""), object(3, 0, 0, u"1")},
        // City points before other points, by name; other points like houses.
        {object(5, 0, 9, u"Z"), object(1, 0, 0, u"A")},
        {object(5, 0, 9, u"A"), object(5, 0, 0, u"B")},
        {object(1, 0, 0, u"10"), object(1, 0, 1, u"1")},
        {object(1, 0, 0, u"9"), object(1, 0, 0, u"10")},
        // Streets by street alone, houses by street, length, then name.
        {object(2, 0, 1, u"B"), object(2, 0, 2, u"A")},
        {object(3, 0, 1, u"9a"), object(3, 0, 2, u"1")},
        {object(3, 0, 1, u"10"), object(3, 0, 1, u"9a")},
        {object(3, 0, 1, u"\u00e9"), object(3, 0, 1, u"\uffff")},
        {object(4, 0, 1, u"B"), object(4, 0, 2, u"A")},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(adrObjectBefore(c.a, c.b))
            << Obj{c.a.kind, c.a.cityKey, c.a.ref, c.a.name, 0, 0};
        EXPECT_FALSE(adrObjectBefore(c.b, c.a))
            << Obj{c.a.kind, c.a.cityKey, c.a.ref, c.a.name, 0, 0};
    }
    // Streets of one street are equal whatever their names.
    EXPECT_FALSE(adrObjectBefore(object(2, 0, 1, u"A"), object(2, 0, 1, u"B")));
}

TEST_F(AddressInfo, OnlyTheSameObjectTwiceIsReducedToOne) {
    // Two pieces of Ash St and house 7 given twice are one object each; the
    // unnamed streets Elm St and Oak St, and house 5 on both, stay apart.
    build(line("CityIdx=1\nStreetDesc=Ash St") + line("CityIdx=1\nStreetDesc=Ash St") +
          line("CityIdx=1\nStreetDesc=Elm St") + line("CityIdx=1\nStreetDesc=Oak St") +
          poi("CityIdx=1\nStreetDesc=Elm St\nHouseNumber=5") +
          poi("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=5") +
          poi("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=7") +
          polygon("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=7"));
    EXPECT_EQ(objectsOf(map), (std::vector<Obj>{{2, 0, 0, u"", 21.0f, 11.0f},
                                                {2, 0, 1, u"", 21.0f, 11.0f},
                                                {2, 0, 2, u"", 21.0f, 11.0f},
                                                {3, 0, 1, u"5", 20.0f, 10.0f},
                                                {3, 0, 2, u"5", 20.0f, 10.0f},
                                                {3, 0, 2, u"7", 20.0f, 10.0f}}));
}

TEST_F(AddressInfo, NamesJoinTheLabelCharacters) {
    build("[IMG ID]\nCodePage=1250\n[END]\n" +
          poi("CityIdx=1\nStreetDesc=\x8e"
              "abia\nHouseNumber=9\xb9") +
          poi("CityIdx=1\nCity=Y\nLabel=Q"));
    // Street "Žabia", house "9ą" and the city "Q" (which as a label is
    // already there).
    EXPECT_EQ(map.labelChars, u",-.9Qabi\u0105\u017d");
}

TEST_F(AddressInfo, ObjectsWithoutPointsTakeNoPart) {
    mapPoly bare;
    bare.cityIdx = 1;
    bare.streetDesc = u"Main St";
    bare.houseNumber = u"1";
    map.levels[0].lines.push_back(bare);
    map.levels[0].polygons.push_back(bare);
    countObjects(map);
    platform::ConsoleCapture capture;
    buildAddressInfo(map);
    EXPECT_TRUE(map.streetNames.empty());
    EXPECT_TRUE(map.adrObjects.empty());
}

TEST_F(AddressInfo, ProgressCountsEveryObjectTwice) {
    // Three objects: six steps of 16 percent.
    build(poi("CityIdx=1\nCity=Y\nLabel=A") + line("") + polygon(""));
    EXPECT_EQ(console, "\rAddress info: 0%\rAddress info: 16%\rAddress info: 32%"
                       "\rAddress info: 48%\rAddress info: 64%\rAddress info: 80%"
                       "\rAddress info: 96%\rAddress info: Done             \n");
    map.reset();
    build("");
    EXPECT_EQ(console, "\rAddress info: 0%\rAddress info: Done             \n");
}

} // namespace
} // namespace zel
