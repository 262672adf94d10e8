#include "passes/routing/adjustments.h"

#include "passes/routing/network.h"
#include "passes/routing/routegraph.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace zel {
namespace {

using test::Network;

//          a
//          | r1, 10
//          |
//   b ---> V ---> c
//     r2,20  r3,30
TEST(ReplacementSet, ExpandsTwoWayIncomingAndOutgoingNeighbours) {
    Network net("a b c V", "a-V r1 10, b>V r2 20, V>c r3 30");
    ASSERT_NE(getReplacementSet(net.graph, net["V"]), nullptr);
    net.more("Q_a P_b Q_b P_c Q_c"); // P_a is V itself
    EXPECT_EQ(net.arcs(), "a: V r1 0 | b: P_b r2 0 | c: | V: a r1 0, Q_a r1 10 | "
                          "Q_a: V r1 10, P_c r3 30 | P_b: Q_b r2 20 | Q_b: V r1 10, P_c r3 30 | "
                          "P_c: c r3 0 | Q_c: P_c r3 30");
    EXPECT_EQ(net.set("V"), "a r1 10 V Q_a; b r2 20 P_b Q_b; c r3 30 P_c Q_c");
    // A gate lists its neighbour, then the via node; an arrival node only the
    // via node.
    EXPECT_EQ(net.graph.replacements.at(net["P_b"]), (std::vector<uint32_t>{net["b"], net["V"]}));
    EXPECT_EQ(net.graph.replacements.at(net["Q_c"]), (std::vector<uint32_t>{net["V"]}));
}

//   a <===> V      r1, 10: a dead end
TEST(ReplacementSet, DeadEndGetsAnEntryNode) {
    Network net("a V", "a-V r1 10");
    const ReplacementSet* set = getReplacementSet(net.graph, net["V"]);
    ASSERT_NE(set, nullptr);
    // W can only enter V; it is the second neighbour, after a.
    net.more("W Q_a P_W Q_W");
    const std::string arcs = "a: V r1 0 | V: a r1 0, Q_a r1 10 | W: P_W r1 0 | Q_a: V r1 10 | "
                             "P_W: Q_W r1 0 | Q_W: V r1 10";
    EXPECT_EQ(net.arcs(), arcs);
    EXPECT_EQ(net.set("V"), "a r1 10 V Q_a; W r1 0 P_W Q_W");
    // Asking again gives the same set and adds nothing; a node beyond the
    // graph has none.
    platform::ConsoleCapture console;
    EXPECT_EQ(getReplacementSet(net.graph, net["V"]), set);
    EXPECT_EQ(net.arcs(), arcs);
    EXPECT_EQ(getReplacementSet(net.graph, 99), nullptr);
    EXPECT_EQ(console.text(), "Node 99 is absent in adjustments and in replacements\n");
}

//   a <===> O <===> V <===> b      r1, r2, r3; lengths 10, 20, 30
TEST(ReplacementSet, JoinsNeighbouringExpansions) {
    Network net("a O V b", "a-O r1 10, O-V r2 20, V-b r3 30");
    getReplacementSet(net.graph, net["O"]);
    net.more("Qa_O PV_O QV_O");
    // V's neighbours in set order: b, then O's gate towards V.
    getReplacementSet(net.graph, net["V"]);
    net.more("Qb_V PO_V QO_V");
    // Leaving O towards V ends in V's arrival node from O, and leaving V
    // towards O in O's arrival node from V; the turn arcs carry the lengths.
    EXPECT_EQ(net.arcs(),
              "a: O r1 0 | O: a r1 0, Qa_O r1 10 | V: b r3 0, Qb_V r3 30 | b: V r3 0 | "
              "Qa_O: O r1 10, PV_O r2 20 | PV_O: QO_V r2 0 | QV_O: O r1 10, PV_O r2 20 | "
              "Qb_V: V r3 30, PO_V r2 20 | PO_V: QV_O r2 0 | QO_V: V r3 30, PO_V r2 20");
    // The neighbour is named by O, its node in the unexpanded graph.
    EXPECT_EQ(net.set("V"), "O r2 20 PO_V QO_V; b r3 30 V Qb_V");
    EXPECT_EQ(net.graph.replacements.at(net["PO_V"]), (std::vector<uint32_t>{net["O"], net["V"]}));
}

//   A --> B --> C      both arcs on one road and of one length. Each case:
//   the arcs, the road's entry in the table, the costs of B and C ("-" where
//   not reached).
TEST(ShortestPaths, WeighsArcsByTheirRoad) {
    const std::vector<std::tuple<std::string, mapRoadParams, std::string>> cases = {
        {"r1 1000", {50, 1, 0, 0, 132}, "128 256"}, // 1000 m × 132 / 1024
        {"r1 1", {5, 1, 0, 0, 338}, "1 2"},         // rounds to 0: counts 1
        {"r1 1000", {50, 0, 0, 0, 187}, "- -"},     // class 0 is not travelled
        {"r0 9", {50, 0, 0, 0, 187}, "9 18"},       // road 0 costs its length
    };
    for (const auto& [arc, params, costs] : cases) {
        Network net("A B C", "A>B " + arc + ", B>C " + arc);
        net.graph.roads = {params, params};
        ShortestPaths paths(net.graph);
        ASSERT_TRUE(paths.search(net["A"]));
        std::string text;
        for (uint32_t node : {net["B"], net["C"]})
            text += (text.empty() ? "" : " ") +
                    (paths.reached(node) ? std::to_string(paths.cost(node)) : "-");
        EXPECT_EQ(text, costs) << arc;
    }
}

// Random graphs: nodes joined by one- and two-way arcs, parallel roads among
// them. `plain` graphs are like those built from lines: no arc from a node to
// itself, and both directions of a road between two nodes of one length.

struct RandomGraphs {
    std::mt19937 random{20240607};

    uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }

    cRouteInfo graph(uint32_t nodeCount, uint32_t maxLength, uint32_t roads, bool plain) {
        cRouteInfo g;
        g.nodeArcs.resize(nodeCount);
        for (uint32_t i = below(4 * nodeCount); i > 0; --i) {
            const uint32_t a = below(nodeCount), road = below(roads);
            const uint32_t b = plain && nodeCount > 1 ? (a + 1 + below(nodeCount - 1)) % nodeCount
                                                      : below(nodeCount);
            const uint32_t length =
                plain ? (std::min(a, b) * 37 + std::max(a, b) * 11 + road) * 7 : below(maxLength);
            addArc(g.nodeArcs[a], {road, b, length});
            if (below(3) != 0)
                addArc(g.nodeArcs[b], {road, a, length});
        }
        return g;
    }
};

// Road 0 costs an arc its length, so on such a graph the costs are the plain
// path lengths, capped one below "unreached"; the source is not reached, a
// node beyond the graph is no source.
TEST(ShortestPaths, SameCostsAsAPlainScan) {
    RandomGraphs random;
    for (int round = 0; round < 300; ++round) {
        const uint32_t nodeCount = 1 + random.below(30);
        // Long arcs now and then, so that sums reach the cap.
        const cRouteInfo g =
            random.graph(nodeCount, random.below(4) == 0 ? 0xFFFFFFFF : 3000, 1, false);
        ShortestPaths paths(g);
        EXPECT_FALSE(paths.search(nodeCount));
        // Stopping once some targets are settled leaves their costs final.
        std::vector<uint8_t> targets(nodeCount, 0);
        for (uint8_t& target : targets)
            target = random.below(3) == 0 ? 1 : 0;
        for (uint32_t source = 0; source < nodeCount; ++source) {
            ASSERT_TRUE(paths.search(source, &targets));
            std::vector<uint32_t> early(nodeCount);
            for (uint32_t node = 0; node < nodeCount; ++node)
                early[node] = paths.cost(node);
            ASSERT_TRUE(paths.search(source));
            const std::vector<uint64_t> plain = test::plainPathLengths(g, source);
            for (uint32_t node = 0; node < nodeCount; ++node) {
                const bool way = plain[node] != UINT64_MAX;
                const uint64_t cost =
                    way ? std::min<uint64_t>(plain[node], 0xFFFFFFFE) : 0xFFFFFFFF;
                ASSERT_EQ(paths.cost(node), cost) << round << ": " << source << " to " << node;
                ASSERT_EQ(paths.reached(node), way && node != source) << round << ": " << node;
                if (targets[node] != 0) {
                    ASSERT_EQ(early[node], cost) << round << ": " << source << " to " << node;
                }
            }
        }
    }
}

// A street of nodes with a one-way stretch now and then, joined at random
// crossings, sometimes back to itself: long runs of nodes that only pass a
// way on, which the bypass takes out one after the other.
cRouteInfo streetGraph(RandomGraphs& random, uint32_t nodeCount, uint32_t maxLength) {
    cRouteInfo g;
    g.nodeArcs.resize(nodeCount);
    for (uint32_t a = 0; a + 1 < nodeCount; ++a) {
        const uint32_t length = random.below(maxLength);
        const uint32_t way = random.below(6);
        if (way != 0)
            addArc(g.nodeArcs[a], {0, a + 1, length});
        if (way != 1)
            addArc(g.nodeArcs[a + 1], {0, a, length});
    }
    for (uint32_t i = random.below(nodeCount / 4 + 1); i > 0; --i) {
        const uint32_t a = random.below(nodeCount), b = random.below(nodeCount);
        addArc(g.nodeArcs[a], {0, b, random.below(maxLength)});
    }
    return g;
}

// Bypassing the nodes nobody asks for leaves every cost between the nodes
// kept as it was, caps and unreachable nodes included.
TEST(ShortestPaths, BypassingNodesKeepsTheCostsBetweenKeptNodes) {
    RandomGraphs random;
    for (int round = 0; round < 600; ++round) {
        const uint32_t nodeCount = 1 + random.below(60);
        const uint32_t maxLength = random.below(4) == 0 ? 0xFFFFFFFF : 3000;
        const cRouteInfo g = round % 2 == 0 ? random.graph(nodeCount, maxLength, 1, false)
                                            : streetGraph(random, nodeCount, maxLength);
        std::vector<uint8_t> kept(nodeCount, 0);
        for (uint8_t& flag : kept)
            flag = random.below(5) == 0 ? 1 : 0;
        ShortestPaths whole(g);
        ShortestPaths bypassed(g, &kept);
        for (uint32_t source = 0; source < nodeCount; ++source) {
            if (kept[source] == 0)
                continue;
            ASSERT_TRUE(whole.search(source));
            ASSERT_TRUE(bypassed.search(source, &kept));
            for (uint32_t node = 0; node < nodeCount; ++node) {
                if (kept[node] == 0)
                    continue;
                ASSERT_EQ(bypassed.cost(node), whole.cost(node))
                    << round << ": " << source << " to " << node;
                ASSERT_EQ(bypassed.reached(node), whole.reached(node)) << round << ": " << node;
            }
        }
    }
}

// The costs between boundary nodes are the plain path lengths between them,
// capped one below "unreached": with few boundary nodes (searches of the whole
// graph) and with many (searches of the bypassed graph), boundary nodes beyond
// the graph included.
TEST(ExternNodeAdjustments, CostsBetweenBoundaryNodesAreThePlainPathLengths) {
    RandomGraphs random;
    for (int round = 0; round < 300; ++round) {
        const uint32_t nodeCount = 1 + random.below(60);
        const uint32_t maxLength = random.below(4) == 0 ? 0xFFFFFFFF : 3000;
        cRouteInfo g = round % 2 == 0 ? random.graph(nodeCount, maxLength, 1, false)
                                      : streetGraph(random, nodeCount, maxLength);
        for (uint32_t i = random.below(20); i > 0; --i)
            g.externNodes[random.below(nodeCount + 2)] = {};
        std::map<uint32_t, ExternCostSet> expected;
        for (const auto& [from, position] : g.externNodes) {
            if (from >= nodeCount)
                continue;
            const std::vector<uint64_t> plain = test::plainPathLengths(g, from);
            for (const auto& [to, otherPosition] : g.externNodes) {
                if (to != from && to < nodeCount && plain[to] != UINT64_MAX) {
                    const auto cost =
                        static_cast<uint32_t>(std::min<uint64_t>(plain[to], 0xFFFFFFFE));
                    expected[from].insert({0, to, cost});
                }
            }
        }
        platform::ConsoleCapture quiet;
        externNodeAdjustments(g);
        ASSERT_EQ(g.externCosts.size(), expected.size()) << round;
        for (const auto& [from, costs] : expected) {
            ASSERT_TRUE(g.externCosts.count(from) == 1) << round << ": " << from;
            const ExternCostSet& got = g.externCosts.at(from);
            ASSERT_TRUE(std::equal(got.begin(), got.end(), costs.begin(), costs.end()))
                << round << ": from " << from;
        }
    }
}

// The expansion finds the arcs into a via node through an index it keeps up
// to date as it adds arcs. Given a fresh scan of every arc instead, it must
// build the same graph. A two-way neighbour's segment takes the length of the
// via node's own arc, so the path lengths between nodes that were not
// expanded stay as they were.
TEST(ReplacementSet, SameGraphFromTheArcIndexAsFromAScanAndSamePathLengths) {
    RandomGraphs random;
    for (int round = 0; round < 400; ++round) {
        const uint32_t nodeCount = 3 + random.below(10);
        const cRouteInfo before = random.graph(nodeCount, 1000, 4, true);
        cRouteInfo indexed = before, scanned = before;
        std::vector<bool> expanded(nodeCount, false);
        for (uint32_t i = 1 + random.below(5); i > 0; --i) {
            const uint32_t via = random.below(nodeCount);
            expanded[via] = true;
            getReplacementSet(indexed, via);
            scanned.arcSources.clear();
            for (uint32_t u = 0; u < scanned.nodeArcs.size(); ++u) {
                for (const mapArc& arc : scanned.nodeArcs[u])
                    scanned.arcSources.append(arc.target, u);
            }
            scanned.arcSourcesBuilt = true;
            getReplacementSet(scanned, via);
            ASSERT_TRUE(indexed.nodeArcs == scanned.nodeArcs &&
                        indexed.replacements == scanned.replacements &&
                        indexed.adjustments == scanned.adjustments);
        }
        for (uint32_t from = 0; from < nodeCount; ++from) {
            const std::vector<uint64_t> was = test::plainPathLengths(before, from);
            const std::vector<uint64_t> is = test::plainPathLengths(indexed, from);
            for (uint32_t to = 0; to < nodeCount; ++to)
                ASSERT_TRUE(expanded[from] || expanded[to] || is[to] == was[to])
                    << round << ": " << to;
        }
    }
}

} // namespace
} // namespace zel
