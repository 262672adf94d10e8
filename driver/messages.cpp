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

std::u16string badOptionValue(std::u16string_view argument) {
    return concat({u"Bad option value: ", argument,
                   u"\n  -jN: compile N maps at the same time (-j or -j0: one per core)\n"
                   u"  -sK/N: compile share K of N (1 <= K <= N) of the maps\n"});
}

} // namespace zel::driverMessages
