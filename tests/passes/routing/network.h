// Small road networks written as text for the tests of the routing passes,
// and plain shortest path lengths to compare graphs by.
#pragma once

#include "passes/routing/routegraph.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace zel::test {

// Nodes named in index order ("a b V") and joined by arcs written "a-V r1 10"
// (both ways) or "b>V r2 20" (one way), separated by commas. Nodes that an
// expansion appends are named afterwards with `more`.
struct Network {
    Network(const std::string& nodes, const std::string& arcs) {
        more(nodes);
        graph.nodeArcs.resize(names.size());
        std::istringstream in(arcs);
        for (std::string link, road, length; in >> link >> road >> length;) {
            const size_t at = link.find_first_of("->");
            const uint32_t a = (*this)[link.substr(0, at)], b = (*this)[link.substr(at + 1)];
            const mapArc arc{static_cast<uint32_t>(std::stoul(road.substr(1))), b,
                             static_cast<uint32_t>(std::stoul(length))};
            addArc(graph.nodeArcs.at(a), arc);
            if (link[at] == '-')
                addArc(graph.nodeArcs.at(b), {arc.road, a, arc.length});
        }
    }

    void more(const std::string& added) {
        std::istringstream in(added);
        for (std::string name; in >> name;)
            names.push_back(name);
    }
    uint32_t operator[](const std::string& name) const {
        return static_cast<uint32_t>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    // "node: target rROAD LENGTH, ... | node: ..." over every node in index
    // order; "node: neighbour rROAD LENGTH gate arrival; ..." for a set.
    std::string arcs() const {
        std::string text;
        for (uint32_t node = 0; node < graph.nodeArcs.size(); ++node) {
            text += (node == 0 ? "" : " | ") + names.at(node) + ":";
            for (const mapArc& a : graph.nodeArcs[node])
                text += (&a == graph.nodeArcs[node].data() ? " " : ", ") + names.at(a.target) +
                        " r" + std::to_string(a.road) + " " + std::to_string(a.length);
        }
        return text;
    }
    std::string set(const std::string& via) const {
        std::string text;
        for (const mapReplacement& e : graph.adjustments.at((*this)[via]))
            text += (text.empty() ? "" : "; ") + names.at(e.neighbour) + " r" +
                    std::to_string(e.road) + " " + std::to_string(e.length) + " " +
                    names.at(e.gate) + " " + names.at(e.arrival);
        return text;
    }

    std::vector<std::string> names;
    cRouteInfo graph;
};

// Sums of arc lengths along the shortest ways from `source`, found the
// obvious way: the nearest unsettled node is looked for among all of them.
inline std::vector<uint64_t> plainPathLengths(const cRouteInfo& graph, uint32_t source) {
    const size_t count = graph.nodeArcs.size();
    std::vector<uint64_t> dist(count, UINT64_MAX);
    std::vector<bool> done(count, false);
    dist[source] = 0;
    for (size_t u = source; u < count;) {
        done[u] = true;
        for (const mapArc& arc : graph.nodeArcs[u])
            dist[arc.target] = std::min(dist[arc.target], dist[u] + arc.length);
        u = count;
        for (size_t i = 0; i < count; ++i) {
            if (!done[i] && dist[i] != UINT64_MAX && (u == count || dist[i] < dist[u]))
                u = i;
        }
    }
    return dist;
}

} // namespace zel::test
