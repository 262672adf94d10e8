#include "passes/addressinfo.h"

#include "passes/analysis.h"
#include "platform/console.h"
#include "support/maptext.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

// Kind (without the city flag's higher bits), city, street reference, name
// and position: the fields of an address object that the pass settles.
using Obj = std::tuple<uint32_t, uint32_t, uint32_t, std::u16string, float, float>;

// Reads `text` into a map of two levels, as the loader would, and runs the
// pass; returns the address objects.
std::vector<Obj> objectsOf(cMapPolish& map, const std::string& text) {
    map.reset();
    test::readMapText(map, "[IMG ID]\nLevels=3\nLevel0=24\nLevel1=22\n[END-IMG ID]\n" + text);
    countObjects(map);
    platform::ConsoleCapture quiet;
    buildAddressInfo(map);
    std::vector<Obj> objects;
    for (const mapAdrObject& o : map.adrObjects)
        objects.emplace_back(o.kind & 7, o.cityKey, o.ref, o.name, o.x, o.y);
    return objects;
}

std::string poi(const std::string& keys, const std::string& data = "Data0=(10,20)") {
    return "[POI]\nType=0x2f00\n" + keys + "\n" + data + "\n[END]\n";
}

std::string line(const std::string& keys) {
    return "[POLYLINE]\nType=0x6\n" + keys + "\nData0=(11,21),(11,22)\n[END]\n";
}

std::string polygon(const std::string& keys) {
    return "[POLYGON]\nType=0x13\n" + keys + "\nData0=(12,23),(12,24),(13,24)\n[END]\n";
}

// City keys count from 0 where the map's city numbers count from 1.
TEST(AddressInfo, WhatTakesPartAndWhatItBecomes) {
    const std::vector<std::pair<std::string, std::vector<Obj>>> cases = {
        // A house point becomes a house on its street; Main St, carried only
        // by the house point, gets a street object at the house's position.
        {line("CityIdx=2\nStreetDesc=Elm St") +
             poi("CityIdx=2\nStreetDesc=Main St\nHouseNumber=5", "Data0=(50.5,7.25)"),
         {{2, 1, 0, u"", 21.0f, 11.0f},
          {2, 1, 1, u"", 7.25f, 50.5f},
          {3, 1, 1, u"5", 7.25f, 50.5f}}},
        {poi("CityIdx=3\nCity=Y\nLabel=St.Anna"), {{5, 2, 0, u"St. Anna", 20.0f, 10.0f}}},
        {poi("CityIdx=3\nCity=Y"), {}}, // a city point needs a name
        // A house point needs a street and a number.
        {poi("CityIdx=3\nStreetDesc=Main St\nHouseNumber=1-3"),
         {{2, 2, 0, u"", 20.0f, 10.0f}, {3, 2, 0, u"1- 3", 20.0f, 10.0f}}},
        {poi("CityIdx=3\nHouseNumber=4"), {}},
        {poi("CityIdx=3\nStreetDesc=Main St"), {}},
        {poi("StreetDesc=Main St\nHouseNumber=4"), {}},
        // A polygon with a street is a house, with or without a number.
        {polygon("CityIdx=3\nStreetDesc=Main St"),
         {{2, 2, 0, u"", 23.0f, 12.0f}, {3, 2, 0, u"", 23.0f, 12.0f}}},
        {polygon("CityIdx=3\nHouseNumber=2"), {}},
        // Two spellings of one street name one street; streets are numbered
        // in the order of their names, not of the file.
        {line("CityIdx=2\nStreetDesc=Elm-St") +
             poi("CityIdx=2\nStreetDesc=Elm- St\nHouseNumber=5", "Data0=(50.5,7.25)"),
         {{2, 1, 0, u"", 21.0f, 11.0f}, {3, 1, 0, u"5", 7.25f, 50.5f}}},
        {poi("CityIdx=2\nStreetDesc=B St\nHouseNumber=1", "Data0=(1,1)") +
             poi("CityIdx=2\nStreetDesc=A St\nHouseNumber=2", "Data0=(2,2)"),
         {{2, 1, 0, u"", 2.0f, 2.0f},
          {2, 1, 1, u"", 1.0f, 1.0f},
          {3, 1, 0, u"2", 2.0f, 2.0f},
          {3, 1, 1, u"1", 1.0f, 1.0f}}},
        // City numbers are taken as written; a negative one sorts last.
        {line("CityIdx=-1\nStreetDesc=Main St"), {{2, 0xFFFFFFFEu, 0, u"", 21.0f, 11.0f}}},
    };
    cMapPolish map;
    for (const auto& [object, objects] : cases)
        EXPECT_EQ(objectsOf(map, object), objects) << object;
}

TEST(AddressOrder, CityKindClassThenWithinTheClass) {
    const auto object = [](uint32_t kind, uint32_t city, uint32_t ref, std::u16string name) {
        mapAdrObject o(std::move(name));
        o.kind = kind;
        o.cityKey = city;
        o.ref = ref;
        return o;
    };
    // In each pair the first comes strictly before the second.
    const std::vector<std::pair<mapAdrObject, mapAdrObject>> cases = {
        {object(3, 0, 0, u"1"), object(5, 0xFFFFFFFFu, 0, u"A")},
        {object(5, 0, 0, u"Z"), object(2, 0, 0, u"")},
        {object(6, 0, 9, u""), object(3, 0, 0, u"1")},
        // City points before other points, by name; other points like houses.
        {object(5, 0, 9, u"Z"), object(1, 0, 0, u"A")},
        {object(5, 0, 9, u"A"), object(5, 0, 0, u"B")},
        {object(1, 0, 0, u"9"), object(1, 0, 0, u"10")},
        // Streets by street alone; houses by street, length, then name, so
        // the numbers 10, 9 and 9a sort as 9, 10, 9a.
        {object(2, 0, 1, u"B"), object(2, 0, 2, u"A")},
        {object(3, 0, 1, u"9"), object(3, 0, 1, u"10")},
        {object(3, 0, 1, u"10"), object(3, 0, 1, u"9a")},
        {object(3, 0, 1, u"\u00e9"), object(3, 0, 1, u"\uffff")},
        {object(4, 0, 1, u"B"), object(4, 0, 2, u"A")},
    };
    for (const auto& [a, b] : cases) {
        EXPECT_TRUE(adrObjectBefore(a, b)) << a.kind << " " << a.ref << " / " << b.kind;
        EXPECT_FALSE(adrObjectBefore(b, a)) << a.kind << " " << a.ref << " / " << b.kind;
    }
    // Streets of one street are equal whatever their names.
    EXPECT_FALSE(adrObjectBefore(object(2, 0, 1, u"A"), object(2, 0, 1, u"B")));
}

// Two adjacent objects are one only when city, kind, street and name all
// agree: the pieces of Ash St (its spellings give one street name) and house
// 7 given twice are reduced to one each, while the streets Elm St and Oak St
// (both without a name) and house 5 on both stay apart.
TEST(AddressInfo, OnlyTheSameObjectTwiceIsReducedToOne) {
    cMapPolish map;
    EXPECT_EQ(objectsOf(map, line("CityIdx=1\nStreetDesc=Ash St.") +
                                 line("CityIdx=1\nStreetDesc=Ash  St.") +
                                 line("CityIdx=1\nStreetDesc=Elm St") +
                                 line("CityIdx=1\nStreetDesc=Oak St") +
                                 poi("CityIdx=1\nStreetDesc=Elm St\nHouseNumber=5") +
                                 poi("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=5") +
                                 poi("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=7") +
                                 polygon("CityIdx=1\nStreetDesc=Oak St\nHouseNumber=7")),
              (std::vector<Obj>{{2, 0, 0, u"", 21.0f, 11.0f},
                                {2, 0, 1, u"", 21.0f, 11.0f},
                                {2, 0, 2, u"", 21.0f, 11.0f},
                                {3, 0, 1, u"5", 20.0f, 10.0f},
                                {3, 0, 2, u"5", 20.0f, 10.0f},
                                {3, 0, 2, u"7", 20.0f, 10.0f}}));
    std::vector<std::u16string> streets;
    for (const mapStrItem& street : map.streetNames)
        streets.push_back(street.name);
    EXPECT_EQ(streets, (std::vector<std::u16string>{u"Ash St.", u"Elm St", u"Oak St"}));
}

} // namespace
} // namespace zel
