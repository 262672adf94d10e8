#include "writer/encode.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

namespace zel {
namespace {

// At 8 bits one level unit is exactly 1.40625 degrees, so these points convert
// to whole units without any rounding question.
constexpr uint8_t coarseBits = 8;
mapPoint atUnits(int x, int y) {
    return {static_cast<float>(x) * 1.40625f, static_cast<float>(y) * 1.40625f};
}

// Far from every test point: no point gets edge bits.
const Rect farAway{170.0f, 80.0f, 171.0f, 81.0f};

mapPoly polyOf(std::vector<mapPoint> points) {
    mapPoly poly;
    poly.type = 1;
    poly.points = std::move(points);
    return poly;
}

TEST(PutOffset, OneAndTwoByteFormsAndTheClamp) {
    platform::ConsoleCapture console;
    const auto put = [](int32_t offset) {
        Bytes out;
        putOffset(out, offset);
        return out;
    };
    EXPECT_EQ(put(127), Bytes{0x7F});
    EXPECT_EQ(put(128), (Bytes{0x80, 0x80}));
    EXPECT_EQ(put(32767), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(put(-5), Bytes{0x00});
    // Above 32767: reported (with these very characters), then clamped so
    // that the record stays decodable.
    EXPECT_EQ(put(32768), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(put(INT32_MAX), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(console.text(), "compression error!!!/ncompression error!!!/n");
}

TEST(EncodeLine, BorderPointsTakeTheShiftedFinestUnits) {
    const auto offsets = [](mapPoint p, const Rect& rect, LevelPoint base, uint8_t bits) {
        platform::ConsoleCapture console;
        Bytes out;
        encodeLine(out, polyOf({p}), rect, base, bits);
        EXPECT_EQ(console.text(), "");
        return Bytes(out.begin() + 6, out.end());
    };
    const Rect rect{13.5f, 52.25f, 13.75f, 52.5f};
    // At 20 bits (base 39300/152100): a west or east point takes X26 >> 6
    // (39321, not the rounded 39322) and truncates Y (152211, not 152212).
    const std::vector<std::pair<mapPoint, Bytes>> cases = {
        {{13.5f, 52.2578125f}, {21, 111}},           // west
        {{13.75f, 52.2578125f}, {0x82, 0xED, 111}},  // east
        {{13.75f, 52.5f}, {0x82, 0xED, 0x83, 0x31}}, // north-east
        {{13.625f, 52.2578125f}, {0x81, 0x82, 112}}, // inside: rounded
    };
    for (const auto& [p, expected] : cases)
        EXPECT_EQ(offsets(p, rect, {39300, 152100}, 20), expected) << p.x << ", " << p.y;
    // At 26 bits nothing is shifted; Y is truncated from 9741562.3.
    EXPECT_EQ(offsets({13.5f, 52.2578125f}, rect, {2516500, 9740000}, 26), (Bytes{82, 0x86, 0x1A}));
    // -93207 finest units shifted arithmetically give -1457 (a division would
    // give -1456); X is truncated from 364.09.
    EXPECT_EQ(offsets({0.125f, -0.5f}, {0.0f, -0.5f, 0.25f, -0.25f}, {300, -1460}, 20),
              (Bytes{64, 3}));
}

// Points west or south of the base point are reported and written as 0. A
// reader steps through a block by the header's point count, so the heights
// block holds one value per point written: 0 where the line has none.
TEST(EncodeLine, PointsBelowTheBasePointAndMissingHeights) {
    platform::ConsoleCapture console;
    mapPoly line = polyOf({atUnits(9, 12), atUnits(-3, -4), atUnits(10, 11)});
    line.heights = {12.9f, -3.7f};
    Bytes out;
    encodeLine(out, line, farAway, {10, 10}, coarseBits);
    EXPECT_EQ(out[0], 0x42);
    EXPECT_EQ(Bytes(out.begin() + 6, out.end()),
              (Bytes{0, 2, 0, 0, 0, 1, 12, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(console.text(), "Incorrect base point(X/Y): 10/10 for point 9/12\n"
                              "Incorrect base point(X/Y): 10/10 for point -3/-4\n");
}

TEST(EncodeRecords, PartsAreCutTo65535PointsWithTheirHeightsAndNodes) {
    const size_t total = 70000, kept = 65535;
    mapPoly line = polyOf(std::vector<mapPoint>(total, atUnits(5, 6)));
    line.heights.resize(total);
    std::iota(line.heights.begin(), line.heights.end(), 0.0f);
    line.roadId = 9;
    line.nodeRefs = {{0, 10, 0}, {65534, 11, 0}, {65535, 12, 1}, {100, 13, 0}};
    Bytes out;
    encodeLine(out, line, farAway, {0, 0}, coarseBits);
    ByteReader in(out);
    in.skip(4);
    EXPECT_EQ(in.readU16(), kept);
    in.skip(2 * kept); // the points; then a height for each of them
    for (size_t i = 0; i < kept; ++i)
        ASSERT_EQ(in.readI32(), static_cast<int32_t>(i));
    // Road 9 and its nodes but the one on point 65535, which went with its point.
    EXPECT_EQ(Bytes(out.begin() + static_cast<ptrdiff_t>(in.position()), out.end()),
              (Bytes{9,    0,    0,  0, 3, 0, 0, 0, 0,   0, 10, 0, 0, 0, 0, 0,
                     0xFE, 0xFF, 11, 0, 0, 0, 0, 0, 100, 0, 13, 0, 0, 0, 0, 0}));

    Bytes ring;
    encodePolygon(ring, polyOf(std::vector<mapPoint>(total, atUnits(1, 1))), {0, 0}, coarseBits);
    EXPECT_EQ(getU16(ring.data() + 4), kept);
    EXPECT_EQ(ring.size(), 6 + 2 * kept);
}

// Half a surrogate pair is a character no reader can show.
TEST(EncodeRecords, LabelsAreCutTo127UnitsOutsideSurrogatePairs) {
    const std::u16string pair = u"\xD83D\xDE00";
    const std::vector<std::pair<std::u16string, size_t>> cases = {
        {std::u16string(127, u'a'), 127},
        {std::u16string(126, u'a') + pair + u"b", 126},
        {std::u16string(125, u'a') + pair + u"b", 127},
        {std::u16string(126, u'a') + u"\xD83D" + u"bc", 127}, // a lone half is kept
    };
    for (const auto& [label, kept] : cases) {
        mapPoi poi;
        poi.label = label;
        mapPoly poly = polyOf({atUnits(1, 2)});
        poly.label = label;
        Bytes records[3];
        encodePoi(records[0], poi, {0, 0}, coarseBits);
        encodeLine(records[1], poly, farAway, {0, 0}, coarseBits);
        encodePolygon(records[2], poly, {0, 0}, coarseBits);
        for (const Bytes& out : records) {
            ASSERT_EQ(out.size(), 8 + 2 * kept);
            EXPECT_EQ(out[1], 2 * kept);
            EXPECT_EQ(getU16(out.data() + out.size() - 2), label[kept - 1]);
        }
    }
}

TEST(EncodePolygon, RingsAreStoredClockwise) {
    const std::vector<std::pair<std::vector<mapPoint>, Bytes>> cases = {
        // Clockwise: kept.
        {{atUnits(0, 0), atUnits(0, 1), atUnits(1, 1), atUnits(1, 0)}, {5, 5, 5, 6, 6, 6, 6, 5}},
        // Counter-clockwise, the lowest point inside the list: reversed.
        {{atUnits(3, 3), atUnits(1, 4), atUnits(2, 0), atUnits(4, 1)}, {9, 6, 7, 5, 6, 9, 8, 8}},
        // Collinear at the lowest point, or two points: as given.
        {{atUnits(0, 0), atUnits(1, 1), atUnits(2, 2)}, {5, 5, 6, 6, 7, 7}},
        {{atUnits(1, 0), atUnits(0, 0)}, {6, 5, 5, 5}},
        // Lowest by unsigned Y: (2, 1), not (0, -1); there the ring turns
        // clockwise although it runs counter-clockwise as a whole.
        {{atUnits(0, -1), atUnits(4, -1), atUnits(4, 4), atUnits(2, 1), atUnits(0, 4)},
         {5, 4, 9, 4, 9, 9, 7, 6, 5, 9}},
    };
    for (const auto& [ring, points] : cases) {
        Bytes out;
        encodePolygon(out, polyOf(ring), {-5, -5}, coarseBits);
        EXPECT_EQ(Bytes(out.begin() + 6, out.end()), points) << ring.size();
    }
}

} // namespace
} // namespace zel
