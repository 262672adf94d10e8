// The list values of map keys: coordinate groups, node entries, height levels,
// comma-separated integers and route parameters.
#pragma once

#include "model/mappolish.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zel {

// The first `count` comma-separated integers of `text`; missing ones are 0.
template <size_t count> std::array<int32_t, count> commaIntegers(std::string_view text);

// A coordinate group "(lat,lon)" starting at `open`, with its "," and ")".
// Nothing when the numbers are not finite or lie outside latitude -90..90 and
// longitude -720..720: such a point could not be converted to map units later.
std::optional<mapPoint> coordinateGroup(std::string_view text, size_t open, size_t comma);

// Appends the points of a "Data" value: "(lat,lon),(lat,lon),...".
void appendCoordinates(std::string_view value, std::vector<mapPoint>& points);

// The position of a point of interest: its value's first group only.
std::optional<mapPoint> firstCoordinate(std::string_view value);

// One node entry "point,node,boundary" (a "Nod" value, or one group of "Nodes").
mapNodeRef nodeEntry(std::string_view text);

// Appends the groups "(point,node,boundary)" of a "Nodes" value.
void appendNodeList(std::string_view value, std::vector<mapNodeRef>& nodeRefs);

// Enters the groups "(point,level)" of an "HLevel" value.
void enterHeightLevels(std::string_view value, std::map<int32_t, int32_t>& heightLevels);

// Applies a "RouteParam" value to a polyline.
void applyRouteParams(std::string_view value, mapPoly& line);

} // namespace zel
