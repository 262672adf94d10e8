// Reads every real map of the shared corpus (when it is there) and compares
// what the reader stored with a count made here, line by line, independently
// of the reader's own code.
#include "format/zelfile.h"
#include "passes/run.h"
#include "platform/console.h"
#include "platform/utf.h"
#include "reader/load.h"
#include "reader/parser.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace zel {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return text;
}

std::vector<std::string> splitLines(const test::ByteVector& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : bytes) {
        if (b == '\n' || b == '\r') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    return lines;
}

// What a map file should give, counted from its text.
struct Expected {
    size_t levels = 1;
    size_t countries = 0, regions = 0, cities = 0, restrictions = 0;
    size_t pois = 0, lines = 0, polygons = 0;
};

struct ObjectState {
    int kind = 0; // 1 POI, 2 line, 3 polygon
    long level = -1;
    long endLevel = -1;
    bool hasData = false;
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The number of copies an object gets: its own level up to its end level.
size_t copies(const ObjectState& o, size_t levels) {
    if (!o.hasData || o.level < 0 || o.level >= static_cast<long>(levels))
        return 0;
    const long last = std::min<long>(std::max(o.endLevel, o.level), static_cast<long>(levels) - 1);
    return static_cast<size_t>(last - o.level + 1);
}

Expected countFromText(const std::vector<std::string>& lines) {
    Expected e;
    std::string section;
    ObjectState object;
    auto store = [&] {
        size_t& total = object.kind == 1 ? e.pois : object.kind == 2 ? e.lines : e.polygons;
        total += copies(object, e.levels);
    };
    for (const std::string& raw : lines) {
        const std::string line = lower(raw);
        if (line.size() < 32 && line.front() == '[') {
            if (line == "[end]" && object.kind != 0)
                store();
            if (line == "[end-restrict]" && section == "[restrict]")
                ++e.restrictions;
            section = line;
            object = ObjectState{};
            object.kind = line == "[poi]"        ? 1
                          : line == "[polyline]" ? 2
                          : line == "[polygon]"  ? 3
                                                 : 0;
            continue;
        }
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : raw.substr(eq + 1);
        if (section == "[img id]" && key == "levels")
            e.levels = std::max(1L, std::stol(value) - 1);
        else if (section == "[countries]" && startsWith(key, "country"))
            ++e.countries;
        else if (section == "[regions]" && startsWith(key, "region"))
            ++e.regions;
        else if (section == "[cities]" && startsWith(key, "city"))
            ++e.cities;
        else if (object.kind != 0 && key == "endlevel")
            object.endLevel = std::stol(value);
        else if (object.kind != 0 && startsWith(key, "data") &&
                 value.find('(') != std::string::npos) {
            if (object.hasData)
                store();
            object.level = std::stol(key.substr(4));
            object.hasData = true;
        }
    }
    return e;
}

std::vector<fs::path> corpusMaps() {
    std::vector<fs::path> maps;
    const fs::path dir = MP2ZEL_CORPUS_DIR;
    if (!fs::is_directory(dir))
        return maps;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".mp")
            maps.push_back(entry.path());
    }
    std::sort(maps.begin(), maps.end());
    return maps;
}

TEST(Corpus, EveryRealMapIsReadCompletely) {
    const std::vector<fs::path> maps = corpusMaps();
    if (maps.empty())
        GTEST_SKIP() << "no corpus at " << MP2ZEL_CORPUS_DIR;
    for (const fs::path& path : maps) {
        SCOPED_TRACE(path.filename().string());
        const Expected expected = countFromText(splitLines(test::readFile(path)));
        cMapPolish map;
        platform::ConsoleCapture console;
        ASSERT_TRUE(load(map, platform::fromSystemName(path.string())));
        runPasses(map);
        EXPECT_EQ(map.levels.size(), expected.levels);
        EXPECT_EQ(map.countries.size(), expected.countries);
        EXPECT_EQ(map.regions.size(), expected.regions);
        EXPECT_EQ(map.cities.size(), expected.cities);
        // Restrictions that do not match the routing graph are dropped after
        // reading; as read, every one is there.
        EXPECT_LE(map.restrictions.size(), expected.restrictions);
        cMapPolish parsed;
        PolishParser parser(parsed);
        const std::vector<std::string> lines = splitLines(test::readFile(path));
        for (const std::string& line : lines)
            parser.parseLine(line);
        EXPECT_EQ(parsed.restrictions.size(), expected.restrictions);
        EXPECT_EQ(map.poiCount, expected.pois);
        EXPECT_EQ(map.lineCount, expected.lines);
        EXPECT_EQ(map.polygonCount, expected.polygons);
        EXPECT_GT(map.poiCount + map.lineCount + map.polygonCount, 0u);
        EXPECT_NE(console.text().find("Reading file: Done"), std::string::npos);
    }
}

// Every real map compiles, and what comes out reads back as a valid file.
TEST(Corpus, EveryRealMapCompilesToAValidFile) {
    const std::vector<fs::path> maps = corpusMaps();
    if (maps.empty())
        GTEST_SKIP() << "no corpus at " << MP2ZEL_CORPUS_DIR;
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    for (const fs::path& path : maps)
        fs::copy_file(path, dir / "in/maps" / path.filename());
    const test::RunResult run = test::runProgram(MP2ZEL_EXE, dir.path(), {});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    for (const fs::path& path : maps) {
        SCOPED_TRACE(path.filename().string());
        const fs::path zel = dir / path.filename().replace_extension(".zel");
        const format::ZelFile file = format::readZel(test::readFile(zel));
        for (const format::Problem& problem : file.problems)
            ADD_FAILURE() << problem.offset << ": " << problem.what;
        EXPECT_FALSE(file.levels.empty());
    }
    // No side file is left behind.
    EXPECT_EQ(test::listNames(dir / "in/maps").size(), maps.size());
}

} // namespace
} // namespace zel
