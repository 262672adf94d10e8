// The steps for one map, in their order: read it into the writer object's
// model, complete the model with the passes, then choose each non-empty
// level's scale and tile it into side files.
#pragma once

#include <string>

namespace zel {

class cMapZEL;
struct mapLevel;
struct ScaleRow;

// Loads and converts the map at `path` into `writer`; false when the map
// cannot be read.
bool processMap(cMapZEL& writer, const std::u16string& path, bool autoScale);

// The two halves of processMap, for callers that look at the completed model
// before tiling it (the fuzzing harness skips maps of millions of squares).
bool readAndComplete(cMapZEL& writer, const std::u16string& path);
void tileLevels(cMapZEL& writer, const std::u16string& path, bool autoScale);

// The scale a level is tiled at.
const ScaleRow& levelScale(const mapLevel& level, bool autoScale);
bool isEmpty(const mapLevel& level);

} // namespace zel
