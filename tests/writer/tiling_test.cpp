#include "writer/squares.h"
#include "writer/tiling.h"

#include "format/bytes.h"
#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace zel {
namespace {

TEST(SquareGrid, RowsRangesAndBasePoints) {
    EXPECT_EQ(SquareGrid(30, 24).squaresPerRow, 43200u);
    EXPECT_EQ(SquareGrid(108000, 12).squaresPerRow, 12u);

    const SquareGrid grid(3600, 24); // one-degree squares
    // A box starting exactly on a grid line takes the square beyond it too.
    const SquareRange onLine = grid.rangeOfBox({2.0f, 3.0f, 4.5f, 5.0f});
    EXPECT_EQ(onLine.c0, 1);
    EXPECT_EQ(onLine.r0, 2);
    EXPECT_EQ(onLine.c1, 4);
    EXPECT_EQ(onLine.r1, 5);
    const SquareRange inside = grid.rangeOfBox({2.5f, 3.5f, 4.5f, 4.5f});
    EXPECT_EQ(inside.c0, 2);
    EXPECT_EQ(inside.c1, 4);
    EXPECT_EQ(inside.r1, 4);
    // A vertex on a grid line belongs to the squares on both sides.
    const SquareRange vertex = grid.rangeOfPoint({2.0f, 3.5f});
    EXPECT_EQ(vertex.c0, 1);
    EXPECT_EQ(vertex.c1, 2);
    EXPECT_EQ(vertex.r0, 3);
    EXPECT_EQ(vertex.r1, 3);
    // A point of interest on it goes to the high side.
    EXPECT_EQ(grid.poiSquare({2.0f, 3.5f}), 3 * 360 + 2);
    EXPECT_EQ(grid.poiSquare({2.5f, -0.5f}), -360 + 2);

    int32_t column = 0, row = 0;
    grid.columnAndRow(-358, column, row);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, -1);
    grid.columnAndRow(-360, column, row);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, -1);
    // Squares south of the equator: the base rounds down, so the square's own
    // border points are not one unit outside it.
    const LevelPoint base = grid.basePoint(2, -1);
    EXPECT_EQ(base.x, static_cast<int32_t>(2 * grid.squareUnits - 0.5));
    EXPECT_EQ(base.y, static_cast<int32_t>(std::floor(-grid.squareUnits - 0.5)));
}

// The 13.4-degree vertex with 90-second squares: its column must agree with
// the squares' own edges, or the sliver west of it is lost.
TEST(SquareGrid, ColumnsAgreeWithTheSquaresEdges) {
    const SquareGrid grid(90, 24);
    for (float x : {13.4f, 0.025f, 1.0f, 359.975f, 180.0f, 45.525f}) {
        const SquareRange r = grid.rangeOfPoint({x, 1.0f});
        const Rect low = grid.rectangle(r.c0, 0);
        const Rect high = grid.rectangle(r.c1, 0);
        EXPECT_LE(low.x0, x) << x;
        EXPECT_GE(high.x1, x) << x;
    }
}

struct Block {
    uint32_t pois, lines, polygons;
    test::ByteVector records;
};

class Tiling : public testing::Test {
protected:
    // One-degree squares fit the offsets of records at 16 bits.
    Tiling() { map.levels[0].bits = 16; }

    // Tiles level 0 with one-degree squares and reads back its blocks.
    std::map<int32_t, Block> tile(uint32_t squareSize = 3600) {
        const std::u16string mapPath = platform::fromSystemName((dir / "t.mp").string());
        platform::ConsoleCapture capture;
        writeSquares(map, mapPath, 0, squareSize, map.levels[0].bits);
        console = capture.text();
        index = test::readFile(dir / "t.mp0.bidx");
        const test::ByteVector blocks = test::readFile(dir / "t.mp0.blck");
        std::map<int32_t, Block> result;
        const uint32_t count = getU32(index.data() + 8);
        for (uint32_t i = 0; i < count; ++i) {
            const int32_t number = getI32(index.data() + 40 + 8 * i);
            const uint8_t* block = blocks.data() + getU32(index.data() + 44 + 8 * i);
            EXPECT_TRUE(hasTag(block, "BLCK"));
            const uint32_t length = getU32(block + 16);
            result[number] = {getU32(block + 4), getU32(block + 8), getU32(block + 12),
                              test::ByteVector(block + 28, block + 28 + length)};
        }
        return result;
    }

    mapLevel& level() { return map.levels[0]; }

    test::TempDir dir;
    cMapPolish map;
    std::string console;
    test::ByteVector index;
};

mapPoly polyOf(std::vector<mapPoint> points, int32_t type = 1) {
    mapPoly poly;
    poly.type = type;
    poly.points = std::move(points);
    return poly;
}

TEST_F(Tiling, ObjectsGoToTheSquaresTheyTouch) {
    level().bbox = {2.0f, 3.2f, 4.5f, 4.8f};
    // A line with a vertex on the grid line x = 3 reaches both squares.
    level().lines.push_back(polyOf({{2.5f, 3.5f}, {3.0f, 3.5f}}));
    // A one-point line yields nothing.
    level().lines.push_back(polyOf({{2.5f, 3.5f}}));
    mapPoi onEdge;
    onEdge.type = 5;
    onEdge.pos = {3.0f, 3.5f};
    level().pois.push_back(onEdge);
    const auto blocks = tile();

    // The level box starts on x = 2: one more column on the west side.
    EXPECT_EQ(getI32(index.data() + 24), 1);
    EXPECT_EQ(getI32(index.data() + 28), 3);
    EXPECT_EQ(getI32(index.data() + 32), 4);
    EXPECT_EQ(getI32(index.data() + 36), 4);
    // Only non-empty squares have blocks: the line's square, and the square
    // east of the grid line with the POI (the line's end there is a single
    // point and gives no part).
    ASSERT_EQ(blocks.size(), 2u);
    const Block& west = blocks.at(3 * 360 + 2);
    EXPECT_EQ(west.lines, 1u);
    EXPECT_EQ(west.pois, 0u);
    const Block& east = blocks.at(3 * 360 + 3);
    EXPECT_EQ(east.pois, 1u);
    EXPECT_EQ(east.lines, 0u);
    EXPECT_EQ(getU32(index.data() + 8), 2u);
}

TEST_F(Tiling, PolygonsGetDefaultFloorsByType) {
    level().bbox = {10.2f, 10.2f, 10.8f, 10.8f};
    const std::vector<mapPoint> ring = {
        {10.2f, 10.2f}, {10.8f, 10.2f}, {10.8f, 10.8f}, {10.2f, 10.8f}};
    level().polygons.push_back(polyOf(ring, 0x13));
    mapPoly zeroFloors = polyOf(ring, 0x13);
    zeroFloors.floorsHeight = 0;
    level().polygons.push_back(zeroFloors);
    level().polygons.push_back(polyOf(ring, 0x50));
    const auto blocks = tile();
    ASSERT_EQ(blocks.size(), 1u);
    const Block& block = blocks.begin()->second;
    ASSERT_EQ(block.polygons, 3u);
    // Each record: flags, label length, type, count, then the floors value.
    const test::ByteVector& r = block.records;
    size_t at = 0;
    std::vector<std::pair<uint8_t, int>> seen;
    for (int k = 0; k < 3; ++k) {
        const uint8_t flags = r[at];
        const uint16_t points = getU16(r.data() + at + 4);
        at += 6;
        int floors = -1;
        if (flags & 0x40) {
            floors = getU16(r.data() + at);
            at += 2;
        }
        seen.emplace_back(flags, floors);
        for (int p = 0; p < 2 * points; ++p)
            at += (r[at] & 0x80) ? 2 : 1;
    }
    EXPECT_EQ(at, r.size());
    EXPECT_EQ(seen, (std::vector<std::pair<uint8_t, int>>{{0x43, 20}, {0x43, 0}, {0x03, -1}}));
}

TEST_F(Tiling, OutOfMapObjectsAreReportedAndProgressIsShown) {
    level().bbox = {10.2f, 10.2f, 10.8f, 10.8f};
    mapPoi far;
    far.pos = {50.5f, 50.5f};
    level().pois.push_back(far);
    level().lines.push_back(polyOf({{10.5f, 10.5f}, {12.5f, 10.5f}}));
    const auto blocks = tile();
    EXPECT_EQ(blocks.size(), 1u);
    EXPECT_EQ(console, "\r PolyLines: : 0%"
                       "Part of polyline out of map\nPart of polyline out of map\n"
                       "\r PolyLines: : 100%\r PolyLines: : Done             \n"
                       "\r POI: : 0%POI out of map\n\r POI: : 100%\r POI: : Done             \n"
                       "\r Polygons: : 0%\r Polygons: : Done             \n"
                       "\r Write squares: : 0%\r Write squares: : 100%"
                       "\r Write squares: : Done             \n\rAll done.\n");
    // The five side files are there; the routing and address files are bare.
    EXPECT_EQ(test::readFile(dir / "t.mp0.brif").size(), 44u);
    EXPECT_EQ(test::readFile(dir / "t.mp0.badr").size(), 36u);
    const test::ByteVector chars = test::readFile(dir / "t.mp0.bchr");
    EXPECT_EQ(chars.size(), 8u + 6u);
}

TEST_F(Tiling, EmptySquaresCountInTheProgressButGetNoBlock) {
    // 3 × 3 one-degree squares, one of them with an object.
    level().bbox = {0.5f, 0.5f, 2.5f, 2.5f};
    mapPoi poi;
    poi.pos = {2.5f, 2.5f};
    level().pois.push_back(poi);
    const auto blocks = tile();
    EXPECT_EQ(blocks.size(), 1u);
    EXPECT_NE(console.find("\r Write squares: : 0%\r Write squares: : 11%\r Write squares: : 22%"
                           "\r Write squares: : 33%\r Write squares: : 44%\r Write squares: : 55%"
                           "\r Write squares: : 66%\r Write squares: : 77%\r Write squares: : 88%"
                           "\r Write squares: : 99%\r Write squares: : Done"),
              std::string::npos);
}

} // namespace
} // namespace zel
