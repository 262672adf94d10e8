#include "reader/load.h"

#include "driver/progress.h"
#include "platform/files.h"
#include "reader/addressinfo.h"
#include "reader/parser.h"
#include "routing/adjustments.h"
#include "routing/analysis.h"
#include "routing/heights.h"
#include "routing/restrictions.h"
#include "routing/routegraph.h"

#include <algorithm>
#include <array>
#include <string>

namespace zel {
namespace {

constexpr size_t readChunkSize = 1 << 16;
// Each level stands for this many height units.
constexpr float heightScale = 32.0f;

// Splits the file into lines at CR and LF; blank lines (and the LF of CR LF)
// are skipped, and text after the last line end is not a line.
void readLines(cMapPolish& map, platform::File& file, cProgress& progress) {
    std::array<char, readChunkSize> chunk{};
    std::string line;
    while (size_t got = file.read(chunk.data(), chunk.size())) {
        for (size_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            progress.tick();
            if (c != '\n' && c != '\r') {
                line.push_back(c);
            } else if (!line.empty()) {
                parseLine(map, line);
                line.clear();
            }
        }
    }
}

void runPasses(cMapPolish& map) {
    countObjects(map);
    computeHeights(map, heightScale);
    analyzeLevels(map);
    buildRouteInfo(map);
    sortLevels(map);
    buildAddressInfo(map);
    checkRestrictions(map);
    applyRestrictions(map);
    roadWeights(map.routeInfo);
    externNodeAdjustments(map.routeInfo);
}

} // namespace

bool load(cMapPolish& map, const std::u16string& path) {
    platform::File file;
    if (!file.open(path, platform::File::Mode::read))
        return false;
    const int64_t length = std::max<int64_t>(file.size(), 0);
    cProgress progress;
    progress.start("Reading file", static_cast<uint32_t>(std::min<int64_t>(length, UINT32_MAX)));
    readLines(map, file, progress);
    progress.finish();
    runPasses(map);
    return true;
}

} // namespace zel
