#include "writer/addressfile.h"

#include "format/address.h"
#include "passes/addressinfo.h"
#include "passes/analysis.h"
#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/maptext.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <bit>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace zel {
namespace {

using format::AddressPos;
using format::AddressWord;

const std::string oneLevel = "[IMG ID]\nLevels=2\nLevel0=24\n[END]\n";

// "Freeland" with the region "North" and the city "Brookfield": the tree the
// simpler cases hang their objects on.
const std::string smallTree = "[COUNTRIES]\nCountry1=Freeland\n[END-COUNTRIES]\n"
                              "[REGIONS]\nRegion1=North\nCountryIdx1=1\n[END-REGIONS]\n"
                              "[CITIES]\nCity1=Brookfield\nRegionIdx1=1\n[END-CITIES]\n";

std::string poi(const std::string& keys, const std::string& data = "Data0=(2,1)") {
    return "[POI]\nType=0x2f00\n" + keys + "\n" + data + "\n[END]\n";
}

std::string line(const std::string& keys, const std::string& data = "Data0=(3,4),(3,5)") {
    return "[POLYLINE]\nType=0x6\n" + keys + "\n" + data + "\n[END]\n";
}

std::string house(const std::string& street, const std::string& number, int city = 1) {
    return poi("CityIdx=" + std::to_string(city) + "\nStreetDesc=" + street +
               "\nHouseNumber=" + number);
}

Bytes bareHeader() {
    Bytes bytes = {'B', 'A', 'D', 'R'};
    bytes.resize(36, 0);
    return bytes;
}

class AddressFile : public testing::Test {
protected:
    // Reads `text` into the model as the loader would, then builds the
    // address index.
    void build(const std::string& text) {
        test::readMapText(map, oneLevel + text);
        countObjects(map);
        platform::ConsoleCapture capture;
        buildAddressInfo(map);
    }

    // Writes the file of `level`; the console output and the result are
    // kept, the bytes returned (none when no file is left).
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
        EXPECT_EQ(section.size, bytes.size());
        return section;
    }

    test::TempDir dir;
    std::filesystem::path file = dir / "town.mp0.badr";
    cMapPolish map;
    std::string console;
    bool written = false;
};

// The names of decoded records or of the model's items.
template <typename Item> std::vector<std::u16string> namesOf(const std::vector<Item>& items) {
    std::vector<std::u16string> names;
    for (const Item& item : items)
        names.push_back(item.name);
    return names;
}

void putName(Bytes& out, std::u16string_view name) {
    putU8(out, static_cast<uint8_t>(name.size()));
    for (char16_t c : name)
        putU16(out, c);
}

void putFloat(Bytes& out, float value) {
    putU32(out, std::bit_cast<uint32_t>(value));
}

TEST_F(AddressFile, OneHouseOnMainStreetByteForByte) {
    build(smallTree + house("S", "5"));
    Bytes body;
    putName(body, u"S"); // strings: 3 bytes
    // City 0 from offset 3: no city points; the street added for the house
    // (14 bytes), the house (16), its word, then the two house tables.
    putU8(body, 2);
    putU32(body, 0);
    putName(body, u"");
    putFloat(body, 1.0f);
    putFloat(body, 2.0f);
    putU8(body, 3);
    putU32(body, 0);
    putName(body, u"5");
    putFloat(body, 1.0f);
    putFloat(body, 2.0f);
    putU32(body, 0); // word: position 0 of house 0, at 33
    putU32(body, 0);
    putU32(body, 17); // first house table at 41: the houses
    putU32(body, 1);
    putU32(body, 33); // second house table at 49: the words
    putU32(body, 1);
    // Cities from 57: name, child count (kind records), position, the kind
    // records (kind, count, pos) and the first house table.
    putName(body, u"Brookfield");
    for (uint32_t value : {3u, 3u, 1u, 0u, 3u, 2u, 1u, 3u, 3u, 1u, 17u, 41u, 1u})
        putU32(body, value);
    const uint32_t regionOffset = static_cast<uint32_t>(body.size());
    putName(body, u"North");
    putU32(body, 1);
    putU32(body, 57);
    const uint32_t countryOffset = static_cast<uint32_t>(body.size());
    putName(body, u"Freeland");
    putU32(body, 1);
    putU32(body, regionOffset);

    Bytes expected = {'B', 'A', 'D', 'R', 0, 1, 1, 0};
    for (uint32_t value : {1u, 1u, countryOffset, regionOffset, 57u, 3u, 0u})
        putU32(expected, value);
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(write(), expected);
    EXPECT_TRUE(written);
    EXPECT_EQ(console, "");
}

TEST_F(AddressFile, LevelsAboveTheFirstGetTheBareHeader) {
    build(smallTree + house("S", "5"));
    for (uint32_t level : {1u, 2u, 7u}) {
        EXPECT_EQ(write(level), bareHeader()) << level;
        EXPECT_TRUE(written);
    }
    const format::AddressSection section = format::readAddressSection(bareHeader());
    EXPECT_TRUE(section.valid());
    EXPECT_EQ(section.size, 36u);
    // Writing leaves the model as it was.
    EXPECT_EQ(map.cities.size(), 1u);
    EXPECT_EQ(map.cities[0].childPos, -1);
}

TEST_F(AddressFile, MapWithoutAddressDataGivesTheHeaderWithZeros) {
    build(poi("Label=Pub"));
    EXPECT_EQ(write(), bareHeader());
    EXPECT_TRUE(written);
    // The tree alone, without objects, is left out of the file entirely
    // (and stays in the model, which the writer only reads).
    map.reset();
    build(smallTree);
    EXPECT_EQ(write(), bareHeader());
    EXPECT_EQ(map.cities.size(), 1u);
    EXPECT_EQ(map.regions.size(), 1u);
    EXPECT_EQ(map.countries.size(), 1u);
}

TEST_F(AddressFile, StreetWithoutHousesKeepsEmptyTableEntries) {
    // Of the city's two unnamed street objects only Elm St survives the
    // duplicate removal; Oak St comes back for its house.
    build(smallTree + line("CityIdx=1\nStreetDesc=Elm St") + line("CityIdx=1\nStreetDesc=Oak St") +
          house("Oak St", "4"));
    const format::AddressSection section = decoded();
    ASSERT_EQ(section.cities.size(), 1u);
    const format::AddressCity& city = section.cities[0];
    ASSERT_EQ(city.streets.size(), 2u);
    EXPECT_EQ(city.streets[0].ref, 0u);
    EXPECT_EQ(city.streets[1].ref, 1u);
    ASSERT_EQ(city.houses.size(), 2u);
    EXPECT_EQ(city.houses[0].houseTable, (AddressPos{-1, 0}));
    EXPECT_EQ(city.houses[0].wordTable, (AddressPos{-1, 0}));
    EXPECT_EQ(namesOf(city.houses[1].houses), std::vector<std::u16string>{u"4"});
    EXPECT_EQ(city.houses[1].words, (std::vector<AddressWord>{{0, 0}}));
}

TEST_F(AddressFile, WordListsStartAtEveryWordAndSortByText) {
    struct Case {
        std::vector<std::string> numbers;
        std::vector<std::u16string> houses;
        std::vector<AddressWord> words;
    };
    const std::vector<Case> cases = {
        {{"12 A"}, {u"12 A"}, {{0, 0}, {3, 0}}},
        // "1 B", "2 A", "A", "B".
        {{"2 A", "1 B"}, {u"1 B", u"2 A"}, {{0, 0}, {0, 1}, {2, 1}, {2, 0}}},
        // A trailing blank starts no word; a leading one does.
        {{"5 "}, {u"5 "}, {{0, 0}}},
        {{" 5"}, {u" 5"}, {{0, 0}, {1, 0}}},
        {{"9a", "10", "9"}, {u"9", u"10", u"9a"}, {{0, 1}, {0, 0}, {0, 2}}},
    };
    for (const Case& c : cases) {
        map.reset();
        std::string text = smallTree;
        for (const std::string& number : c.numbers)
            text += house("Main St", number);
        build(text);
        const format::AddressSection section = decoded();
        ASSERT_EQ(section.cities.size(), 1u);
        ASSERT_EQ(section.cities[0].houses.size(), 1u);
        EXPECT_EQ(namesOf(section.cities[0].houses[0].houses), c.houses);
        EXPECT_EQ(section.cities[0].houses[0].words, c.words) << c.numbers[0];
    }
}

TEST_F(AddressFile, ItemsWithoutContentAreLeftOut) {
    build("[COUNTRIES]\nCountry1=Aland\nCountry2=Borland\nCountry3=Cland\n[END-COUNTRIES]\n"
          "[REGIONS]\nRegion1=North\nCountryIdx1=2\nRegion2=South\nCountryIdx2=1\n"
          "Region3=West\nCountryIdx3=2\n[END-REGIONS]\n"
          "[CITIES]\nCity1=Ashby\nRegionIdx1=1\nCity2=Barton\nRegionIdx2=2\n"
          "City3=Carby\nRegionIdx3=1\n[END-CITIES]\n" +
          house("Main St", "1", 3));
    const format::AddressSection section = decoded();
    // Carby alone has objects; its region North and North's country Borland
    // are the only owners left.
    EXPECT_EQ(section.header.cityCount, 1u);
    EXPECT_EQ(section.header.regionCount, 1u);
    EXPECT_EQ(section.header.countryCount, 1u);
    EXPECT_EQ(namesOf(section.cities), std::vector<std::u16string>{u"Carby"});
    EXPECT_EQ(namesOf(section.regions), std::vector<std::u16string>{u"North"});
    EXPECT_EQ(namesOf(section.countries), std::vector<std::u16string>{u"Borland"});
    EXPECT_EQ(map.cities.size(), 3u);
    EXPECT_EQ(map.regions.size(), 3u);
    EXPECT_EQ(map.countries.size(), 3u);
    EXPECT_EQ(console, "");
}

TEST_F(AddressFile, UnknownCityIsReportedAndItsObjectsLeftOut) {
    build(smallTree + house("Main St", "1") + house("Main St", "2", 9) + house("Main St", "3", 0));
    const format::AddressSection section = decoded();
    EXPECT_EQ(console, " Unknown city ID 8");
    ASSERT_EQ(section.cities.size(), 1u);
    EXPECT_EQ(namesOf(section.cities[0].houses[0].houses), std::vector<std::u16string>{u"1"});
    EXPECT_EQ(section.header.cityCount, 1u);
    EXPECT_EQ(section.unreferencedObjectBytes, 0u);
}

TEST_F(AddressFile, UnknownOwnersAreReportedAndNotCounted) {
    build("[COUNTRIES]\nCountry1=Aland\n[END-COUNTRIES]\n"
          "[REGIONS]\nRegion1=North\nCountryIdx1=0\nRegion2=South\nCountryIdx2=1\n[END-REGIONS]\n"
          "[CITIES]\nCity1=Ashby\nRegionIdx1=1\nCity2=Barton\nRegionIdx2=5\n"
          "City3=Dunton\nRegionIdx3=2\n[END-CITIES]\n" +
          house("Main St", "1", 1) + house("Main St", "2", 2) + house("Main St", "3", 3));
    const format::AddressSection section = decoded();
    // Barton names region 5; North names country 0, that is none.
    EXPECT_EQ(console, " Unknown owner ID 4 Unknown owner ID -1");
    EXPECT_EQ(namesOf(section.cities), (std::vector<std::u16string>{u"Ashby", u"Dunton"}));
    EXPECT_EQ(namesOf(section.regions), std::vector<std::u16string>{u"South"});
    EXPECT_EQ(namesOf(section.countries), std::vector<std::u16string>{u"Aland"});
    EXPECT_EQ(section.header.cityCount, 2u);
    EXPECT_EQ(section.header.regionCount, 1u);
    EXPECT_EQ(section.header.countryCount, 1u);
    EXPECT_EQ(section.regions[0].firstChild, 1);
    // Barton's objects were written before its region turned out unknown.
    EXPECT_GT(section.unreferencedObjectBytes, 0u);
}

TEST_F(AddressFile, HousesWithoutTheirStreetAreReportedAndCounted) {
    build(smallTree);
    const auto object = [](uint32_t kind, uint32_t ref, std::u16string name) {
        mapAdrObject o(std::move(name));
        o.kind = kind;
        o.ref = ref;
        return o;
    };
    map.adrObjects = {object(2, 2, u""), object(3, 2, u"4"), object(3, 5, u"1"),
                      object(3, 5, u"2")};
    const format::AddressSection section = decoded();
    EXPECT_EQ(console, "Absent polyline for houses");
    ASSERT_EQ(section.cities.size(), 1u);
    const format::AddressCity& city = section.cities[0];
    EXPECT_EQ(city.kinds[2], (format::AddressKind{3, 3, 14}));
    ASSERT_EQ(city.houses.size(), 1u);
    EXPECT_EQ(namesOf(city.houses[0].houses), std::vector<std::u16string>{u"4"});
}

TEST_F(AddressFile, ObjectsOutOfOrderAreWrittenInFileOrder) {
    build(smallTree);
    mapAdrObject street;
    street.kind = 2;
    street.ref = 1;
    mapAdrObject number(u"7");
    number.kind = 3;
    number.ref = 1;
    mapAdrObject city(u"Brookfield");
    city.kind = 5;
    map.adrObjects = {number, street, city};
    const format::AddressSection section = decoded();
    ASSERT_EQ(section.cities.size(), 1u);
    EXPECT_EQ(namesOf(section.cities[0].points), std::vector<std::u16string>{u"Brookfield"});
    EXPECT_EQ(section.cities[0].streets.size(), 1u);
    EXPECT_EQ(namesOf(section.cities[0].houses[0].houses), std::vector<std::u16string>{u"7"});
}

// A map in code page 1250: Česko with Morava and Čechy; Brno with a city
// point, streets Údolní and Šumavská and three houses; Plzeň with Americká;
// Znojmo without objects.
const std::string czechMap =
    "[IMG ID]\nCodePage=1250\n[END]\n"
    "[COUNTRIES]\nCountry1=\xc8"
    "esko\n[END-COUNTRIES]\n"
    "[REGIONS]\nRegion1=Morava\nCountryIdx1=1\nRegion2=\xc8"
    "echy\nCountryIdx2=1\n[END-REGIONS]\n"
    "[CITIES]\nCity1=Brno\nRegionIdx1=1\nCity2=Plze\xf2\nRegionIdx2=2\n"
    "City3=Znojmo\nRegionIdx3=1\n[END-CITIES]\n" +
    poi("CityIdx=1\nCity=Y\nLabel=Brno", "Data0=(49.19,16.61)") +
    line("CityIdx=1\nStreetDesc=\xda"
         "doln\xed",
         "Data0=(49.2,16.6),(49.3,16.7)") +
    poi("CityIdx=1\nStreetDesc=\xda"
        "doln\xed\nHouseNumber=12 A",
        "Data0=(49.21,16.62)") +
    poi("CityIdx=1\nStreetDesc=\xda"
        "doln\xed\nHouseNumber=3",
        "Data0=(49.22,16.63)") +
    poi("CityIdx=1\nStreetDesc=\x8a"
        "umavsk\xe1\nHouseNumber=7",
        "Data0=(49.23,16.64)") +
    line("CityIdx=2\nStreetDesc=Americk\xe1", "Data0=(49.74,13.37),(49.75,13.38)") +
    poi("CityIdx=2\nStreetDesc=Americk\xe1\nHouseNumber=1", "Data0=(49.76,13.39)");

TEST_F(AddressFile, WholeFileDecodesToTheMapsAddressData) {
    build(czechMap);
    const format::AddressSection s = decoded();
    const std::u16string americka = u"Americk\u00e1";
    const std::u16string udolni = u"\u00dadoln\u00ed";
    const std::u16string sumavska = u"\u0160umavsk\u00e1";
    EXPECT_EQ(s.header.stringCount, 3u);
    EXPECT_EQ(s.strings, (std::vector<std::u16string>{americka, udolni, sumavska}));
    EXPECT_EQ(s.header.cityCount, 2u);
    EXPECT_EQ(s.header.regionCount, 2u);
    EXPECT_EQ(s.header.countryCount, 1u);
    EXPECT_EQ(s.unreferencedObjectBytes, 0u);

    ASSERT_EQ(s.cities.size(), 2u);
    const format::AddressCity& brno = s.cities[0];
    EXPECT_EQ(brno.name, u"Brno");
    ASSERT_EQ(brno.points.size(), 1u);
    EXPECT_EQ(brno.points[0].name, u"Brno");
    EXPECT_EQ(brno.points[0].kind, 5u);
    EXPECT_EQ(brno.points[0].x, 16.61f);
    EXPECT_EQ(brno.points[0].y, 49.19f);
    ASSERT_EQ(brno.streets.size(), 2u);
    EXPECT_EQ(s.strings[brno.streets[0].ref], udolni);
    EXPECT_EQ(brno.streets[0].x, 16.6f);
    EXPECT_EQ(s.strings[brno.streets[1].ref], sumavska);
    // Šumavská has no line: its street stands at its house.
    EXPECT_EQ(brno.streets[1].x, 16.64f);
    EXPECT_EQ(brno.streets[1].y, 49.23f);
    ASSERT_EQ(brno.houses.size(), 2u);
    EXPECT_EQ(namesOf(brno.houses[0].houses), (std::vector<std::u16string>{u"3", u"12 A"}));
    EXPECT_EQ(brno.houses[0].houses[1].x, 16.62f);
    EXPECT_EQ(brno.houses[0].words, (std::vector<AddressWord>{{0, 1}, {0, 0}, {3, 1}}));
    EXPECT_EQ(namesOf(brno.houses[1].houses), std::vector<std::u16string>{u"7"});
    // Brno's objects start the object section: its city point (22 bytes),
    // then two streets (14 bytes each), then the houses.
    const uint32_t start = s.header.stringBytes;
    EXPECT_EQ(brno.childPos, static_cast<int32_t>(start));
    EXPECT_EQ(brno.kinds, (std::vector<format::AddressKind>{
                              {1, 1, start}, {2, 2, start + 22}, {3, 3, start + 50}}));

    const format::AddressCity& plzen = s.cities[1];
    EXPECT_EQ(plzen.name, u"Plze\u0148");
    EXPECT_TRUE(plzen.points.empty());
    ASSERT_EQ(plzen.streets.size(), 1u);
    EXPECT_EQ(s.strings[plzen.streets[0].ref], americka);
    EXPECT_EQ(namesOf(plzen.houses[0].houses), std::vector<std::u16string>{u"1"});

    // Regions by name within their country, cities under their regions.
    EXPECT_EQ(namesOf(s.regions), (std::vector<std::u16string>{u"Morava", u"\u010cechy"}));
    EXPECT_EQ(s.regions[0].firstChild, 0);
    EXPECT_EQ(s.regions[0].childCount, 1u);
    EXPECT_EQ(s.regions[1].firstChild, 1);
    EXPECT_EQ(namesOf(s.countries), std::vector<std::u16string>{u"\u010cesko"});
    EXPECT_EQ(s.countries[0].firstChild, 0);
    EXPECT_EQ(s.countries[0].childCount, 2u);
}

TEST_F(AddressFile, FailedFilesAreReportedAndRemoved) {
    build(smallTree + house("Main St", "1"));
    const std::filesystem::path missing = dir / "no" / "town.mp0.badr";
    for (uint32_t level : {0u, 1u}) {
        platform::ConsoleCapture capture;
        EXPECT_FALSE(writeAddressFile(map, level, platform::fromSystemName(missing.string())));
        EXPECT_EQ(capture.text(), "Can't write file: " + missing.string() + "\n");
    }
}

// Files above `limit` bytes cannot be written while alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit lowered = previous;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

TEST_F(AddressFile, WriteFailuresAreReportedOnceAndLeaveNoFile) {
    // A small file fails when it is flushed, a large one while it is written.
    for (int houses : {1, 3000}) {
        map.reset();
        std::string text = smallTree;
        for (int i = 0; i < houses; ++i)
            text += house("Main St", std::to_string(i));
        build(text);
        Bytes bytes;
        {
            const FileSizeLimit limit(100);
            bytes = write();
        }
        EXPECT_FALSE(written) << houses;
        EXPECT_EQ(console, "Can't write file: " + file.string() + "\n");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

TEST_F(AddressFile, DecoderStaysInsideAnyBytes) {
    build(czechMap);
    const Bytes bytes = write();
    ASSERT_TRUE(written);
    for (size_t size = 0; size < bytes.size(); ++size) {
        const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(format::readAddressSection(cut).valid()) << size;
    }
    // Every byte spoiled in turn: most spoil the file, none may lead the
    // decoder astray (the sanitizers watch).
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (uint8_t value : {uint8_t{0}, uint8_t{0x7F}, uint8_t{0xFF}}) {
            Bytes spoiled = bytes;
            spoiled[at] = value;
            (void)format::readAddressSection(spoiled, 1000);
        }
    }
}

TEST_F(AddressFile, DecoderNamesWhatIsWrong) {
    build(smallTree + house("S", "5 B"));
    const Bytes good = write();
    ASSERT_TRUE(format::readAddressSection(good).valid());
    struct Case {
        size_t at; // in the file
        uint8_t value;
        std::string problem;
    };
    // Offsets from the byte-for-byte case above, with the house "5 B" two
    // units longer: words at 37 (+36), tables at 53 and 61.
    const std::vector<Case> cases = {
        {0, 'X', "address data tag is not \"BADR\""},
        {36 + 3 + 14 + 1, 4, "city 0 street 0: a house on street 4 instead of 0"},
        {36 + 37, 2, "city 0 street 0: a word listed twice"},
        {36 + 37 + 8, 1, "city 0 street 0: no word at 1"},
        {36 + 61 + 4, 1, "city 0 street 0: 1 words for houses with 2"},
        {36 + 53 + 3, 1, "city 0 street 0 houses lie outside the object section"},
    };
    for (const Case& c : cases) {
        Bytes spoiled = good;
        spoiled[c.at] = c.value;
        const format::AddressSection section = format::readAddressSection(spoiled);
        ASSERT_FALSE(section.problems.empty()) << c.problem;
        EXPECT_EQ(section.problems[0].what, c.problem);
    }
}

} // namespace
} // namespace zel
