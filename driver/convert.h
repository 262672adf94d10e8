// The per-map pipeline: load a map into the writer object, then tile every
// level that holds objects.
#pragma once

#include <string>

namespace zel {

class cMapZEL;

// Loads and converts the map at `path` into `writer`; false when the map
// cannot be read.
bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale);

} // namespace zel
