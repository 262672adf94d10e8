#include "writer/squares.h"
#include "writer/tiling.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <set>

#include <algorithm>
#include <random>

namespace zel {
namespace {

TEST(SquareGrid, GridLinesSouthOfTheEquatorAndF32Edges) {
    const SquareGrid grid(3600, 24); // one-degree squares
    // A box starting exactly on a grid line takes the square beyond it too.
    const SquareRange r = grid.rangeOfBox({2.0f, 3.0f, 4.5f, 5.0f});
    EXPECT_EQ(std::vector<int32_t>({r.c0, r.r0, r.c1, r.r1}), std::vector<int32_t>({1, 2, 4, 5}));

    // 46603.38 units a square: the base of row -1 rounds down to -46604, its
    // south border (-186414 finest units >> 2), not to one unit north of it.
    EXPECT_EQ(grid.basePoint(2, -1).y, -46604);

    // With 90-second squares the column of a vertex must agree with the
    // squares' own f32 edges, or the sliver beside it is lost.
    const SquareGrid fine(90, 24);
    for (float x : {13.4f, 0.025f, 1.0f, 359.975f, 180.0f, 45.525f}) {
        const SquareRange near = fine.rangeOfPoint({x, 1.0f});
        EXPECT_LE(fine.rectangle(near.c0, 0).x0, x) << x;
        EXPECT_GE(fine.rectangle(near.c1, 0).x1, x) << x;
    }
}

struct Block {
    int32_t number;
    uint32_t pois, lines, polygons;
    int32_t baseX, baseY;
    Bytes records;
    bool operator==(const Block&) const = default;
};

// What the level's blocks must be: a plain walk over every square of the
// level's range, south to north and west to east, with every object clipped
// to every square; the squares that receive nothing get no block.
std::vector<Block> referenceBlocks(const mapLevel& level, const SquareGrid& grid,
                                   const SquareRange& range) {
    std::vector<Block> blocks;
    for (int32_t row = range.r0; row <= range.r1; ++row) {
        for (int32_t column = range.c0; column <= range.c1; ++column) {
            const Rect rect = grid.rectangle(column, row);
            const LevelPoint base = grid.basePoint(column, row);
            Block block{grid.number(column, row), 0, 0, 0, base.x, base.y, {}};
            std::vector<mapPoly> parts;
            for (const mapPoly& line : level.lines)
                clipLine(line, rect, parts);
            for (const mapPoly& part : parts)
                encodeLine(block.records, part, rect, base, grid.bits);
            block.lines = static_cast<uint32_t>(parts.size());
            for (const mapPoi& poi : level.pois) {
                // On a grid line a point of interest goes to the square away
                // from the equator, and east of a meridian line.
                const mapPoint p = poi.pos;
                const bool inY =
                    p.y >= 0.0f ? p.y >= rect.y0 && p.y < rect.y1 : p.y > rect.y0 && p.y <= rect.y1;
                if (p.x >= rect.x0 && p.x < rect.x1 && inY) {
                    encodePoi(block.records, poi, base, grid.bits);
                    ++block.pois;
                }
            }
            for (const mapPoly& polygon : level.polygons) {
                std::vector<std::vector<mapPoint>> rings;
                clipPolygon(polygon.points.data(), polygon.points.size(), rect, rings);
                for (std::vector<mapPoint>& ring : rings) {
                    mapPoly piece = polygon;
                    piece.points = std::move(ring);
                    encodePolygon(block.records, piece, base, grid.bits);
                    ++block.polygons;
                }
            }
            if (block.pois + block.lines + block.polygons > 0)
                blocks.push_back(std::move(block));
        }
    }
    return blocks;
}

// How many "Part of polyline out of map" a line must give: the distinct
// squares outside the level's range among the boxes of squares of its
// segments' ends, walked in full.
size_t outOfMapSquares(const mapPoly& line, const SquareGrid& grid, const SquareRange& range) {
    std::set<int32_t> outside;
    for (size_t i = 0; i < line.points.size(); ++i) {
        const SquareRange a = grid.rangeOfPoint(line.points[i == 0 ? 0 : i - 1]);
        const SquareRange b = grid.rangeOfPoint(line.points[i]);
        for (int64_t row = std::min(a.r0, b.r0); row <= std::max(a.r1, b.r1); ++row) {
            for (int64_t column = std::min(a.c0, b.c0); column <= std::max(a.c1, b.c1); ++column) {
                int32_t c = 0, r = 0;
                const int32_t number = grid.number(column, row);
                grid.columnAndRow(number, c, r);
                if (c < range.c0 || c > range.c1 || r < range.r0 || r > range.r1)
                    outside.insert(number);
            }
        }
    }
    return outside.size();
}

// The tiler keeps only the squares that receive an object, yet numbers,
// orders and bounds them as the full list of the level's squares. Lines long
// enough to span many squares are cut only where they can reach, yet give
// the same records and the same messages.
TEST(Tiling, SparseSquaresEqualAWalkOverEverySquare) {
    const test::TempDir dir;
    const std::u16string mapPath = platform::fromSystemName((dir / "t.mp").string());
    std::mt19937 random(12345);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    for (int round = 0; round < 300; ++round) {
        // Squares whose edges f32 holds exactly, so that points can be put on
        // the grid lines.
        const uint32_t squareSize = std::vector<uint32_t>{900, 1800, 3600, 5400}[random() % 4];
        const float deg = static_cast<float>(squareSize) / 3600.0f;
        // Four (or twenty) squares wide, from longitude 0 and half of that
        // either side of the equator; a third of the values on a grid line.
        const float width = chance(25) ? 20.0f : 4.0f;
        const auto coordinate = [&](float low) {
            if (chance(33))
                return low + deg * static_cast<float>(random() % (static_cast<int>(width) + 1));
            return low + width * deg * std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        };
        const auto point = [&] {
            return mapPoint{coordinate(0.0f), coordinate(-width / 2.0f * deg)};
        };
        const auto addPolys = [&](std::vector<mapPoly>& polys, size_t least) {
            for (size_t i = random() % 4; i > 0; --i) {
                polys.emplace_back().type = 0x50; // a polygon without default height
                polys.back().points.resize(least + random() % 5);
                std::generate(polys.back().points.begin(), polys.back().points.end(), point);
            }
        };

        cMapPolish map;
        mapLevel& level = map.levels[0];
        level.bits = chance(50) ? 16 : 20;
        for (size_t i = random() % 5; i > 0; --i)
            level.pois.emplace_back().pos = point();
        addPolys(level.lines, 1);
        addPolys(level.polygons, 3);
        // The whole area, or a box that leaves some objects outside.
        level.bbox = chance(50) ? Box{0.0f, -width / 2.0f * deg, width * deg, width / 2.0f * deg}
                                : boundingBox({point(), point()});

        platform::ConsoleCapture console;
        writeSquares(map, mapPath, 0, squareSize, level.bits);
        const Bytes index = test::readFile(dir / "t.mp0.bidx");
        const Bytes blockFile = test::readFile(dir / "t.mp0.blck");

        const SquareGrid grid(squareSize, level.bits);
        SquareRange range = grid.rangeOfBox(level.bbox);
        range.c0 = std::max(range.c0, 0);
        SCOPED_TRACE(testing::Message() << "round " << round);
        size_t outOfMap = 0;
        for (const mapPoly& line : level.lines)
            outOfMap += outOfMapSquares(line, grid, range);
        size_t messages = 0;
        for (size_t at = console.text().find("Part of polyline out of map");
             at != std::string::npos; at = console.text().find("Part of polyline out", at + 1))
            ++messages;
        EXPECT_EQ(messages, outOfMap);
        EXPECT_EQ((std::vector<int32_t>{getI32(index.data() + 24), getI32(index.data() + 28),
                                        getI32(index.data() + 32), getI32(index.data() + 36)}),
                  (std::vector<int32_t>{range.c0, range.r0, range.c1, range.r1}));
        const uint32_t count = getU32(index.data() + 8);
        ASSERT_EQ(index.size(), 40 + 8 * size_t{count});
        std::vector<Block> blocks;
        size_t next = 0; // blocks follow each other without gaps
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_EQ(getU32(index.data() + 44 + 8 * i), next);
            ASSERT_LE(next + 28, blockFile.size());
            const uint8_t* at = blockFile.data() + next;
            const uint32_t length = getU32(at + 16);
            ASSERT_LE(next + 28 + length, blockFile.size());
            blocks.push_back({getI32(index.data() + 40 + 8 * i), getU32(at + 4), getU32(at + 8),
                              getU32(at + 12), getI32(at + 20), getI32(at + 24),
                              Bytes(at + 28, at + 28 + length)});
            next += 28 + length;
        }
        EXPECT_EQ(next, blockFile.size());
        ASSERT_EQ(blocks, referenceBlocks(level, grid, range));
    }
}

} // namespace
} // namespace zel
