#include "passes/routing/costgraph.h"

#include <algorithm>
#include <array>

namespace zel {
namespace {

constexpr uint32_t noLink = UINT32_MAX;
static_assert(noLink == NodeNumbers::none);
// A node is taken out only with at most this many arcs in and out, and only
// when each of its neighbours has at most `busyNeighbour`: every step then
// costs a bounded amount, however many arcs a crossing of the map has.
constexpr uint32_t fewArcs = 8;
constexpr uint32_t busyNeighbour = 64;

// The graph while nodes are taken out: each node's arcs out and in as lists
// threaded through one pool, so that arcs come and go without allocating.
class Bypass {
public:
    Bypass(const CostGraph& graph, const std::vector<uint8_t>& kept, uint32_t cap)
        : kept(kept), cap(cap), outHead(graph.nodeCount(), noLink), inHead(outHead),
          outCount(graph.nodeCount(), 0), inCount(outCount) {
        links.reserve(2 * graph.arcs.size());
        std::vector<CostArc> cheapest;
        for (uint32_t u = 0; u < graph.nodeCount(); ++u) {
            cheapestArcs(graph, u, cheapest);
            for (const CostArc& arc : cheapest)
                addArc(u, arc.target, arc.cost);
        }
    }

    void run() {
        std::vector<uint32_t> waiting(outHead.size());
        std::vector<uint8_t> queued(outHead.size(), 1);
        for (size_t i = 0; i < waiting.size(); ++i)
            waiting[i] = static_cast<uint32_t>(waiting.size() - 1 - i);
        while (!waiting.empty()) {
            const uint32_t v = waiting.back();
            waiting.pop_back();
            queued[v] = 0;
            if (!canTakeOut(v))
                continue;
            takeOut(v, [&](uint32_t neighbour) {
                if (queued[neighbour] == 0) {
                    queued[neighbour] = 1;
                    waiting.push_back(neighbour);
                }
            });
        }
    }

    // The numbers of the nodes left: the kept ones and those with arcs.
    NodeNumbers numbers() const {
        NodeNumbers numbers;
        numbers.renumbered.assign(outHead.size(), NodeNumbers::none);
        for (uint32_t u = 0; u < outHead.size(); ++u) {
            if (isKept(u) || arcCount(u) != 0) {
                numbers.renumbered[u] = static_cast<uint32_t>(numbers.original.size());
                numbers.original.push_back(u);
            }
        }
        return numbers;
    }

    // The graph of the nodes left, under their new numbers.
    CostGraph result(const NodeNumbers& numbers) const {
        CostGraph graph;
        graph.firstArc.clear();
        graph.firstArc.reserve(numbers.original.size() + 1);
        for (const uint32_t u : numbers.original) {
            graph.firstArc.push_back(static_cast<uint32_t>(graph.arcs.size()));
            for (uint32_t at = outHead[u]; at != noLink; at = links[at].next)
                graph.arcs.push_back({numbers.renumbered[links[at].node], links[at].cost});
        }
        graph.firstArc.push_back(static_cast<uint32_t>(graph.arcs.size()));
        return graph;
    }

private:
    struct Link {
        uint32_t node;
        uint32_t cost;
        uint32_t next;
    };

    // Node u's arcs to other nodes, the cheapest of each target only.
    static void cheapestArcs(const CostGraph& graph, uint32_t u, std::vector<CostArc>& out) {
        out.assign(graph.arcs.begin() + graph.firstArc[u],
                   graph.arcs.begin() + graph.firstArc[u + 1]);
        std::erase_if(out, [u](const CostArc& arc) { return arc.target == u; });
        std::sort(out.begin(), out.end(), [](const CostArc& a, const CostArc& b) {
            return a.target != b.target ? a.target < b.target : a.cost < b.cost;
        });
        out.erase(
            std::unique(out.begin(), out.end(),
                        [](const CostArc& a, const CostArc& b) { return a.target == b.target; }),
            out.end());
    }

    uint32_t arcCount(uint32_t v) const { return outCount[v] + inCount[v]; }
    bool isKept(uint32_t v) const { return v < kept.size() && kept[v] != 0; }

    uint32_t newLink(uint32_t node, uint32_t cost, uint32_t next) {
        if (freeLinks == noLink) {
            links.push_back({node, cost, next});
            return static_cast<uint32_t>(links.size() - 1);
        }
        const uint32_t at = freeLinks;
        freeLinks = links[at].next;
        links[at] = {node, cost, next};
        return at;
    }

    void addArc(uint32_t from, uint32_t to, uint32_t cost) {
        outHead[from] = newLink(to, cost, outHead[from]);
        inHead[to] = newLink(from, cost, inHead[to]);
        ++outCount[from];
        ++inCount[to];
    }

    // The link to `node` in the list starting at `head`, or noLink.
    uint32_t findLink(uint32_t head, uint32_t node) const {
        uint32_t at = head;
        while (at != noLink && links[at].node != node)
            at = links[at].next;
        return at;
    }

    void unlink(uint32_t& head, uint32_t node) {
        for (uint32_t* at = &head; *at != noLink; at = &links[*at].next) {
            if (links[*at].node == node) {
                const uint32_t gone = *at;
                *at = links[gone].next;
                links[gone].next = freeLinks;
                freeLinks = gone;
                return;
            }
        }
    }

    // Adds from -> to at `cost`, or lowers the cost of the arc already there.
    void lowerArc(uint32_t from, uint32_t to, uint32_t cost) {
        const uint32_t out = findLink(outHead[from], to);
        if (out == noLink) {
            addArc(from, to, cost);
            return;
        }
        if (cost < links[out].cost) {
            links[out].cost = cost;
            links[findLink(inHead[to], from)].cost = cost;
        }
    }

    // Whether v may go: not wanted, few arcs, quiet neighbours, and no more
    // arcs through it than to and from it.
    bool canTakeOut(uint32_t v) const {
        if (isKept(v) || arcCount(v) == 0 || arcCount(v) > fewArcs)
            return false;
        uint32_t ways = 0;
        for (uint32_t in = inHead[v]; in != noLink; in = links[in].next) {
            if (arcCount(links[in].node) > busyNeighbour)
                return false;
            for (uint32_t out = outHead[v]; out != noLink; out = links[out].next)
                ways += links[out].node != links[in].node ? 1 : 0;
        }
        for (uint32_t out = outHead[v]; out != noLink; out = links[out].next) {
            if (arcCount(links[out].node) > busyNeighbour)
                return false;
        }
        return ways <= arcCount(v);
    }

    // Replaces v's arcs by one arc for each way through it; `touched` is told
    // of every neighbour, whose arcs changed.
    template <typename Touched> void takeOut(uint32_t v, Touched touched) {
        std::array<Link, fewArcs> ins{}, outs{};
        size_t inSize = 0, outSize = 0;
        for (uint32_t at = inHead[v]; at != noLink; at = links[at].next)
            ins[inSize++] = links[at];
        for (uint32_t at = outHead[v]; at != noLink; at = links[at].next)
            outs[outSize++] = links[at];
        for (size_t i = 0; i < inSize; ++i) {
            unlink(outHead[ins[i].node], v);
            unlink(inHead[v], ins[i].node);
            --outCount[ins[i].node];
        }
        for (size_t o = 0; o < outSize; ++o) {
            unlink(inHead[outs[o].node], v);
            unlink(outHead[v], outs[o].node);
            --inCount[outs[o].node];
        }
        inCount[v] = 0;
        outCount[v] = 0;
        for (size_t i = 0; i < inSize; ++i) {
            for (size_t o = 0; o < outSize; ++o) {
                if (ins[i].node != outs[o].node)
                    lowerArc(ins[i].node, outs[o].node, cappedSum(ins[i].cost, outs[o].cost, cap));
            }
            touched(ins[i].node);
        }
        for (size_t o = 0; o < outSize; ++o)
            touched(outs[o].node);
    }

    const std::vector<uint8_t>& kept;
    const uint32_t cap;
    std::vector<Link> links;
    uint32_t freeLinks = noLink;
    std::vector<uint32_t> outHead;
    std::vector<uint32_t> inHead;
    std::vector<uint32_t> outCount;
    std::vector<uint32_t> inCount;
};

} // namespace

NodeNumbers bypassNodes(CostGraph& graph, const std::vector<uint8_t>& kept, uint32_t cap) {
    Bypass bypass(graph, kept, cap);
    // The pool now holds every arc: the rows can go before the work starts.
    graph = CostGraph();
    bypass.run();
    NodeNumbers numbers = bypass.numbers();
    graph = bypass.result(numbers);
    return numbers;
}

} // namespace zel
