// Reading a Polish map file into the model.
#pragma once

#include "model/mappolish.h"

#include <string>

namespace zel {

// Reads the map at `path` into `map` (which the caller has reset), showing the
// "Reading file" progress. False, with nothing printed and the model unchanged, when the file
// cannot be opened.
bool load(cMapPolish& map, const std::u16string& path);

} // namespace zel
