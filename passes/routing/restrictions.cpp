#include "passes/routing/restrictions.h"

#include "passes/routing/adjustments.h"
#include "passes/routing/messages.h"
#include "platform/progress.h"

#include <algorithm>
#include <limits>

namespace zel {
namespace {

struct RestrictionIndices {
    uint32_t node1;
    uint32_t node2;
    uint32_t node3;
    uint32_t road1;
    uint32_t road2;
};

RestrictionIndices indicesOf(const mapRestriction& r) {
    return {static_cast<uint32_t>(r.node1), static_cast<uint32_t>(r.node2),
            static_cast<uint32_t>(r.node3), static_cast<uint32_t>(r.road1),
            static_cast<uint32_t>(r.road2)};
}

// The first entry, in set order, for arriving from (or leaving towards)
// `neighbour` on `road`.
const mapReplacement* findEntry(const ReplacementSet& set, uint32_t road, uint32_t neighbour) {
    for (const mapReplacement& entry : set) {
        if (entry.road == road && entry.neighbour == neighbour)
            return &entry;
    }
    return nullptr;
}

} // namespace

bool hasArc(const cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t v) {
    if (u >= routeInfo.nodeArcs.size())
        return false;
    const std::vector<mapArc>& arcs = routeInfo.nodeArcs[u];
    return std::any_of(arcs.begin(), arcs.end(),
                       [&](const mapArc& arc) { return arc.road == road && arc.target == v; });
}

bool removeArc(cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t v) {
    if (u >= routeInfo.nodeArcs.size())
        return false;
    std::vector<mapArc>& arcs = routeInfo.nodeArcs[u];
    const auto at = std::find_if(arcs.begin(), arcs.end(), [&](const mapArc& arc) {
        return arc.road == road && arc.target == v;
    });
    if (at == arcs.end())
        return false;
    arcs.erase(at);
    return true;
}

bool checkRestriction(const cRouteInfo& routeInfo, const mapRestriction& restriction) {
    const RestrictionIndices r = indicesOf(restriction);
    return hasArc(routeInfo, r.node1, r.road1, r.node2) &&
           hasArc(routeInfo, r.node2, r.road2, r.node3);
}

void applyRestriction(cRouteInfo& routeInfo, const mapRestriction& restriction) {
    if (routeInfo.nodeArcs.empty())
        return;
    const RestrictionIndices r = indicesOf(restriction);
    const ReplacementSet* set = getReplacementSet(routeInfo, r.node2);
    if (set == nullptr)
        return;
    const mapReplacement* approach = findEntry(*set, r.road1, r.node1);
    if (r.node3 == r.node1 && r.road2 == r.road1) {
        // The way back to where one came from: the arrival node's arc to the
        // gate of the same neighbour.
        if (approach != nullptr)
            removeArc(routeInfo, approach->arrival, approach->road, approach->gate);
        return;
    }
    const mapReplacement* exit = findEntry(*set, r.road2, r.node3);
    if (approach != nullptr && exit != nullptr)
        removeArc(routeInfo, approach->arrival, exit->road, exit->gate);
}

void checkRestrictions(cMapPolish& map) {
    // Without a graph the restrictions still hold raw identifiers, which
    // name no node; no arc can match them, so they all go.
    std::erase_if(map.restrictions, [&](const mapRestriction& restriction) {
        return !checkRestriction(map.routeInfo, restriction);
    });
}

void applyRestrictions(cMapPolish& map) {
    cProgress progress;
    progress.start(routingMessages::restrictionsLabel,
                   static_cast<uint32_t>(std::min<size_t>(map.restrictions.size(),
                                                          std::numeric_limits<uint32_t>::max())));
    for (const mapRestriction& restriction : map.restrictions) {
        // Counted before the record: a message of the expansion then stands
        // after the percentage that includes its restriction.
        progress.tick();
        applyRestriction(map.routeInfo, restriction);
    }
    // Only expansions read the index of arc sources; a later one would build
    // it afresh.
    map.routeInfo.arcSources = {};
    map.routeInfo.arcSourcesBuilt = false;
    progress.finish();
}

} // namespace zel
