#include "passes/run.h"

#include "passes/addressinfo.h"
#include "passes/analysis.h"
#include "passes/heights.h"
#include "passes/routing/adjustments.h"
#include "passes/routing/restrictions.h"
#include "passes/routing/routegraph.h"
#include "passes/sorting.h"

namespace zel {
namespace {

// Each height level of a map stands for this many height units.
constexpr float heightScale = 32.0f;

} // namespace

void runPasses(cMapPolish& map) {
    countObjects(map);
    computeHeights(map, heightScale);
    analyzeLevels(map);
    buildRouteInfo(map);
    sortLevels(map);
    buildAddressInfo(map);
    checkRestrictions(map);
    applyRestrictions(map);
    roadWeights(map.routeInfo);
    externNodeAdjustments(map.routeInfo);
}

} // namespace zel
