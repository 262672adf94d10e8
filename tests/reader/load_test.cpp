#include "reader/load.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

class Load : public testing::Test {
protected:
    bool loadBytes(const std::string& bytes) {
        test::writeText(dir / "map.mp", bytes);
        platform::ConsoleCapture capture;
        map.reset();
        const bool ok = load(map, platform::fromSystemName((dir / "map.mp").string()));
        console = capture.text();
        return ok;
    }

    test::TempDir dir;
    cMapPolish map;
    std::string console;
};

const std::string header = "[IMG ID]\nLevels=3\nLevel0=24\nLevel1=22\n[END-IMG ID]\n";

TEST_F(Load, LineEndsOfEveryKindAndTheLastLineWithoutOne) {
    const std::vector<std::pair<std::string, size_t>> cases = {
        {header + "[POI]\nType=1\nData0=(1,1)\n[END]\n", 1},
        {header + "[POI]\r\nType=1\r\nData0=(1,1)\r\n[END]\r\n", 1},
        {header + "[POI]\rType=1\rData0=(1,1)\r[END]\r", 1},
        {header + "\n\n\r\n[POI]\n\nType=1\nData0=(1,1)\n[END]\n\n", 1},
        // Text after the last line end is not a line, so the object stays open.
        {header + "[POI]\nType=1\nData0=(1,1)\n[END]", 0},
        {"", 0},
    };
    for (const auto& [bytes, pois] : cases) {
        ASSERT_TRUE(loadBytes(bytes));
        EXPECT_EQ(map.levels[0].pois.size(), pois) << bytes;
    }
}

TEST_F(Load, NulBytesEndTheirLine) {
    std::string bytes = header + "[POI]\nType=1\nLabel=ab";
    bytes += std::string(1, '\0') + "cd\nData0=(1,1)\n" + std::string(100, '\0') + "\n[END]\n";
    ASSERT_TRUE(loadBytes(bytes));
    ASSERT_EQ(map.levels[0].pois.size(), 1u);
    EXPECT_EQ(map.levels[0].pois[0].label, u"ab");
    EXPECT_EQ(map.labelChars, u",-.ab");
}

TEST_F(Load, VeryLongLinesAreRead) {
    std::string data = "Data0=";
    for (int i = 0; i < 200000; ++i)
        data += "(45." + std::to_string(100000 + i) + ",12.654321),";
    std::string junk(3000000, 'x');
    ASSERT_TRUE(loadBytes(header + "[POLYLINE]\nType=1\nLabel=" + junk + "\n" + data +
                          "\nNod1=0,1,0\n[END]\n"));
    ASSERT_EQ(map.levels[0].lines.size(), 1u);
    EXPECT_EQ(map.levels[0].lines[0].points.size(), 200000u);
    EXPECT_EQ(map.levels[0].lines[0].label.size(), 3000000u);
}

TEST_F(Load, PrintsItsProgress) {
    // 82 bytes: one percent per byte.
    const std::string bytes = header + "[POI]\nType=1\nData0=(1,1)\n[END]\n";
    ASSERT_EQ(bytes.size(), 82u);
    ASSERT_TRUE(loadBytes(bytes));
    std::string expected;
    for (int p = 0; p <= 82; ++p)
        expected += "\rReading file: " + std::to_string(p) + "%";
    expected += "\rReading file: Done             \n";
    EXPECT_EQ(console, expected);
}

TEST_F(Load, MissingFileFailsSilently) {
    platform::ConsoleCapture capture;
    EXPECT_FALSE(load(map, platform::fromSystemName((dir / "none.mp").string())));
    EXPECT_EQ(capture.text(), "");
}

} // namespace
} // namespace zel
