#include "passes/routing/restrictions.h"

#include "passes/routing/adjustments.h"
#include "passes/routing/routegraph.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

// Node names of the networks below, in index order.
enum : uint32_t { A, V, B, C };

//          B
//          | r7, 200
//          |
//   A ---- V ---- C         all two-way
//   r5, 100   r8, 300
cRouteInfo crossing() {
    cRouteInfo graph;
    graph.nodeArcs.resize(4);
    const auto twoWay = [&](uint32_t a, uint32_t b, uint32_t road, uint32_t length) {
        addArc(graph.nodeArcs[a], {road, b, length});
        addArc(graph.nodeArcs[b], {road, a, length});
    };
    twoWay(A, V, 5, 100);
    twoWay(V, B, 7, 200);
    twoWay(V, C, 8, 300);
    return graph;
}

mapRestriction turn(uint32_t from, uint32_t via, uint32_t to, uint32_t road1, uint32_t road2) {
    return {static_cast<int32_t>(from), static_cast<int32_t>(via), static_cast<int32_t>(to),
            static_cast<int32_t>(road1), static_cast<int32_t>(road2)};
}

// Shortest way from one node to another, summing arc lengths; -1 when there
// is none.
int64_t distance(const cRouteInfo& graph, uint32_t from, uint32_t to) {
    std::vector<int64_t> dist(graph.nodeArcs.size(), -1);
    std::vector<bool> done(graph.nodeArcs.size(), false);
    dist[from] = 0;
    for (;;) {
        size_t u = dist.size();
        for (size_t i = 0; i < dist.size(); ++i) {
            if (!done[i] && dist[i] >= 0 && (u == dist.size() || dist[i] < dist[u]))
                u = i;
        }
        if (u == dist.size())
            return dist[to];
        done[u] = true;
        for (const mapArc& arc : graph.nodeArcs[u]) {
            const int64_t via = dist[u] + arc.length;
            if (dist[arc.target] < 0 || via < dist[arc.target])
                dist[arc.target] = via;
        }
    }
}

TEST(Arcs, HasArcAndRemoveArc) {
    cRouteInfo graph = crossing();
    EXPECT_TRUE(hasArc(graph, A, 5, V));
    EXPECT_FALSE(hasArc(graph, A, 7, V));
    EXPECT_FALSE(hasArc(graph, A, 5, B));
    EXPECT_FALSE(hasArc(graph, 4, 5, V));
    EXPECT_FALSE(hasArc(graph, 0xFFFFFFFF, 5, V));

    EXPECT_FALSE(removeArc(graph, 4, 5, V));
    EXPECT_FALSE(removeArc(graph, A, 7, V));
    EXPECT_TRUE(removeArc(graph, A, 5, V));
    EXPECT_TRUE(graph.nodeArcs[A].empty());
    EXPECT_FALSE(removeArc(graph, A, 5, V));

    // Only the first of two equal arcs goes.
    graph.nodeArcs[A] = {{5, V, 1}, {5, V, 2}};
    EXPECT_TRUE(removeArc(graph, A, 5, V));
    EXPECT_EQ(graph.nodeArcs[A], (std::vector<mapArc>{{5, V, 2}}));
}

TEST(CheckRestrictions, KeepsThoseThatMatchTwoArcs) {
    cMapPolish map;
    map.routeInfo = crossing();
    // V to C only one way now.
    removeArc(map.routeInfo, C, 8, V);
    map.restrictions = {
        turn(A, V, B, 5, 7),  // kept
        turn(A, V, B, 5, 8),  // V to B is on road 7, not 8
        turn(C, V, A, 8, 5),  // enters V against the one-way road
        turn(A, V, C, 5, 8),  // kept
        turn(A, V, B, 77, 7), // a road identifier that was not found
        turn(A, 9, B, 5, 7),  // a via node beyond the graph
        turn(A, V, A, 5, 5),  // kept: a U-turn
    };
    platform::ConsoleCapture console;
    checkRestrictions(map);
    EXPECT_EQ(console.text(), "");
    std::vector<int32_t> kept;
    for (const mapRestriction& r : map.restrictions)
        kept.insert(kept.end(), {r.node1, r.node2, r.node3, r.road1, r.road2});
    EXPECT_EQ(kept, (std::vector<int32_t>{A, V, B, 5, 7, A, V, C, 5, 8, A, V, A, 5, 5}));
}

TEST(CheckRestrictions, MapWithoutGraphLosesThemAll) {
    cMapPolish map;
    map.restrictions = {turn(0, 0, 0, 0, 0), turn(1, 2, 3, 4, 5)};
    checkRestrictions(map);
    EXPECT_TRUE(map.restrictions.empty());
}

TEST(ApplyRestriction, ForbidsOneTurn) {
    struct Case {
        const char* name;
        std::vector<mapRestriction> restrictions;
        // Lengths of A to B, B to A, A to C, and whether A can turn back at V.
        int64_t aToB, bToA, aToC;
        bool uTurnAtV;
    };
    const std::vector<Case> cases = {
        // Forbidden A-V-B leaves the way through C: turn there and come back.
        {"one turn", {turn(A, V, B, 5, 7)}, 900, 300, 400, true},
        {"two turns at one via node",
         {turn(A, V, B, 5, 7), turn(B, V, A, 7, 5)},
         900,
         900,
         400,
         true},
        {"U-turn", {turn(A, V, A, 5, 5)}, 300, 300, 400, false},
        {"no such neighbour", {turn(B, V, C, 5, 8)}, 300, 300, 400, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cRouteInfo graph = crossing();
        for (const mapRestriction& r : c.restrictions)
            applyRestriction(graph, r);
        EXPECT_EQ(distance(graph, A, B), c.aToB);
        EXPECT_EQ(distance(graph, B, A), c.bToA);
        EXPECT_EQ(distance(graph, A, C), c.aToC);
        // Expanded once: V stays the first gate, five nodes are new.
        EXPECT_EQ(graph.nodeArcs.size(), 9u);
        EXPECT_EQ(graph.adjustments.size(), 1u);
        const mapReplacement& fromA = *graph.adjustments.at(V).begin();
        EXPECT_EQ(fromA.neighbour, A);
        EXPECT_EQ(hasArc(graph, fromA.arrival, 5, fromA.gate), c.uTurnAtV);
    }
}

TEST(ApplyRestriction, SameRestrictionTwiceChangesNothingMore) {
    cRouteInfo once = crossing();
    applyRestriction(once, turn(C, V, B, 8, 7));
    cRouteInfo twice = once;
    applyRestriction(twice, turn(C, V, B, 8, 7));
    EXPECT_EQ(twice.nodeArcs, once.nodeArcs);
    EXPECT_EQ(twice.adjustments, once.adjustments);
    EXPECT_EQ(twice.replacements, once.replacements);
}

TEST(ApplyRestriction, EmptyGraphIsLeftAlone) {
    cRouteInfo graph;
    platform::ConsoleCapture console;
    applyRestriction(graph, turn(A, V, B, 5, 7));
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(graph.nodeArcs.empty());
}

std::string restrictionsProgress(const std::string& body) {
    return body + "\rRestrictions: Done             \n";
}

TEST(ApplyRestrictions, CountsBeforeEachRestriction) {
    struct Case {
        const char* name;
        std::vector<mapRestriction> restrictions;
        std::string printed;
    };
    const std::vector<Case> cases = {
        {"none", {}, restrictionsProgress("\rRestrictions: 0%")},
        {"two",
         {turn(A, V, B, 5, 7), turn(B, V, C, 7, 8)},
         restrictionsProgress("\rRestrictions: 0%\rRestrictions: 50%\rRestrictions: 100%")},
        // Left unchecked, a via node beyond the graph is reported by the
        // expansion, after the percentage of its restriction.
        {"via node beyond the graph",
         {turn(A, 9, B, 5, 7)},
         restrictionsProgress("\rRestrictions: 0%\rRestrictions: 100%"
                              "Node 9 is absent in adjustments and in replacements\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMapPolish map;
        map.routeInfo = crossing();
        map.restrictions = c.restrictions;
        platform::ConsoleCapture console;
        applyRestrictions(map);
        EXPECT_EQ(console.text(), c.printed);
    }
}

TEST(ApplyRestrictions, NoRestrictionLeavesTheGraphAsBuilt) {
    cMapPolish map;
    map.routeInfo = crossing();
    map.restrictions = {turn(A, V, B, 5, 8)};
    checkRestrictions(map);
    applyRestrictions(map);
    EXPECT_EQ(map.routeInfo.nodeArcs, crossing().nodeArcs);
    EXPECT_TRUE(map.routeInfo.adjustments.empty());
    EXPECT_TRUE(map.routeInfo.replacements.empty());
}

//   101 --road 50-- 102 --road 60-- 103      one line each, as read
TEST(Restrictions, FromIdentifiersToAForbiddenTurn) {
    cMapPolish map;
    for (const auto& [roadId, from, to] :
         std::vector<std::tuple<int32_t, int32_t, int32_t>>{{50, 101, 102}, {60, 102, 103}}) {
        mapPoly line;
        line.roadId = roadId;
        line.points = {{0.0f, 0.0f}, {0.01f, 0.0f}};
        line.nodeRefs = {{0, from, 0}, {1, to, 0}};
        map.levels[0].lines.push_back(line);
    }
    map.restrictions = {{101, 102, 103, 50, 60}, {101, 102, 103, 60, 50}, {101, 102, 101, 50, 50}};
    platform::ConsoleCapture console;
    buildRouteInfo(map);
    checkRestrictions(map);
    applyRestrictions(map);
    // The second names the roads the wrong way round.
    ASSERT_EQ(map.restrictions.size(), 2u);
    const cRouteInfo& graph = map.routeInfo;
    EXPECT_EQ(distance(graph, 0, 2), -1);
    EXPECT_GT(distance(graph, 2, 0), 0);
    // The U-turn at node 102 coming from 101 is gone, the one from 103 stays.
    const ReplacementSet& set = graph.adjustments.at(1);
    for (const mapReplacement& e : set)
        EXPECT_EQ(hasArc(graph, e.arrival, e.road, e.gate), e.neighbour == 2) << e.neighbour;
}

} // namespace
} // namespace zel
