#include "driver/driver.h"

#include "driver/convert.h"
#include "driver/maplist.h"
#include "driver/messages.h"
#include "driver/options.h"
#include "platform/ascii.h"
#include "platform/console.h"
#include "platform/files.h"
#include "writer/mainfile.h"
#include "writer/mapzel.h"

#include <algorithm>
#include <memory>

namespace zel {
namespace {

using platform::lowerAscii;

constexpr uint32_t exitDone = 0;
constexpr uint32_t exitNoOutputFolder = 1;

bool ensureOutputFolder(const DriverState& state) {
    if (state.outputFolder.empty() || isDirectory(state.outputFolder))
        return true;
    return platform::makeDirectory(state.outputFolder);
}

// Every map of "in/" goes into one writer object and one "map.zel" in the
// working folder.
void mergePhase(const DriverState& state) {
    MapList list{u"in/", {}};
    list.scan();
    if (list.names.empty())
        return;
    auto writer = std::make_unique<cMapZEL>();
    for (size_t i = 0; i < list.names.size(); ++i)
        processMap(*writer, list.fullPath(i), state.autoScale);
    writeMainFile(*writer, u"map.zel");
}

void convertOneMap(const DriverState& state, const MapList& list, size_t i, uint32_t percent) {
    auto writer = std::make_unique<cMapZEL>();
    const std::u16string mapPath = list.fullPath(i);
    platform::printWide(driverMessages::processedMaps(percent, mapPath));
    if (!processMap(*writer, mapPath, state.autoScale)) {
        platform::printWide(driverMessages::cantOpenFile(mapPath));
    } else {
        const std::u16string output = outputName(state.outputFolder, list.name(i));
        if (!writeMainFile(*writer, output)) {
            platform::printWide(driverMessages::cantCreateFile(output));
        } else {
            const std::u16string_view shownFolder =
                state.outputFolder.empty() ? std::u16string_view(state.currentFolder) : u"";
            platform::printWide(driverMessages::mapSaved(shownFolder, output));
        }
    }
    platform::flushConsole();
}

void perMapPhase(const DriverState& state) {
    MapList list{state.inputFolder, {}};
    const uint32_t counted = countMapFiles(state.inputFolder);
    list.scan();
    runPerMapPhase(state, list, counted);
}

} // namespace

void runPerMapPhase(const DriverState& state, const MapList& list, uint32_t counted) {
    // A map added between the count and the listing must not make the
    // percentage divide by zero or pass 100.
    const uint32_t count = std::max(counted, static_cast<uint32_t>(list.names.size()));
    uint32_t progress = 0;
    for (size_t i = 0; i < list.names.size(); ++i) {
        convertOneMap(state, list, i, progress / count);
        progress += 100;
    }
    if (!list.names.empty())
        platform::printWide(driverMessages::processedFiles(count));
}

std::u16string outputName(const std::u16string& outputFolder, const std::u16string& mapName) {
    std::u16string name = mapName;
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] == u'.' && i + 2 < name.size() && lowerAscii(name[i + 1]) == u'm' &&
            lowerAscii(name[i + 2]) == u'p') {
            name.replace(i, std::min<size_t>(4, name.size() - i), u".zel");
            break;
        }
    }
    return outputFolder + name;
}

int runDriver(const std::vector<std::u16string>& arguments) {
    DriverState state;
    state.currentFolder = platform::workingDirectory() + u"/";
    for (size_t i = 1; i < arguments.size(); ++i)
        handleArgument(state, arguments[i]);
    if (!ensureOutputFolder(state))
        return exitNoOutputFolder;
    mergePhase(state);
    perMapPhase(state);
    platform::flushConsole();
    return exitDone;
}

} // namespace zel
