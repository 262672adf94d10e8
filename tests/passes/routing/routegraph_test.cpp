#include "passes/routing/routegraph.h"

#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zel {

namespace {

using Arcs = std::vector<mapArc>;

// Points along the equator 1/64 degree apart (exact in f32): one segment is
// 1737.148 m, so point 0 to 3 is 5211 m and point 3 to 5 is 3474 m.
constexpr uint32_t segment = 1737;
constexpr uint32_t points0to3 = 5211;
constexpr uint32_t points3to5 = 3474;

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

mapNodeRef node(uint16_t pointIndex, int32_t id, uint16_t boundary = 0) {
    return {pointIndex, id, boundary};
}

// Builds the graph of `lines` on level 0; returns what the step printed.
std::string build(cMapPolish& map, std::vector<mapPoly> lines) {
    map.levels[0].lines = std::move(lines);
    platform::ConsoleCapture console;
    buildRouteInfo(map);
    return console.text();
}

std::string phase(const std::string& label, const std::vector<int>& percents) {
    std::string text;
    for (int percent : percents)
        text += "\r" + label + ": " + std::to_string(percent) + "%";
    return text + "\r" + label + ": Done             \n";
}

std::vector<int32_t> nodeIdsOf(const mapPoly& line) {
    std::vector<int32_t> ids;
    for (const mapNodeRef& ref : line.nodeRefs)
        ids.push_back(ref.nodeId);
    return ids;
}

TEST(RouteGraph, NumbersNodesInUnsignedOrder) {
    struct Case {
        const char* name;
        std::vector<int32_t> ids;
        std::vector<int32_t> indices;
        size_t nodeCount;
    };
    const std::vector<Case> cases = {
        {"repeated identifier", {7, 3, 7, 10}, {1, 0, 1, 2}, 3},
        {"negative sorts last", {-1, 5, 2}, {2, 1, 0}, 3},
        {"most negative above largest positive", {INT32_MIN, INT32_MAX, 0}, {2, 1, 0}, 3},
        {"single node", {42, 42}, {0, 0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<mapNodeRef> refs;
        for (size_t i = 0; i < c.ids.size(); ++i)
            refs.push_back(node(static_cast<uint16_t>(i), c.ids[i]));
        cMapPolish map;
        build(map, {road(1, refs)});
        EXPECT_EQ(nodeIdsOf(map.levels[0].lines[0]), c.indices);
        EXPECT_EQ(map.routeInfo.nodeArcs.size(), c.nodeCount);
    }
}

TEST(RouteGraph, NumbersRoadsAfterTheNoRoadIndex) {
    struct Case {
        const char* name;
        std::vector<int32_t> roadIds;
        std::vector<int32_t> indices;
        size_t roadCount;
    };
    const std::vector<Case> cases = {
        // Identifier 0 is always in the list, so no real road takes index 0.
        {"every line has a road id", {30, 12}, {2, 1}, 3},
        {"a line without road id takes 0", {30, 0, 12}, {2, 0, 1}, 3},
        {"negative identifier sorts last", {-4, 12}, {2, 1}, 3},
        {"lines sharing a road", {12, 12}, {1, 1}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<mapPoly> lines;
        for (int32_t id : c.roadIds)
            lines.push_back(road(id, {node(0, 1), node(3, 2)}));
        cMapPolish map;
        build(map, lines);
        std::vector<int32_t> indices;
        for (const mapPoly& line : map.levels[0].lines)
            indices.push_back(line.roadId);
        EXPECT_EQ(indices, c.indices);
        EXPECT_EQ(map.routeInfo.roads.size(), c.roadCount);
    }
}

TEST(RouteGraph, LineWithoutNodesStillNumbersItsRoad) {
    // Road 20 has no node references, yet it takes index 2 after road 10.
    cMapPolish map;
    build(map, {road(20, {}), road(10, {node(0, 1), node(3, 2)})});
    EXPECT_EQ(map.levels[0].lines[0].roadId, 2);
    EXPECT_EQ(map.levels[0].lines[1].roadId, 1);
    EXPECT_EQ(map.routeInfo.roads.size(), 3u);
}

//   A ----- B ---- C      one line, road 5; A at point 0, B at 3, C at 5
TEST(RouteGraph, TwoWayAndOneWayArcs) {
    const mapArc ab{1, 1, points0to3}, ba{1, 0, points0to3};
    const mapArc bc{1, 2, points3to5}, cb{1, 1, points3to5};
    struct Case {
        const char* name;
        uint8_t roadFlags;
        std::vector<Arcs> arcs;
    };
    const std::vector<Case> cases = {
        {"two-way", 0, {{ab}, {ba, bc}, {cb}}},
        {"one-way", 1, {{ab}, {bc}, {}}},
        {"toll", 2, {{ab}, {bc}, {}}},
        {"direction indicator", 4, {{ab}, {bc}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMapPolish map;
        build(map, {road(5, {node(0, 100), node(3, 200), node(5, 300)}, c.roadFlags)});
        EXPECT_EQ(map.routeInfo.nodeArcs, c.arcs);
    }
}

//   A ---- B      node references in stored order C, A, B: arcs follow
//          |      the stored order, not the point order
//          C
TEST(RouteGraph, ArcsFollowStoredReferenceOrder) {
    cMapPolish map;
    build(map, {road(5, {node(5, 300), node(0, 100), node(3, 200)}, 1)});
    EXPECT_EQ(map.routeInfo.nodeArcs,
              (std::vector<Arcs>{{{1, 1, points0to3}}, {}, {{1, 0, 8686}}}));
}

TEST(RouteGraph, ArcListsAreSortedByTargetThenRoad) {
    //         B
    //   r20 /  \ r20
    //      A -- C       A to C on r30 and on r10
    cMapPolish map;
    build(map, {road(30, {node(0, 1), node(1, 3)}), road(20, {node(0, 1), node(1, 2)}),
                road(10, {node(0, 1), node(1, 3)}), road(20, {node(0, 2), node(1, 3)})});
    EXPECT_EQ(map.routeInfo.nodeArcs[0], (Arcs{{2, 1, segment}, {1, 2, segment}, {3, 2, segment}}));
}

//   A ===== B      two lines, same road, different lengths: the first wins
TEST(RouteGraph, DuplicateArcKeepsTheFirstLength) {
    cMapPolish map;
    build(map, {road(5, {node(0, 1), node(1, 2)}), road(5, {node(0, 1), node(3, 2)})});
    EXPECT_EQ(map.routeInfo.nodeArcs, (std::vector<Arcs>{{{1, 1, segment}}, {{1, 0, segment}}}));
}

TEST(RouteGraph, ArcLengths) {
    struct Case {
        const char* name;
        std::vector<mapNodeRef> refs;
        size_t pointCount;
        uint32_t length;
        std::string message;
    };
    const std::string tail = "(all elem: 6) in polyline(RoadId): 1\n";
    const std::vector<Case> cases = {
        {"one segment", {node(0, 1), node(1, 2)}, 6, segment, ""},
        {"backwards along the line", {node(3, 1), node(0, 2)}, 6, points0to3, ""},
        {"two references on one point", {node(2, 1), node(2, 2)}, 6, 1, ""},
        {"second index beyond the line",
         {node(0, 1), node(6, 2)},
         6,
         100,
         "Error: can't find node(s) index: 6" + tail},
        {"first index beyond the line",
         {node(9, 1), node(2, 2)},
         6,
         100,
         "Error: can't find node(s) index: 9" + tail},
        {"both beyond",
         {node(9, 1), node(65535, 2)},
         6,
         100,
         "Error: can't find node(s) index: 9 65535" + tail},
        {"line without points",
         {node(0, 1), node(0, 2)},
         0,
         100,
         "Error: can't find node(s) index: 0 0(all elem: 0) in polyline(RoadId): 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMapPolish map;
        const std::string printed = build(map, {road(5, c.refs, 1, c.pointCount)});
        ASSERT_EQ(map.routeInfo.nodeArcs.size(), 2u);
        EXPECT_EQ(map.routeInfo.nodeArcs[0], (Arcs{{1, 1, c.length}}));
        EXPECT_EQ(printed,
                  phase("RouteInfo", {0, 100}) + phase("ReIndexes", {0, 100}) +
                      "\rCreating adjustment: 0%" + c.message +
                      "\rCreating adjustment: 100%\rCreating adjustment: Done             \n");
    }
}

TEST(RouteGraph, RoadParametersComeFromTheLastLineOfEachRoad) {
    mapPoly first = road(7, {node(0, 1), node(1, 2)});
    first.speed = 90;
    mapPoly second = road(7, {node(1, 2), node(2, 3)}, 3);
    second.speed = 110;
    second.roadClass = 4;
    second.accessFlags = 0x81;
    second.weight = 0xDEADBEEF;
    mapPoly other = road(9, {node(0, 1), node(1, 3)});
    other.speed = 40;
    other.roadClass = 0;
    cMapPolish map;
    build(map, {first, second, other});
    const std::vector<mapRoadParams>& roads = map.routeInfo.roads;
    ASSERT_EQ(roads.size(), 3u);
    const auto params = [](const mapRoadParams& r) {
        return std::tuple{int{r.speed}, int{r.roadClass}, int{r.roadFlags}, int{r.accessFlags},
                          r.weight};
    };
    // Index 0 is set by no line: the values of a cleared line.
    EXPECT_EQ(params(roads[0]), std::tuple(0, 1, 0, 0, 0u));
    EXPECT_EQ(params(roads[1]), std::tuple(110, 4, 3, 0x81, 0xDEADBEEFu));
    EXPECT_EQ(params(roads[2]), std::tuple(40, 0, 0, 0, 0u));
}

TEST(RouteGraph, BoundaryNodesGetTheirPositionInMapUnits) {
    mapPoly line = road(1, {node(0, 10, 1), node(1, 20), node(2, 30, 7), node(9, 40, 1)});
    line.points = {{1.0f, 0.5f}, {2.0f, 0.0f}, {-1.0f, 13.4f}};
    mapPoly later = road(2, {node(0, 30, 1), node(1, 10)});
    later.points = {{0.0f, 0.0f}, {1.0f, 0.5f}};
    cMapPolish map;
    const std::string printed = build(map, {line, later});
    // 186413.51 units per degree, rounded half away from zero; node 30's
    // position comes from the later line. The reference on point 9 lies
    // beyond its line's points and stores nothing.
    const std::map<uint32_t, std::pair<int32_t, int32_t>> expected = {{0, {186414, 93207}},
                                                                      {2, {0, 0}}};
    std::map<uint32_t, std::pair<int32_t, int32_t>> actual;
    for (const auto& [index, position] : map.routeInfo.externNodes)
        actual[index] = {position.x, position.y};
    EXPECT_EQ(actual, expected);
    EXPECT_NE(printed.find("wrong nodeX 9 index\n\rCreating adjustment: 50%"), std::string::npos);
}

TEST(RouteGraph, PrintsEachPhase) {
    cMapPolish map;
    const std::string printed =
        build(map, {road(1, {node(0, 1), node(1, 2)}), road(2, {node(0, 2), node(1, 3)})});
    EXPECT_EQ(printed, phase("RouteInfo", {0, 50, 100}) + phase("ReIndexes", {0, 50, 100}) +
                           phase("Creating adjustment", {0, 50, 100}));
}

TEST(RouteGraph, WithoutNodeReferencesTheGraphIsAbsent) {
    cMapPolish map;
    map.restrictions = {{11, 12, 13, 5, 6}};
    map.tempRestrictions = {{21, 22, 23, 5, 6}};
    const std::string printed = build(map, {road(5, {}), road(6, {})});
    EXPECT_EQ(printed, phase("RouteInfo", {0, 50, 100}) + "RouteInfo is absent\n");
    EXPECT_TRUE(map.routeInfo.nodeArcs.empty());
    EXPECT_TRUE(map.routeInfo.roads.empty());
    EXPECT_TRUE(map.routeInfo.externNodes.empty());
    // Identifiers stay as read.
    EXPECT_EQ(map.levels[0].lines[0].roadId, 5);
    EXPECT_EQ(map.restrictions[0].node1, 11);
    EXPECT_EQ(map.tempRestrictions[0].node1, 21);
}

TEST(RouteGraph, NodesOnOtherLevelsAreNotRouted) {
    cMapPolish map;
    map.levels.resize(2);
    map.levels[1].lines = {road(5, {node(0, 1), node(1, 2)})};
    const std::string printed = build(map, {road(5, {})});
    EXPECT_EQ(printed, phase("RouteInfo", {0, 100}) + "RouteInfo is absent\n");
    EXPECT_EQ(map.levels[1].lines[0].nodeRefs[0].nodeId, 1);
}

TEST(RouteGraph, MapWithoutLevelsIsLeftAlone) {
    cMapPolish map;
    map.levels.clear();
    map.restrictions = {{1, 2, 3, 4, 5}};
    platform::ConsoleCapture console;
    buildRouteInfo(map);
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(map.routeInfo.nodeArcs.empty());
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
    map.tempRestrictions = {{100, 555, 300, 66, 20}};
    const std::string printed = build(
        map, {road(10, {node(0, 100), node(3, 200)}), road(20, {node(0, 200), node(3, 300)})});
    // 2 lines + 5 restrictions + 1 temporary one: 12 per step; removed
    // restrictions do not step.
    EXPECT_EQ(printed, phase("RouteInfo", {0, 50, 100}) +
                           "\rReIndexes: 0%\rReIndexes: 12%\rReIndexes: 24%\rReIndexes: 36%"
                           "error restriction: node 999 not founded\n"
                           "error restriction: roadId 77 isn't found\n\rReIndexes: 48%"
                           "error restriction: node 888 not founded\n\rReIndexes: 60%"
                           "error temp restriction: node 555 not founded\n"
                           "error restriction: roadId 66 isn't found\n\rReIndexes: 72%"
                           "\rReIndexes: Done             \n" +
                           phase("Creating adjustment", {0, 50, 100}));
    const auto fields = [](const mapRestriction& r) {
        return std::vector<int32_t>{r.node1, r.node2, r.node3, r.road1, r.road2};
    };
    ASSERT_EQ(map.restrictions.size(), 3u);
    EXPECT_EQ(fields(map.restrictions[0]), (std::vector<int32_t>{0, 1, 2, 1, 2}));
    EXPECT_EQ(fields(map.restrictions[1]), (std::vector<int32_t>{0, 1, 0, 1, 77}));
    EXPECT_EQ(fields(map.restrictions[2]), (std::vector<int32_t>{2, 1, 0, 2, 1}));
    ASSERT_EQ(map.tempRestrictions.size(), 1u);
    EXPECT_EQ(fields(map.tempRestrictions[0]), (std::vector<int32_t>{0, 555, 2, 66, 2}));
}

TEST(SphereDistance, KnownDistances) {
    struct Case {
        const char* name;
        mapPoint a, b;
        float metres;
    };
    const std::vector<Case> cases = {
        {"one degree on the equator", {0, 0}, {1, 0}, 111177.4765625f},
        {"a quarter round", {0, 0}, {90, 0}, 10005973.0f},
        {"pole from the equator", {0, 0}, {0, 90}, 10005973.0f},
        {"half round", {0, 0}, {180, 0}, 20011946.0f},
        {"the same point", {10, 45}, {10, 45}, 0.0f},
        {"the same point, other order", {12.3456f, -33.3f}, {12.3456f, -33.3f}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sphereDistance(c.a, c.b), c.metres);
        EXPECT_EQ(sphereDistance(c.b, c.a), c.metres);
    }
}

TEST(AddArc, InsertsInOrderAndKeepsTheFirstOfEqualArcs) {
    Arcs arcs;
    for (const mapArc& arc : std::vector<mapArc>{
             {5, 2, 10}, {1, 2, 11}, {9, 0, 12}, {5, 2, 99}, {0, 7, 13}, {9, 0, 98}})
        addArc(arcs, arc);
    EXPECT_EQ(arcs, (Arcs{{9, 0, 12}, {1, 2, 11}, {5, 2, 10}, {0, 7, 13}}));
}

} // namespace
} // namespace zel
