// The main map file (".zel"): header, character block, level directory and
// the data of every tiled level, merged from the levels' side files.
#pragma once

#include "writer/mapzel.h"

#include <cstdint>
#include <string>

namespace zel {

// Writes `path` from the side files recorded in `writer.sideFiles` and deletes
// them. The file is written under a temporary name beside `path` and renamed
// only when complete, so a failure never leaves a truncated map behind; on
// failure the remaining side files are removed too and false is returned.
bool writeMainFile(const cMapZEL& writer, const std::u16string& path);

} // namespace zel
