// The graph a cost search travels: arcs with their weighted costs, in
// compressed rows, and a way to make it smaller when only the costs between
// a few nodes are wanted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

struct CostArc {
    uint32_t target;
    uint32_t cost;
};

// The arcs of node u are arcs[firstArc[u], firstArc[u + 1]).
struct CostGraph {
    std::vector<uint32_t> firstArc{0};
    std::vector<CostArc> arcs;

    size_t nodeCount() const { return firstArc.size() - 1; }
};

// `a + b`, held at `cap` when it would pass it; never wraps.
inline uint32_t cappedSum(uint32_t a, uint32_t b, uint32_t cap) {
    const uint64_t sum = uint64_t{a} + b;
    return sum < cap ? static_cast<uint32_t>(sum) : cap;
}

// Takes out nodes that are not flagged in `kept` and only pass a way on: a
// node between two others on a street, the arrival node of an expanded
// crossing. Each way through a node taken out becomes one arc, u -> w costing
// u -> v plus v -> w (capped at `cap`, as a search adds them), so the cheapest
// cost between any two nodes left stays what it was. A node is taken out only
// when that does not add arcs, and only beside nodes of few arcs, so the work
// is linear in the graph. Arcs from a node to itself are dropped, and of
// several arcs between two nodes only the cheapest is kept. The nodes left
// (the kept ones and those that still have arcs) are numbered afresh in their
// order, so that a search over them touches small tables.
struct NodeNumbers {
    static constexpr uint32_t none = UINT32_MAX;

    // original[i] is the former index of node i of the graph left.
    std::vector<uint32_t> original;
    // The reverse: each former node's new index, `none` for a node taken out.
    std::vector<uint32_t> renumbered;
};
NodeNumbers bypassNodes(CostGraph& graph, const std::vector<uint8_t>& kept, uint32_t cap);

} // namespace zel
