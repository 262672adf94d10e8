#include "reader/commit.h"

#include "geometry/simplify.h"

namespace zel {
namespace {

// Calls store(L) for the levels from the object's own up to its end level,
// never past the map's last level. An object whose own level does not exist is
// not stored at all.
template <typename Store>
void forEachVisibleLevel(const cMapPolish& map, int32_t level, int32_t endLevel, Store store) {
    const auto count = static_cast<int64_t>(map.levels.size());
    if (level < 0 || level >= count)
        return;
    for (int64_t l = level; l < count && (l == level || l <= endLevel); ++l)
        store(static_cast<int32_t>(l));
}

void clearAddress(mapPoly& poly) {
    poly.houseNumber.clear();
    poly.streetDesc.clear();
    poly.cityIdx = 0;
}

// Height levels index the points as read; a copy with other points cannot use them.
mapPoly simplifiedCopy(const mapPoly& source, uint8_t bits, PolyKind kind) {
    mapPoly copy = simplifyForLevel(source, bits, kind);
    if (copy.points.size() != source.points.size())
        copy.heightLevels.clear();
    return copy;
}

} // namespace

void commitPoi(cMapPolish& map, mapPoi& poi) {
    if (poi.pos.x == 0.0f || poi.pos.y == 0.0f)
        return;
    forEachVisibleLevel(map, poi.level, poi.endLevel, [&](int32_t l) {
        poi.level = l;
        map.levels[static_cast<size_t>(l)].pois.push_back(poi);
        poi.houseNumber.clear();
        poi.streetDesc.clear();
        poi.cityIdx = 0;
        poi.isCity = 0;
    });
}

void commitLine(cMapPolish& map, mapPoly& line) {
    if (line.points.empty())
        return;
    forEachVisibleLevel(map, line.level, line.endLevel, [&](int32_t l) {
        mapLevel& level = map.levels[static_cast<size_t>(l)];
        line.level = l;
        // Routable lines keep their points on their first level: the node
        // references point at them by index.
        if (line.nodeRefs.empty())
            level.lines.push_back(simplifiedCopy(line, level.bits, PolyKind::polyline));
        else
            level.lines.push_back(line);
        level.linePoints += static_cast<uint32_t>(line.points.size());
        line.nodeRefs.clear();
        clearAddress(line);
    });
}

void commitPolygon(cMapPolish& map, mapPoly& polygon) {
    if (polygon.points.empty())
        return;
    forEachVisibleLevel(map, polygon.level, polygon.endLevel, [&](int32_t l) {
        mapLevel& level = map.levels[static_cast<size_t>(l)];
        polygon.level = l;
        level.polygons.push_back(simplifiedCopy(polygon, level.bits, PolyKind::polygon));
        level.polygonPoints += static_cast<uint32_t>(polygon.points.size());
        clearAddress(polygon);
    });
}

} // namespace zel
