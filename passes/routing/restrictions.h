// Turn restrictions: each forbids arriving at a via node from one neighbour
// on one road and leaving it towards another neighbour on another road. A
// restriction is first checked against the graph as it was built, then
// applied by expanding its via node into gate and arrival nodes (see
// passes/routing/adjustments.h) and deleting the one turn arc it forbids.
#pragma once

#include "model/mappolish.h"
#include "model/routeinfo.h"

#include <cstdint>

namespace zel {

// Whether node u has an arc on `road` to node v. False for a node index that
// is not in the graph.
bool hasArc(const cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t v);

// Erases the first arc of u's list with that road and target; false when
// there is none (or u is not in the graph).
bool removeArc(cRouteInfo& routeInfo, uint32_t u, uint32_t road, uint32_t v);

// Whether the graph has the arc node1→node2 on road1 and node2→node3 on road2.
bool checkRestriction(const cRouteInfo& routeInfo, const mapRestriction& restriction);

// Expands the via node if it is not yet and removes the forbidden turn arc.
// Changes nothing when the graph is empty, the via node has no replacement
// set, or the turn is not (or no longer) there.
void applyRestriction(cRouteInfo& routeInfo, const mapRestriction& restriction);

// The check over all restrictions, before any is applied, so that each is
// judged by the unexpanded graph: those that do not match are removed. Prints
// nothing. A map without a routing graph loses all its restrictions.
void checkRestrictions(cMapPolish& map);

// "Restrictions": applies every restriction left by the check, in order.
void applyRestrictions(cMapPolish& map);

} // namespace zel
