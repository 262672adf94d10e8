#include "reader/model.h"

namespace zel {

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
