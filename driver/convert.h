// The steps for one map, in their order: read it into the writer object's
// model, complete the model with the passes, then choose each non-empty
// level's scale and tile it into side files.
#pragma once

#include <string>

namespace zel {

class cMapZEL;

// Loads and converts the map at `path` into `writer`; false when the map
// cannot be read.
bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale);

} // namespace zel
