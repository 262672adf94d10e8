#include "passes/routing/adjustments.h"

#include "passes/routing/messages.h"
#include "passes/routing/restrictions.h"
#include "passes/routing/routegraph.h"
#include "platform/console.h"
#include "platform/progress.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace zel {
namespace {

namespace msg = routingMessages;

constexpr uint32_t unreached = 0xFFFFFFFF;
// The largest cost a search can give: one below "unreached", so that a node
// reached at any cost still counts as reached.
constexpr uint32_t costCap = 0xFFFFFFFE;
// From this many boundary nodes on, their searches run on the bypassed graph.
constexpr size_t searchesWorthABypass = 8;

// A road's weight is 1024 / ((class × classFactor + 1) × (speed × speedFactor
// + 1) + 1): fast, important roads cost less per metre.
constexpr float speedFactor = 0.0695f;
constexpr float classFactor = 0.5f;

// How a neighbour is joined to the via node while its set is being built.
enum class ArcKind { both = 1, incoming = 2, outgoing = 3 };

struct NeighbourArc {
    uint32_t length = 0;
    ArcKind kind = ArcKind::outgoing;
};

// Keyed by (neighbour, road), the order of the replacement set.
using NeighbourMap = std::map<std::pair<uint32_t, uint32_t>, NeighbourArc>;

struct RecordedEntry {
    mapReplacement entry;
    ArcKind kind;
};

// Notes `from` as a candidate source of the arcs into `target`; consecutive
// arcs of one node into the same target are noted once.
void noteSource(cRouteInfo& routeInfo, uint32_t from, uint32_t target) {
    NodeLists& sources = routeInfo.arcSources;
    if (!sources.contains(target) || sources.back(target) != from)
        sources.append(target, from);
}

void buildArcSources(cRouteInfo& routeInfo) {
    const size_t count = routeInfo.nodeArcs.size();
    routeInfo.arcSources.clear();
    for (size_t u = 0; u < count; ++u) {
        for (const mapArc& arc : routeInfo.nodeArcs[u]) {
            if (arc.target < count)
                noteSource(routeInfo, static_cast<uint32_t>(u), arc.target);
        }
    }
    routeInfo.arcSourcesBuilt = true;
}

void noteArc(cRouteInfo& routeInfo, uint32_t from, uint32_t target) {
    if (routeInfo.arcSourcesBuilt && target < routeInfo.nodeArcs.size())
        noteSource(routeInfo, from, target);
}

// Every arc the expansion adds goes through here, so that the index of arc
// sources stays complete.
void link(cRouteInfo& routeInfo, uint32_t from, const mapArc& arc) {
    if (from >= routeInfo.nodeArcs.size())
        return;
    addArc(routeInfo.nodeArcs[from], arc);
    noteArc(routeInfo, from, arc.target);
}

uint32_t appendNode(cRouteInfo& routeInfo) {
    routeInfo.nodeArcs.emplace_back();
    return static_cast<uint32_t>(routeInfo.nodeArcs.size() - 1);
}

// The arcs out of the via node, then those into it: an arc both ways on the
// same road makes one two-way neighbour.
NeighbourMap neighboursOf(cRouteInfo& routeInfo, uint32_t via) {
    NeighbourMap neighbours;
    for (const mapArc& arc : routeInfo.nodeArcs[via])
        neighbours.emplace(std::pair{arc.target, arc.road},
                           NeighbourArc{arc.length, ArcKind::outgoing});

    std::vector<uint32_t> sources = routeInfo.arcSources.at(via);
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    for (uint32_t u : sources) {
        for (const mapArc& arc : routeInfo.nodeArcs[u]) {
            if (arc.target != via)
                continue;
            const auto [at, added] = neighbours.emplace(
                std::pair{u, arc.road}, NeighbourArc{arc.length, ArcKind::incoming});
            // A two-way neighbour keeps the length of the via node's own arc.
            if (!added)
                at->second.kind = ArcKind::both;
        }
    }
    return neighbours;
}

// The entry of an earlier expansion whose gate is `node`, and that
// expansion's via node; false when `node` is no such gate.
bool findJoinedGate(const cRouteInfo& routeInfo, uint32_t node, mapReplacement& gateEntry,
                    uint32_t& otherVia) {
    if (!routeInfo.replacements.contains(node))
        return false;
    otherVia = routeInfo.replacements.back(node);
    const auto set = routeInfo.adjustments.find(otherVia);
    if (set == routeInfo.adjustments.end()) {
        platform::printNarrow(msg::replacementSetAbsent(otherVia));
        return false;
    }
    for (const mapReplacement& entry : set->second) {
        if (entry.gate == node) {
            gateEntry = entry;
            return true;
        }
    }
    return false;
}

void expandOrdinary(cRouteInfo& routeInfo, uint32_t via, uint32_t road, uint32_t neighbour,
                    const NeighbourArc& arc, uint32_t gate, uint32_t arrival,
                    std::vector<RecordedEntry>& recorded) {
    if (arc.kind != ArcKind::outgoing)
        replaceArc(routeInfo, neighbour, road, via, {road, gate, 0});
    if (arc.kind != ArcKind::incoming)
        link(routeInfo, gate, {road, neighbour, 0});
    if (arc.kind != ArcKind::outgoing)
        link(routeInfo, gate, {road, arrival, arc.length});
    routeInfo.replacements.append(gate, neighbour);
    routeInfo.replacements.append(gate, via);
    recorded.push_back({{road, neighbour, arc.length, gate, arrival}, arc.kind});
    if (arc.kind != ArcKind::incoming)
        link(routeInfo, arrival, {road, gate, arc.length});
    routeInfo.replacements.append(arrival, via);
}

// The neighbour is the gate `other.gate` of the expansion of `otherVia`:
// the two expansions are wired to each other's arrival nodes.
void expandJoined(cRouteInfo& routeInfo, uint32_t via, uint32_t road, const NeighbourArc& arc,
                  uint32_t gate, uint32_t arrival, const mapReplacement& other, uint32_t otherVia,
                  std::vector<RecordedEntry>& recorded) {
    recorded.push_back({{road, otherVia, other.length, gate, arrival}, arc.kind});
    if (arc.kind == ArcKind::both)
        link(routeInfo, arrival, {road, gate, other.length});
    else if (arc.kind == ArcKind::incoming)
        removeArc(routeInfo, other.arrival, other.road, other.gate);
    removeArc(routeInfo, other.gate, other.road, other.arrival);
    link(routeInfo, gate, {road, other.arrival, 0});
    routeInfo.replacements.append(gate, otherVia);
    routeInfo.replacements.append(gate, via);
    routeInfo.replacements.append(arrival, via);
    removeArc(routeInfo, other.gate, road, via);
    link(routeInfo, other.gate, {road, arrival, 0});
}

} // namespace

const ReplacementSet* getReplacementSet(cRouteInfo& routeInfo, uint32_t via) {
    if (routeInfo.nodeArcs.empty())
        return nullptr;
    if (const auto known = routeInfo.adjustments.find(via); known != routeInfo.adjustments.end())
        return &known->second;
    if (via >= routeInfo.nodeArcs.size()) {
        platform::printNarrow(msg::viaNodeAbsent(via));
        return nullptr;
    }
    if (!routeInfo.arcSourcesBuilt)
        buildArcSources(routeInfo);

    NeighbourMap neighbours = neighboursOf(routeInfo, via);
    if (neighbours.size() == 1) {
        // A dead end: an extra node that can only enter it gives the one real
        // neighbour a turn arc to make the U-turn through.
        const uint32_t road = neighbours.begin()->first.second;
        const uint32_t deadEnd = appendNode(routeInfo);
        link(routeInfo, deadEnd, {road, via, 0});
        neighbours.emplace(std::pair{deadEnd, road}, NeighbourArc{0, ArcKind::incoming});
    }

    std::vector<RecordedEntry> recorded;
    bool first = true;
    for (const auto& [key, arc] : neighbours) {
        const auto [neighbour, road] = key;
        uint32_t gate = via;
        if (first) {
            routeInfo.nodeArcs[via].clear();
            first = false;
        } else {
            gate = appendNode(routeInfo);
        }
        const uint32_t arrival = appendNode(routeInfo);
        mapReplacement other;
        uint32_t otherVia = 0;
        if (findJoinedGate(routeInfo, neighbour, other, otherVia))
            expandJoined(routeInfo, via, road, arc, gate, arrival, other, otherVia, recorded);
        else
            expandOrdinary(routeInfo, via, road, neighbour, arc, gate, arrival, recorded);
    }
    if (recorded.empty())
        return nullptr;

    for (const RecordedEntry& to : recorded) {
        if (to.kind == ArcKind::outgoing)
            continue;
        for (const RecordedEntry& from : recorded) {
            if (&from == &to || from.kind == ArcKind::incoming)
                continue;
            link(routeInfo, to.entry.arrival,
                 {from.entry.road, from.entry.gate, from.entry.length});
        }
    }
    ReplacementSet& set = routeInfo.adjustments[via];
    for (const RecordedEntry& r : recorded)
        set.insert(r.entry);
    return &set;
}

bool replaceArc(cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t oldTarget,
                const mapArc& arc) {
    if (!removeArc(routeInfo, u, road, oldTarget))
        return false;
    link(routeInfo, u, arc);
    return true;
}

uint32_t roadWeight(uint8_t speed, uint8_t roadClass) {
    const double classTerm = roadClass * static_cast<double>(classFactor) + 1.0;
    const double speedTerm = speed * static_cast<double>(speedFactor) + 1.0;
    // Between 1024 / 2 and a little above 1: always fits.
    return static_cast<uint32_t>(1024.0 / (classTerm * speedTerm + 1.0));
}

void roadWeights(cRouteInfo& routeInfo) {
    for (mapRoadParams& road : routeInfo.roads)
        road.weight = roadWeight(road.speed, road.roadClass);
}

namespace {

// The cost of travelling an arc, false when the search may not use it. Road
// index 0 is no road: its arcs (the links of an expanded node on a line
// without a road) cost their length. The product wraps in 32 bits, as the
// costs have always been computed.
bool arcCost(const cRouteInfo& routeInfo, const mapArc& arc, uint32_t& cost) {
    if (arc.road == 0) {
        cost = arc.length;
        return true;
    }
    // An arc on a road the table does not have cannot be weighed.
    if (arc.road >= routeInfo.roads.size())
        return false;
    const mapRoadParams& road = routeInfo.roads[arc.road];
    if ((road.accessFlags & routeInfo.accessMask) != 0)
        return false;
    if (routeInfo.classZeroRoads == 0 && road.roadClass == 0)
        return false;
    cost = static_cast<uint32_t>(uint64_t{arc.length} * road.weight) >> 10;
    if (cost == 0)
        cost = 1;
    return true;
}

} // namespace

ShortestPaths::ShortestPaths(const cRouteInfo& routeInfo, const std::vector<uint8_t>* kept) {
    const size_t count = routeInfo.nodeArcs.size();
    graph.firstArc.reserve(count + 1);
    for (const std::vector<mapArc>& nodeArcs : routeInfo.nodeArcs) {
        for (const mapArc& arc : nodeArcs) {
            uint32_t cost = 0;
            if (arc.target < count && arcCost(routeInfo, arc, cost))
                graph.arcs.push_back({arc.target, cost});
        }
        graph.firstArc.push_back(static_cast<uint32_t>(graph.arcs.size()));
    }
    routeNodes = count;
    if (kept == nullptr)
        return;
    numbers = bypassNodes(graph, *kept, costCap);
}

uint32_t ShortestPaths::inGraph(uint32_t node) const {
    if (node >= routeNodes)
        return NodeNumbers::none;
    return numbers.renumbered.empty() ? node : numbers.renumbered[node];
}

bool ShortestPaths::search(uint32_t from, const std::vector<uint8_t>* targets) {
    if (from >= routeNodes)
        return false;
    source = from;
    dist.assign(graph.nodeCount(), unreached);
    open.clear();
    const auto isTarget = [&](uint32_t node) {
        return targets != nullptr && (*targets)[routeNode(node)] != 0 && routeNode(node) != from;
    };
    size_t waiting = 0;
    for (uint32_t node = 0; targets != nullptr && node < graph.nodeCount(); ++node)
        waiting += isTarget(node) ? 1 : 0;
    const uint32_t start = inGraph(from);
    // A source bypassed has no arcs left: it reaches nothing.
    if (start == NodeNumbers::none)
        return true;
    dist[start] = 0;
    open.push(0, start);
    // Costs are never negative, so the distances do not depend on which of
    // several equally near nodes is taken first.
    while (!open.empty()) {
        const uint64_t next = open.pop();
        const auto node = static_cast<uint32_t>(next);
        const auto cost = static_cast<uint32_t>(next >> 32);
        if (cost != dist[node])
            continue; // a stale entry: the node was reached more cheaply since
        if (isTarget(node) && --waiting == 0)
            break;
        for (uint32_t a = graph.firstArc[node]; a < graph.firstArc[node + 1]; ++a) {
            const auto [target, step] = graph.arcs[a];
            const uint32_t sum = cappedSum(cost, step, costCap);
            if (sum < dist[target]) {
                dist[target] = sum;
                open.push(sum, target);
            }
        }
    }
    return true;
}

// Every cost a search sets is capped below "unreached", and the source keeps
// its cost of 0.
bool ShortestPaths::reached(uint32_t node) const {
    return node != source && cost(node) != unreached;
}

uint32_t ShortestPaths::cost(uint32_t node) const {
    const uint32_t i = inGraph(node);
    return i < dist.size() ? dist[i] : unreached;
}

void externNodeAdjustments(cRouteInfo& routeInfo) {
    cProgress progress;
    progress.start(msg::externLabel,
                   static_cast<uint32_t>(std::min<size_t>(routeInfo.externNodes.size(),
                                                          std::numeric_limits<uint32_t>::max())));
    // Only the costs between boundary nodes are kept: the nodes between them
    // can be bypassed, and a search may end once every boundary node is
    // settled.
    std::vector<uint8_t> boundary(routeInfo.nodeArcs.size(), 0);
    for (const auto& [node, position] : routeInfo.externNodes) {
        if (node < boundary.size())
            boundary[node] = 1;
    }
    if (routeInfo.externNodes.empty()) {
        progress.finish();
        return;
    }
    // Bypassing costs about as much as five searches of the whole graph and
    // makes each search several times cheaper: with few boundary nodes it
    // does not pay. The costs are the same either way.
    const bool bypass = routeInfo.externNodes.size() >= searchesWorthABypass;
    ShortestPaths paths(routeInfo, bypass ? &boundary : nullptr);
    for (const auto& [from, position] : routeInfo.externNodes) {
        progress.tick();
        // A boundary node outside the graph reaches nothing; the state of an
        // earlier search must not be read as its own.
        if (!paths.search(from, &boundary))
            continue;
        for (const auto& [to, otherPosition] : routeInfo.externNodes) {
            if (to != from && paths.reached(to))
                routeInfo.externCosts[from].insert({0, to, paths.cost(to)});
        }
    }
    progress.finish();
}

} // namespace zel
