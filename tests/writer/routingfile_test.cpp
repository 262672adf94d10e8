#include "writer/routingfile.h"

#include "format/routing.h"
#include "passes/routing/adjustments.h"
#include "passes/routing/restrictions.h"
#include "passes/routing/routegraph.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zel {
namespace {

using format::decodeRouting;
using format::RoutingSection;

Bytes bareHeader() {
    Bytes bytes = {'B', 'R', 'I', 'F'};
    bytes.resize(44, 0);
    return bytes;
}

mapPoly line(int32_t roadId, uint8_t speed, uint8_t roadFlags, std::vector<mapNodeRef> refs) {
    mapPoly poly;
    poly.roadId = roadId;
    poly.speed = speed;
    poly.roadFlags = roadFlags;
    poly.nodeRefs = std::move(refs);
    for (int i = 0; i < 3; ++i)
        poly.points.push_back({10.0f + static_cast<float>(i) / 100.0f, 50.0f});
    return poly;
}

//   E1 ==r10, 110 km/h== N2 ==r20, 111 km/h== E3      E1, E3 on the boundary
//                        |
//                        | r30, 0 km/h, one-way down
//                        v
//                        N4
// The turn E1 -> N2 -> N4 is forbidden.
void buildExampleMap(cMapPolish& map) {
    map.levels.resize(2);
    map.levels[0].lines = {
        line(10, 110, 0, {{0, 1, 1}, {1, 2, 0}}),
        line(20, 111, 0, {{0, 2, 0}, {2, 3, 1}}),
        line(30, 0, 1, {{0, 2, 0}, {1, 4, 0}}),
    };
    map.restrictions = {{1, 2, 4, 10, 30}};
    map.tempRestrictions = {{3, 2, 1, 20, 10}, {1, 2, 3, 10, 20}};
    platform::ConsoleCapture console;
    buildRouteInfo(map);
    checkRestrictions(map);
    applyRestrictions(map);
    roadWeights(map.routeInfo);
    externNodeAdjustments(map.routeInfo);
}

TEST(RoutingFile, OtherLevelsHoldTheBareHeader) {
    cMapPolish map;
    buildExampleMap(map);
    const size_t roads = map.routeInfo.roads.size();
    EXPECT_EQ(routingFile(map, 1), bareHeader());
    EXPECT_EQ(routingFile(map, 7), bareHeader());
    // Writing leaves the road table as it was.
    EXPECT_EQ(map.routeInfo.roads.size(), roads);
}

TEST(RoutingFile, EmptyGraphGivesTheBareHeader) {
    cMapPolish map;
    EXPECT_EQ(routingFile(map, 0), bareHeader());
    map.routeInfo.roads.resize(1);
    EXPECT_EQ(routingFile(map, 0), bareHeader());
    EXPECT_EQ(map.routeInfo.roads.size(), 1u);
}

TEST(RoutingFile, SpeedClasses) {
    const std::vector<std::pair<uint8_t, uint8_t>> cases = {
        {0, 0},  {5, 0},  {6, 1},  {20, 1}, {21, 2}, {40, 2},  {41, 3},  {60, 3},
        {61, 4}, {80, 4}, {81, 5}, {90, 5}, {91, 6}, {110, 6}, {111, 7}, {255, 7},
    };
    cMapPolish map;
    map.routeInfo.roads.resize(1);
    for (const auto& [speed, speedClass] : cases) {
        EXPECT_EQ(zel::speedClass(speed), speedClass) << int{speed} << " km/h";
        map.routeInfo.roads.push_back({speed, 3, 5, 0x80, 1234});
    }
    const RoutingSection section = decodeRouting(routingFile(map, 0));
    EXPECT_TRUE(section.valid());
    ASSERT_EQ(section.roads.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(section.roads[i], (format::RoutingRoad{cases[i].second, 3, 5, 0x80}));
}

TEST(RoutingFile, DecodesToTheGraph) {
    cMapPolish map;
    buildExampleMap(map);
    const cRouteInfo graph = map.routeInfo;
    const Bytes bytes = routingFile(map, 0);
    const RoutingSection section = decodeRouting(bytes);
    for (const format::Problem& problem : section.problems)
        ADD_FAILURE() << problem.offset << ": " << problem.what;
    ASSERT_TRUE(section.complete);

    // The example is small enough to know what it must hold: road indices
    // 1..3, nodes 0..3 and the five nodes of N2's expansion, boundary nodes
    // 0 and 2 with a cost each way.
    const format::RoutingHeader& h = section.header;
    EXPECT_EQ(h.roadCount, 3u);
    EXPECT_EQ(h.nodeArcCount, 9u);
    EXPECT_EQ(h.adjustmentCount, 1u);
    EXPECT_EQ(h.replacementCount, 6u);
    EXPECT_EQ(h.restrictionCount, 2u);
    EXPECT_EQ(h.externNodeCount, 2u);
    EXPECT_EQ(h.externCostCount, 2u);
    EXPECT_GT(h.largestCost, 0u);
    EXPECT_EQ(h.section3Offset, 4 * 3 + 12 * 2);
    // Two boundary nodes with one cost each: 6 + 12 bytes apiece.
    EXPECT_EQ(h.section4Offset, h.section3Offset + 2 * (6 + 12));
    EXPECT_EQ(section.section4Start, h.section4Offset);

    ASSERT_EQ(section.roads.size(), graph.roads.size() - 1);
    for (size_t k = 0; k < section.roads.size(); ++k) {
        const mapRoadParams& road = graph.roads[k + 1];
        EXPECT_EQ(section.roads[k], (format::RoutingRoad{speedClass(road.speed), road.roadClass,
                                                         road.roadFlags, road.accessFlags}));
    }
    EXPECT_EQ(section.roads[0].speedClass, 6); // 110 km/h
    EXPECT_EQ(section.roads[1].speedClass, 7); // 111 km/h
    EXPECT_EQ(section.roads[2].speedClass, 0); // 0 km/h
    EXPECT_EQ(section.roads[2].roadFlags, 1);

    std::vector<format::RoutingExternNode> externNodes;
    for (const auto& [node, position] : graph.externNodes)
        externNodes.push_back({node, position.x, position.y});
    EXPECT_EQ(section.externNodes, externNodes);

    std::vector<format::RoutingCostList> costs;
    for (const auto& [node, set] : graph.externCosts) {
        costs.push_back({node, {}});
        for (const mapExternCost& cost : set)
            costs.back().costs.push_back({cost.zero, cost.node, cost.cost});
    }
    EXPECT_EQ(section.externCosts, costs);

    std::vector<std::vector<format::RoutingArc>> arcs;
    for (const std::vector<mapArc>& list : graph.nodeArcs) {
        arcs.emplace_back();
        for (const mapArc& arc : list)
            arcs.back().push_back({arc.road, arc.target, arc.length});
    }
    EXPECT_EQ(section.nodeArcs, arcs);

    std::vector<format::RoutingAdjustment> adjustments;
    for (const auto& [via, set] : graph.adjustments) {
        adjustments.push_back({via, {}});
        for (const mapReplacement& e : set)
            adjustments.back().entries.push_back(
                {e.road, e.neighbour, e.length, e.gate, e.arrival});
    }
    EXPECT_EQ(section.adjustments, adjustments);

    std::vector<format::RoutingReplacementList> replacements;
    for (const auto& [node, originals] : graph.replacements)
        replacements.push_back({node, originals});
    EXPECT_EQ(section.replacements, replacements);

    // Sorted by their first road: 10 (index 1) before 20 (index 2).
    EXPECT_EQ(section.restrictions,
              (std::vector<format::RoutingRestriction>{{0, 1, 2, 1, 2}, {2, 1, 0, 2, 1}}));
}

TEST(RoutingFile, TemporaryRestrictionsSortedByRoadsThenNodes) {
    cMapPolish map;
    map.tempRestrictions = {
        {5, 0, 0, -1, 0}, // road 0xFFFFFFFF sorts last
        {9, 9, 9, 2, 1},  {3, 0, 0, 2, 1}, {1, 7, 0, 2, 1},
        {1, 6, 5, 2, 1},  {1, 6, 4, 2, 0}, {0, 0, 0, 3, 0},
    };
    const RoutingSection section = decodeRouting(routingFile(map, 0));
    EXPECT_TRUE(section.valid());
    const std::vector<format::RoutingRestriction> expected = {
        {1, 6, 4, 2, 0}, {1, 6, 5, 2, 1}, {1, 7, 0, 2, 1},          {3, 0, 0, 2, 1},
        {9, 9, 9, 2, 1}, {0, 0, 0, 3, 0}, {5, 0, 0, 0xFFFFFFFF, 0},
    };
    EXPECT_EQ(section.restrictions, expected);
    // The model keeps its own order.
    EXPECT_EQ(map.tempRestrictions[0].node1, 5);
}

TEST(RoutingFile, CountsKeepTheLowBitsAndEveryElementIsWritten) {
    cMapPolish map;
    map.routeInfo.nodeArcs.resize(1);
    for (uint32_t i = 0; i < 300; ++i)
        map.routeInfo.nodeArcs[0].push_back({1, i, 7});
    map.routeInfo.replacements[5] = std::vector<uint32_t>(65537, 3);
    const Bytes bytes = routingFile(map, 0);
    // Header, one count byte and 300 arcs, then key, count and 65537 nodes.
    ASSERT_EQ(bytes.size(), 44u + 1 + 300 * 12 + 4 + 2 + 65537 * 4);
    EXPECT_EQ(bytes[44], 300 & 0xFF);
    const size_t replacementCount = 44 + 1 + 300 * 12 + 4;
    EXPECT_EQ(getU16(bytes.data() + replacementCount), 1);
}

TEST(RoutingDecoder, ReportsBrokenLayouts) {
    cMapPolish map;
    buildExampleMap(map);
    const Bytes good = routingFile(map, 0);
    struct Case {
        const char* name;
        size_t offset;
        uint8_t value;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"tag", 0, 'X', "tag"},
        {"section 3 offset", 4, 99, "section 3 offset"},
        {"section 4 offset", 8, 99, "section 4 offset"},
        {"largest cost", 40, 0xEE, "largest cost"},
        {"speed class", 44, 9, "speed class"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = good;
        bytes[c.offset] = c.value;
        const RoutingSection section = decodeRouting(bytes, 1000);
        ASSERT_FALSE(section.valid());
        EXPECT_NE(section.problems[0].what.find(c.problem), std::string::npos)
            << section.problems[0].what;
        EXPECT_GE(section.problems[0].offset, 1000u);
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decodeRouting(longer).valid());
    EXPECT_FALSE(decodeRouting(Bytes(good.begin(), good.begin() + 43)).valid());
}

TEST(RoutingDecoder, NeverReadsPastTheBytes) {
    cMapPolish map;
    buildExampleMap(map);
    const Bytes good = routingFile(map, 0);
    // Every shorter piece misses part of some counted element.
    for (size_t size = 0; size < good.size(); ++size) {
        const Bytes piece(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const RoutingSection section = decodeRouting(piece);
        EXPECT_FALSE(section.valid()) << size;
        EXPECT_FALSE(section.complete) << size;
    }
    // Changed bytes, huge counts included, are read without leaving the data.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[random() % bytes.size()] =
                static_cast<uint8_t>(random() % 2 == 0 ? 0xFF : random());
        decodeRouting(bytes);
    }
}

} // namespace
} // namespace zel
