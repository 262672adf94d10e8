#include "passes/routing/restrictions.h"

#include "passes/routing/adjustments.h"
#include "passes/routing/network.h"
#include "passes/routing/routegraph.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace zel {
namespace {

// Node names of the network below, in index order.
enum : uint32_t { A, V, B, C };

//          B
//          | r7, 200
//          |
//   A ---- V ---- C         all two-way
//   r5, 100   r8, 300
cRouteInfo crossing() {
    return test::Network("A V B C", "A-V r5 100, V-B r7 200, V-C r8 300").graph;
}

mapRestriction turn(uint32_t from, uint32_t via, uint32_t to, uint32_t road1, uint32_t road2) {
    return {static_cast<int32_t>(from), static_cast<int32_t>(via), static_cast<int32_t>(to),
            static_cast<int32_t>(road1), static_cast<int32_t>(road2)};
}

// The shortest way from one node to another; -1 when there is none.
int64_t distance(const cRouteInfo& graph, uint32_t from, uint32_t to) {
    const uint64_t length = test::plainPathLengths(graph, from)[to];
    return length == UINT64_MAX ? -1 : static_cast<int64_t>(length);
}

TEST(CheckRestrictions, KeepsThoseThatMatchTwoArcs) {
    cMapPolish map;
    map.routeInfo = crossing();
    removeArc(map.routeInfo, C, 8, V); // V to C only one way now
    map.restrictions = {
        turn(A, V, B, 5, 7),  // kept
        turn(A, V, B, 5, 8),  // V to B is on road 7, not 8
        turn(C, V, A, 8, 5),  // enters V against the one-way road
        turn(A, V, C, 5, 8),  // kept
        turn(A, V, B, 77, 7), // a road identifier that was not found
        turn(A, 9, B, 5, 7),  // a via node beyond the graph
        turn(A, V, A, 5, 5),  // kept: a U-turn
    };
    checkRestrictions(map);
    std::vector<int32_t> kept;
    for (const mapRestriction& r : map.restrictions)
        kept.insert(kept.end(), {r.node1, r.node2, r.node3, r.road1, r.road2});
    EXPECT_EQ(kept, (std::vector<int32_t>{A, V, B, 5, 7, A, V, C, 5, 8, A, V, A, 5, 5}));

    // Without a graph the identifiers name no node: all go.
    map.routeInfo = {};
    map.restrictions = {turn(0, 0, 0, 0, 0), turn(1, 2, 3, 4, 5)};
    checkRestrictions(map);
    EXPECT_TRUE(map.restrictions.empty());
}

// Each case: the restrictions, the lengths of A to B, B to A and A to C, and
// whether A can still turn back at V.
TEST(ApplyRestriction, ForbidsOneTurn) {
    using Case = std::tuple<std::vector<mapRestriction>, int64_t, int64_t, int64_t, bool>;
    const std::vector<Case> cases = {
        // Forbidden A-V-B leaves the way through C: turn there and come back.
        {{turn(A, V, B, 5, 7)}, 900, 300, 400, true},
        {{turn(A, V, B, 5, 7), turn(B, V, A, 7, 5)}, 900, 900, 400, true},
        {{turn(A, V, B, 5, 7), turn(A, V, B, 5, 7)}, 900, 300, 400, true}, // twice
        {{turn(A, V, A, 5, 5)}, 300, 300, 400, false},
        {{turn(B, V, C, 5, 8)}, 300, 300, 400, true}, // no such neighbour
    };
    for (const auto& [restrictions, aToB, bToA, aToC, uTurn] : cases) {
        cRouteInfo graph = crossing();
        for (const mapRestriction& r : restrictions)
            applyRestriction(graph, r);
        EXPECT_EQ(std::tuple(distance(graph, A, B), distance(graph, B, A), distance(graph, A, C)),
                  std::tuple(aToB, bToA, aToC));
        // Expanded once: V stays the first gate, five nodes are new.
        EXPECT_EQ(graph.nodeArcs.size(), 9u);
        ASSERT_EQ(graph.adjustments.size(), 1u);
        const mapReplacement& fromA = *graph.adjustments.at(V).begin();
        EXPECT_EQ(hasArc(graph, fromA.arrival, 5, fromA.gate), uTurn);
    }
}

} // namespace
} // namespace zel
