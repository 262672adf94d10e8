// Node adjustments: expanding a via node so that single turns can be
// forbidden, road weights, and the costs between boundary nodes.
//
// A turn restriction forbids one way through a node, a -> V -> c, while
// a -> V -> b stays allowed. A plain graph cannot say that: an arc into V does
// not know where the traveller came from. So V is expanded. Every neighbour n
// of V gets a gate node P_n, where V meets n, and an arrival node Q_n, the
// state "arrived at V from n":
//
//   - the way from n into V now enters P_n (cost 0) and goes on to Q_n,
//     paying n's segment length;
//   - leaving towards n starts at P_n (cost 0);
//   - from Q_n a turn arc leads to the gate of every other neighbour m,
//     paying m's segment length; a U-turn arc leads back to P_n.
//
// Each turn through V is then one arc Q_n -> P_m, and a restriction deletes
// exactly that arc. The first neighbour's gate is V itself, so that the node
// index survives; all other gate and arrival nodes are appended to the graph.
//
// Worked example: V with neighbours a (two-way), b (one-way into V) and c
// (one-way out of V), a < b < c, segment lengths la, lb, lc.
//
//             a                                  a
//             |                              0 ^   | 0
//             |                                |   v
//     b ----> V ----> c      b --0--> P_b      P_a = V      P_c --0--> c
//                                  lb |      la |  ^ la      ^ lc
//                                     v         v  |         |
//                                    Q_b       Q_a-+        Q_c
//
//   turn arcs (arrival -> gate, paying the segment ahead):
//     Q_a -> P_c (lc)     Q_b -> P_a (la)     Q_b -> P_c (lc)
//   U-turn arcs: Q_a -> P_a (la) and Q_c -> P_c (lc); nothing enters Q_c,
//   since c cannot be left towards V.
//   New node indices, in set order: Q_a, P_b, Q_b, P_c, Q_c.
//
// b -> V -> c cost lb + lc before; after it is b -> P_b (0) -> Q_b (lb) ->
// P_c (lc) -> c (0): the same length. (Weighted costs differ slightly, since
// the boundary cost search counts a zero-length arc on a real road as 1.)
//
// When a neighbour is itself a gate of an earlier expansion O, the two are
// joined directly: leaving O towards V ends in V's arrival node, and leaving V
// towards O ends in O's arrival node, both at no cost; the segment length is
// carried by the turn arcs.
#pragma once

#include "model/routeinfo.h"
#include "passes/routing/costgraph.h"
#include "passes/routing/radixheap.h"

#include <cstdint>
#include <vector>

namespace zel {

// The replacement set of via node `via`, expanding it on first use; nullptr
// when the graph is empty, `via` is no node index (reported), or it has no
// arc in or out. Asking again returns the same set and adds nothing.
const ReplacementSet* getReplacementSet(cRouteInfo& routeInfo, uint32_t via);

// Erases the first arc of u's list with that road and old target and, only
// when one was erased, inserts `arc` in its place in the order.
bool replaceArc(cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t oldTarget,
                const mapArc& arc);

// 1024 / ((class × 0.5 + 1) × (speed × 0.0695 + 1) + 1), truncated.
uint32_t roadWeight(uint8_t speed, uint8_t roadClass);

// Stores every road's weight in its 32-bit word.
void roadWeights(cRouteInfo& routeInfo);

// The cheapest weighted cost from one source to every node. One object serves
// any number of searches over one graph: the arcs it may travel and their
// costs are taken from the graph once, and its tables are allocated once.
class ShortestPaths {
public:
    // With `kept` (one flag per node), only the costs between flagged nodes
    // are wanted, and nodes that merely pass a way on are bypassed first:
    // searches must then start at flagged nodes, and only the costs of
    // flagged nodes are those of the whole graph.
    explicit ShortestPaths(const cRouteInfo& routeInfo, const std::vector<uint8_t>* kept = nullptr);

    // Searches from `source`; false when it is no node index. Costs are added
    // in 64 bits and capped at 0xFFFFFFFE, so a long way can never wrap into a
    // short one. With `targets` (one flag per node) the search ends once every
    // flagged node but the source is settled: only their costs are final then.
    bool search(uint32_t source, const std::vector<uint8_t>* targets = nullptr);
    // Whether the last search reached `node` (the source itself does not count).
    bool reached(uint32_t node) const;
    // The cost of the last search to `node`; 0xFFFFFFFF where it did not reach.
    uint32_t cost(uint32_t node) const;

private:
    // The node's index in `graph`; NodeNumbers::none for a node bypassed.
    uint32_t inGraph(uint32_t node) const;
    // The route graph's index of node `i` of `graph`.
    uint32_t routeNode(uint32_t i) const {
        return numbers.original.empty() ? i : numbers.original[i];
    }

    CostGraph graph;
    // With nodes bypassed, `graph` numbers the nodes left afresh; both lists
    // are empty when every node is in `graph` under its own index.
    NodeNumbers numbers;
    size_t routeNodes = 0;
    // Open nodes; it may hold stale entries for nodes already settled.
    RadixHeap open;
    std::vector<uint32_t> dist;
    uint32_t source = 0;
};

// "Extern node adjustments": the cost from every boundary node to every
// other boundary node it reaches.
void externNodeAdjustments(cRouteInfo& routeInfo);

} // namespace zel
