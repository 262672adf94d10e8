// Everything the batch driver prints, in one place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel::driverMessages {

std::u16string processedMaps(uint32_t percent, std::u16string_view mapPath);
std::u16string cantOpenFile(std::u16string_view mapPath);
std::u16string cantCreateFile(std::u16string_view outputName);
// The working folder is shown only when no output folder was given, since the
// output name is then relative to it.
std::u16string mapSaved(std::u16string_view currentFolder, std::u16string_view outputName);
std::u16string processedFiles(uint32_t count);
std::u16string reading(std::u16string_view mapPath);
// What -h prints: the options, the folders, the exit codes.
std::u16string usage();
// What -v prints: "mp2zel X.Y.Z".
std::u16string version();
// An option whose value cannot be read; the run stops before compiling.
std::u16string badOptionValue(std::u16string_view argument);

} // namespace zel::driverMessages
