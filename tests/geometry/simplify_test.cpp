#include "geometry/simplify.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Xy = std::pair<float, float>;

std::vector<mapPoint> pointsOf(const std::vector<Xy>& coords) {
    std::vector<mapPoint> points;
    for (const auto& [x, y] : coords)
        points.push_back({x, y});
    return points;
}

std::vector<Xy> coordsOf(const std::vector<mapPoint>& points) {
    std::vector<Xy> coords;
    for (const mapPoint& p : points)
        coords.emplace_back(p.x, p.y);
    return coords;
}

std::vector<Xy> simplified(const std::vector<Xy>& coords, uint8_t bits,
                           PolyKind kind = PolyKind::polyline) {
    mapPoly line;
    line.points = pointsOf(coords);
    return coordsOf(simplifyForLevel(line, bits, kind).points);
}

TEST(FitSegment, FitsFlatAndSteepLines) {
    struct Case {
        const char* name;
        std::vector<Xy> points;
        Xy a;
        Xy b;
        double meanSquared;
        double maxDistance;
    };
    const std::vector<Case> cases = {
        {"exact flat line", {{0, 0}, {1, 0.5f}, {2, 1}}, {0, 0}, {2, 1}, 0.0, 0.0},
        // The fitted ends lie on the line, not on the points.
        {"flat with a bump",
         {{0, 0}, {1, 1}, {2, 0}},
         {0, 1 / 3.0f},
         {2, 1 / 3.0f},
         2 / 9.0,
         2 / 3.0},
        {"vertical line", {{5, 0}, {5, 1}, {5, 3}}, {5, 0}, {5, 3}, 0.0, 0.0},
        // Exactly 45 degrees takes the steep branch.
        {"diagonal", {{0, 0}, {1, 1}, {2, 2}}, {0, 0}, {2, 2}, 0.0, 0.0},
        // x = 0.4 y - 0.1; distances are measured along x, then scaled by
        // 1 / (slope² + 1).
        {"steep with offsets",
         {{0, 0}, {0, 1}, {1, 2}, {1, 3}},
         {-0.1f, 0},
         {1.1f, 3},
         0.2 / (4 * 1.16),
         0.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<mapPoint> points = pointsOf(c.points);
        const SegmentFit fit = fitSegment(points, 0, points.size() - 1);
        ASSERT_TRUE(fit.ok);
        EXPECT_EQ(Xy(fit.a.x, fit.a.y), c.a);
        EXPECT_EQ(Xy(fit.b.x, fit.b.y), c.b);
        EXPECT_NEAR(fit.meanSquared, c.meanSquared, 1e-12);
        EXPECT_NEAR(fit.maxDistance, c.maxDistance, 1e-12);
    }
}

TEST(FitSegment, UsesOnlyTheWindow) {
    const std::vector<mapPoint> points = pointsOf({{7, 9}, {0, 0}, {1, 0.5f}, {2, 1}, {-4, 8}});
    const SegmentFit fit = fitSegment(points, 1, 3);
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(Xy(fit.a.x, fit.a.y), Xy(0, 0));
    EXPECT_EQ(Xy(fit.b.x, fit.b.y), Xy(2, 1));
    EXPECT_EQ(fit.meanSquared, 0.0);
}

TEST(FitSegment, FindsNoLineThroughCoincidentPointsOrEmptyWindows) {
    const std::vector<mapPoint> same = pointsOf({{1, 2}, {1, 2}, {1, 2}});
    EXPECT_FALSE(fitSegment(same, 0, 2).ok);
    const std::vector<mapPoint> line = pointsOf({{0, 0}, {1, 1}, {2, 2}});
    EXPECT_FALSE(fitSegment(line, 1, 1).ok);
    EXPECT_FALSE(fitSegment(line, 2, 1).ok);
    EXPECT_FALSE(fitSegment(line, 0, 3).ok);
}

TEST(SimplifyForLevel, KeepsShortLinesAndSmallPolygonsWhole) {
    struct Case {
        PolyKind kind;
        size_t count;
        size_t kept;
    };
    const std::vector<Case> cases = {
        {PolyKind::polyline, 0, 0}, {PolyKind::polyline, 1, 1}, {PolyKind::polyline, 2, 2},
        {PolyKind::polyline, 3, 2}, {PolyKind::polyline, 4, 2}, {PolyKind::polygon, 3, 3},
        {PolyKind::polygon, 4, 4},  {PolyKind::polygon, 5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "polygon " << (c.kind == PolyKind::polygon) << ", points " << c.count);
        std::vector<Xy> collinear;
        for (size_t i = 0; i < c.count; ++i)
            collinear.emplace_back(static_cast<float>(i), 0.5f * static_cast<float>(i));
        EXPECT_EQ(simplified(collinear, 24, c.kind).size(), c.kept);
    }
}

TEST(SimplifyForLevel, ALineThatFitsOneSegmentKeepsItsFirstPoint) {
    EXPECT_EQ(simplified({{0, 0}, {1, 0.5f}, {2, 1}}, 24), (std::vector<Xy>{{0, 0}, {2, 1}}));
    // The fitted start (0, 1/3) is dropped for the true first point.
    const std::vector<Xy> bump = {{0, 0}, {1, 1}, {2, 0}};
    const std::vector<Xy> fitted = {{0, 0}, {2, 1 / 3.0f}};
    EXPECT_EQ(simplified(bump, 0), fitted);
    // Bits count modulo 32: 32 is a 360-degree tolerance like 0.
    EXPECT_EQ(simplified(bump, 32), fitted);
    // The smallest tolerances keep the bump.
    EXPECT_EQ(simplified(bump, 31), bump);
    EXPECT_EQ(simplified(bump, 255), bump);
}

TEST(SimplifyForLevel, KeepsAZigzagLargerThanTheTolerance) {
    std::vector<Xy> zigzag;
    for (int i = 0; i < 8; ++i)
        zigzag.emplace_back(10.0f + 0.01f * static_cast<float>(i), i % 2 == 1 ? 50.001f : 50.0f);
    // One unit at 24 bits is about 0.0000215 degrees.
    EXPECT_EQ(simplified(zigzag, 24), zigzag);
    // At 10 bits (0.35 degrees) the zigzag is one straight line.
    EXPECT_EQ(simplified(zigzag, 10).size(), 2u);
}

TEST(SimplifyForLevel, SuccessiveRunsMeetAtTheMidpointOfTheirEnds) {
    // Run 1 (points 0-3) fits y = 0.5 with offsets of ±0.5; run 2 (points 3-6)
    // is steep and fits x = y / 8 + 3.5, also ±0.5; run 3 (points 6-8) is
    // exact. At 9 bits (0.703 degrees) each run fits and no longer one does.
    const std::vector<Xy> points = {{0, 0},  {1, 1},  {2, 1},   {3, 0},  {5, 8},
                                    {6, 16}, {6, 24}, {16, 24}, {26, 24}};
    const std::vector<Xy> expected = {
        {0, 0.5f},      // run 1's fitted start
        {3.25f, 0.25f}, // between run 1's end (3, 0.5) and run 2's start (3.5, 0)
        {6.5f, 24},     // run 2's end; the last run's start is not merged in
        {26, 24},       // run 3's end
    };
    EXPECT_EQ(simplified(points, 9), expected);
}

TEST(SimplifyForLevel, KeepsPointsOutsideRunsAsTheyAre) {
    struct Case {
        const char* name;
        std::vector<Xy> points;
        std::vector<Xy> expected;
    };
    const std::vector<Case> cases = {
        {"corners, then a run to the end",
         {{0, 0}, {1, 5}, {2, 0}, {3, 0}, {4, 0}},
         {{0, 0}, {1, 5}, {2, 0}, {4, 0}}},
        {"corners, a run, then a tail too short for a window",
         {{0, 0}, {1, 5}, {2, 0}, {3, 0}, {4, 0}, {5, 3}},
         {{0, 0}, {1, 5}, {2, 0}, {4, 0}, {5, 3}}},
        // No line through coincident points: they are kept, except the first.
        {"coincident points", {{1, 2}, {1, 2}, {1, 2}}, {{1, 2}, {1, 2}}},
        {"coincident points starting a run", {{1, 2}, {1, 2}, {1, 2}, {3, 2}}, {{1, 2}, {3, 2}}},
        {"vertical runs",
         {{5, 0}, {5, 1}, {5, 2}, {6, 2}, {7, 2}, {7, 3}, {7, 4}},
         {{5, 0}, {5, 2}, {7, 2}, {7, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(simplified(c.points, 24), c.expected);
    }
}

TEST(SimplifyForLevel, CopiesEveryOtherFieldAndTreatsBothKindsAlike) {
    mapPoly source;
    source.type = 0x16;
    source.roadId = 12;
    source.label = u"Main St";
    source.nodeRefs.push_back({3, 44, 1});
    source.heightLevels[1] = 2;
    source.heights = {1.0f, 2.0f};
    // A pseudo-random walk: some stretches straight, some bent.
    uint32_t seed = 12345;
    float x = 20.0f;
    float y = 45.0f;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        x += 0.001f * static_cast<float>(seed >> 28);
        y += (seed & 0x100u) != 0 ? 0.0002f * static_cast<float>((seed >> 20) & 7u) : 0.0f;
        source.points.push_back({x, y});
    }
    for (uint8_t bits : {12, 19, 20, 22, 24}) {
        SCOPED_TRACE(static_cast<int>(bits));
        const mapPoly line = simplifyForLevel(source, bits, PolyKind::polyline);
        const mapPoly polygon = simplifyForLevel(source, bits, PolyKind::polygon);
        EXPECT_EQ(coordsOf(line.points), coordsOf(polygon.points));
        EXPECT_LE(line.points.size(), source.points.size());
        EXPECT_EQ(line.type, source.type);
        EXPECT_EQ(line.roadId, source.roadId);
        EXPECT_EQ(line.label, source.label);
        EXPECT_EQ(line.nodeRefs.size(), 1u);
        EXPECT_EQ(line.heightLevels, source.heightLevels);
        EXPECT_EQ(line.heights, source.heights);
    }
}

} // namespace
} // namespace zel
