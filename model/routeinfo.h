// The routing graph of one map: dense node and road indices, arcs and road
// parameters, the replacement sets of expanded via nodes and the costs between
// boundary nodes. It is held by the map model and cleared for every map.
#pragma once

#include "model/nodelists.h"

#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace zel {

struct mapArc {
    uint32_t road = 0;
    uint32_t target = 0;
    // Metres; at least 1 for road arcs, 0 for the connecting arcs of an
    // expanded node.
    uint32_t length = 0;

    bool operator==(const mapArc&) const = default;
};

struct mapRoadParams {
    uint8_t speed = 0;
    uint8_t roadClass = 1;
    uint8_t roadFlags = 0;
    uint8_t accessFlags = 0;
    // Copied from the line (0 as read); roadWeights stores the weight here.
    uint32_t weight = 0;

    bool operator==(const mapRoadParams&) const = default;
};

struct NodePosition {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const NodePosition&) const = default;
};

// One neighbour of an expanded via node V. Travelling from the neighbour into
// V now enters `gate` and, having paid the segment, reaches `arrival`; from an
// arrival node turn arcs lead to the gates of the other neighbours.
struct mapReplacement {
    uint32_t road = 0;
    // A node index of the unexpanded graph, also when the neighbour has been
    // expanded itself.
    uint32_t neighbour = 0;
    uint32_t length = 0;
    uint32_t gate = 0;
    uint32_t arrival = 0;

    bool operator==(const mapReplacement&) const = default;
};

struct ReplacementOrder {
    bool operator()(const mapReplacement& a, const mapReplacement& b) const {
        return std::tie(a.neighbour, a.road) < std::tie(b.neighbour, b.road);
    }
};

using ReplacementSet = std::set<mapReplacement, ReplacementOrder>;

// The cheapest cost from one boundary node to another one.
struct mapExternCost {
    // Written as it is; nothing ever sets it.
    uint32_t zero = 0;
    uint32_t node = 0;
    uint32_t cost = 0;

    bool operator==(const mapExternCost&) const = default;
};

struct ExternCostOrder {
    bool operator()(const mapExternCost& a, const mapExternCost& b) const {
        return a.node < b.node;
    }
};

using ExternCostSet = std::set<mapExternCost, ExternCostOrder>;

class cRouteInfo {
public:
    // One arc list per node index, sorted by (target, road).
    std::vector<std::vector<mapArc>> nodeArcs;
    // Via node → the neighbours it was expanded into.
    std::map<uint32_t, ReplacementSet> adjustments;
    // Secondary node → node indices of the unexpanded graph; the last one is
    // the via node the secondary node belongs to.
    NodeLists replacements;
    // Indexed by road index.
    std::vector<mapRoadParams> roads;
    // An arc whose road's access flags share a bit with this mask is not
    // travelled by the boundary cost search.
    uint8_t accessMask = 0;
    // While 0, roads of class 0 (ferries and the like) are not travelled by
    // the boundary cost search.
    uint8_t classZeroRoads = 0;
    // Boundary nodes and their positions in 26-bit map units.
    std::map<uint32_t, NodePosition> externNodes;
    // Boundary node → its cost to every other boundary node it reaches.
    std::map<uint32_t, ExternCostSet> externCosts;

    // Candidate sources of the arcs into each node, so that expanding a via
    // node need not scan every arc of the map to find those entering it. A
    // candidate may no longer have such an arc (lists are checked), but every
    // arc has its source here. Built at the first expansion; from then on the
    // graph changes only through the operations of the node adjustments,
    // which keep it current.
    NodeLists arcSources;
    bool arcSourcesBuilt = false;

    // Empties every table for the next map; the switches stay.
    void clear() {
        nodeArcs.clear();
        adjustments.clear();
        replacements.clear();
        roads.clear();
        externNodes.clear();
        externCosts.clear();
        arcSources.clear();
        arcSourcesBuilt = false;
    }
};

} // namespace zel
