#include "writer/encode.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

namespace zel {
namespace {

Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes utf16le(std::u16string_view text) {
    Bytes out;
    for (char16_t unit : text)
        putU16(out, unit);
    return out;
}

// At 8 bits one level unit is exactly 1.40625 degrees (45 / 32), and these
// values convert back to whole units without any rounding question.
constexpr uint8_t coarseBits = 8;
mapPoint atUnits(int x, int y) {
    return {static_cast<float>(x) * 1.40625f, static_cast<float>(y) * 1.40625f};
}

// A rectangle far from every test point, so that no point gets edge bits.
const Rect farAway{170.0f, 80.0f, 171.0f, 81.0f};

mapPoly polyOf(std::vector<mapPoint> points, int32_t type = 1) {
    mapPoly poly;
    poly.type = type;
    poly.points = std::move(points);
    return poly;
}

const std::string compressionError = "compression error!!!/n";

// ---------------------------------------------------------------------------
// Offsets and level units

TEST(PutOffset, OneAndTwoByteFormsAndOutOfRange) {
    struct Case {
        int32_t offset;
        Bytes expected;
        std::string message;
    };
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    const std::vector<Case> cases = {
        {0, bytes({0x00}), ""},
        {1, bytes({0x01}), ""},
        {127, bytes({0x7F}), ""},
        {128, bytes({0x80, 0x80}), ""},
        {255, bytes({0x80, 0xFF}), ""},
        {256, bytes({0x81, 0x00}), ""},
        {0x1234, bytes({0x92, 0x34}), ""},
        {32767, bytes({0xFF, 0xFF}), ""},
        {-5, bytes({0x00}), ""},
        {-1, bytes({0x00}), ""},
        {min, bytes({0x00}), ""},
        {32768, bytes({0xFF, 0xFF}), compressionError},
        {max, bytes({0xFF, 0xFF}), compressionError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        platform::ConsoleCapture console;
        Bytes out = bytes({0xAA});
        putOffset(out, c.offset);
        EXPECT_EQ(out, concat({bytes({0xAA}), c.expected}));
        EXPECT_EQ(console.text(), c.message);
    }
}

TEST(ToLevelUnits, RoundsHalfAwayFromZeroAndSaturates) {
    struct Case {
        float x, y;
        uint8_t bits;
        int32_t unitsX, unitsY;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    const std::vector<Case> cases = {
        // Scaled exactly to ±2.5 and ±0.5 units.
        {3.515625f, -3.515625f, 8, 3, -3},
        {0.703125f, -0.703125f, 8, 1, -1},
        {0.87890625f, -0.87890625f, 10, 3, -3},
        {1.341104507446289e-05f, -1.341104507446289e-05f, 26, 3, -3},
        // 186413.511 and 93206.756 units at 26 bits; a quarter of that at 24.
        {1.0f, -1.0f, 26, 186414, -186414},
        {0.5f, -0.5f, 26, 93207, -93207},
        {1.0f, -1.0f, 24, 46603, -46603},
        {13.5f, 52.2578125f, 20, 39322, 152212},
        {0.0f, -0.0f, 26, 0, 0},
        {360.0f, 90.0f, 0, 1, 0},
        {1e30f, -1e30f, 26, max, min},
        {inf, -inf, 26, max, min},
        {nan, 1.0f, 26, 0, 186414},
        // Finer than any level can be: still no overflow.
        {1.0f, -1.0f, 255, max, min},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " at " << int(c.bits));
        const LevelPoint units = toLevelUnits({c.x, c.y}, c.bits);
        EXPECT_EQ(units.x, c.unitsX);
        EXPECT_EQ(units.y, c.unitsY);
    }
}

TEST(EdgeFlags, BordersOfTheClosedRectangle) {
    const Rect rect{13.5f, 52.25f, 13.75f, 52.5f};
    const Rect line{13.5f, 52.25f, 13.5f, 52.5f}; // no width at all
    struct Case {
        const char* name;
        mapPoint p;
        const Rect& rect;
        uint32_t flags;
    };
    const std::vector<Case> cases = {
        {"inside", {13.625f, 52.375f}, rect, 0},
        {"west", {13.5f, 52.375f}, rect, 0x1},
        {"east", {13.75f, 52.375f}, rect, 0x2},
        {"south", {13.625f, 52.25f}, rect, 0x4},
        {"north", {13.625f, 52.5f}, rect, 0x8},
        {"south-west", {13.5f, 52.25f}, rect, 0x5},
        {"south-east", {13.75f, 52.25f}, rect, 0x6},
        {"north-west", {13.5f, 52.5f}, rect, 0x9},
        {"north-east", {13.75f, 52.5f}, rect, 0xA},
        {"on the west line, north of it", {13.5f, 52.75f}, rect, 0},
        {"on the south line, east of it", {14.0f, 52.25f}, rect, 0},
        {"just outside", {13.49999f, 52.375f}, rect, 0},
        {"west wins on a line", {13.5f, 52.375f}, line, 0x1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(edgeFlags(c.p, c.rect), c.flags);
    }
}

// ---------------------------------------------------------------------------
// Polylines

// One-point line records: the header, then the point's two offsets.
TEST(EncodeLine, PointsOnTheBorderUseTheShiftedFinestUnits) {
    const Rect rect{13.5f, 52.25f, 13.75f, 52.5f};
    const Rect south{0.0f, -0.5f, 0.25f, -0.25f};
    const Rect west{-0.5f, 0.0f, -0.25f, 0.25f};
    struct Case {
        const char* name;
        mapPoint p;
        const Rect& rect;
        uint8_t bits;
        LevelPoint base;
        Bytes offsets;
    };
    // At 20 bits (base 39300/152100): a west or east point takes X26 >> 6
    // (39321, not the rounded 39322) and truncates Y (152211, not 152212).
    const std::vector<Case> cases = {
        {"west", {13.5f, 52.2578125f}, rect, 20, {39300, 152100}, bytes({21, 111})},
        {"east", {13.75f, 52.2578125f}, rect, 20, {39300, 152100}, bytes({0x82, 0xED, 111})},
        {"south", {13.625f, 52.25f}, rect, 20, {39300, 152100}, bytes({0x81, 0x81, 89})},
        {"north", {13.625f, 52.5f}, rect, 20, {39300, 152100}, bytes({0x81, 0x81, 0x83, 0x31})},
        {"south-west corner", {13.5f, 52.25f}, rect, 20, {39300, 152100}, bytes({21, 89})},
        {"north-east corner",
         {13.75f, 52.5f},
         rect,
         20,
         {39300, 152100},
         bytes({0x82, 0xED, 0x83, 0x31})},
        {"inside, rounded",
         {13.625f, 52.2578125f},
         rect,
         20,
         {39300, 152100},
         bytes({0x81, 0x82, 112})},
        {"outside, rounded", {13.5f, 52.75f}, rect, 20, {39300, 152100}, bytes({22, 0x86, 0x0A})},
        // At 26 bits nothing is shifted; Y is truncated from 9741562.3.
        {"west at 26 bits",
         {13.5f, 52.2578125f},
         rect,
         26,
         {2516500, 9740000},
         bytes({82, 0x86, 0x1A})},
        // Beyond 26 bits there is nothing to shift either.
        {"west at 30 bits",
         {13.5f, 52.2578125f},
         rect,
         30,
         {2516582, 155864859},
         bytes({0, 0x80, 137})},
        // -93207 finest units shifted arithmetically give -1457 (a division
        // would give -1456); the other coordinate is truncated from 364.09.
        {"south of the equator", {0.125f, -0.5f}, south, 20, {300, -1460}, bytes({64, 3})},
        {"west of longitude 0", {-0.5f, 0.125f}, west, 20, {-1460, 300}, bytes({3, 64})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ConsoleCapture console;
        Bytes out;
        encodeLine(out, polyOf({c.p}, 0x16), c.rect, c.base, c.bits);
        EXPECT_EQ(out, concat({bytes({0x02, 0, 0x16, 0, 1, 0}), c.offsets}));
        EXPECT_EQ(console.text(), "");
    }
}

TEST(EncodeLine, PointsWestOrSouthOfTheBasePointAreReportedAndWrittenAsZero) {
    platform::ConsoleCapture console;
    Bytes out;
    const mapPoly line = polyOf({atUnits(9, 12), atUnits(12, 9), atUnits(-3, -4), atUnits(10, 10)});
    encodeLine(out, line, farAway, {10, 10}, coarseBits);
    EXPECT_EQ(out, bytes({0x02, 0, 1, 0, 4, 0, 0, 2, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(console.text(), "Incorrect base point(X/Y): 10/10 for point 9/12\n"
                              "Incorrect base point(X/Y): 10/10 for point 12/9\n"
                              "Incorrect base point(X/Y): 10/10 for point -3/-4\n");
}

TEST(EncodeLine, FullRecordWithHeightsLabelAndRoutingBlock) {
    mapPoly line = polyOf({atUnits(1, 2), atUnits(130, 3)}, 0x10006);
    line.label = u"Ab";
    line.heights = {5.9f, -2.5f};
    line.roadId = 0x01020304;
    line.nodeRefs = {{0, -2, 1}, {1, 0x7A7B7C7D, 0}};
    Bytes out;
    encodeLine(out, line, farAway, {0, 0}, coarseBits);
    const Bytes expected = bytes({
        0x62, 4,    0x06, 0x00, 2,    0,                // header
        1,    2,    0x80, 130,  3,                      // points
        5,    0,    0,    0,    0xFE, 0xFF, 0xFF, 0xFF, // heights 5, -2
        'A',  0,    'b',  0,                            // label
        0x04, 0x03, 0x02, 0x01, 2,    0,    0,    0,    // road, references
        0,    0,    0xFE, 0xFF, 0xFF, 0xFF, 1,    0,    // point 0, node -2, boundary 1
        1,    0,    0x7D, 0x7C, 0x7B, 0x7A, 0,    0,    // point 1
    });
    EXPECT_EQ(out, expected);
}

TEST(EncodeLine, HeightsBlockHoldsOneValuePerPoint) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<float> heights;
        Bytes block;
    };
    const std::vector<Case> cases = {
        {"fewer values: the rest are 0",
         {12.9f, -3.7f},
         bytes({12, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0})},
        {"more values: the extra ones are dropped",
         {1.0f, 2.0f, 3.0f, 4.0f},
         bytes({1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0})},
        {"saturated and not-a-number",
         {3e9f, -3e9f, nan},
         bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80, 0, 0, 0, 0})},
        {"no heights, no block", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mapPoly line = polyOf({atUnits(1, 1), atUnits(2, 2), atUnits(3, 3)});
        line.heights = c.heights;
        Bytes out;
        encodeLine(out, line, farAway, {0, 0}, coarseBits);
        const uint8_t flags = c.heights.empty() ? 0x02 : 0x42;
        EXPECT_EQ(out, concat({bytes({flags, 0, 1, 0, 3, 0, 1, 1, 2, 2, 3, 3}), c.block}));
    }
}

TEST(EncodeLine, LongPartIsCutWithItsHeightsAndNodeReferences) {
    const size_t total = 70000;
    mapPoly line = polyOf(std::vector<mapPoint>(total, atUnits(5, 6)));
    for (size_t i = 0; i < total; ++i)
        line.heights.push_back(static_cast<float>(i));
    line.roadId = 9;
    line.nodeRefs = {{0, 10, 0}, {65534, 11, 0}, {65535, 12, 1}, {100, 13, 0}};

    Bytes out;
    encodeLine(out, line, farAway, {0, 0}, coarseBits);

    const size_t kept = 65535;
    ByteReader in(out);
    EXPECT_EQ(in.readU8(), 0x62);
    EXPECT_EQ(in.readU8(), 0);
    EXPECT_EQ(in.readU16(), 1);
    EXPECT_EQ(in.readU16(), kept);
    for (size_t i = 0; i < kept; ++i) {
        ASSERT_EQ(in.readU8(), 5);
        ASSERT_EQ(in.readU8(), 6);
    }
    for (size_t i = 0; i < kept; ++i)
        ASSERT_EQ(in.readI32(), static_cast<int32_t>(i));
    EXPECT_EQ(in.readU32(), 9u);
    ASSERT_EQ(in.readU32(), 3u);
    const std::vector<std::pair<uint16_t, int32_t>> refs = {{0, 10}, {65534, 11}, {100, 13}};
    for (const auto& [pointIndex, nodeId] : refs) {
        EXPECT_EQ(in.readU16(), pointIndex);
        EXPECT_EQ(in.readI32(), nodeId);
        EXPECT_EQ(in.readU16(), 0);
    }
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.remaining(), 0u);
}

// ---------------------------------------------------------------------------
// Labels, for every record kind

TEST(RecordLabel, CutTo127UnitsOutsideSurrogatePairs) {
    const std::u16string pair = u"\xD83D\xDE00";
    struct Case {
        const char* name;
        std::u16string label;
        size_t kept;
    };
    const std::vector<Case> cases = {
        {"empty", u"", 0},
        {"one unit", u"x", 1},
        {"127 units", std::u16string(127, u'a'), 127},
        {"128 units", std::u16string(128, u'a'), 127},
        {"300 units", std::u16string(300, u'a'), 127},
        {"pair across the cut", std::u16string(126, u'a') + pair + u"b", 126},
        {"pair just inside the cut", std::u16string(125, u'a') + pair + u"b", 127},
        {"pair ending a 127-unit label", std::u16string(125, u'a') + pair, 127},
        {"lone high surrogate at the cut", std::u16string(126, u'a') + u"\xD83D" + u"bc", 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string_view kept = std::u16string_view(c.label).substr(0, c.kept);
        const uint8_t length = static_cast<uint8_t>(2 * c.kept);

        mapPoi poi;
        poi.type = 0x2C00A;
        poi.label = c.label;
        poi.pos = atUnits(1, 2);
        Bytes out;
        encodePoi(out, poi, {0, 0}, coarseBits);
        EXPECT_EQ(out, concat({bytes({0x01, length, 0x0A, 0xC0, 1, 0, 1, 2}), utf16le(kept)}));

        mapPoly poly = polyOf({atUnits(1, 2)});
        poly.label = c.label;
        out.clear();
        encodeLine(out, poly, farAway, {0, 0}, coarseBits);
        EXPECT_EQ(out, concat({bytes({0x02, length, 1, 0, 1, 0, 1, 2}), utf16le(kept)}));

        out.clear();
        encodePolygon(out, poly, {0, 0}, coarseBits);
        EXPECT_EQ(out, concat({bytes({0x03, length, 1, 0, 1, 0, 1, 2}), utf16le(kept)}));
    }
}

// ---------------------------------------------------------------------------
// Points of interest

TEST(EncodePoi, OnePointAndTheLabelOnly) {
    struct Case {
        const char* name;
        mapPoi poi;
        LevelPoint base;
        Bytes expected;
        std::string message;
    };
    mapPoi named;
    named.type = 0x6401;
    named.label = u"Zoo";
    named.pos = atUnits(300, 7);
    named.houseNumber = u"12";
    named.cityIdx = 3;
    mapPoi plain;
    plain.pos = atUnits(4, 5);
    const std::vector<Case> cases = {
        {"named",
         named,
         {100, 0},
         bytes({0x01, 6, 0x01, 0x64, 1, 0, 0x80, 200, 7, 'Z', 0, 'o', 0, 'o', 0}),
         ""},
        {"type -1, no label", plain, {0, 0}, bytes({0x01, 0, 0xFF, 0xFF, 1, 0, 4, 5}), ""},
        {"west of the base: no message",
         plain,
         {10, 2},
         bytes({0x01, 0, 0xFF, 0xFF, 1, 0, 0, 3}),
         ""},
        {"too far east",
         plain,
         {-40000, 0},
         bytes({0x01, 0, 0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 5}),
         compressionError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ConsoleCapture console;
        Bytes out;
        encodePoi(out, c.poi, c.base, coarseBits);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(console.text(), c.message);
    }
}

// ---------------------------------------------------------------------------
// Polygons

TEST(EncodePolygon, RingsAreWrittenClockwise) {
    struct Case {
        const char* name;
        std::vector<mapPoint> ring;
        Bytes points; // offsets from base (-5, -5)
    };
    const std::vector<Case> cases = {
        {"clockwise kept",
         {atUnits(0, 0), atUnits(0, 1), atUnits(1, 1), atUnits(1, 0)},
         bytes({5, 5, 5, 6, 6, 6, 6, 5})},
        {"counter-clockwise reversed",
         {atUnits(0, 0), atUnits(1, 0), atUnits(1, 1), atUnits(0, 1)},
         bytes({5, 6, 6, 6, 6, 5, 5, 5})},
        {"counter-clockwise, lowest point inside the list, reversed",
         {atUnits(3, 3), atUnits(1, 4), atUnits(2, 0), atUnits(4, 1)},
         bytes({9, 6, 7, 5, 6, 9, 8, 8})},
        {"lowest point first of equal ones",
         {atUnits(0, 0), atUnits(2, 2), atUnits(0, 0), atUnits(2, -0)},
         bytes({5, 5, 7, 7, 5, 5, 7, 5})},
        {"collinear at the lowest point kept",
         {atUnits(0, 0), atUnits(1, 1), atUnits(2, 2)},
         bytes({5, 5, 6, 6, 7, 7})},
        // Lowest by unsigned Y: (2, 1), not (0, -1), where the ring turns
        // clockwise although it runs counter-clockwise as a whole.
        {"negative Y counts as high",
         {atUnits(0, -1), atUnits(4, -1), atUnits(4, 4), atUnits(2, 1), atUnits(0, 4)},
         bytes({5, 4, 9, 4, 9, 9, 7, 6, 5, 9})},
        {"two points as given", {atUnits(1, 0), atUnits(0, 0)}, bytes({6, 5, 5, 5})},
        {"one point", {atUnits(3, 2)}, bytes({8, 7})},
        {"no point", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ConsoleCapture console;
        Bytes out;
        encodePolygon(out, polyOf(c.ring, 0x4E), {-5, -5}, coarseBits);
        const auto count = static_cast<uint8_t>(c.ring.size());
        EXPECT_EQ(out, concat({bytes({0x03, 0, 0x4E, 0, count, 0}), c.points}));
        EXPECT_EQ(console.text(), "");
    }
}

TEST(EncodePolygon, TurnValueWrapsAt32Bits) {
    // 50000 units at 16 bits. The ring runs clockwise, but 50000 × 50000
    // does not fit 32 bits and wraps to a negative value, so it is reversed.
    const float far = 274.658203125f;
    const mapPoly ring = polyOf({{0, 0}, {0, far}, {far, far}, {far, 0}});
    platform::ConsoleCapture console;
    Bytes out;
    encodePolygon(out, ring, {30000, 30000}, 16);
    EXPECT_EQ(out, bytes({0x03, 0, 1, 0, 4, 0,                   // header
                          0xCE, 0x20, 0, 0xCE, 0x20, 0xCE, 0x20, // (50000, 0), (50000, 50000)
                          0, 0xCE, 0x20, 0, 0}));                // (0, 50000), (0, 0)
    EXPECT_EQ(console.text(), "");
}

TEST(EncodePolygon, FloorsHeight) {
    struct Case {
        int32_t floorsHeight;
        Bytes head;
    };
    const std::vector<Case> cases = {
        {-1, bytes({0x03, 0, 1, 0, 1, 0})},
        {0, bytes({0x43, 0, 1, 0, 1, 0, 0, 0})},
        {60, bytes({0x43, 0, 1, 0, 1, 0, 60, 0})},
        {0x12345, bytes({0x43, 0, 1, 0, 1, 0, 0x45, 0x23})},
        {-2, bytes({0x43, 0, 1, 0, 1, 0, 0xFE, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.floorsHeight);
        mapPoly polygon = polyOf({atUnits(2, 3)});
        polygon.floorsHeight = c.floorsHeight;
        Bytes out;
        encodePolygon(out, polygon, {0, 0}, coarseBits);
        EXPECT_EQ(out, concat({c.head, bytes({2, 3})}));
    }
}

TEST(EncodePolygon, LongRingIsCut) {
    std::vector<mapPoint> points(70000, atUnits(1, 1));
    points[65534] = atUnits(0, 1); // the last point that is written
    points[65535] = atUnits(0, 0); // cut off: were it kept, it would be the lowest point
    Bytes out;
    encodePolygon(out, polyOf(points), {0, 0}, coarseBits);
    ASSERT_EQ(out.size(), 6u + 2 * 65535u);
    EXPECT_EQ(out[4], 0xFF);
    EXPECT_EQ(out[5], 0xFF);
    // Of the points written, (0, 1) is the lowest; its neighbours make a zero
    // turn, so the ring keeps its order. With the cut point (0, 0) it would
    // have been reversed.
    EXPECT_EQ(out[6], 1);
    EXPECT_EQ(out[out.size() - 2], 0);
    EXPECT_EQ(out[out.size() - 1], 1);
}

// ---------------------------------------------------------------------------
// A square's buffer simply grows

TEST(Encode, RecordsAppendToTheBuffer) {
    Bytes out = bytes({0xAB, 0xCD});
    mapPoi poi;
    poi.type = 2;
    poi.pos = atUnits(1, 1);
    encodeLine(out, polyOf({atUnits(2, 2)}), farAway, {0, 0}, coarseBits);
    encodePoi(out, poi, {0, 0}, coarseBits);
    encodePolygon(out, polyOf({atUnits(3, 3)}), {0, 0}, coarseBits);
    EXPECT_EQ(out, bytes({0xAB, 0xCD, 0x02, 0, 1, 0,    1, 0, 2, 2, 0x01, 0, 2,
                          0,    1,    0,    1, 1, 0x03, 0, 1, 0, 1, 0,    3, 3}));
}

} // namespace
} // namespace zel
