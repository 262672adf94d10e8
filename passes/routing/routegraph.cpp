#include "passes/routing/routegraph.h"

#include "model/levelunits.h"
#include "passes/routing/messages.h"
#include "platform/console.h"
#include "platform/progress.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace zel {
namespace {

namespace msg = routingMessages;

constexpr double earthRadius = 6370000.0;
constexpr double radiansPerDegree = 0.017453292519943295;
// Half the circumference: where the cosine term has drifted below -1.
constexpr double antipodalDistance = 20011946.0;
// What an arc between node references that name no point of their line is
// taken to measure.
constexpr uint32_t unknownLength = 100;
// Boundary positions are kept at the finest resolution.
constexpr uint8_t boundaryBits = 26;

uint32_t count32(size_t count) {
    return static_cast<uint32_t>(std::min<size_t>(count, std::numeric_limits<uint32_t>::max()));
}

// Whole metres, rounded half up; saturating, since a line that runs round the
// globe many times would not fit 32 bits.
uint32_t roundedMetres(float metres) {
    const double value = static_cast<double>(metres) + 0.5;
    if (std::isnan(value) || value < 0.0)
        return 0;
    if (value >= 4294967296.0)
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

// Distinct identifiers in ascending unsigned order; an identifier's index is
// its position. Sorting once and dropping duplicates gives the same list as
// inserting each identifier at its place.
class IdentifierList {
public:
    void add(int32_t id) { ids.push_back(static_cast<uint32_t>(id)); }

    void seal() {
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    }

    bool empty() const { return ids.empty(); }
    size_t size() const { return ids.size(); }

    // Replaces the identifier in `field` by its index; false (and `field`
    // unchanged) when it is not in the list.
    bool reindex(int32_t& field) const {
        const auto id = static_cast<uint32_t>(field);
        const auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            return false;
        field = static_cast<int32_t>(at - ids.begin());
        return true;
    }

private:
    std::vector<uint32_t> ids;
};

struct Identifiers {
    IdentifierList nodes;
    IdentifierList roads;
};

Identifiers collectIdentifiers(const std::vector<mapPoly>& lines) {
    Identifiers ids;
    // Road index 0 stands for "no road" in the output: keeping identifier 0
    // in the list means no real road can ever be given index 0, also when
    // every line carries a road identifier.
    ids.roads.add(0);
    cProgress progress;
    progress.start(msg::collectLabel, count32(lines.size()));
    for (const mapPoly& line : lines) {
        for (const mapNodeRef& ref : line.nodeRefs)
            ids.nodes.add(ref.nodeId);
        ids.roads.add(line.roadId);
        progress.tick();
    }
    ids.nodes.seal();
    ids.roads.seal();
    progress.finish();
    return ids;
}

void reindexLines(std::vector<mapPoly>& lines, const Identifiers& ids, cProgress& progress) {
    for (mapPoly& line : lines) {
        for (mapNodeRef& ref : line.nodeRefs) {
            if (!ids.nodes.reindex(ref.nodeId))
                platform::printNarrow(msg::polylineNodeNotFound(static_cast<uint32_t>(ref.nodeId)));
        }
        if (!ids.roads.reindex(line.roadId))
            platform::printNarrow(msg::polylineRoadNotFound(static_cast<uint32_t>(line.roadId)));
        progress.tick();
    }
}

void reindexRoads(mapRestriction& r, const Identifiers& ids) {
    for (int32_t* road : {&r.road1, &r.road2}) {
        if (!ids.roads.reindex(*road))
            platform::printNarrow(msg::restrictionRoadNotFound(static_cast<uint32_t>(*road)));
    }
}

// A restriction naming a node that no line has cannot be applied and is
// dropped; the records after it move up, in order.
void reindexRestrictions(std::vector<mapRestriction>& restrictions, const Identifiers& ids,
                         cProgress& progress) {
    size_t kept = 0;
    for (size_t i = 0; i < restrictions.size(); ++i) {
        mapRestriction r = restrictions[i];
        bool found = true;
        for (int32_t* node : {&r.node1, &r.node2, &r.node3}) {
            if (!ids.nodes.reindex(*node)) {
                platform::printNarrow(msg::restrictionNodeNotFound(static_cast<uint32_t>(*node)));
                found = false;
                break;
            }
        }
        if (!found)
            continue;
        reindexRoads(r, ids);
        restrictions[kept++] = r;
        progress.tick();
    }
    restrictions.resize(kept);
}

// Temporary restrictions are kept whatever they name.
void reindexTempRestrictions(std::vector<mapRestriction>& restrictions, const Identifiers& ids,
                             cProgress& progress) {
    for (mapRestriction& r : restrictions) {
        for (int32_t* node : {&r.node1, &r.node2, &r.node3}) {
            if (!ids.nodes.reindex(*node))
                platform::printNarrow(
                    msg::tempRestrictionNodeNotFound(static_cast<uint32_t>(*node)));
        }
        reindexRoads(r, ids);
        progress.tick();
    }
}

void reindex(cMapPolish& map, const Identifiers& ids) {
    std::vector<mapPoly>& lines = map.levels[0].lines;
    cProgress progress;
    progress.start(msg::reindexLabel,
                   count32(lines.size() + map.restrictions.size() + map.tempRestrictions.size()));
    reindexLines(lines, ids, progress);
    reindexRestrictions(map.restrictions, ids, progress);
    reindexTempRestrictions(map.tempRestrictions, ids, progress);
    progress.finish();
}

void setRoadParams(cRouteInfo& routeInfo, const mapPoly& line) {
    const auto road = static_cast<uint32_t>(line.roadId);
    if (road >= routeInfo.roads.size()) {
        platform::printNarrow(msg::wrongRoadId(road));
        return;
    }
    routeInfo.roads[road] = {line.speed, line.roadClass, line.roadFlags, line.accessFlags,
                             line.weight};
}

void setBoundaryNodes(cRouteInfo& routeInfo, const mapPoly& line) {
    for (const mapNodeRef& ref : line.nodeRefs) {
        if (ref.boundary == 0)
            continue;
        if (ref.pointIndex >= line.points.size()) {
            platform::printNarrow(msg::wrongBoundaryPoint(ref.pointIndex));
            continue;
        }
        const LevelPoint units = toLevelUnits(line.points[ref.pointIndex], boundaryBits);
        routeInfo.externNodes[static_cast<uint32_t>(ref.nodeId)] = {units.x, units.y};
    }
}

void buildArcs(cMapPolish& map) {
    const std::vector<mapPoly>& lines = map.levels[0].lines;
    cProgress progress;
    progress.start(msg::arcsLabel, count32(lines.size()));
    for (const mapPoly& line : lines) {
        buildLineArcs(map, line);
        setRoadParams(map.routeInfo, line);
        setBoundaryNodes(map.routeInfo, line);
        progress.tick();
    }
    progress.finish();
}

void reportBadReferences(const mapPoly& line, uint16_t from, uint16_t to) {
    const size_t pointCount = line.points.size();
    std::string text(msg::nodeIndexHead);
    if (from >= pointCount)
        text += msg::nodeIndexBeyond(from);
    if (to >= pointCount)
        text += msg::nodeIndexBeyond(to);
    text += msg::nodeIndexTail(count32(pointCount), static_cast<uint32_t>(line.roadId));
    platform::printNarrow(text);
}

} // namespace

void buildRouteInfo(cMapPolish& map) {
    if (map.levels.empty())
        return;
    const Identifiers ids = collectIdentifiers(map.levels[0].lines);
    if (ids.nodes.empty()) {
        platform::printNarrow(msg::routeInfoAbsent);
        return;
    }
    reindex(map, ids);
    map.routeInfo.nodeArcs.assign(ids.nodes.size(), {});
    map.routeInfo.roads.assign(ids.roads.size(), mapRoadParams{});
    buildArcs(map);
}

void buildLineArcs(cMapPolish& map, const mapPoly& line) {
    std::vector<std::vector<mapArc>>& nodeArcs = map.routeInfo.nodeArcs;
    const auto road = static_cast<uint32_t>(line.roadId);
    const std::vector<mapNodeRef>& refs = line.nodeRefs;
    for (size_t k = 0; k + 1 < refs.size(); ++k) {
        const auto from = static_cast<uint32_t>(refs[k].nodeId);
        const auto to = static_cast<uint32_t>(refs[k + 1].nodeId);
        uint32_t length = unknownLength;
        float metres = 0.0f;
        if (lineLength(line, refs[k].pointIndex, refs[k + 1].pointIndex, metres)) {
            // Two references on one point still make a usable arc.
            length = std::max<uint32_t>(roundedMetres(metres), 1);
        } else {
            reportBadReferences(line, refs[k].pointIndex, refs[k + 1].pointIndex);
        }
        if (from < nodeArcs.size())
            addArc(nodeArcs[from], {road, to, length});
        // Toll roads and lines with a direction indicator are drawn in their
        // direction of travel too, so only a line without any flag goes back.
        if (line.roadFlags == 0 && to < nodeArcs.size())
            addArc(nodeArcs[to], {road, from, length});
    }
    if (!refs.empty()) {
        const auto last = static_cast<uint32_t>(refs.back().nodeId);
        if (last >= nodeArcs.size())
            nodeArcs.resize(size_t{last} + 1);
    }
}

bool lineLength(const mapPoly& line, uint16_t from, uint16_t to, float& metres) {
    const size_t pointCount = line.points.size();
    if (pointCount == 0 || from >= pointCount || to >= pointCount)
        return false;
    const size_t first = std::min(from, to);
    const size_t last = std::max(from, to);
    float sum = 0.0f;
    for (size_t p = first; p < last; ++p)
        sum += std::fabs(sphereDistance(line.points[p], line.points[p + 1]));
    metres = sum;
    return true;
}

float sphereDistance(mapPoint a, mapPoint b) {
    const double latA = static_cast<double>(a.y) * radiansPerDegree;
    const double latB = static_cast<double>(b.y) * radiansPerDegree;
    const double lonA = static_cast<double>(a.x) * radiansPerDegree;
    const double lonB = static_cast<double>(b.x) * radiansPerDegree;
    const double cosine =
        std::cos(latA) * std::cos(latB) * std::cos(lonB - lonA) + std::sin(latA) * std::sin(latB);
    if (cosine > 1.0)
        return 0.0f;
    if (cosine < -1.0)
        return static_cast<float>(antipodalDistance);
    return static_cast<float>(std::acos(cosine) * earthRadius);
}

void addArc(std::vector<mapArc>& arcs, const mapArc& arc) {
    const auto at =
        std::lower_bound(arcs.begin(), arcs.end(), arc, [](const mapArc& a, const mapArc& b) {
            return std::tie(a.target, a.road) < std::tie(b.target, b.road);
        });
    if (at != arcs.end() && at->target == arc.target && at->road == arc.road)
        return;
    arcs.insert(at, arc);
}

} // namespace zel
