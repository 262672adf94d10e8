#include "reader/commit.h"

#include "geometry/simplify.h"

#include <utility>

namespace zel {
namespace {

// Calls store(L, last) for the levels from the object's own up to its end
// level, never past the map's last level; `last` is true for the final one. An
// object whose own level does not exist is not stored at all.
template <typename Store>
void forEachVisibleLevel(const cMapPolish& map, int32_t level, int32_t endLevel, Store store) {
    const auto count = static_cast<int64_t>(map.levels.size());
    if (level < 0 || level >= count)
        return;
    const auto visible = [&](int64_t l) { return l < count && (l == level || l <= endLevel); };
    for (int64_t l = level; visible(l); ++l)
        store(static_cast<int32_t>(l), !visible(l + 1));
}

// The address fields stay with an object's first-level copy only.
template <typename Record> void clearAddress(Record& object) {
    object.houseNumber = AddressTexts::none;
    object.streetDesc = AddressTexts::none;
    object.cityIdx = 0;
}

// Height levels index the points as read; other points cannot use them.
void simplifyForStore(mapPoly& poly, uint8_t bits, PolyKind kind) {
    const size_t pointsRead = poly.points.size();
    simplifyPointsForLevel(poly.points, bits, kind);
    if (poly.points.size() != pointsRead)
        poly.heightLevels.clear();
}

// Stores `object` at the end of `list`: moved there when this is its last copy
// and nothing reads it afterwards, copied otherwise.
template <typename Record> void store(std::vector<Record>& list, Record& object, bool moveIt) {
    if (moveIt)
        list.push_back(std::move(object));
    else
        list.push_back(object);
}

// A line without routing nodes and every polygon are stored simplified for
// the level: the object itself when it is moved into its last copy, a copy
// otherwise.
void storeSimplified(std::vector<mapPoly>& list, mapPoly& object, uint8_t bits, PolyKind kind,
                     bool moveIt) {
    if (moveIt) {
        simplifyForStore(object, bits, kind);
        list.push_back(std::move(object));
        return;
    }
    mapPoly copy = object;
    simplifyForStore(copy, bits, kind);
    list.push_back(std::move(copy));
}

} // namespace

void commitPoi(cMapPolish& map, mapPoi& poi, ObjectAfter after) {
    if (poi.pos.x == 0.0f || poi.pos.y == 0.0f)
        return;
    forEachVisibleLevel(map, poi.level, poi.endLevel, [&](int32_t l, bool last) {
        poi.level = l;
        store(map.levels[static_cast<size_t>(l)].pois, poi, last && after == ObjectAfter::unused);
        clearAddress(poi);
        poi.isCity = 0;
    });
}

void commitLine(cMapPolish& map, mapPoly& line, ObjectAfter after) {
    if (line.points.empty())
        return;
    forEachVisibleLevel(map, line.level, line.endLevel, [&](int32_t l, bool last) {
        mapLevel& level = map.levels[static_cast<size_t>(l)];
        line.level = l;
        const auto pointsRead = static_cast<uint32_t>(line.points.size());
        const bool moveIt = last && after == ObjectAfter::unused;
        // Routable lines keep their points on their first level: the node
        // references point at them by index.
        if (line.nodeRefs.empty())
            storeSimplified(level.lines, line, level.bits, PolyKind::polyline, moveIt);
        else
            store(level.lines, line, moveIt);
        level.linePoints += pointsRead;
        line.nodeRefs.clear();
        clearAddress(line);
    });
}

void commitPolygon(cMapPolish& map, mapPoly& polygon, ObjectAfter after) {
    if (polygon.points.empty())
        return;
    forEachVisibleLevel(map, polygon.level, polygon.endLevel, [&](int32_t l, bool last) {
        mapLevel& level = map.levels[static_cast<size_t>(l)];
        polygon.level = l;
        const auto pointsRead = static_cast<uint32_t>(polygon.points.size());
        storeSimplified(level.polygons, polygon, level.bits, PolyKind::polygon,
                        last && after == ObjectAfter::unused);
        level.polygonPoints += pointsRead;
        clearAddress(polygon);
    });
}

} // namespace zel
