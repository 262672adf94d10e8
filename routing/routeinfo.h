// The routing graph of one map: dense node and road indices, arcs and road
// parameters. It is held by the map model and cleared for every map.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace zel {

struct mapArc {
    uint32_t road = 0;
    uint32_t target = 0;
    // Metres; at least 1 for road arcs, 0 for the connecting arcs of an
    // expanded node.
    uint32_t length = 0;
};

struct mapRoadParams {
    uint8_t speed = 0;
    uint8_t roadClass = 1;
    uint8_t roadFlags = 0;
    uint8_t accessFlags = 0;
    uint32_t weight = 0;
};

struct mapNodePosition {
    int32_t x = 0;
    int32_t y = 0;
};

class cRouteInfo {
public:
    // One arc list per node index, sorted by (target, road).
    std::vector<std::vector<mapArc>> nodeArcs;
    // Indexed by road index.
    std::vector<mapRoadParams> roads;
    // Boundary nodes and their positions in 26-bit map units.
    std::map<uint32_t, mapNodePosition> externNodes;

    void clear() {
        nodeArcs.clear();
        roads.clear();
        externNodes.clear();
    }
};

} // namespace zel
