// The merge phase over several maps: the example town, a map with address
// tables in code page 1251, and real maps of the shared corpus when it is
// there.
#include "format/zelfile.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zel {
namespace {

namespace fs = std::filesystem;

const fs::path sourceDir = MP2ZEL_SOURCE_DIR;

std::vector<fs::path> mergedMaps() {
    std::vector<fs::path> maps = {sourceDir / "examples/in/maps/brookfield.mp",
                                  sourceDir / "tests/golden/cases/address-codepage/in/maps/tver.mp",
                                  sourceDir / "tests/golden/cases/routing/in/maps/junction.mp"};
    const fs::path corpus = sourceDir / "../shared/corpus";
    for (const char* name :
         {"pl_lodz_zipcodes_numbers_cp1250.mp", "ve_58240_restrict_dictionary_cp1252.mp"}) {
        if (fs::exists(corpus / name))
            maps.push_back(corpus / name);
    }
    return maps;
}

// The bytes of a level's data: its blocks, routing and address data. None of
// them holds a file offset, so a level reads the same wherever it lies.
test::ByteVector levelData(const test::ByteVector& bytes, const format::Level& level) {
    const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(level.dataOffset);
    const auto end =
        bytes.begin() + static_cast<std::ptrdiff_t>(level.addressOffset + level.address.size);
    return test::ByteVector(begin, end);
}

// map.zel holds every level of every map in turn, each as when its map is
// compiled alone: the address tables are each map's own, not accumulated. Its
// one character block covers the labels of all of them.
TEST(MergePhase, EachMapKeepsItsOwnLevelsAndTheCharactersAccumulate) {
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    std::vector<fs::path> maps = mergedMaps();
    for (const fs::path& map : maps) {
        fs::copy_file(map, dir / "in" / map.filename());
        fs::copy_file(map, dir / "in/maps" / map.filename());
    }
    std::sort(maps.begin(), maps.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    ASSERT_EQ(test::runProgram(MP2ZEL_EXE, dir.path(), {}).exitCode, 0);

    const test::ByteVector mergedBytes = test::readFile(dir / "map.zel");
    const format::ZelFile merged = format::readZel(mergedBytes);
    EXPECT_TRUE(merged.valid());
    std::u16string allChars;
    size_t next = 0;
    size_t withAddresses = 0;
    for (const fs::path& map : maps) {
        SCOPED_TRACE(map.filename().string());
        const fs::path zel = dir / map.filename().replace_extension(".zel");
        const test::ByteVector bytes = test::readFile(zel);
        const format::ZelFile alone = format::readZel(bytes);
        ASSERT_TRUE(alone.valid());
        for (const format::Level& level : alone.levels) {
            ASSERT_LT(next, merged.levels.size());
            const format::Level& same = merged.levels[next++];
            EXPECT_EQ(same.index, level.index);
            EXPECT_EQ(same.bits, level.bits);
            EXPECT_EQ(levelData(mergedBytes, same), levelData(bytes, level));
        }
        withAddresses += alone.levels.at(0).address.cities.empty() ? 0 : 1;
        allChars += alone.chars;
    }
    EXPECT_EQ(next, merged.levels.size());
    EXPECT_GE(withAddresses, 2u);
    std::sort(allChars.begin(), allChars.end());
    allChars.erase(std::unique(allChars.begin(), allChars.end()), allChars.end());
    EXPECT_EQ(merged.chars, allChars);
}

} // namespace
} // namespace zel
