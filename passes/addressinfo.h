// The address index of a map: the street names and the addressable objects
// (city points, houses, streets) built from the address fields that the
// first-level copy of each object carries.
#pragma once

#include "model/mappolish.h"

namespace zel {

// "Address info": fills `streetNames` (normalised, sorted, each once) and
// `adrObjects` (sorted by adrObjectBefore), and adds the units of every name
// to `labelChars`. The objects' house numbers and street names, taken over by
// the index, are cleared. Runs after sorting, once per map read into a reset
// model.
void buildAddressInfo(cMapPolish& map);

// The order of the address objects: by city (unsigned), then by kind class
// (kind & 3); city points before house points, city points by name; streets
// by street; houses by street, then shorter numbers first, then by name.
bool adrObjectBefore(const mapAdrObject& a, const mapAdrObject& b);

} // namespace zel
