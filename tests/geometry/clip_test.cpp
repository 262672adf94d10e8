#include "geometry/clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Xy = std::pair<float, float>;
using XyRing = std::vector<Xy>;
using PointRings = std::vector<std::vector<mapPoint>>;

const Rect square{0, 0, 10, 10};

std::vector<mapPoint> pointsOf(const XyRing& coords) {
    std::vector<mapPoint> points;
    for (const auto& [x, y] : coords)
        points.push_back({x, y});
    return points;
}

XyRing coordsOf(const std::vector<mapPoint>& points) {
    XyRing coords;
    for (const mapPoint& p : points)
        coords.emplace_back(p.x, p.y);
    return coords;
}

Xy coordsOf(mapPoint p) {
    return {p.x, p.y};
}

// ---------------------------------------------------------------------------
// Region codes and segments

TEST(RegionCode, NineRegionsWithTheBorderInside) {
    const std::vector<std::pair<Xy, int32_t>> cases = {
        {{-1, -1}, 1}, {{5, -1}, 2}, {{11, -1}, 3},     {{11, 5}, 4},
        {{11, 11}, 5}, {{5, 11}, 6}, {{-1, 11}, 7},     {{-1, 5}, 8},
        {{5, 5}, 9},   {{0, 0}, 9},  {{10, 10}, 9},     {{0, 10}, 9},
        {{10, 3}, 9},  {{3, 0}, 9},  {{-0.001f, 0}, 8}, {{0, -0.001f}, 2},
    };
    for (const auto& [p, code] : cases) {
        SCOPED_TRACE(testing::Message() << p.first << ", " << p.second);
        EXPECT_EQ(regionCode({p.first, p.second}, square), code);
    }
}

TEST(ClipSegment, ResultsFlagsAndMovedEnds) {
    struct Case {
        const char* name;
        Xy p1, p2;
        int32_t result;
        uint32_t flags;
        Xy start, end;
    };
    const std::vector<Case> cases = {
        {"inside", {1, 1}, {9, 2}, segmentInside, 0, {1, 1}, {9, 2}},
        {"on the border", {0, 0}, {10, 0}, segmentInside, 0, {0, 0}, {10, 0}},
        {"crossing horizontally", {-1, 4}, {11, 4}, segmentClipped, 3, {0, 4}, {10, 4}},
        {"crossing leftwards", {11, 4}, {-1, 4}, segmentClipped, 3, {10, 4}, {0, 4}},
        {"vertical entry from below", {3, -5}, {3, 5}, segmentClipped, 1, {3, 0}, {3, 5}},
        {"vertical through", {3, 15}, {3, -5}, segmentClipped, 3, {3, 10}, {3, 0}},
        {"leaving to the right", {5, 5}, {15, 10}, segmentClipped, 2, {5, 5}, {10, 7.5f}},
        {"entering from above", {4, 12}, {6, 8}, segmentClipped, 1, {5, 10}, {6, 8}},
        {"corner region, horizontal side first",
         {-1, -1},
         {1, 1},
         segmentClipped,
         1,
         {0, 0},
         {1, 1}},
        {"corner region through the corner", {-2, -1}, {2, 1}, segmentClipped, 1, {0, 0}, {2, 1}},
        {"corner region, vertical side",
         {12, 10.5f},
         {8, 8.5f},
         segmentClipped,
         1,
         {10, 9.5f},
         {8, 8.5f}},
        {"corner to corner region through", {-1, -2}, {11, 22}, segmentClipped, 3, {0, 0}, {5, 10}},
        // Trivial rejections: same or neighbouring regions, or a corner and the
        // region two steps round.
        {"both below, 1 and 3", {-1, -1}, {11, -2}, segmentRejected, 0, {-1, -1}, {11, -2}},
        {"both below, 3 and 1", {11, -1}, {-1, -2}, segmentRejected, 0, {11, -1}, {-1, -2}},
        {"regions 1 and 8", {-1, -1}, {-2, 5}, segmentRejected, 0, {-1, -1}, {-2, 5}},
        {"regions 2 and 3", {5, -1}, {12, -2}, segmentRejected, 0, {5, -1}, {12, -2}},
        {"regions 7 and 1", {-1, 11}, {-1, -1}, segmentRejected, 0, {-1, 11}, {-1, -1}},
        // Reaching the computation but missing the rectangle.
        {"past the lower right corner",
         {9.5f, -1},
         {12, 0.5f},
         segmentRejected,
         0,
         {9.5f, -1},
         {12, 0.5f}},
        {"corner region past the corner",
         {-1, -0.1f},
         {3, 100},
         segmentRejected,
         0,
         {-1, -0.1f},
         {3, 100}},
        {"vertical beside the rectangle",
         {-1, -5},
         {-1, 15},
         segmentRejected,
         0,
         {-1, -5},
         {-1, 15}},
        {"horizontal above it", {-5, 11}, {15, 11}, segmentRejected, 0, {-5, 11}, {15, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClippedSegment s =
            clipSegment({c.p1.first, c.p1.second}, {c.p2.first, c.p2.second}, square);
        EXPECT_EQ(s.result, c.result);
        EXPECT_EQ(s.flags, c.flags);
        if (c.result == segmentRejected)
            continue;
        EXPECT_EQ(coordsOf(s.start), c.start);
        EXPECT_EQ(coordsOf(s.end), c.end);
    }
}

// ---------------------------------------------------------------------------
// Polylines

mapPoly lineOf(const XyRing& coords, std::vector<float> heights = {}) {
    mapPoly line;
    line.type = 0x16;
    line.label = u"Main Street";
    line.roadId = 77;
    line.heightLevels[1] = 2;
    line.points = pointsOf(coords);
    line.heights = std::move(heights);
    return line;
}

std::vector<XyRing> partCoords(const std::vector<mapPoly>& parts) {
    std::vector<XyRing> out;
    for (const mapPoly& part : parts)
        out.push_back(coordsOf(part.points));
    return out;
}

TEST(ClipLine, SplitsIntoTheStretchesInside) {
    struct Case {
        const char* name;
        XyRing line;
        std::vector<XyRing> parts;
    };
    const std::vector<Case> cases = {
        {"crossing segment", {{-1, 4}, {11, 4}}, {{{0, 4}, {10, 4}}}},
        {"wholly inside", {{1, 1}, {2, 2}, {3, 1}}, {{{1, 1}, {2, 2}, {3, 1}}}},
        {"leaves and re-enters",
         {{2, 5}, {12, 5}, {12, 7}, {5, 7}},
         {{{2, 5}, {10, 5}}, {{10, 7}, {5, 7}}}},
        {"crosses twice in one go",
         {{-2, 5}, {12, 5}, {12, 2}, {-2, 2}},
         {{{0, 5}, {10, 5}}, {{10, 2}, {0, 2}}}},
        {"first point on the border", {{0, 5}, {5, 5}, {5, 12}}, {{{0, 5}, {5, 5}, {5, 10}}}},
        {"wholly outside", {{-2, -1}, {12, -1}, {12, 20}}, {}},
        {"touching the border from outside", {{-1, 5}, {0, 5}, {-1, 6}}, {}},
        {"one point", {{5, 5}}, {}},
        {"no points", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<mapPoly> parts;
        clipLine(lineOf(c.line), square, parts);
        EXPECT_EQ(partCoords(parts), c.parts);
    }
}

// Parts are appended after what the list holds.
TEST(ClipLine, PartsKeepTheLinesAttributes) {
    std::vector<mapPoly> parts(1);
    clipLine(lineOf({{2, 5}, {12, 5}, {12, 7}, {5, 7}}), square, parts);
    ASSERT_EQ(parts.size(), 3u);
    for (size_t i = 1; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].type, 0x16);
        EXPECT_EQ(parts[i].label, u"Main Street");
        EXPECT_EQ(parts[i].roadId, 77);
        EXPECT_EQ(parts[i].heightLevels.size(), 1u);
        EXPECT_TRUE(parts[i].heights.empty());
    }
}

TEST(ClipLine, InterpolatesHeightsAtCutPoints) {
    struct Case {
        const char* name;
        XyRing line;
        std::vector<float> heights;
        Rect rect;
        std::vector<float> partHeights;
    };
    const std::vector<Case> cases = {
        {"halfway along x", {{0, 0}, {2, 0}}, {10, 20}, {-1, -1, 1, 1}, {10, 15}},
        // The steeper axis measures the fraction.
        {"along y", {{0, 0}, {1, 4}}, {0, 40}, {-1, -1, 1, 1}, {0, 10}},
        {"both ends cut", {{-2, 0}, {2, 0}}, {0, 100}, {-1, -1, 1, 1}, {25, 75}},
        // Points beyond a short heights list read as 0.
        {"short heights list", {{0, 0}, {0.5f, 0}, {2, 0}}, {8}, {-1, -1, 1, 1}, {8, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<mapPoly> parts;
        clipLine(lineOf(c.line, c.heights), c.rect, parts);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0].heights, c.partHeights);
    }
}

TEST(ClipLine, ReindexesNodeReferencesWithinEachPart) {
    mapPoly line = lineOf({{-5, 5}, {2, 5}, {4, 5}, {12, 5}, {12, 7}, {6, 7}, {-3, 7}});
    // Stored out of order, and point 2 twice: the first one stored counts.
    line.nodeRefs = {{5, 105, 0}, {2, 102, 1}, {0, 100, 0}, {2, 999, 0}, {1, 101, 0}, {3, 103, 0}};
    std::vector<mapPoly> parts;
    clipLine(line, square, parts);
    ASSERT_EQ(partCoords(parts),
              (std::vector<XyRing>{{{0, 5}, {2, 5}, {4, 5}, {10, 5}}, {{10, 7}, {6, 7}, {0, 7}}}));
    struct Ref {
        uint16_t pointIndex;
        int32_t nodeId;
        uint16_t boundary;
        bool operator==(const Ref&) const = default;
    };
    auto refsOf = [](const mapPoly& part) {
        std::vector<Ref> refs;
        for (const mapNodeRef& r : part.nodeRefs)
            refs.push_back({r.pointIndex, r.nodeId, r.boundary});
        return refs;
    };
    // Cut points carry none, although points 0, 3 and 6 of the line have one.
    EXPECT_EQ(refsOf(parts[0]), (std::vector<Ref>{{1, 101, 0}, {2, 102, 1}}));
    EXPECT_EQ(refsOf(parts[1]), (std::vector<Ref>{{1, 105, 0}}));
}

// A segment that ends just inside, next to a corner, can be rejected by
// rounding; the point is then missing when the next segment leaves, and is
// added without its node reference.
TEST(ClipLine, LeavingAfterARejectedSegmentAddsItsStart) {
    const Rect unit{0, 0, 1, 1};
    const mapPoint nearCorner{1.0f, 4.57204834e-08f};
    const mapPoint before{2.6760695f, -1.29209566f};
    ASSERT_EQ(clipSegment(before, nearCorner, unit).result, segmentRejected);

    mapPoly line =
        lineOf({{before.x, before.y}, {nearCorner.x, nearCorner.y}, {0.5f, -1}}, {1, 2, 3});
    line.nodeRefs = {{1, 7, 0}};
    std::vector<mapPoly> parts;
    clipLine(line, unit, parts);
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].points.size(), 2u);
    EXPECT_EQ(coordsOf(parts[0].points[0]), coordsOf(nearCorner));
    EXPECT_EQ(parts[0].points[1].y, 0.0f);
    EXPECT_EQ(parts[0].heights[0], 2.0f);
    EXPECT_TRUE(parts[0].nodeRefs.empty());
}

// ---------------------------------------------------------------------------
// Polygons: exact cases

// The rotation of a ring that starts with its smallest sequence, so that rings
// compare independently of their first point.
XyRing canonical(const XyRing& ring) {
    XyRing best = ring;
    for (size_t k = 1; k < ring.size(); ++k) {
        XyRing rotated(ring.begin() + static_cast<ptrdiff_t>(k), ring.end());
        rotated.insert(rotated.end(), ring.begin(), ring.begin() + static_cast<ptrdiff_t>(k));
        best = std::min(best, rotated);
    }
    return best;
}

std::vector<XyRing> canonical(std::vector<XyRing> rings) {
    for (XyRing& ring : rings)
        ring = canonical(ring);
    std::sort(rings.begin(), rings.end());
    return rings;
}

std::vector<XyRing> canonical(const std::vector<std::vector<mapPoint>>& rings) {
    std::vector<XyRing> out;
    for (const std::vector<mapPoint>& ring : rings)
        out.push_back(coordsOf(ring));
    return canonical(std::move(out));
}

std::vector<std::vector<mapPoint>> clipped(const XyRing& ring, const Rect& rect,
                                           int32_t* result = nullptr) {
    const std::vector<mapPoint> points = pointsOf(ring);
    std::vector<std::vector<mapPoint>> rings;
    const int32_t r = clipPolygon(points.data(), points.size(), rect, rings);
    if (result)
        *result = r;
    return rings;
}

// What every result must satisfy, whatever the input ring.
void expectWellFormed(const PointRings& rings, const Rect& rect) {
    for (const std::vector<mapPoint>& ring : rings) {
        ASSERT_GE(ring.size(), 3u);
        bool sameX = true, sameY = true;
        for (size_t i = 0; i < ring.size(); ++i) {
            const mapPoint p = ring[i];
            const mapPoint next = ring[(i + 1) % ring.size()];
            ASSERT_TRUE(rect.x0 <= p.x && p.x <= rect.x1 && rect.y0 <= p.y && p.y <= rect.y1)
                << p.x << ", " << p.y;
            ASSERT_FALSE(p.x == next.x && p.y == next.y) << "repeated point " << p.x << ", " << p.y;
            sameX = sameX && p.x == ring[0].x;
            sameY = sameY && p.y == ring[0].y;
        }
        EXPECT_FALSE(sameX || sameY);
    }
}

TEST(ClipPolygon, InsideRingComesBackUnchangedOutsideOneGivesNothing) {
    const XyRing ring = {{3, 2}, {8, 4}, {6, 9}, {2, 7}};
    int32_t result = 0;
    const auto rings = clipped(ring, square, &result);
    EXPECT_EQ(result, 2);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(coordsOf(rings[0]), ring);

    // The list is replaced, not appended to.
    const std::vector<mapPoint> outside = pointsOf({{12, 2}, {18, 4}, {16, 9}});
    std::vector<std::vector<mapPoint>> list(2);
    EXPECT_EQ(clipPolygon(outside.data(), outside.size(), square, list), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(clipPolygon(nullptr, 0, square, list), 1);
}

// Impossible coordinates must not crash, loop or corrupt memory; finite ones,
// however large, still give rings inside the rectangle.
TEST(ClipPolygon, OddValuesEndQuietly) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float big = 3e38f, tiny = 1e-45f;
    const std::vector<XyRing> finite = {
        {{-big, 5}, {big, 5}, {big, 6}, {-big, 7}},
        {{5, -big}, {big, big}, {-big, big}},
        {{tiny, 5}, {-tiny, 6}, {5, tiny}, {10, -tiny}},
    };
    for (const XyRing& ring : finite) {
        const auto rings = clipped(ring, square);
        EXPECT_FALSE(rings.empty());
        expectWellFormed(rings, square);
    }
    const std::vector<XyRing> odd = {
        {{nan, 5}, {5, nan}, {8, 8}, {2, 9}},
        {{-inf, 5}, {inf, 5}, {inf, 6}, {-inf, 7}, {nan, nan}},
        {{5, 5}, {inf, inf}, {-inf, -inf}, {1, 9}},
    };
    for (const XyRing& ring : odd) {
        clipped(ring, square);
        std::vector<mapPoly> parts;
        clipLine(lineOf(ring, std::vector<float>(ring.size(), 1)), square, parts);
        for (size_t i = 1; i < ring.size(); ++i)
            clipSegment(pointsOf(ring)[i - 1], pointsOf(ring)[i], square);
    }
}

// Each case is given in both orientations: the result must not depend on it.
TEST(ClipPolygon, CutsAtTheBorderAsTheRuleSays) {
    struct Case {
        const char* name;
        XyRing ring;
        std::vector<XyRing> rings;
    };
    const std::vector<Case> cases = {
        {"U whose bend lies below",
         {{2, -5}, {8, -5}, {8, 5}, {6, 5}, {6, -2}, {4, -2}, {4, 5}, {2, 5}},
         {{{2, 0}, {4, 0}, {4, 5}, {2, 5}}, {{6, 0}, {8, 0}, {8, 5}, {6, 5}}}},
        {"U whose bend lies left, arms through the far side",
         {{-5, 2}, {15, 2}, {15, 4}, {-2, 4}, {-2, 6}, {15, 6}, {15, 8}, {-5, 8}},
         {{{0, 2}, {10, 2}, {10, 4}, {0, 4}}, {{0, 6}, {10, 6}, {10, 8}, {0, 8}}}},
        {"rectangle inside the ring",
         {{-1, -1}, {11, -1}, {11, 11}, {-1, 11}},
         {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}},
        {"touching the line at one vertex from inside",
         {{5, 0}, {8, 3}, {5, 6}, {2, 3}},
         {{{5, 0}, {8, 3}, {5, 6}, {2, 3}}}},
        {"touching the line at one vertex from outside", {{5, 0}, {8, -3}, {2, -3}}, {}},
        {"edge on the line, ring inside",
         {{2, 0}, {4, 0}, {6, 0}, {6, 3}, {2, 3}},
         {{{2, 0}, {4, 0}, {6, 0}, {6, 3}, {2, 3}}}},
        {"edge on the line, ring outside", {{2, 0}, {6, 0}, {6, -3}, {2, -3}}, {}},
        {"edge on the line across the corner",
         {{-4, 0}, {4, 0}, {4, 4}, {-4, 4}},
         {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}}},
        {"ring round the whole border",
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
         {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}},
        {"ring on one border line only", {{0, 2}, {0, 8}, {0, 5}}, {}},
        {"self-touching inside the rectangle",
         {{5, 3}, {8, 5}, {7, 8}, {5, 3}, {3, 8}, {2, 5}},
         {{{5, 3}, {8, 5}, {7, 8}, {5, 3}, {3, 8}, {2, 5}}}},
        // Two triangles hanging from the line, joined by edges along it.
        {"pieces joined only along the line",
         {{1, 0}, {3, 4}, {3, 0}, {5, 0}, {7, 4}, {7, 0}, {4, -3}},
         {{{1, 0}, {3, 4}, {3, 0}}, {{5, 0}, {7, 4}, {7, 0}}}},
        // A figure eight pinched at a point of the line.
        {"pieces meeting at a point of the line",
         {{5, 0}, {8, 2}, {7, 5}, {5, 0}, {3, 5}, {2, 2}},
         {{{5, 0}, {8, 2}, {7, 5}}, {{5, 0}, {3, 5}, {2, 2}}}},
        {"figure eight pinched below the line",
         {{5, -1}, {9, 3}, {8, 5}, {6, 1}, {5, -1}, {4, 1}, {2, 5}, {1, 3}},
         {{{6, 0}, {9, 3}, {8, 5}, {6, 1}, {5.5f, 0}},
          {{4.5f, 0}, {4, 1}, {2, 5}, {1, 3}, {4, 0}}}},
        {"a notch reaching down to an edge on the line",
         {{1, 0}, {9, 0}, {9, 6}, {5.5f, 6}, {5, 0}, {4.5f, 6}, {1, 6}},
         {{{5, 0}, {9, 0}, {9, 6}, {5.5f, 6}}, {{1, 0}, {5, 0}, {4.5f, 6}, {1, 6}}}},
        {"a notch above an edge on the line, repeated vertex",
         {{1, 0}, {1, 0}, {9, 0}, {9, 6}, {5.5f, 6}, {5, 1}, {4.5f, 6}, {1, 6}},
         {{{1, 0}, {9, 0}, {9, 6}, {5.5f, 6}, {5, 1}, {4.5f, 6}, {1, 6}}}},
        {"repeated points",
         {{2, 2}, {2, 2}, {6, 2}, {6, 2}, {6, 6}, {2, 2}},
         {{{2, 2}, {6, 2}, {6, 6}}}},
        {"two distinct points", {{2, 2}, {6, 6}, {2, 2}, {6, 6}}, {}},
        {"all on one vertical line", {{3, 1}, {3, 5}, {3, 2}}, {}},
        {"all on one horizontal line", {{1, 3}, {5, 3}, {2, 3}}, {}},
        {"a sliver left on the border", {{-3, 2}, {0, 5}, {-3, 8}, {0, 8}, {0, 2}}, {}},
    };
    for (const Case& c : cases) {
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (reversed ? ", reversed" : ""));
            XyRing ring = c.ring;
            std::vector<XyRing> expected = c.rings;
            if (reversed) {
                std::reverse(ring.begin(), ring.end());
                for (XyRing& r : expected)
                    std::reverse(r.begin(), r.end());
            }
            int32_t result = 0;
            EXPECT_EQ(canonical(clipped(ring, square, &result)), canonical(expected));
            EXPECT_EQ(result, expected.empty() ? 1 : 2);
        }
    }
}

// ---------------------------------------------------------------------------
// Polygons: properties over random rings

struct Vec2 {
    double x, y;
};

template <class P> double signedArea(const std::vector<P>& ring) {
    double twice = 0.0;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
        twice +=
            static_cast<double>(ring[j].x) * ring[i].y - static_cast<double>(ring[i].x) * ring[j].y;
    return twice / 2.0;
}

// Sutherland–Hodgman in double precision. It joins separate pieces by edges
// along the border, but those enclose nothing, so its signed area is that of
// the ring's part inside the rectangle.
double referenceArea(const std::vector<mapPoint>& ring, const Rect& rect) {
    std::vector<Vec2> poly;
    for (const mapPoint& p : ring)
        poly.push_back({p.x, p.y});
    auto clipBy = [&](auto inside, auto crossing) {
        std::vector<Vec2> out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const Vec2 prev = poly[(i + poly.size() - 1) % poly.size()];
            const Vec2 cur = poly[i];
            if (inside(cur) != inside(prev))
                out.push_back(crossing(prev, cur));
            if (inside(cur))
                out.push_back(cur);
        }
        poly = out;
    };
    auto atX = [](double x) {
        return [x](Vec2 a, Vec2 b) { return Vec2{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
    };
    auto atY = [](double y) {
        return [y](Vec2 a, Vec2 b) { return Vec2{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
    };
    clipBy([&](Vec2 p) { return p.x >= rect.x0; }, atX(rect.x0));
    clipBy([&](Vec2 p) { return p.y >= rect.y0; }, atY(rect.y0));
    clipBy([&](Vec2 p) { return p.x <= rect.x1; }, atX(rect.x1));
    clipBy([&](Vec2 p) { return p.y <= rect.y1; }, atY(rect.y1));
    return poly.empty() ? 0.0 : signedArea(poly);
}

// Even-odd rule.
bool containsPoint(const std::vector<mapPoint>& ring, double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const double xi = ring[i].x, yi = ring[i].y, xj = ring[j].x, yj = ring[j].y;
        if ((yi > y) != (yj > y) && x < xi + (xj - xi) * (y - yi) / (yj - yi))
            inside = !inside;
    }
    return inside;
}

double totalSignedArea(const PointRings& rings) {
    double sum = 0.0;
    for (const std::vector<mapPoint>& ring : rings)
        sum += signedArea(ring);
    return sum;
}

// An edge along a border line must have the input polygon just inside it: an
// edge that bridged two pieces would run over the gap between them.
void expectNoBridgeAlongBorder(const PointRings& rings, const std::vector<mapPoint>& input,
                               const Rect& rect) {
    // Small enough not to leave a sliver through its other side; edges only a
    // few float steps long are left out, their midpoint is not precise enough.
    const double size = std::min(rect.x1 - rect.x0, rect.y1 - rect.y0);
    const double nudge = 1e-6 * size;
    for (const std::vector<mapPoint>& ring : rings) {
        for (size_t i = 0; i < ring.size(); ++i) {
            const mapPoint a = ring[i];
            const mapPoint b = ring[(i + 1) % ring.size()];
            if (std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y) <
                1e-4 * size)
                continue;
            const double mx = (static_cast<double>(a.x) + b.x) / 2;
            const double my = (static_cast<double>(a.y) + b.y) / 2;
            double nx = 0, ny = 0;
            if (a.x == b.x && a.x == rect.x0)
                nx = nudge;
            else if (a.x == b.x && a.x == rect.x1)
                nx = -nudge;
            else if (a.y == b.y && a.y == rect.y0)
                ny = nudge;
            else if (a.y == b.y && a.y == rect.y1)
                ny = -nudge;
            else
                continue;
            EXPECT_TRUE(containsPoint(input, mx + nx, my + ny))
                << "edge (" << a.x << ", " << a.y << ") - (" << b.x << ", " << b.y << ")";
        }
    }
}

class RandomRings {
public:
    explicit RandomRings(uint32_t seed) : rng_(seed) {}

    // Own conversions of the engine's output: the standard distributions may
    // differ between libraries, and the cases should not.
    double unit() { return static_cast<double>(rng_() >> 8) / 16777216.0; }
    float uniform(float low, float high) {
        return static_cast<float>(low + (static_cast<double>(high) - low) * unit());
    }
    bool chance(double p) { return unit() < p; }
    int pick(int count) { return static_cast<int>(rng_() % static_cast<uint32_t>(count)); }

    Rect rect() {
        const float x0 = uniform(-50, 50), y0 = uniform(-50, 50);
        return {x0, y0, x0 + uniform(0.5f, 20), y0 + uniform(0.5f, 20)};
    }

    // Star-shaped round a centre, so simple; some vertices lie exactly on a
    // border line of the rectangle or on its corners.
    std::vector<mapPoint> star(const Rect& r, size_t count) {
        const float w = r.x1 - r.x0, h = r.y1 - r.y0;
        const Vec2 c{uniform(r.x0 - w, r.x1 + w), uniform(r.y0 - h, r.y1 + h)};
        const double radius = uniform(0.1f, 2.0f) * std::max(w, h);
        const bool spiky = chance(0.5);
        const double snapChance = chance(0.7) ? 0.35 : 0.0;
        const int favourite = pick(4);
        std::vector<std::pair<double, int>> angles; // (angle, corner or -1)
        const double base = uniform(0, 6.3f),
                     step = 2 * std::numbers::pi / static_cast<double>(count);
        for (size_t k = 0; k < count; ++k)
            angles.push_back({base + (static_cast<double>(k) + uniform(0, 0.9f)) * step, -1});
        for (int corner = 0; corner < 4; ++corner) {
            if (!chance(0.2))
                continue;
            const Vec2 q = cornerOf(r, corner);
            double a = std::atan2(q.y - c.y, q.x - c.x);
            while (a < base)
                a += 2 * std::numbers::pi;
            angles.push_back({a, corner});
        }
        std::sort(angles.begin(), angles.end());
        std::vector<mapPoint> ring;
        for (const auto& [angle, corner] : angles) {
            if (corner >= 0) {
                const Vec2 q = cornerOf(r, corner);
                ring.push_back({static_cast<float>(q.x), static_cast<float>(q.y)});
                continue;
            }
            const double u = uniform(0, 1);
            const double rad = radius * (spiky ? 0.05 + 0.95 * u * u : 0.6 + 0.4 * u);
            ring.push_back(onRay(c, angle, rad));
            if (chance(snapChance))
                snapToLine(ring.back(), r, chance(0.7) ? favourite : pick(4), c, angle, radius);
        }
        return ring;
    }

    // Any ring on a few coordinate values: repeated points, self-crossings,
    // vertices and edges on the border lines galore.
    std::vector<mapPoint> scribble(const std::vector<float>& values, int maxCount) {
        std::vector<mapPoint> ring(static_cast<size_t>(3 + pick(maxCount - 2)));
        const int count = static_cast<int>(values.size());
        for (mapPoint& p : ring)
            p = {values[static_cast<size_t>(pick(count))],
                 values[static_cast<size_t>(pick(count))]};
        return ring;
    }

private:
    static Vec2 cornerOf(const Rect& r, int corner) {
        return {corner % 2 ? r.x1 : r.x0, corner / 2 ? r.y1 : r.y0};
    }

    static mapPoint onRay(Vec2 c, double angle, double rad) {
        return {static_cast<float>(c.x + rad * std::cos(angle)),
                static_cast<float>(c.y + rad * std::sin(angle))};
    }

    // Moves the vertex along its ray onto the border line, when that is not far.
    static void snapToLine(mapPoint& p, const Rect& r, int line, Vec2 c, double angle,
                           double radius) {
        const bool vertical = line < 2;
        const double value = line == 0 ? r.x0 : line == 1 ? r.x1 : line == 2 ? r.y0 : r.y1;
        const double toward = vertical ? std::cos(angle) : std::sin(angle);
        if (std::fabs(toward) < 1e-3)
            return;
        const double rad = (value - (vertical ? c.x : c.y)) / toward;
        if (rad <= 0 || rad > 3 * radius)
            return;
        p = onRay(c, angle, rad);
        (vertical ? p.x : p.y) = static_cast<float>(value);
    }

    std::mt19937 rng_;
};

std::vector<mapPoint> rotated(const std::vector<mapPoint>& ring, size_t k) {
    std::vector<mapPoint> out(ring.begin() + static_cast<ptrdiff_t>(k), ring.end());
    out.insert(out.end(), ring.begin(), ring.begin() + static_cast<ptrdiff_t>(k));
    return out;
}

TEST(ClipPolygonProperties, SimpleRingsGiveTheirPiecesInsideTheRectangle) {
    RandomRings random(20240611);
    size_t ringsSeen = 0, multiPiece = 0;
    for (int n = 0; n < 4000; ++n) {
        const Rect rect = random.rect();
        const std::vector<mapPoint> ring =
            random.star(rect, 4 + static_cast<size_t>(random.pick(40)));
        SCOPED_TRACE(testing::Message() << "case " << n);
        PointRings rings;
        const int32_t result = clipPolygon(ring.data(), ring.size(), rect, rings);
        EXPECT_EQ(result, rings.empty() ? 1 : 2);
        expectWellFormed(rings, rect);
        if (HasFatalFailure())
            return;

        const double rectArea = static_cast<double>(rect.x1 - rect.x0) * (rect.y1 - rect.y0);
        const double expected = referenceArea(ring, rect);
        const double tolerance = 1e-5 * rectArea;
        EXPECT_NEAR(totalSignedArea(rings), expected, tolerance);
        const double inputArea = signedArea(ring);
        for (const std::vector<mapPoint>& piece : rings)
            EXPECT_GE(signedArea(piece) * inputArea, -tolerance * std::fabs(inputArea))
                << "a piece turned round";
        expectNoBridgeAlongBorder(rings, ring, rect);

        const size_t k = static_cast<size_t>(random.pick(static_cast<int>(ring.size())));
        const std::vector<mapPoint> turned = rotated(ring, k);
        PointRings fromTurned;
        clipPolygon(turned.data(), turned.size(), rect, fromTurned);
        EXPECT_EQ(canonical(fromTurned), canonical(rings)) << "depends on the first vertex";

        ringsSeen += rings.size();
        multiPiece += rings.size() > 1 ? 1 : 0;
    }
    // The generator must exercise what it is meant to.
    EXPECT_GT(ringsSeen, 2000u);
    EXPECT_GT(multiPiece, 200u);
}

TEST(ClipPolygonProperties, AnyRingGivesWellFormedRingsOfTheRightArea) {
    RandomRings random(7);
    const std::vector<float> grid = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    // Ends of very different magnitude round the crossing formula beyond the
    // edge's span.
    const std::vector<float> mixed = {-1,   0, 1e-9f,      3e-8f, 1e-7f,
                                      0.5f, 1, 1.0000001f, 2,     0.99999994f};
    const std::vector<std::pair<const std::vector<float>*, Rect>> setups = {
        {&grid, {2, 2, 6, 6}},
        {&mixed, {1e-9f, 0, 1, 1}},
        {&mixed, {0, 1e-9f, 1, 1}},
        {&mixed, {1e-7f, 3e-8f, 0.99999994f, 1}},
    };
    for (int n = 0; n < 8000; ++n) {
        const auto& [values, rect] = setups[static_cast<size_t>(n % 4)];
        const std::vector<mapPoint> ring = random.scribble(*values, n % 4 ? 8 : 28);
        SCOPED_TRACE(testing::Message() << "case " << n);
        PointRings rings;
        clipPolygon(ring.data(), ring.size(), rect, rings);
        expectWellFormed(rings, rect);
        if (HasFatalFailure())
            return;
        // Signed areas add up whatever the pairing along the border, so even a
        // self-crossing ring must give the area its winding numbers enclose.
        EXPECT_NEAR(totalSignedArea(rings), referenceArea(ring, rect), 1e-4);
    }
}

TEST(ClipPolygonProperties, LargeRingCutIntoManyPieces) {
    RandomRings random(99);
    const size_t count = 200000;
    std::vector<mapPoint> ring;
    ring.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        const double angle = 2 * std::numbers::pi * static_cast<double>(k) / count;
        const double rad = 10 + random.uniform(0, 1) * (k % 2 ? 1.0 : 0.2);
        ring.push_back(
            {static_cast<float>(rad * std::cos(angle)), static_cast<float>(rad * std::sin(angle))});
    }
    const Rect rect{10.3f, -0.5f, 11.5f, 0.5f};
    PointRings rings;
    EXPECT_EQ(clipPolygon(ring.data(), ring.size(), rect, rings), 2);
    EXPECT_GT(rings.size(), 100u);
    expectWellFormed(rings, rect);
    EXPECT_NEAR(totalSignedArea(rings), referenceArea(ring, rect), 1e-5);
}

} // namespace
} // namespace zel
