#include "driver/messages.h"

#include "platform/utf.h"

namespace zel::driverMessages {
namespace {

// Counts are shown the way a signed 32-bit "%d" shows them.
std::u16string decimal(uint32_t value) {
    return platform::fromAscii(std::to_string(static_cast<int32_t>(value)));
}

std::u16string concat(std::initializer_list<std::u16string_view> parts) {
    std::u16string text;
    for (std::u16string_view part : parts)
        text.append(part);
    return text;
}

} // namespace

std::u16string processedMaps(uint32_t percent, std::u16string_view mapPath) {
    return concat({u"\n\nProcessed maps: ", decimal(percent), u"%, current map: ", mapPath, u"\n"});
}

std::u16string cantOpenFile(std::u16string_view mapPath) {
    return concat({u"Can't open file: ", mapPath, u"\n"});
}

std::u16string cantCreateFile(std::u16string_view outputName) {
    return concat({u"can't create file: ", outputName, u"\n"});
}

std::u16string mapSaved(std::u16string_view currentFolder, std::u16string_view outputName) {
    return concat({u"map was saved to file: ", currentFolder, outputName, u"\n"});
}

std::u16string processedFiles(uint32_t count) {
    return concat({u"\n\nProcessed files: ", decimal(count), u"\n"});
}

std::u16string reading(std::u16string_view mapPath) {
    return concat({u"Reading ", mapPath, u"...\n"});
}

std::u16string usage() {
    return u"usage: mp2zel [-a] [-d[folder]] [-o[folder]] [-jN] [-sK/N]\n"
           u"Compiles Polish maps (*.mp) into .zel files, in two phases:\n"
           u"  every map of in/ into map.zel in the working folder, then\n"
           u"  every map of the input folder (in/maps/) into a .zel file of its own.\n"
           u"  -a          choose each level's scale from the density of its points\n"
           u"  -d[folder]  take the maps of the second phase from folder\n"
           u"  -o[folder]  write the second phase's files into folder (default: here)\n"
           u"  -jN         compile N maps at the same time (-j: one per core)\n"
           u"  -sK/N       compile share K of N of the second phase (share 1 also the first)\n"
           u"  -h, -?      show this text;  -v  show the version\n"
           u"Exit status: 0 the run completed (also when single maps failed),\n"
           u"1 the output folder cannot be created or an option value is wrong.\n"
           u"More in the manual: man mp2zel\n";
}

std::u16string version() {
    return u"mp2zel " + platform::fromAscii(MP2ZEL_VERSION) + u"\n";
}

std::u16string badOptionValue(std::u16string_view argument) {
    return concat({u"Bad option value: ", argument,
                   u"\n  -jN: compile N maps at the same time (-j or -j0: one per core)\n"
                   u"  -sK/N: compile share K of N (1 <= K <= N) of the maps\n"});
}

} // namespace zel::driverMessages
