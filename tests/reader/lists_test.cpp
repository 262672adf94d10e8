#include "model/names.h"
#include "reader/lists.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

using XY = std::vector<std::pair<float, float>>;

XY coordinates(const std::string& value) {
    std::vector<mapPoint> points;
    appendCoordinates(value, points);
    XY xy;
    for (const mapPoint& p : points)
        xy.emplace_back(p.x, p.y);
    return xy;
}

// Groups are separated by exactly one character: with more, the next group's
// longitude is read after the separating comma. Values stored as f32 after a
// conversion to double; groups that cannot be a place are skipped.
TEST(Lists, CoordinateGroupsSwapLatitudeAndLongitude) {
    EXPECT_EQ(coordinates("(45.5, 12.25),(46 , 13)"), (XY{{12.25f, 45.5f}, {13.0f, 46.0f}}));
    EXPECT_EQ(coordinates("(45.5,12.25) , (46,13)"), (XY{{12.25f, 45.5f}, {0.0f, 46.0f}}));
    EXPECT_EQ(coordinates("(1,2"), XY{});
    EXPECT_EQ(coordinates("(0.1,0.2)"), (XY{{static_cast<float>(0.2), static_cast<float>(0.1)}}));
    EXPECT_EQ(coordinates("(1000,5),(1,1e39),(1,-1e39),(1,2)"), (XY{{2.0f, 1.0f}}));
    EXPECT_EQ(coordinates("(nan,inf),(1,2)"), (XY{{0.0f, 0.0f}, {2.0f, 1.0f}}));
    EXPECT_EQ(coordinates("(-90,-720),(90,720),(90.5,0),(0,720.5)"),
              (XY{{-720.0f, -90.0f}, {720.0f, 90.0f}}));
    EXPECT_FALSE(firstCoordinate("(1000,5),(1,2)").has_value());
    EXPECT_FALSE(firstCoordinate("1,2").has_value());
    EXPECT_EQ(firstCoordinate("(1,2),(3,4)")->x, 2.0f);
}

// The groups as a plain search finds them: from each position the first "(",
// "," and ")" on, the numbers right after "(" and ",".
XY coordinatesBySearch(const std::string& value) {
    XY xy;
    for (size_t pos = 0; pos < value.size();) {
        const size_t open = value.find('(', pos), comma = value.find(',', pos);
        const size_t close = value.find(')', pos);
        if (open == std::string::npos || comma == std::string::npos || close == std::string::npos)
            break;
        if (const auto point = coordinateGroup(value, open, comma))
            xy.emplace_back(point->x, point->y);
        pos = close + 2;
    }
    return xy;
}

// Lists made of well-formed groups and pieces of them: groups in the usual
// shape are read without the search, and must come out as it finds them.
TEST(Lists, CoordinatesAsAPlainSearchFindsThem) {
    const std::vector<std::string> pieces = {
        "(45.5,12.25)", "(-1e2,+3.)", "(1,2", "( 4,5)", "(4 ,5)", "(4,5 )", "(.5,-.5e-1)",
        "(7e,8)",       "(1,2e+)",    ",",    "(",      ")",      "x",      "(,)",
        "(1000,5)",     "(9,1e39)",   "(3)",  "((1,2)", "(1,,2)", "(1,2))", "(1.5.5,2)"};
    std::mt19937 random(17);
    for (int round = 0; round < 20000; ++round) {
        std::string value;
        for (size_t count = random() % 6; count > 0; --count) {
            value += pieces[random() % pieces.size()];
            if (random() % 3 != 0)
                value += random() % 4 == 0 ? " " : ",";
        }
        ASSERT_EQ(coordinates(value), coordinatesBySearch(value)) << value;
    }
}

using Refs = std::vector<std::tuple<int, int, int>>;

Refs nodeList(const std::string& value) {
    std::vector<mapNodeRef> refs;
    appendNodeList(value, refs);
    Refs out;
    for (const mapNodeRef& r : refs)
        out.emplace_back(r.pointIndex, r.nodeId, r.boundary);
    return out;
}

std::map<int32_t, int32_t> heights(const std::string& value) {
    std::map<int32_t, int32_t> levels;
    enterHeightLevels(value, levels);
    return levels;
}

// Point index (its low 16 bits), node and boundary flag, 0 when missing. A
// ")" before the "(" gives an empty entry; a value without a further group
// ends the list. A later height for a point replaces the earlier one.
TEST(Lists, NodesAndHeightLevels) {
    EXPECT_EQ(nodeList("(4,15400,1),(70000,-3)"), (Refs{{4, 15400, 1}, {70000 & 0xFFFF, -3, 0}}));
    EXPECT_EQ(nodeList("(1,2,0),(3,4,0"), (Refs{{1, 2, 0}}));
    EXPECT_EQ(nodeList(")("), (Refs{{0, 0, 0}}));
    EXPECT_EQ(nodeList(std::string(100000, '(')), Refs{});
    using Heights = std::map<int32_t, int32_t>;
    EXPECT_EQ(heights("(0,1),(2,3),(2,5)"), (Heights{{0, 1}, {2, 5}}));
    EXPECT_EQ(heights(")(,)(,"), (Heights{{0, 0}}));
    EXPECT_EQ(heights(std::string(100000, ')') + "(1,2)"), (Heights{{1, 2}}));
}

// Speed, road class, road flags and access flags; types 0x0a and 0x42 have
// no road class.
TEST(Lists, RouteParameters) {
    using Road = std::tuple<int, int, int, int>;
    const std::vector<std::tuple<int32_t, std::string, Road>> cases = {
        {0x2, "3,2,1,0,0,0,0,0,0,0,0,1", {60, 3, 0x01, 0x80}},
        {0x2, "7,0,0,1,1,1,1,1,1,1,1,1", {180, 1, 0x02, 0xFF}},
        {0x2, "8,4", {50, 5, 0, 0}},
        {0x2, "256", {5, 1, 0, 0}},
        {0x0a, "1,3", {20, 0, 0, 0}},
        {0x42, "0,3", {5, 0, 0, 0}},
        {0x2, "-1,-1,-1,-1", {50, 0, 0, 0}},
        {0x2, "2,2147483647", {40, 0, 0, 0}},
    };
    for (const auto& [type, value, expected] : cases) {
        mapPoly line;
        line.type = type;
        line.accessFlags = 0x10;
        applyRouteParams(value, line);
        EXPECT_EQ(Road(line.speed, line.roadClass, line.roadFlags, line.accessFlags), expected)
            << value;
    }
}

// Cities get the separator step only.
TEST(Names, CodesAndSeparators) {
    const std::vector<std::pair<std::u16string, std::u16string>> admin = {
        {u"Foo~[0x1d]Bar", u"Foo ( Bar)"},
        {u"Foo~[0x1dBar", u"Foo"},
        {u"Foo~Bar", u"Foo~Bar"},
        {u"St.Peter-Ording", u"St. Peter- Ording"},
        {u"Saint  Paul.", u"Saint Paul."},
        {u"a.(b)", u"a. ( b)"},
        {u"   ", u" "},
    };
    for (const auto& [name, normalised] : admin)
        EXPECT_EQ(normaliseAdminName(name), normalised);
    EXPECT_EQ(normaliseSeparators(u"Foo~[0x1d]Bar"), u"Foo~[0x1d]Bar");
    EXPECT_EQ(removeLeadingCode("~[0x2f]Main Street"), "Main Street");
    EXPECT_EQ(removeLeadingCode("~[]"), "");
    for (const char* kept : {"~[0x2fMain", "Main ~[0x2f]", "~["})
        EXPECT_EQ(removeLeadingCode(kept), kept);
}

} // namespace
} // namespace zel
