// The in-memory form of one map read from a Polish map file. Every object is
// kept once per zoom level it is visible on, already simplified for that level.
#pragma once

#include "model/addresstexts.h"
#include "model/adritems.h"
#include "model/labelchars.h"
#include "model/records.h"
#include "model/routeinfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

class cMapPolish {
public:
    cMapPolish();
    // A whole map is never copied by accident.
    cMapPolish(const cMapPolish&) = delete;
    cMapPolish& operator=(const cMapPolish&) = delete;

    // Prepares the model for the next map. Everything read from a map is
    // cleared, the address tables too (each map's address index holds that
    // map's data only); the label characters keep accumulating, since the
    // character block of a merged file must cover every map in it.
    void reset();

    std::vector<mapAdrItem> countries;
    std::vector<mapAdrItem> regions;
    std::vector<cCityInfo> cities;
    std::vector<mapAdrObject> adrObjects;
    std::vector<mapStrItem> streetNames;
    cRouteInfo routeInfo;
    std::vector<mapRestriction> restrictions;
    // Same shape as restrictions; no input section fills it.
    std::vector<mapRestriction> tempRestrictions;
    std::vector<mapLevel> levels;
    // The house numbers and street descriptions the records refer to; empty
    // once the address index is built.
    AddressTexts addressTexts;
    uint32_t poiCount = 0;
    uint32_t lineCount = 0;
    uint32_t polygonCount = 0;
    // Every UTF-16 unit used in a label.
    LabelChars labelChars;
};

} // namespace zel
