#include "driver/driver.h"

#include "driver/convert.h"
#include "driver/maplist.h"
#include "driver/messages.h"
#include "driver/options.h"
#include "driver/sidebyside.h"
#include "platform/ascii.h"
#include "platform/console.h"
#include "platform/files.h"
#include "writer/mainfile.h"
#include "writer/mapzel.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <unordered_map>
#include <utility>

namespace zel {
namespace {

using platform::lowerAscii;

constexpr uint32_t exitDone = 0;
constexpr uint32_t exitNoOutputFolder = 1;
constexpr uint32_t exitBadOption = 1;

// Shares of one run started side by side (-s) all find the folder missing and
// all try to create it: one that loses the race finds it made by another,
// which is as good as making it.
bool ensureOutputFolder(const DriverState& state) {
    if (state.outputFolder.empty() || isDirectory(state.outputFolder))
        return true;
    return platform::makeDirectory(state.outputFolder) || isDirectory(state.outputFolder);
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

// The model of a run's last map is not freed: freeing a large map block by
// block takes about a tenth of its run, just before the process ends and the
// system takes all of its memory back at once. The pointer keeps the model
// reachable, as it is; a later run in the same process (as in the tests)
// frees the one kept before.
void keepUntilExit(std::unique_ptr<cMapZEL> writer) {
    static cMapZEL* kept = nullptr;
    delete std::exchange(kept, writer.release());
}

enum class LastMap { freed, keptUntilExit };

void convertOneMap(const DriverState& state, const MapList& list, size_t i, uint32_t percent,
                   LastMap last = LastMap::freed) {
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
    if (last == LastMap::keptUntilExit)
        keepUntilExit(std::move(writer));
}

void perMapPhase(const DriverState& state) {
    MapList list{state.inputFolder, {}};
    const uint32_t counted = countMapFiles(state.inputFolder);
    list.scan();
    runPerMapPhase(state, list, counted);
}

// The maps of this run's share: every shareCount-th one of the sorted list.
MapList shareOf(const MapList& list, const DriverState& state) {
    MapList share{list.folder, {}};
    for (size_t i = state.shareIndex - 1; i < list.names.size(); i += state.shareCount)
        share.names.push_back(list.names[i]);
    return share;
}

// How many of the first `counted` positions fall in this run's share.
uint32_t shareOfCount(uint32_t counted, const DriverState& state) {
    const uint32_t rest = counted % state.shareCount >= state.shareIndex ? 1 : 0;
    return counted / state.shareCount + rest;
}

size_t threadCount(uint32_t jobs, size_t maps) {
    size_t threads = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    return std::min(threads, maps);
}

// For each map, the last earlier map with the same output name (ASCII case
// ignored, as some file systems do): it must be finished first, so that the
// later map's file wins as it does when the maps are compiled in turn.
std::vector<size_t> sameOutputBefore(const DriverState& state, const MapList& list) {
    std::vector<size_t> predecessor(list.names.size(), noPredecessor);
    std::unordered_map<std::u16string, size_t> lastWriter;
    for (size_t i = 0; i < list.names.size(); ++i) {
        std::u16string key = outputName(state.outputFolder, list.name(i));
        for (char16_t& c : key)
            c = lowerAscii(c);
        auto [entry, added] = lastWriter.try_emplace(std::move(key), i);
        if (!added) {
            predecessor[i] = entry->second;
            entry->second = i;
        }
    }
    return predecessor;
}

} // namespace

void runPerMapPhase(const DriverState& state, const MapList& list, uint32_t counted) {
    const MapList share = shareOf(list, state);
    // A map added between the count and the listing must not make the
    // percentage divide by zero or pass 100.
    const uint32_t count =
        std::max(shareOfCount(counted, state), static_cast<uint32_t>(share.names.size()));
    const auto percent = [&](size_t i) { return static_cast<uint32_t>(i) * 100 / count; };
    const size_t threads = threadCount(state.jobs, share.names.size());
    if (threads <= 1) {
        for (size_t i = 0; i < share.names.size(); ++i) {
            const bool last = i + 1 == share.names.size();
            convertOneMap(state, share, i, percent(i),
                          last ? LastMap::keptUntilExit : LastMap::freed);
        }
    } else {
        const auto convert = [&](size_t i) { convertOneMap(state, share, i, percent(i)); };
        runSideBySide(share.names.size(), threads, sameOutputBefore(state, share), convert);
    }
    if (!share.names.empty())
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
    if (state.showUsage || state.showVersion) {
        platform::printWide(state.showUsage ? driverMessages::usage() : driverMessages::version());
        platform::flushConsole();
        return exitDone;
    }
    if (!state.badArgument.empty()) {
        platform::printWide(driverMessages::badOptionValue(state.badArgument));
        platform::flushConsole();
        return exitBadOption;
    }
    if (!ensureOutputFolder(state))
        return exitNoOutputFolder;
    // The shares of one run together write what one whole run writes: the
    // merged map once, by the first share.
    if (state.shareIndex == 1)
        mergePhase(state);
    perMapPhase(state);
    platform::flushConsole();
    return exitDone;
}

} // namespace zel
