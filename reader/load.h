// Reading a Polish map file into the model and completing it with the passes
// that prepare it for the writer.
#pragma once

#include "reader/model.h"

#include <string>

namespace zel {

// Reads the map at `path` into `map` (which the caller has reset) and runs the
// passes. False, with nothing printed and the model unchanged, when the file
// cannot be opened.
bool load(cMapPolish& map, const std::u16string& path);

} // namespace zel
