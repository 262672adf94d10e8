// Maps that could hurt: each is compiled in one run with a good map after it.
// The run must complete with exit code 0, the hostile map must still give a
// valid main file, no side file may be left, and the good map must come out
// exactly as when it is compiled alone.
#include "format/zelfile.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

namespace zel {
namespace {

namespace fs = std::filesystem;

const std::string header = "[IMG ID]\r\nLevels=3\r\nLevel0=24\r\nLevel1=20\r\n[END-IMG ID]\r\n";

std::string goodMap() {
    return header + "[POI]\r\nType=0x2f00\r\nLabel=Cafe\r\nData0=(45.5,12.5)\r\n[END]\r\n"
                    "[POLYLINE]\r\nType=0x2\r\nLabel=Main\r\nRoadID=1\r\nRouteParam=3,2,0,0,0,0,0,"
                    "0,0,0,0,0\r\n"
                    "Data0=(45.5,12.5),(45.51,12.52),(45.52,12.53)\r\nNod1=0,10,0\r\nNod2=2,11,"
                    "0\r\n[END]\r\n"
                    "[POLYGON]\r\nType=0x13\r\nData0=(45.5,12.5),(45.5,12.51),(45.51,12.51),(45.51,"
                    "12.5)\r\n[END]\r\n";
}

test::RunResult compile(const test::TempDir& dir) {
    return test::runProgram(MP2ZEL_EXE, dir.path(), {});
}

const test::ByteVector& goodAlone() {
    static const test::ByteVector bytes = [] {
        test::TempDir dir;
        fs::create_directories(dir / "in/maps");
        test::writeText(dir / "in/maps/b_good.mp", goodMap());
        compile(dir);
        return test::readFile(dir / "b_good.zel");
    }();
    return bytes;
}

std::string repeat(const std::string& piece, size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string polygonOf(size_t points, double span) {
    // A star around (45.5, 12.5) whose edge runs through many squares.
    std::string data = "Data0=";
    for (size_t i = 0; i < points; ++i) {
        const double angle =
            6.283185307179586 * static_cast<double>(i) / static_cast<double>(points);
        const double radius = span * (i % 2 == 0 ? 1.0 : 0.6);
        data += "(" + std::to_string(45.5 + radius * std::sin(angle)) + "," +
                std::to_string(12.5 + radius * std::cos(angle)) + "),";
    }
    return data;
}

struct HostileCase {
    const char* name;
    std::function<std::string()> map;
};

const std::vector<HostileCase> hostileCases = {
    {"EmptyFile", [] { return std::string(); }},
    {"RandomBytes",
     [] {
         std::mt19937 random(7);
         std::string bytes(100000, '\0');
         for (char& c : bytes)
             c = static_cast<char>(random());
         return bytes;
     }},
    {"FiftyMegabyteLine", [] { return repeat("(45.5,12.5),", 50 * 1000 * 1000 / 12); }},
    // Collinear points make the level simplification refit a growing window,
    // which costs the square of the run's length: 20,000 points stay quick.
    {"LongCoordinateLine",
     [] {
         return header + "[POLYLINE]\nType=1\n" +
                "Data0=" + repeat("(45.5,12.5),(45.6,12.6),", 10000) + "\n[END]\n";
     }},
    {"NulBytes",
     [] {
         using namespace std::string_literals;
         return header + std::string(1000, '\0') +
                "\n[POI]\nType=1\nLabel=a\0b\nData0=(1,1)\n[END]\n"s;
     }},
    {"ImpossibleCoordinates",
     [] {
         return header +
                "[POI]\nType=1\nData0=(nan,inf)\n[END]\n[POI]\nType=1\nData0=(1e39,-1e39)\n[END]\n"
                "[POI]\nType=1\nData0=(1000,5)\n[END]\n"
                "[POLYLINE]\nType=1\nData0=(1,1),(nan,2),(1000,3),(2,-1e39),(2,2)\n[END]\n";
     }},
    {"HugeLevelCounts",
     [] {
         return "[IMG "
                "ID]\nLevels=100000\nLevel200=24\nLevel99999=10\n[END]\n[POI]\nType=1\nEndLevel="
                "300\nData199=(1,1)\n[END]\n";
     }},
    {"PolygonOfManyPointsAcrossSquares",
     [] { return header + "[POLYGON]\nType=0x4b\n" + polygonOf(200000, 0.1) + "\n[END]\n"; }},
    {"SeventyThousandPointLine",
     [] {
         std::string data = "Data0=";
         for (int i = 0; i < 70000; ++i)
             data += "(45." + std::to_string(100000 + i) + ",12.5),";
         return header + "[POLYLINE]\nType=1\nRoadID=5\n" + data +
                "\nNod1=0,1,0\nNod2=69999,2,1\n[END]\n";
     }},
    {"LongLabel",
     [] {
         return header + "[POI]\nType=1\nLabel=" + std::string(300, 'L') + "\nData0=(1,1)\n[END]\n";
     }},
    {"RestrictionOnUnknownNodes",
     [] {
         return goodMap() + "[Restrict]\nTraffPoints=900,901,902\nTraffRoads=1,1\n[END-Restrict]\n";
     }},
    {"NodeReferencesPastTheLine",
     [] {
         return header + "[POLYLINE]\nType=1\nRoadID=3\nData0=(1,1),(1,2)\nNod1=0,1,1\nNod2=7,2,1\n"
                         "Nodes=(65535,3,1),(9,4,0)\n[END]\n";
     }},
    {"UnclosedNodeList",
     [] {
         return header + "[POLYLINE]\nType=1\nData0=(1,1),(1,2)\nNodes=(0,1,0),(1,2,0\n[END]\n";
     }},
    {"RepeatedSectionsWithoutEnd",
     [] { return header + repeat("[POI]\nType=1\nData0=(1,1)\n[POLYLINE]\n[POLYGON]\n", 100000); }},
    {"EveryKeyMisspelled",
     [] {
         return "[IMG "
                "IDX]\nLevles=3\n[PIO]\nTyp=1\nDatta0=(1,1)\n[ENDE]\n[POLYLINE]\nTpe=1\nData="
                "\nDta0=(1,1),(2,2)\n[END]\n";
     }},
};

class Hostile : public testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, RunCompletesAndTheOtherMapIsUntouched) {
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    test::writeText(dir / "in/maps/a_hostile.mp", GetParam().map());
    test::writeText(dir / "in/maps/b_good.mp", goodMap());
    const test::RunResult run = compile(dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("map was saved to file: " + fs::canonical(dir.path()).string() +
                           "/a_hostile.zel\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\n\nProcessed files: 2\n"), std::string::npos);
    const format::ZelFile hostile = format::readZel(test::readFile(dir / "a_hostile.zel"));
    for (const format::Problem& problem : hostile.problems)
        ADD_FAILURE() << problem.offset << ": " << problem.what;
    EXPECT_EQ(test::readFile(dir / "b_good.zel"), goodAlone());
    EXPECT_EQ(test::listNames(dir / "in/maps"),
              (std::vector<std::string>{"a_hostile.mp", "b_good.mp"}));
}

INSTANTIATE_TEST_SUITE_P(Maps, Hostile, testing::ValuesIn(hostileCases),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                             return info.param.name;
                         });

} // namespace
} // namespace zel
