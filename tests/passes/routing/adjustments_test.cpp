#include "passes/routing/adjustments.h"

#include "passes/routing/restrictions.h"
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

constexpr uint32_t unreached = 0xFFFFFFFF;

// A small road network with named nodes, numbered in the order named. Nodes
// that an expansion appends are named afterwards with nameNew.
class Network {
public:
    explicit Network(std::vector<std::string> nodeNames) : names(std::move(nodeNames)) {
        graph.nodeArcs.resize(names.size());
    }

    uint32_t operator[](const std::string& name) const {
        const auto at = std::find(names.begin(), names.end(), name);
        EXPECT_NE(at, names.end()) << name;
        return static_cast<uint32_t>(at - names.begin());
    }

    void oneWay(const std::string& from, const std::string& to, uint32_t road, uint32_t length) {
        addArc(graph.nodeArcs[(*this)[from]], {road, (*this)[to], length});
    }

    void twoWay(const std::string& a, const std::string& b, uint32_t road, uint32_t length) {
        oneWay(a, b, road, length);
        oneWay(b, a, road, length);
    }

    void nameNew(const std::vector<std::string>& newNames) {
        names.insert(names.end(), newNames.begin(), newNames.end());
        EXPECT_EQ(names.size(), graph.nodeArcs.size());
    }

    std::string name(uint32_t node) const {
        return node < names.size() ? names[node] : "#" + std::to_string(node);
    }

    // "target rROAD LENGTH" per arc, in list order.
    std::string arcs(const std::string& node) const {
        std::string text;
        for (const mapArc& arc : graph.nodeArcs[(*this)[node]]) {
            text += text.empty() ? "" : ", ";
            text += name(arc.target) + " r" + std::to_string(arc.road) + " " +
                    std::to_string(arc.length);
        }
        return text;
    }

    std::string replacementSet(const std::string& via) const {
        std::string text;
        for (const mapReplacement& e : graph.adjustments.at((*this)[via])) {
            text += text.empty() ? "" : "; ";
            text += name(e.neighbour) + " r" + std::to_string(e.road) + " " +
                    std::to_string(e.length) + " " + name(e.gate) + " " + name(e.arrival);
        }
        return text;
    }

    std::string replacements(const std::string& node) const {
        std::string text;
        for (uint32_t original : graph.replacements.at((*this)[node]))
            text += (text.empty() ? "" : " ") + name(original);
        return text;
    }

    cRouteInfo graph;

private:
    std::vector<std::string> names;
};

struct ArcCase {
    std::string node;
    std::string arcs;
};

void expectArcs(const Network& net, const std::vector<ArcCase>& cases) {
    for (const ArcCase& c : cases)
        EXPECT_EQ(net.arcs(c.node), c.arcs) << "arcs of " << c.node;
}

//          a
//          | r1, 10
//          |
//   b ---> V ---> c
//     r2,20  r3,30
TEST(ReplacementSet, ExpandsTwoWayIncomingAndOutgoingNeighbours) {
    Network net({"a", "b", "c", "V"});
    net.twoWay("a", "V", 1, 10);
    net.oneWay("b", "V", 2, 20);
    net.oneWay("V", "c", 3, 30);
    platform::ConsoleCapture console;
    ASSERT_NE(getReplacementSet(net.graph, net["V"]), nullptr);
    net.nameNew({"Q_a", "P_b", "Q_b", "P_c", "Q_c"});
    // P_a is V itself.
    expectArcs(net, {
                        {"a", "V r1 0"},
                        {"b", "P_b r2 0"},
                        {"c", ""},
                        {"V", "a r1 0, Q_a r1 10"},
                        {"Q_a", "V r1 10, P_c r3 30"},
                        {"P_b", "Q_b r2 20"},
                        {"Q_b", "V r1 10, P_c r3 30"},
                        {"P_c", "c r3 0"},
                        {"Q_c", "P_c r3 30"},
                    });
    EXPECT_EQ(net.replacementSet("V"), "a r1 10 V Q_a; b r2 20 P_b Q_b; c r3 30 P_c Q_c");
    for (const auto& [node, originals] :
         std::vector<std::pair<std::string, std::string>>{{"V", "a V"},
                                                          {"Q_a", "V"},
                                                          {"P_b", "b V"},
                                                          {"Q_b", "V"},
                                                          {"P_c", "c V"},
                                                          {"Q_c", "V"}})
        EXPECT_EQ(net.replacements(node), originals) << node;
    EXPECT_EQ(net.graph.replacements.size(), 6u);
    EXPECT_EQ(console.text(), "");
}

//   a <===> V      r1, 10: a dead end
TEST(ReplacementSet, DeadEndGetsAnEntryNode) {
    Network net({"a", "V"});
    net.twoWay("a", "V", 1, 10);
    ASSERT_NE(getReplacementSet(net.graph, net["V"]), nullptr);
    // W can only enter V; it is the second neighbour, after a.
    net.nameNew({"W", "Q_a", "P_W", "Q_W"});
    expectArcs(net, {
                        {"a", "V r1 0"},
                        {"V", "a r1 0, Q_a r1 10"},
                        {"W", "P_W r1 0"},
                        {"Q_a", "V r1 10"},
                        {"P_W", "Q_W r1 0"},
                        {"Q_W", "V r1 10"},
                    });
    EXPECT_EQ(net.replacementSet("V"), "a r1 10 V Q_a; W r1 0 P_W Q_W");
}

TEST(ReplacementSet, AskingTwiceAddsNothing) {
    Network net({"a", "b", "V"});
    net.twoWay("a", "V", 1, 10);
    net.twoWay("b", "V", 2, 20);
    const ReplacementSet* first = getReplacementSet(net.graph, net["V"]);
    const auto arcs = net.graph.nodeArcs;
    const auto replacements = net.graph.replacements;
    const ReplacementSet* second = getReplacementSet(net.graph, net["V"]);
    EXPECT_EQ(first, second);
    EXPECT_EQ(net.graph.nodeArcs, arcs);
    EXPECT_EQ(net.graph.replacements, replacements);
}

TEST(ReplacementSet, NodesThatCannotBeExpanded) {
    struct Case {
        const char* name;
        size_t nodeCount;
        uint32_t via;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"empty graph", 0, 0, ""},
        {"beyond the graph", 3, 7, "Node 7 is absent in adjustments and in replacements\n"},
        {"largest index", 3, 0xFFFFFFFF, "Node -1 is absent in adjustments and in replacements\n"},
        {"no arc in or out", 3, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cRouteInfo graph;
        graph.nodeArcs.resize(c.nodeCount);
        if (c.nodeCount > 0)
            addArc(graph.nodeArcs[0], {1, 1, 5});
        platform::ConsoleCapture console;
        EXPECT_EQ(getReplacementSet(graph, c.via), nullptr);
        EXPECT_EQ(console.text(), c.message);
        EXPECT_EQ(graph.nodeArcs.size(), c.nodeCount);
        EXPECT_TRUE(graph.adjustments.empty());
    }
}

//   a <===> O <===> V <===> b      r1, r2, r3; lengths 10, 20, 30
TEST(ReplacementSet, JoinsNeighbouringExpansions) {
    Network net({"a", "O", "V", "b"});
    net.twoWay("a", "O", 1, 10);
    net.twoWay("O", "V", 2, 20);
    net.twoWay("V", "b", 3, 30);
    getReplacementSet(net.graph, net["O"]);
    net.nameNew({"Qa_O", "PV_O", "QV_O"});
    // V's neighbours in set order: b, then O's gate towards V.
    getReplacementSet(net.graph, net["V"]);
    net.nameNew({"Qb_V", "PO_V", "QO_V"});
    // Leaving O towards V ends in V's arrival node from O, and leaving V
    // towards O in O's arrival node from V; the turn arcs carry the lengths.
    expectArcs(net, {
                        {"a", "O r1 0"},
                        {"Qa_O", "O r1 10, PV_O r2 20"},
                        {"PV_O", "QO_V r2 0"},
                        {"QO_V", "V r3 30, PO_V r2 20"},
                        {"V", "b r3 0, Qb_V r3 30"},
                        {"b", "V r3 0"},
                        {"Qb_V", "V r3 30, PO_V r2 20"},
                        {"PO_V", "QV_O r2 0"},
                        {"QV_O", "O r1 10, PV_O r2 20"},
                        {"O", "a r1 0, Qa_O r1 10"},
                    });
    // The neighbour is named by O, its node in the unexpanded graph.
    EXPECT_EQ(net.replacementSet("V"), "O r2 20 PO_V QO_V; b r3 30 V Qb_V");
    EXPECT_EQ(net.replacements("PO_V"), "O V");
    EXPECT_EQ(net.replacements("PV_O"), "V O");
}

TEST(ReplacementSet, ReportsBrokenSecondaryNodes) {
    struct Case {
        const char* name;
        std::vector<uint32_t> originals;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no via node", {}, "Secondary node 0 have not correspondence"},
        {"via node without set", {9}, " \n Replacementset is absent for node 9\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Network net({"a", "b", "V"});
        net.twoWay("a", "V", 1, 10);
        net.twoWay("b", "V", 2, 20);
        net.graph.replacements[net["a"]] = c.originals;
        platform::ConsoleCapture console;
        getReplacementSet(net.graph, net["V"]);
        EXPECT_EQ(console.text(), c.message);
        // Taken as an ordinary neighbour.
        net.nameNew({"Q_a", "P_b", "Q_b"});
        EXPECT_EQ(net.arcs("a"), "V r1 0");
    }
}

TEST(RoadWeights, FromSpeedAndClass) {
    struct Case {
        uint8_t speed, roadClass;
        uint32_t weight;
    };
    const std::vector<Case> cases = {
        {0, 0, 512}, {5, 1, 338}, {50, 1, 132}, {110, 4, 38}, {180, 5, 21}, {255, 255, 0},
    };
    cRouteInfo graph;
    for (const Case& c : cases)
        graph.roads.push_back({c.speed, c.roadClass, 0, 0, 0xFFFFFFFF});
    roadWeights(graph);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("speed " + std::to_string(cases[i].speed) + ", class " +
                     std::to_string(cases[i].roadClass));
        EXPECT_EQ(graph.roads[i].weight, cases[i].weight);
        EXPECT_EQ(roadWeight(cases[i].speed, cases[i].roadClass), cases[i].weight);
    }
}

// Costs of the cheapest ways from `source`, by node name; unreached nodes
// and the source are left out.
std::string costsFrom(Network& net, const std::string& source,
                      const std::vector<std::string>& nodes) {
    ShortestPaths paths;
    EXPECT_TRUE(paths.search(net.graph, net[source]));
    std::string text;
    for (const std::string& node : nodes) {
        if (paths.reached(net[node]))
            text +=
                (text.empty() ? "" : ", ") + node + " " + std::to_string(paths.costs()[net[node]]);
    }
    return text;
}

TEST(ShortestPaths, WeighsArcsByTheirRoad) {
    struct Case {
        const char* name;
        mapRoadParams road;
        uint32_t length;
        uint8_t classZeroRoads;
        std::string costs;
    };
    const std::vector<Case> cases = {
        // 1000 m × 132 / 1024
        {"weighted", {50, 1, 0, 0, 132}, 1000, 0, "B 128, C 256"},
        // 1 m × 338 / 1024 is 0: counts 1.
        {"rounds to 0", {5, 1, 0, 0, 338}, 1, 0, "B 1, C 2"},
        {"class 0 skipped", {50, 0, 0, 0, 187}, 1000, 0, ""},
        {"class 0 allowed", {50, 0, 0, 0, 187}, 1000, 1, "B 182, C 364"},
        // The product wraps in 32 bits: 2^23 × 512 is 0 there, so 1.
        {"product wraps", {0, 0, 0, 0, 512}, 0x800000, 1, "B 1, C 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        //   A --r1--> B --r1--> C
        Network net({"A", "B", "C"});
        net.oneWay("A", "B", 1, c.length);
        net.oneWay("B", "C", 1, c.length);
        net.graph.roads = {{}, c.road};
        net.graph.classZeroRoads = c.classZeroRoads;
        EXPECT_EQ(costsFrom(net, "A", {"A", "B", "C"}), c.costs);
    }
}

//   A --r0 0xFFFFFFF0--> B --r0 0x100--> C --r0 5--> D
TEST(ShortestPaths, CostsStopBelowUnreached) {
    Network net({"A", "B", "C", "D"});
    net.oneWay("A", "B", 0, 0xFFFFFFF0);
    net.oneWay("B", "C", 0, 0x100);
    net.oneWay("C", "D", 0, 5);
    EXPECT_EQ(costsFrom(net, "A", {"B", "C", "D"}), "B 4294967280, C 4294967294, D 4294967294");
}

//   A --r0 0--> B            road 0 is no road: its arcs cost their length,
//   A --r1 9--> C            whatever the road table says
TEST(ShortestPaths, RoadZeroCostsItsLength) {
    Network net({"A", "B", "C"});
    net.oneWay("A", "B", 0, 0);
    net.oneWay("A", "C", 1, 9);
    net.graph.roads = {{0, 0, 0, 0xFF, 0}};
    net.graph.accessMask = 0xFF;
    // Road 1 is not in the table: it cannot be weighed and is not used.
    EXPECT_EQ(costsFrom(net, "A", {"A", "B", "C"}), "B 0");
}

TEST(ShortestPaths, SourceOutsideTheGraph) {
    cRouteInfo graph;
    ShortestPaths paths;
    EXPECT_FALSE(paths.search(graph, 0));
    graph.nodeArcs.resize(2);
    EXPECT_FALSE(paths.search(graph, 2));
    EXPECT_TRUE(paths.search(graph, 1));
    EXPECT_FALSE(paths.reached(1));
}

//          r1 100, class 0
//    E1 <=================> E2
//     ^                      ^
//     | r2 1000              | r0 7, one-way from E3
//     v                      |
//     X <=== r2 1000 ===>    E3
TEST(ExternNodeAdjustments, CostsBetweenBoundaryNodes) {
    struct Case {
        const char* name;
        uint8_t classZeroRoads;
        uint8_t accessMask;
        std::map<uint32_t, std::string> costs;
        uint32_t largest;
    };
    const std::vector<Case> cases = {
        // E2 leaves only on the class-0 road: it reaches nothing.
        {"class 0 not travelled", 0, 0, {{0, "2:263 3:256"}, {3, "0:256 2:7"}}, 263},
        {"class 0 travelled", 1, 0, {{0, "2:18 3:256"}, {2, "0:18 3:274"}, {3, "0:25 2:7"}}, 274},
        {"road 2 closed by the access mask",
         1,
         0x04,
         {{0, "2:18"}, {2, "0:18"}, {3, "0:25 2:7"}},
         25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Network net({"E1", "X", "E2", "E3"});
        net.twoWay("E1", "E2", 1, 100);
        net.twoWay("E1", "X", 2, 1000);
        net.twoWay("X", "E3", 2, 1000);
        net.oneWay("E3", "E2", 0, 7);
        net.graph.roads = {{}, {50, 0, 0, 0, 0}, {50, 1, 0, 0x04, 0}};
        roadWeights(net.graph);
        net.graph.classZeroRoads = c.classZeroRoads;
        net.graph.accessMask = c.accessMask;
        for (const char* boundary : {"E1", "E2", "E3"})
            net.graph.externNodes[net[boundary]] = {};
        platform::ConsoleCapture console;
        externNodeAdjustments(net.graph);
        EXPECT_EQ(console.text(), "\rExtern node adjustments: 0%\rExtern node adjustments: 33%"
                                  "\rExtern node adjustments: 66%\rExtern node adjustments: 99%"
                                  "\rExtern node adjustments: Done             \n");
        std::map<uint32_t, std::string> costs;
        uint32_t largest = 0;
        for (const auto& [from, set] : net.graph.externCosts) {
            for (const mapExternCost& cost : set) {
                costs[from] += (costs[from].empty() ? "" : " ") + std::to_string(cost.node) + ":" +
                               std::to_string(cost.cost);
                EXPECT_EQ(cost.zero, 0u);
                largest = std::max(largest, cost.cost);
            }
        }
        EXPECT_EQ(costs, c.costs);
        EXPECT_EQ(largest, c.largest);
    }
}

TEST(ExternNodeAdjustments, NoBoundaryNodes) {
    cRouteInfo graph;
    platform::ConsoleCapture console;
    externNodeAdjustments(graph);
    EXPECT_EQ(console.text(),
              "\rExtern node adjustments: 0%\rExtern node adjustments: Done             \n");
    EXPECT_TRUE(graph.externCosts.empty());
}

// The procedures as first written, step by step, to compare the faster ones
// against: the open list is scanned for the nearest node, and every node of
// the graph for the arcs into a via node.
namespace literal {

bool removeFirst(cRouteInfo& ri, uint32_t u, uint32_t road, uint32_t target) {
    std::vector<mapArc>& arcs = ri.nodeArcs[u];
    for (auto at = arcs.begin(); at != arcs.end(); ++at) {
        if (at->road == road && at->target == target) {
            arcs.erase(at);
            return true;
        }
    }
    return false;
}

struct Item {
    uint32_t road, neighbour, length;
    int kind;
    uint32_t gate = 0, arrival = 0;
};

const ReplacementSet* getReplacementSet(cRouteInfo& ri, uint32_t v) {
    if (ri.nodeArcs.empty())
        return nullptr;
    if (ri.adjustments.count(v) != 0)
        return &ri.adjustments[v];
    if (v >= ri.nodeArcs.size()) {
        platform::printNarrow("Node " + std::to_string(static_cast<int32_t>(v)) +
                              " is absent in adjustments and in replacements\n");
        return nullptr;
    }
    std::vector<Item> set; // kept in (neighbour, road) order
    const auto find = [&](uint32_t neighbour, uint32_t road) -> Item* {
        for (Item& item : set) {
            if (item.neighbour == neighbour && item.road == road)
                return &item;
        }
        return nullptr;
    };
    const auto insert = [&](const Item& item) {
        if (find(item.neighbour, item.road) != nullptr)
            return;
        auto at = set.begin();
        while (at != set.end() &&
               std::tie(at->neighbour, at->road) < std::tie(item.neighbour, item.road))
            ++at;
        set.insert(at, item);
    };
    for (const mapArc& arc : ri.nodeArcs[v])
        insert({arc.road, arc.target, arc.length, 3});
    std::vector<Item> incoming;
    for (uint32_t u = 0; u < ri.nodeArcs.size(); ++u) {
        for (const mapArc& arc : ri.nodeArcs[u]) {
            if (arc.target == v)
                incoming.push_back({arc.road, u, arc.length, 2});
        }
    }
    for (const Item& item : incoming) {
        if (Item* known = find(item.neighbour, item.road))
            known->kind = 1;
        else
            insert(item);
    }
    if (set.size() == 1) {
        const uint32_t w = static_cast<uint32_t>(ri.nodeArcs.size());
        ri.nodeArcs.push_back({{set[0].road, v, 0}});
        insert({set[0].road, w, 0, 2});
    }
    uint32_t last = static_cast<uint32_t>(ri.nodeArcs.size() - 1);
    std::vector<Item> recorded;
    for (size_t i = 0; i < set.size(); ++i) {
        const Item e = set[i];
        uint32_t p, q;
        if (i == 0) {
            p = v;
            ri.nodeArcs[v].clear();
            q = last + 1;
            ri.nodeArcs.emplace_back();
        } else {
            p = last + 1;
            q = last + 2;
            ri.nodeArcs.emplace_back();
            ri.nodeArcs.emplace_back();
        }
        last = q;
        const mapReplacement* joined = nullptr;
        uint32_t o = 0;
        if (ri.replacements.count(e.neighbour) != 0) {
            const std::vector<uint32_t>& originals = ri.replacements[e.neighbour];
            if (originals.empty()) {
                platform::printNarrow("Secondary node " +
                                      std::to_string(static_cast<int32_t>(e.neighbour)) +
                                      " have not correspondence");
            } else if (o = originals.back(); ri.adjustments.count(o) == 0) {
                platform::printNarrow(" \n Replacementset is absent for node " +
                                      std::to_string(static_cast<int32_t>(o)) + "\n");
            } else {
                for (const mapReplacement& other : ri.adjustments[o]) {
                    if (other.gate == e.neighbour) {
                        joined = &other;
                        break;
                    }
                }
            }
        }
        if (joined == nullptr) {
            if (e.kind != 3 && removeFirst(ri, e.neighbour, e.road, v))
                addArc(ri.nodeArcs[e.neighbour], {e.road, p, 0});
            if (e.kind != 2)
                addArc(ri.nodeArcs[p], {e.road, e.neighbour, 0});
            if (e.kind != 3)
                addArc(ri.nodeArcs[p], {e.road, q, e.length});
            ri.replacements[p].push_back(e.neighbour);
            ri.replacements[p].push_back(v);
            recorded.push_back({e.road, e.neighbour, e.length, e.kind, p, q});
            if (e.kind != 2)
                addArc(ri.nodeArcs[q], {e.road, p, e.length});
            ri.replacements[q].push_back(v);
            continue;
        }
        const mapReplacement other = *joined;
        recorded.push_back({e.road, o, other.length, e.kind, p, q});
        if (e.kind == 1)
            addArc(ri.nodeArcs[q], {e.road, p, other.length});
        if (e.kind == 2)
            removeFirst(ri, other.arrival, other.road, other.gate);
        removeFirst(ri, other.gate, other.road, other.arrival);
        addArc(ri.nodeArcs[p], {e.road, other.arrival, 0});
        ri.replacements[p].push_back(o);
        ri.replacements[p].push_back(v);
        ri.replacements[q].push_back(v);
        removeFirst(ri, other.gate, e.road, v);
        addArc(ri.nodeArcs[other.gate], {e.road, q, 0});
    }
    if (recorded.empty())
        return nullptr;
    for (const Item& e1 : recorded) {
        for (const Item& e2 : recorded) {
            if (&e1 != &e2 && e1.kind != 2 && e2.kind != 3)
                addArc(ri.nodeArcs[e2.arrival], {e1.road, e1.gate, e1.length});
        }
    }
    ReplacementSet& result = ri.adjustments[v];
    for (const Item& e : recorded)
        result.insert({e.road, e.neighbour, e.length, e.gate, e.arrival});
    return &result;
}

void applyRestriction(cRouteInfo& ri, const mapRestriction& r) {
    if (ri.nodeArcs.empty())
        return;
    const ReplacementSet* set = literal::getReplacementSet(ri, static_cast<uint32_t>(r.node2));
    if (set == nullptr)
        return;
    const auto first = [&](int32_t road, int32_t node) -> const mapReplacement* {
        for (const mapReplacement& e : *set) {
            if (e.road == static_cast<uint32_t>(road) && e.neighbour == static_cast<uint32_t>(node))
                return &e;
        }
        return nullptr;
    };
    const mapReplacement* in = first(r.road1, r.node1);
    if (r.node3 == r.node1 && r.road2 == r.road1) {
        if (in != nullptr)
            removeFirst(ri, in->arrival, in->road, in->gate);
        return;
    }
    const mapReplacement* out = first(r.road2, r.node3);
    if (in != nullptr && out != nullptr)
        removeFirst(ri, in->arrival, out->road, out->gate);
}

// Returns dist; `reached` from pred.
std::vector<uint32_t> shortestPaths(const cRouteInfo& ri, uint32_t s, std::vector<bool>& reached) {
    const size_t n = ri.nodeArcs.size();
    std::vector<uint32_t> dist(n, unreached);
    std::vector<uint32_t> previous(n, unreached);
    struct Open {
        uint32_t road, node, length;
    };
    std::vector<Open> open = {{unreached, s, 0}};
    dist[s] = 0;
    for (;;) {
        size_t best = open.size();
        for (size_t i = 0; i < open.size(); ++i) {
            if (dist[open[i].node] < unreached &&
                (best == open.size() || dist[open[i].node] < dist[open[best].node]))
                best = i;
        }
        if (best == open.size())
            break;
        const uint32_t u = open[best].node;
        open[best] = open.back();
        open.pop_back();
        for (const mapArc& a : ri.nodeArcs[u]) {
            uint32_t cost = a.length;
            if (a.road != 0) {
                const mapRoadParams& road = ri.roads[a.road];
                if ((road.accessFlags & ri.accessMask) != 0 ||
                    (ri.classZeroRoads == 0 && road.roadClass == 0))
                    continue;
                cost = (a.length * road.weight) >> 10;
                if (cost == 0)
                    cost = 1;
            }
            const uint64_t sum = std::min<uint64_t>(uint64_t{dist[u]} + cost, 0xFFFFFFFE);
            if (sum < dist[a.target]) {
                dist[a.target] = static_cast<uint32_t>(sum);
                previous[a.target] = u;
                const auto entry = std::find_if(open.begin(), open.end(),
                                                [&](const Open& o) { return o.node == a.target; });
                if (entry != open.end())
                    *entry = {a.road, a.target, a.length};
                else
                    open.push_back({a.road, a.target, a.length});
            }
        }
    }
    reached.assign(n, false);
    for (size_t i = 0; i < n; ++i)
        reached[i] = previous[i] != unreached;
    return dist;
}

} // namespace literal

struct RandomGraphs {
    std::mt19937 random{20240607};

    uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }

    // Nodes joined by one- and two-way arcs on a few roads; parallel roads
    // between the same nodes, and (when asked) arcs from a node to itself.
    // Built from lines, both directions of a road between two nodes have one
    // length; `anyLengths` drops that, as hand-made graphs may.
    cRouteInfo graph(uint32_t nodeCount, uint32_t lineCount, bool selfLoops, uint32_t maxLength,
                     bool anyLengths = true) {
        cRouteInfo g;
        g.nodeArcs.resize(nodeCount);
        std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> lengths;
        for (uint32_t i = 0; i < lineCount; ++i) {
            const uint32_t a = below(nodeCount);
            uint32_t b = below(nodeCount);
            if (a == b && !selfLoops)
                b = (b + 1) % nodeCount;
            const uint32_t road = below(4);
            uint32_t length = below(maxLength);
            if (!anyLengths)
                length = lengths.emplace(std::tuple{std::min(a, b), std::max(a, b), road}, length)
                             .first->second;
            addArc(g.nodeArcs[a], {road, b, length});
            if (below(3) != 0)
                addArc(g.nodeArcs[b], {road, a, length});
        }
        return g;
    }

    // Mostly restrictions along existing arcs, so that they do something.
    mapRestriction restriction(const cRouteInfo& g) {
        const auto count = static_cast<uint32_t>(g.nodeArcs.size());
        const uint32_t via = below(count);
        const auto pick = [&](uint32_t node, uint32_t& road) {
            const std::vector<mapArc>& arcs = g.nodeArcs[node];
            if (arcs.empty() || below(5) == 0) {
                road = below(4);
                return below(count);
            }
            const mapArc& arc = arcs[below(static_cast<uint32_t>(arcs.size()))];
            road = arc.road;
            return arc.target;
        };
        uint32_t road1 = 0, road2 = 0;
        const uint32_t node1 = pick(via, road1);
        const uint32_t node3 = below(4) == 0 ? node1 : pick(via, road2);
        if (node3 == node1 && below(2) == 0)
            road2 = road1;
        return {static_cast<int32_t>(node1), static_cast<int32_t>(via), static_cast<int32_t>(node3),
                static_cast<int32_t>(road1), static_cast<int32_t>(road2)};
    }
};

TEST(ReplacementSet, SameGraphAsTheProcedureThatScansEveryNode) {
    RandomGraphs random;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32_t nodeCount = 2 + random.below(12);
        cRouteInfo fast = random.graph(nodeCount, random.below(3 * nodeCount), true, 50);
        cRouteInfo slow = fast;
        for (int step = 0; step < 8; ++step) {
            const mapRestriction r = random.restriction(slow);
            std::string fastText, slowText;
            {
                platform::ConsoleCapture console;
                applyRestriction(fast, r);
                fastText = console.text();
            }
            {
                platform::ConsoleCapture console;
                literal::applyRestriction(slow, r);
                slowText = console.text();
            }
            ASSERT_EQ(fastText, slowText);
            ASSERT_EQ(fast.nodeArcs, slow.nodeArcs) << "step " << step;
            ASSERT_EQ(fast.adjustments, slow.adjustments) << "step " << step;
            ASSERT_EQ(fast.replacements, slow.replacements) << "step " << step;
        }
    }
}

TEST(ShortestPaths, SameCostsAsTheOpenListScan) {
    RandomGraphs random;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32_t nodeCount = 1 + random.below(30);
        // Long arcs now and then, so that sums reach the cap and products wrap.
        const uint32_t maxLength = random.below(4) == 0 ? 0xFFFFFFFF : 3000;
        cRouteInfo g = random.graph(nodeCount, random.below(4 * nodeCount), true, maxLength);
        for (int road = 0; road < 4; ++road)
            g.roads.push_back({static_cast<uint8_t>(random.below(200)),
                               static_cast<uint8_t>(random.below(3)), 0,
                               static_cast<uint8_t>(random.below(4)), 0});
        roadWeights(g);
        g.accessMask = static_cast<uint8_t>(random.below(2) * 2);
        g.classZeroRoads = static_cast<uint8_t>(random.below(2));
        ShortestPaths paths;
        for (uint32_t source = 0; source < nodeCount; ++source) {
            std::vector<bool> reached;
            const std::vector<uint32_t> dist = literal::shortestPaths(g, source, reached);
            ASSERT_TRUE(paths.search(g, source));
            ASSERT_EQ(paths.costs(), dist) << "from " << source;
            for (uint32_t node = 0; node < nodeCount; ++node)
                ASSERT_EQ(paths.reached(node), reached[node]) << source << " to " << node;
        }
    }
}

// Plain shortest path lengths (sums of arc lengths), for comparing graphs.
std::vector<uint64_t> pathLengths(const cRouteInfo& g, uint32_t source) {
    std::vector<uint64_t> dist(g.nodeArcs.size(), UINT64_MAX);
    std::vector<bool> done(g.nodeArcs.size(), false);
    dist[source] = 0;
    for (;;) {
        size_t u = g.nodeArcs.size();
        for (size_t i = 0; i < dist.size(); ++i) {
            if (!done[i] && dist[i] != UINT64_MAX && (u == dist.size() || dist[i] < dist[u]))
                u = i;
        }
        if (u == dist.size())
            return dist;
        done[u] = true;
        for (const mapArc& arc : g.nodeArcs[u])
            dist[arc.target] = std::min(dist[arc.target], dist[u] + arc.length);
    }
}

// A two-way neighbour's segment takes the length of the via node's own arc,
// so the lengths agree when both directions of a road have one length, as
// they do in a graph built from lines.
TEST(ReplacementSet, PathLengthsThroughExpandedNodesStayTheSame) {
    RandomGraphs random;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32_t nodeCount = 3 + random.below(10);
        const cRouteInfo before =
            random.graph(nodeCount, random.below(3 * nodeCount), false, 1000, false);
        cRouteInfo after = before;
        std::vector<bool> expanded(nodeCount, false);
        const uint32_t viaCount = 1 + random.below(3);
        for (uint32_t i = 0; i < viaCount; ++i) {
            const uint32_t via = random.below(nodeCount);
            getReplacementSet(after, via);
            expanded[via] = true;
        }
        for (uint32_t from = 0; from < nodeCount; ++from) {
            if (expanded[from])
                continue;
            const std::vector<uint64_t> lengthsBefore = pathLengths(before, from);
            const std::vector<uint64_t> lengthsAfter = pathLengths(after, from);
            for (uint32_t to = 0; to < nodeCount; ++to) {
                if (!expanded[to]) {
                    ASSERT_EQ(lengthsAfter[to], lengthsBefore[to]) << from << " to " << to;
                }
            }
        }
    }
}

} // namespace
} // namespace zel
