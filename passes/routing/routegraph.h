// The routing graph of a map: the node references and road identifiers of the
// first level's lines become dense node and road indices, each node gets its
// sorted list of outgoing arcs with lengths in metres, each road its route
// parameters and each boundary node its position.
#pragma once

#include "model/mappolish.h"
#include "model/routeinfo.h"

#include <cstdint>
#include <vector>

namespace zel {

// The whole step, on a freshly cleared routing object: collects the
// identifiers ("RouteInfo"), replaces them by indices in the lines, the
// restrictions and the temporary restrictions ("ReIndexes"), then builds
// arcs, road parameters and boundary positions ("Creating adjustment").
// Without any node reference it prints "RouteInfo is absent" and leaves
// everything as read. A map without levels has no first level to route on:
// nothing happens and nothing is printed.
void buildRouteInfo(cMapPolish& map);

// The arcs between consecutive node references of one re-indexed line, in
// stored order; both ways unless the line is one-way, toll or carries a
// direction indicator.
void buildLineArcs(cMapPolish& map, const mapPoly& line);

// Metres along the line between two point indices, whichever comes first;
// false when either index is not a point of the line.
bool lineLength(const mapPoly& line, uint16_t from, uint16_t to, float& metres);

// Great-circle distance in metres (law of cosines on a sphere of radius
// 6370000 m).
float sphereDistance(mapPoint a, mapPoint b);

// Inserts the arc at its place in (target, road) order; an arc with the same
// target and road already there keeps its length and the new one is dropped.
void addArc(std::vector<mapArc>& arcs, const mapArc& arc);

} // namespace zel
