#include "reader/model.h"

namespace zel {

mapBox boundingBox(const std::vector<mapPoint>& points) {
    mapBox box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (size_t i = 1; i < points.size(); ++i) {
        const mapPoint& p = points[i];
        if (p.x < box.minX)
            box.minX = p.x;
        else if (p.x > box.maxX)
            box.maxX = p.x;
        if (p.y < box.minY)
            box.minY = p.y;
        else if (p.y > box.maxY)
            box.maxY = p.y;
    }
    return box;
}

cMapPolish::cMapPolish() : labelChars(u",-.") {
    reset();
}

void cMapPolish::reset() {
    section = sectionNone;
    codePage = defaultCodePage;
    poiCount = lineCount = polygonCount = 0;
    curPoi = mapPoi{};
    curLine = mapPoly{};
    curPolygon = mapPoly{};
    pendingRestriction = mapRestriction{};
    levels.assign(1, mapLevel{});
    restrictions.clear();
    tempRestrictions.clear();
    routeInfo.clear();
    countries.clear();
    regions.clear();
    cities.clear();
    adrObjects.clear();
    streetNames.clear();
}

} // namespace zel
