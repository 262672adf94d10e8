// The main map file (".zel"): header, character block, level directory and
// the data of every tiled level, merged from the levels' side files.
#pragma once

#include "writer/mapzel.h"

#include <cstdint>
#include <string>

namespace zel {

namespace mainFile {
constexpr uint32_t headerSize = 456;
constexpr uint32_t charBlockOffset = 456;
constexpr uint32_t charHeaderSize = 8;
constexpr uint32_t indexHeaderSize = 40;
constexpr uint32_t indexEntrySize = 8;
constexpr uint32_t crcOffset = 4;
constexpr uint32_t bannerOffset = 78;
constexpr uint32_t bannerSize = 56;
constexpr uint32_t levelCountOffset = 444;
constexpr uint32_t directoryOffsetField = 448;
constexpr uint32_t charOffsetField = 452;
// The 16-bit byte length of the character block holds at most this many units.
constexpr size_t maxChars = 32767;
} // namespace mainFile

// Writes `path` from the side files recorded in `writer.sideFiles` and deletes
// them. The file is written under a temporary name beside `path` and renamed
// only when complete, so a failure never leaves a truncated map behind; on
// failure the remaining side files are removed too and false is returned.
// `writer.labelChars` ends up holding the merged character set.
bool writeMainFile(cMapZEL& writer, const std::u16string& path);

} // namespace zel
