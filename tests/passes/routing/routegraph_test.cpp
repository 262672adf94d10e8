#include "passes/routing/routegraph.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

using Arcs = std::vector<mapArc>;

// Points along the equator 1/64 degree apart (exact in f32): one segment is
// 1737 m, point 0 to 3 5211 m and point 3 to 5 3474 m.
mapPoly road(int32_t roadId, std::vector<mapNodeRef> refs, uint8_t roadFlags = 0,
             size_t pointCount = 6) {
    mapPoly line;
    line.roadId = roadId;
    line.roadFlags = roadFlags;
    line.nodeRefs = std::move(refs);
    for (size_t i = 0; i < pointCount; ++i)
        line.points.push_back({static_cast<float>(i) / 64.0f, 0.0f});
    return line;
}

// Builds the graph of `lines` on level 0; returns the messages it printed,
// without the progress lines.
std::string build(cMapPolish& map, std::vector<mapPoly> lines) {
    map.levels[0].lines = std::move(lines);
    platform::ConsoleCapture console;
    buildRouteInfo(map);
    return std::regex_replace(console.text(), std::regex("\r[^\r\n]*?: (\\d+%|Done +\n)"), "");
}

// Identifiers are sorted once and rid of duplicates; each must get the index
// that a list kept sorted by inserting every identifier at its place gives.
TEST(RouteGraph, IndicesAreThoseOfASortedInsertionList) {
    std::mt19937 random(42);
    const auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    // Few values, so that identifiers repeat; some around 2^31 and 2^32 as
    // unsigned numbers (negative as read). Road identifier 0 is always listed.
    const uint32_t bands[] = {0, 0x7FFFFFF0u, 0xFFFFFFE0u};
    const auto identifier = [&] { return static_cast<int32_t>(bands[below(3)] + below(32)); };
    const auto insert = [](std::vector<uint32_t>& list, int32_t id) {
        const auto value = static_cast<uint32_t>(id);
        size_t at = 0;
        while (at < list.size() && list[at] < value)
            ++at;
        if (at == list.size() || list[at] != value)
            list.insert(list.begin() + static_cast<ptrdiff_t>(at), value);
    };
    const auto indexIn = [](const std::vector<uint32_t>& list, int32_t id) {
        return std::find(list.begin(), list.end(), static_cast<uint32_t>(id)) - list.begin();
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<mapPoly> lines;
        std::vector<uint32_t> nodes, roads = {0};
        for (uint32_t n = 1 + below(8); n > 0; --n) {
            lines.push_back(road(below(4) == 0 ? 0 : identifier(), {}));
            insert(roads, lines.back().roadId);
            for (uint32_t k = below(4); k > 0; --k) {
                lines.back().nodeRefs.push_back({0, identifier()});
                insert(nodes, lines.back().nodeRefs.back().nodeId);
            }
        }
        if (nodes.empty())
            continue;
        cMapPolish map;
        build(map, lines);
        for (size_t i = 0; i < lines.size(); ++i) {
            const mapPoly& built = map.levels[0].lines[i];
            ASSERT_EQ(built.roadId, indexIn(roads, lines[i].roadId)) << round;
            for (size_t k = 0; k < lines[i].nodeRefs.size(); ++k)
                ASSERT_EQ(built.nodeRefs[k].nodeId, indexIn(nodes, lines[i].nodeRefs[k].nodeId));
        }
        EXPECT_EQ(map.routeInfo.nodeArcs.size(), nodes.size());
        EXPECT_EQ(map.routeInfo.roads.size(), roads.size());
    }
}

//   A ----- B ---- C      one line, road 5; A at point 0, B at 3, C at 5
TEST(RouteGraph, TwoWayAndOneWayArcs) {
    const mapArc ab{1, 1, 5211}, ba{1, 0, 5211}, bc{1, 2, 3474}, cb{1, 1, 3474};
    const std::vector<std::pair<uint8_t, std::vector<Arcs>>> cases = {
        {0, {{ab}, {ba, bc}, {cb}}},
        {1, {{ab}, {bc}, {}}}, // one-way
        {2, {{ab}, {bc}, {}}}, // toll
        {4, {{ab}, {bc}, {}}}, // direction indicator
    };
    for (const auto& [roadFlags, arcs] : cases) {
        cMapPolish map;
        build(map, {road(5, {{0, 100}, {3, 200}, {5, 300}}, roadFlags)});
        EXPECT_EQ(map.routeInfo.nodeArcs, arcs) << int{roadFlags};
    }
    // Arcs join the references in stored order, not in point order: C, A, B;
    // a second line on the same road between A and B adds no arc.
    cMapPolish map;
    build(map, {road(5, {{5, 300}, {0, 100}, {3, 200}}, 1), road(5, {{0, 100}, {1, 200}}, 1)});
    EXPECT_EQ(map.routeInfo.nodeArcs, (std::vector<Arcs>{{{1, 1, 5211}}, {}, {{1, 0, 8686}}}));
}

// A reference beyond its line's points gives length 100 and a message that
// names each such point index.
TEST(RouteGraph, ArcLengthsAndReferencesBeyondTheLine) {
    const std::vector<std::tuple<std::vector<mapNodeRef>, size_t, uint32_t, std::string>> cases = {
        {{{3, 1}, {0, 2}}, 6, 5211, ""},
        {{{2, 1}, {2, 2}}, 6, 1, ""}, // two references on one point
        {{{0, 1}, {6, 2}}, 6, 100, " 6"},
        {{{9, 1}, {2, 2}}, 6, 100, " 9"},
        {{{9, 1}, {65535, 2}}, 6, 100, " 9 65535"},
        {{{0, 1}, {0, 2}}, 0, 100, " 0 0"},
    };
    for (const auto& [refs, pointCount, length, beyond] : cases) {
        cMapPolish map;
        EXPECT_EQ(build(map, {road(5, refs, 1, pointCount)}),
                  beyond.empty() ? ""
                                 : "Error: can't find node(s) index:" + beyond + "(all elem: " +
                                       std::to_string(pointCount) + ") in polyline(RoadId): 1\n");
        EXPECT_EQ(map.routeInfo.nodeArcs, (std::vector<Arcs>{{{1, 1, length}}, {}})) << beyond;
    }
}

//   A --r10-- B --r20-- C        restrictions name identifiers as read
TEST(RouteGraph, ReindexesRestrictions) {
    cMapPolish map;
    map.restrictions = {
        {100, 200, 300, 10, 20}, // kept, re-indexed
        {100, 999, 300, 10, 20}, // unknown via node: removed
        {100, 200, 100, 10, 77}, // unknown road: kept with the raw value
        {888, 999, 300, 10, 20}, // only the first unknown node is reported
        {300, 200, 100, 20, 10}, // still examined after the removals
    };
    EXPECT_EQ(build(map, {road(10, {{0, 100}, {3, 200}}), road(20, {{0, 200}, {3, 300}})}),
              "error restriction: node 999 not founded\n"
              "error restriction: roadId 77 isn't found\n"
              "error restriction: node 888 not founded\n");
    std::vector<int32_t> kept;
    for (const mapRestriction& r : map.restrictions)
        kept.insert(kept.end(), {r.node1, r.node2, r.node3, r.road1, r.road2});
    EXPECT_EQ(kept, (std::vector<int32_t>{0, 1, 2, 1, 2, 0, 1, 0, 1, 77, 2, 1, 0, 2, 1}));
}

} // namespace
} // namespace zel
