#include "geometry/clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace zel {
namespace {

using Ring = std::vector<mapPoint>;
using Rings = std::vector<Ring>;
using XyRing = std::vector<std::pair<float, float>>;

const Rect square{0, 0, 10, 10};

// "x,y x,y | x,y ...": point lists separated by "|", so that a case reads like
// the figure it describes.
Rings parse(const std::string& text) {
    Rings lists;
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        if (lists.empty() || token == "|")
            lists.emplace_back();
        if (token != "|")
            lists.back().push_back(
                {std::stof(token), std::stof(token.substr(token.find(',') + 1))});
    }
    return lists;
}

// The point lists as coordinates; `turned` turns each ring to start with its
// smallest sequence and sorts the list, so that rings compare whatever point
// they start with.
std::vector<XyRing> coords(const Rings& rings, bool turned = false) {
    std::vector<XyRing> out;
    for (const Ring& points : rings) {
        XyRing xy, best;
        for (const mapPoint& p : points)
            xy.emplace_back(p.x, p.y);
        best = xy;
        for (size_t k = 1; turned && k < xy.size(); ++k) {
            std::rotate(xy.begin(), xy.begin() + 1, xy.end());
            best = std::min(best, xy);
        }
        out.push_back(best);
    }
    if (turned)
        std::sort(out.begin(), out.end());
    return out;
}

TEST(ClipLine, SplitsIntoTheStretchesInside) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1,1 2,2 3,1", "1,1 2,2 3,1"},
        {"-1,4 11,4", "0,4 10,4"},
        {"3,-5 3,5", "3,0 3,5"},
        {"0,5 5,5 5,12", "0,5 5,5 5,10"}, // the first point on the border
        // Leaves and re-enters; crosses twice in one go.
        {"2,5 12,5 12,7 5,7", "2,5 10,5 | 10,7 5,7"},
        {"-2,5 12,5 12,2 -2,2", "0,5 10,5 | 10,2 0,2"},
        // From a corner region: through the corner, or onto the vertical side
        // when the horizontal one is missed.
        {"-1,-1 1,1", "0,0 1,1"},
        {"12,10.5 8,8.5", "10,9.5 8,8.5"},
        {"-1,-2 11,22", "0,0 5,10"},
        // Outside, past a corner, along the border from outside; one point.
        {"-2,-1 12,-1 12,20", ""},
        {"-1,-0.1 3,100", ""},
        {"-1,5 0,5 -1,6", ""},
        {"5,5", ""},
    };
    for (const auto& [points, expected] : cases) {
        mapPoly line;
        line.points = parse(points)[0];
        std::vector<mapPoly> parts;
        clipLine(line, square, parts);
        Rings pieces;
        for (const mapPoly& part : parts)
            pieces.push_back(part.points);
        EXPECT_EQ(coords(pieces), coords(parse(expected))) << points;
    }
}

// Cut points get heights interpolated along the steeper axis and no node
// reference; the references of the line's own points move to their index in
// the part ("index:node:boundary").
TEST(ClipLine, CutPointsGetInterpolatedHeightsAndNoNodeReference) {
    using Case = std::tuple<std::string, std::vector<float>, std::vector<float>, std::string>;
    const std::vector<Case> cases = {
        {"0,0 2,0", {10, 20}, {10, 15}, "0:7:0"},
        {"0,0 1,4", {0, 40}, {0, 10}, "0:7:0"},
        {"-2,0 2,0", {0, 100}, {25, 75}, ""},
        {"0,0 0.5,0 2,0", {8}, {8, 0, 0}, "0:7:0 1:8:0"}, // beyond a short heights list: 0
        {"-2,0 -1.5,0 0.5,0 2,0", {4, 4, 4, 4}, {4, 4, 4}, "1:9:1"},
    };
    for (const auto& [points, heights, cut, refs] : cases) {
        mapPoly line;
        line.points = parse(points)[0];
        line.heights = heights;
        line.nodeRefs = {{0, 7, 0}, {1, 8, 0}, {2, 9, 1}};
        std::vector<mapPoly> parts;
        clipLine(line, {-1, -1, 1, 1}, parts);
        ASSERT_EQ(parts.size(), 1u) << points;
        EXPECT_EQ(parts[0].heights, cut) << points;
        std::string text;
        for (const mapNodeRef& r : parts[0].nodeRefs)
            text += (text.empty() ? "" : " ") + std::to_string(r.pointIndex) + ":" +
                    std::to_string(r.nodeId) + ":" + std::to_string(r.boundary);
        EXPECT_EQ(text, refs) << points;
    }
}

Rings clipped(const Ring& points, const Rect& rect, int32_t* result = nullptr) {
    Rings rings(2); // replaced, not appended to
    const int32_t r = clipPolygon(points.data(), points.size(), rect, rings);
    if (result)
        *result = r;
    return rings;
}

// What every result must satisfy, whatever the input ring: inside the
// rectangle, at least three points, no point repeated next to itself, not all
// on one vertical or horizontal line.
void expectWellFormed(const Rings& rings, const Rect& rect) {
    for (const Ring& ring : rings) {
        ASSERT_GE(ring.size(), 3u);
        bool sameX = true, sameY = true;
        for (size_t i = 0; i < ring.size(); ++i) {
            const mapPoint p = ring[i], next = ring[(i + 1) % ring.size()];
            ASSERT_TRUE(rect.x0 <= p.x && p.x <= rect.x1 && rect.y0 <= p.y && p.y <= rect.y1)
                << p.x << ", " << p.y;
            ASSERT_FALSE(p.x == next.x && p.y == next.y) << "repeated point " << p.x << ", " << p.y;
            sameX = sameX && p.x == ring[0].x;
            sameY = sameY && p.y == ring[0].y;
        }
        EXPECT_FALSE(sameX || sameY);
    }
}

// Each case is given in both orientations: the result must not depend on it.
TEST(ClipPolygon, CutsAtTheBorderIntoSeparatePieces) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"3,2 8,4 6,9 2,7", "3,2 8,4 6,9 2,7"}, // inside: the same cyclic order
        {"12,2 18,4 16,9", ""},
        // U whose bend lies below; U whose bend lies left, arms through the
        // far side.
        {"2,-5 8,-5 8,5 6,5 6,-2 4,-2 4,5 2,5", "2,0 4,0 4,5 2,5 | 6,0 8,0 8,5 6,5"},
        {"-5,2 15,2 15,4 -2,4 -2,6 15,6 15,8 -5,8", "0,2 10,2 10,4 0,4 | 0,6 10,6 10,8 0,8"},
        {"-1,-1 11,-1 11,11 -1,11", "0,0 10,0 10,10 0,10"},
        {"0,0 10,0 10,10 0,10", "0,0 10,0 10,10 0,10"},
        // Touching the line at a vertex or along an edge from outside, and
        // along an edge across a corner.
        {"5,0 8,-3 2,-3", ""},
        {"2,0 6,0 6,-3 2,-3", ""},
        {"-4,0 4,0 4,4 -4,4", "0,0 4,0 4,4 0,4"},
        {"5,3 8,5 7,8 5,3 3,8 2,5", "5,3 8,5 7,8 5,3 3,8 2,5"}, // self-touching inside
        // Two triangles hanging from the line, joined by edges along it.
        {"1,0 3,4 3,0 5,0 7,4 7,0 4,-3", "1,0 3,4 3,0 | 5,0 7,4 7,0"},
        // Figure eights pinched at a point of the line, and below it.
        {"5,0 8,2 7,5 5,0 3,5 2,2", "5,0 8,2 7,5 | 5,0 3,5 2,2"},
        {"5,-1 9,3 8,5 6,1 5,-1 4,1 2,5 1,3", "6,0 9,3 8,5 6,1 5.5,0 | 4.5,0 4,1 2,5 1,3 4,0"},
        // A notch reaching down to an edge on the line, and one above it
        // with a repeated vertex.
        {"1,0 9,0 9,6 5.5,6 5,0 4.5,6 1,6", "5,0 9,0 9,6 5.5,6 | 1,0 5,0 4.5,6 1,6"},
        {"1,0 1,0 9,0 9,6 5.5,6 5,1 4.5,6 1,6", "1,0 9,0 9,6 5.5,6 5,1 4.5,6 1,6"},
        {"2,2 2,2 6,2 6,2 6,6 2,2", "2,2 6,2 6,6"},
        // Rings of fewer than three distinct points, or on one line.
        {"2,2 6,6 2,2 6,6", ""},
        {"3,1 3,5 3,2", ""},
        {"-3,2 0,5 -3,8 0,8 0,2", ""}, // a sliver left on the border
    };
    for (const auto& [input, output] : cases) {
        for (bool reversed : {false, true}) {
            Ring points = parse(input)[0];
            Rings expected = parse(output);
            if (reversed) {
                std::reverse(points.begin(), points.end());
                for (Ring& r : expected)
                    std::reverse(r.begin(), r.end());
            }
            int32_t result = 0;
            EXPECT_EQ(coords(clipped(points, square, &result), true), coords(expected, true))
                << input << (reversed ? ", reversed" : "");
            EXPECT_EQ(result, expected.empty() ? 1 : 2) << input;
        }
    }
    Rings none(1);
    EXPECT_EQ(clipPolygon(nullptr, 0, square, none), 1);
    EXPECT_TRUE(none.empty());
}

template <class Points> double signedArea(const Points& ring) {
    double twice = 0.0;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
        twice += double{ring[j].x} * ring[i].y - double{ring[i].x} * ring[j].y;
    return twice / 2.0;
}

// Sutherland–Hodgman in double precision. It joins separate pieces by edges
// along the border, but those enclose nothing, so its signed area is that of
// the ring's part inside the rectangle.
double referenceArea(const Ring& ring, const Rect& rect) {
    struct Point {
        double x, y;
    };
    std::vector<Point> poly;
    for (const mapPoint& p : ring)
        poly.push_back({p.x, p.y});
    // Keeps the side of the line x = limit (or y = limit) where
    // sign × (value - limit) >= 0.
    const auto clipBy = [&](bool alongX, double limit, double sign) {
        const auto value = [&](Point p) { return sign * ((alongX ? p.x : p.y) - limit); };
        std::vector<Point> out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const Point a = poly[(i + poly.size() - 1) % poly.size()], b = poly[i];
            if ((value(a) >= 0) != (value(b) >= 0)) {
                const double t = value(a) / (value(a) - value(b));
                out.push_back({alongX ? limit : a.x + (b.x - a.x) * t,
                               alongX ? a.y + (b.y - a.y) * t : limit});
            }
            if (value(b) >= 0)
                out.push_back(b);
        }
        poly = out;
    };
    clipBy(true, rect.x0, 1);
    clipBy(false, rect.y0, 1);
    clipBy(true, rect.x1, -1);
    clipBy(false, rect.y1, -1);
    return poly.empty() ? 0.0 : signedArea(poly);
}

// Any ring on a few coordinate values: repeated points, self-crossings,
// vertices and edges on the border lines galore. Signed areas add up whatever
// the pairing along the border, so even a self-crossing ring must give the
// area its winding numbers enclose.
TEST(ClipPolygonProperties, AnyRingGivesWellFormedRingsOfTheRightArea) {
    // Own conversion of the engine's output: the standard distributions may
    // differ between libraries, and the cases should not.
    std::mt19937 random(7);
    const auto pick = [&](size_t count) { return random() % count; };
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
        Ring ring(3 + pick(n % 4 ? 6 : 26));
        for (mapPoint& p : ring)
            p = {(*values)[pick(values->size())], (*values)[pick(values->size())]};
        const Rings rings = clipped(ring, rect);
        expectWellFormed(rings, rect);
        ASSERT_FALSE(HasFatalFailure()) << "case " << n;
        double area = 0.0;
        for (const Ring& piece : rings)
            area += signedArea(piece);
        EXPECT_NEAR(area, referenceArea(ring, rect), 1e-4) << "case " << n;
    }
}

// The rings' points as bit patterns, so that -0 and NaN compare too.
std::vector<std::vector<std::pair<uint32_t, uint32_t>>> bits(const Rings& rings) {
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>> out;
    for (const Ring& ring : rings) {
        out.emplace_back();
        for (const mapPoint& p : ring)
            out.back().emplace_back(std::bit_cast<uint32_t>(p.x), std::bit_cast<uint32_t>(p.y));
    }
    return out;
}

// Thinning leaves out only points that cannot change the rings: random walks
// round the rectangle, with long runs far from it, points and edges on its
// lines, repeats, ends whose crossings round and the odd infinite or NaN
// coordinate, give bit for bit the same rings in the same order either way,
// with and without the boxes of stretches of the ring.
TEST(PolygonClipper, ThinningGivesTheSameRings) {
    std::mt19937 random(13);
    const Rect rect{2, 2, 6, 6};
    const std::vector<float> odd = {2.0000002f,
                                    5.9999995f,
                                    1e-7f,
                                    -0.0f,
                                    1e30f,
                                    3e30f,
                                    std::numeric_limits<float>::infinity(),
                                    std::numeric_limits<float>::quiet_NaN()};
    PolygonClipper thinned;
    PolygonClipper whole(PolygonClipper::Thinning::off);
    Rings a, b, c;
    for (int n = 0; n < 20000; ++n) {
        // Long rings walk in small steps and seldom jump, so that whole
        // stretches lie far from the rectangle.
        const bool longRing = n % 3 == 0;
        const float stepSize = longRing ? 0.25f : 0.5f;
        const uint32_t jumpOdds = longRing ? 256 : 16;
        const auto step = [&](float v) {
            if (random() % jumpOdds == 0)
                return static_cast<float>(random() % 33) * 0.5f - 4.0f;
            if (random() % (4 * jumpOdds) == 0)
                return odd[random() % odd.size()];
            const float next = v + (static_cast<float>(random() % 5) - 2.0f) * stepSize;
            return std::isfinite(next) ? std::clamp(next, -4.0f, 12.0f) : 4.0f;
        };
        Ring ring(3 + random() % (longRing ? 600 : 12));
        mapPoint p{static_cast<float>(random() % 17) - 4.0f,
                   static_cast<float>(random() % 17) - 4.0f};
        for (mapPoint& point : ring) {
            if (random() % 6 != 0)
                p = {step(p.x), step(p.y)};
            point = p;
        }
        const RingBoxes boxes(ring.data(), ring.size());
        whole.clip(ring.data(), ring.size(), rect, a);
        thinned.clip(ring.data(), ring.size(), rect, b);
        thinned.clip(ring.data(), ring.size(), rect, c, &boxes);
        ASSERT_EQ(bits(a), bits(b)) << "case " << n;
        ASSERT_EQ(bits(a), bits(c)) << "case " << n << ", with boxes";
    }
}

// An object strictly inside the rectangle, worked out in place, ends as the
// cut leaves it: lines with repeated and misnumbered node references, short
// or long heights, all-equal points; rings with repeats and without area.
TEST(CutInPlace, GivesWhatTheCutGives) {
    std::mt19937 random(11);
    const Rect rect{0.0f, 0.0f, 4.0f, 4.0f};
    for (int round = 0; round < 2000; ++round) {
        mapPoly object;
        object.label = u"x";
        const size_t count = 1 + random() % 6;
        for (size_t i = 0; i < count; ++i) {
            // Few distinct values, so that repeats and lines of one value occur.
            const auto value = [&] { return 0.5f + static_cast<float>(random() % 3); };
            object.points.push_back(i > 0 && random() % 4 == 0 ? object.points.back()
                                                               : mapPoint{value(), value()});
        }
        for (size_t i = random() % 4; i > 0; --i)
            object.nodeRefs.push_back(
                {static_cast<uint16_t>(random() % 8), static_cast<int32_t>(random() % 100), 0});
        object.heights.resize(random() % 8, 3.0f);
        for (const PolyKind kind : {PolyKind::polyline, PolyKind::polygon}) {
            std::vector<mapPoly> cut;
            if (kind == PolyKind::polyline) {
                clipLine(object, rect, cut);
            } else {
                Rings rings;
                clipPolygon(object.points.data(), object.points.size(), rect, rings);
                for (Ring& ring : rings) {
                    cut.push_back(object);
                    cut.back().points = std::move(ring);
                }
            }
            mapPoly inPlace = object;
            const InPlaceCut result = cutInPlace(inPlace, kind, rect);
            ASSERT_NE(result, InPlaceCut::notInside) << round;
            ASSERT_EQ(result == InPlaceCut::kept ? 1u : 0u, cut.size()) << round;
            if (cut.empty())
                continue;
            ASSERT_EQ(coords({inPlace.points}), coords({cut[0].points})) << round;
            ASSERT_EQ(inPlace.heights, cut[0].heights) << round;
            ASSERT_EQ(inPlace.nodeRefs.size(), cut[0].nodeRefs.size()) << round;
            for (size_t i = 0; i < inPlace.nodeRefs.size(); ++i) {
                EXPECT_EQ(inPlace.nodeRefs[i].pointIndex, cut[0].nodeRefs[i].pointIndex);
                EXPECT_EQ(inPlace.nodeRefs[i].nodeId, cut[0].nodeRefs[i].nodeId);
            }
        }
    }
    mapPoly touching;
    touching.points = {{0.0f, 1.0f}, {2.0f, 2.0f}};
    EXPECT_EQ(cutInPlace(touching, PolyKind::polyline, rect), InPlaceCut::notInside);
}

} // namespace
} // namespace zel
