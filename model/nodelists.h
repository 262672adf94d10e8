// Short lists of numbers kept per node of the routing graph, for many nodes
// at once. Most lists hold one or two numbers and only ever grow at the end;
// a vector per node would cost a heap block each (and a map node more), so
// all lists share one array, each chained through it from first to last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

class NodeLists {
public:
    // Node numbers are the dense indices of the graph: the table grows to the
    // largest one given.
    void append(uint32_t node, uint32_t value);

    bool contains(uint32_t node) const { return node < first.size() && first[node] != none; }
    // The number appended last to the list of `node`, which must have one.
    uint32_t back(uint32_t node) const { return links[last[node]].value; }
    // How many nodes have a list.
    size_t size() const { return listCount; }
    // One past the largest node that may have a list.
    uint32_t nodeBound() const { return static_cast<uint32_t>(first.size()); }

    // Calls visit(value) for the list of `node`, in the order appended.
    template <typename Visit> void forEach(uint32_t node, Visit visit) const {
        if (!contains(node))
            return;
        for (uint32_t at = first[node]; at != none; at = links[at].next)
            visit(links[at].value);
    }
    size_t countOf(uint32_t node) const;
    // The list of `node` as a vector, empty when it has none.
    std::vector<uint32_t> at(uint32_t node) const;

    void clear();

    // Same lists for the same nodes, however they are laid out.
    bool operator==(const NodeLists& other) const;

private:
    static constexpr uint32_t none = 0xFFFFFFFF;
    struct Link {
        uint32_t value;
        uint32_t next;
    };

    std::vector<uint32_t> first;
    std::vector<uint32_t> last;
    std::vector<Link> links;
    size_t listCount = 0;
};

} // namespace zel
