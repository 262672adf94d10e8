#include "reader/load.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

const std::string levels = "[IMG ID]\nLevels=3\nLevel0=24\nLevel1=22\n[END-IMG ID]\n";
const std::string header = levels + "[POI]\n";

void loadBytes(cMapPolish& map, const std::string& bytes) {
    test::TempDir dir;
    test::writeText(dir / "map.mp", bytes);
    platform::ConsoleCapture quiet;
    EXPECT_TRUE(load(map, platform::fromSystemName((dir / "map.mp").string())));
}

// Text after the last line end is not a line, so the object stays open.
TEST(Load, LineEndsOfEveryKindAndTheLastLineWithoutOne) {
    const std::vector<std::pair<std::string, size_t>> cases = {
        {header + "Type=1\nData0=(1,1)\n[END]\n", 1},
        {header + "Type=1\r\nData0=(1,1)\r\n[END]\r\n", 1},
        {header + "Type=1\rData0=(1,1)\r[END]\r", 1},
        {header + "\n\n\r\nType=1\n\nData0=(1,1)\n[END]\n\n", 1},
        {header + "Type=1\nData0=(1,1)\n[END]", 0},
        {"", 0},
    };
    for (const auto& [bytes, pois] : cases) {
        cMapPolish map;
        loadBytes(map, bytes);
        EXPECT_EQ(map.levels[0].pois.size(), pois) << bytes;
    }
}

TEST(Load, NulBytesEndTheirLineAndLongLinesAreRead) {
    cMapPolish map;
    std::string nul = header + "Label=ab" + std::string(1, '\0') + "cd\nData0=(1,1)\n";
    loadBytes(map, nul + std::string(100, '\0') + "\n[END]\n");
    ASSERT_EQ(map.levels[0].pois.size(), 1u);
    EXPECT_EQ(map.levels[0].pois[0].label, u"ab");

    std::string data = "Data0=";
    for (int i = 0; i < 200000; ++i)
        data += "(45." + std::to_string(100000 + i) + ",12.654321),";
    cMapPolish big;
    loadBytes(big, levels + "[POLYLINE]\nLabel=" + std::string(3000000, 'x') + "\n" + data +
                       "\nNod1=0,1,0\n[END]\n");
    ASSERT_EQ(big.levels[0].lines.size(), 1u);
    EXPECT_EQ(big.levels[0].lines[0].points.size(), 200000u);
    EXPECT_EQ(big.levels[0].lines[0].label.size(), 3000000u);
}

} // namespace
} // namespace zel
