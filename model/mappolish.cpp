#include "model/mappolish.h"

namespace zel {

cMapPolish::cMapPolish() : labelChars(u",-.") {
    reset();
}

void cMapPolish::reset() {
    poiCount = lineCount = polygonCount = 0;
    levels.assign(1, mapLevel{});
    restrictions.clear();
    tempRestrictions.clear();
    routeInfo.clear();
    countries.clear();
    regions.clear();
    cities.clear();
    adrObjects.clear();
    streetNames.clear();
    addressTexts.release();
}

} // namespace zel
