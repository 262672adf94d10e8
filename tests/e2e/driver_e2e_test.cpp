#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace zel {
namespace {

namespace fs = std::filesystem;

// A map the driver can open; its content does not matter to the driver.
const std::string anyMap = "[IMG ID]\nName=Test\n[END]\n";

class Driver : public testing::Test {
protected:
    void addFile(const std::string& relative, const std::string& text = anyMap) {
        fs::create_directories((dir / relative).parent_path());
        test::writeText(dir / relative, text);
    }

    // The driver's own lines: the progress lines of loading are left out here
    // (the golden cases pin them).
    test::RunResult run(const std::vector<std::string>& arguments = {}) {
        test::RunResult result = test::runProgram(MP2ZEL_EXE, dir.path(), arguments);
        EXPECT_EQ(result.err, "");
        static const std::regex progressLine("\r[^\r\n]*: ([0-9]+%|Done {13}\n)");
        result.out = std::regex_replace(result.out, progressLine, "");
        // The test maps have no roads; the loader says so for each of them.
        static const std::regex noRoads("RouteInfo is absent\n");
        result.out = std::regex_replace(result.out, noRoads, "");
        return result;
    }

    std::string cwd() const { return fs::canonical(dir.path()).string() + "/"; }

    static std::string mapLines(const std::string& percent, const std::string& path,
                                const std::string& saved) {
        return "\n\nProcessed maps: " + percent + "%, current map: " + path + "\nReading " + path +
               "...\nmap was saved to file: " + saved + "\n";
    }

    test::TempDir dir;
};

// A main file of a map without levels: header and the digits only.
constexpr size_t emptyMainFileSize = 484;

TEST_F(Driver, NoMapsPrintNothing) {
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(test::listNames(dir.path()).empty());
}

TEST_F(Driver, ThreeMapsShowPercentagesAndGetFilesOfTheirOwn) {
    for (const char* name : {"a.mp", "b.mp", "c.mp"})
        addFile(std::string("in/maps/") + name);
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, mapLines("0", "in/maps/a.mp", cwd() + "a.zel") +
                              mapLines("33", "in/maps/b.mp", cwd() + "b.zel") +
                              mapLines("66", "in/maps/c.mp", cwd() + "c.zel") +
                              "\n\nProcessed files: 3\n");
    for (const char* name : {"a.zel", "b.zel", "c.zel"})
        EXPECT_EQ(test::readFile(dir / name).size(), emptyMainFileSize);
    EXPECT_EQ(test::listNames(dir / "in/maps"), (std::vector<std::string>{"a.mp", "b.mp", "c.mp"}));
    EXPECT_FALSE(fs::exists(dir / "map.zel"));
}

TEST_F(Driver, MergePhaseWritesMapZelOnlyWhenInHoldsMaps) {
    addFile("in/one.mp");
    addFile("in/two.MP");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    // The merge phase prints only what loading prints.
    EXPECT_EQ(result.out, "Reading in/one.mp...\nReading in/two.MP...\n");
    EXPECT_EQ(test::readFile(dir / "map.zel").size(), emptyMainFileSize);
    EXPECT_EQ(test::listNames(dir.path()), (std::vector<std::string>{"in", "map.zel"}));
}

TEST_F(Driver, DirectoriesAreCountedButNotProcessedAndDotFilesAreNeither) {
    addFile("in/maps/a.mp");
    addFile("in/maps/b.mp");
    addFile("in/maps/.hidden.mp");
    addFile("in/maps/notes.txt");
    fs::create_directories(dir / "in/maps/old.mp");
    const test::RunResult result = run();
    EXPECT_EQ(result.out, mapLines("0", "in/maps/a.mp", cwd() + "a.zel") +
                              mapLines("33", "in/maps/b.mp", cwd() + "b.zel") +
                              "\n\nProcessed files: 3\n");
}

TEST_F(Driver, FolderWithOnlyADirectoryPrintsNothing) {
    fs::create_directories(dir / "in/maps/x.mp");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
}

TEST_F(Driver, UnopenableMapIsReportedAndTheRunGoesOn) {
    addFile("in/maps/a.mp");
    fs::create_directories(dir / "in/maps");
    fs::create_symlink("nowhere", dir / "in/maps/b.mp");
    addFile("in/maps/c.mp");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, mapLines("0", "in/maps/a.mp", cwd() + "a.zel") +
                              "\n\nProcessed maps: 33%, current map: in/maps/b.mp\n"
                              "Reading in/maps/b.mp...\nCan't open file: in/maps/b.mp\n" +
                              mapLines("66", "in/maps/c.mp", cwd() + "c.zel") +
                              "\n\nProcessed files: 3\n");
    EXPECT_FALSE(fs::exists(dir / "b.zel"));
    EXPECT_TRUE(fs::exists(dir / "c.zel"));
}

TEST_F(Driver, UncreatableOutputFolderEndsTheRunWithCodeOne) {
    addFile("in/maps/a.mp");
    addFile("in/a.mp");
    const test::RunResult result = run({"-o[missing/deeper]"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(test::listNames(dir.path()), std::vector<std::string>{"in"});
}

TEST_F(Driver, OptionsChooseFoldersAndUpperCaseExtensionsGetZel) {
    addFile("my-maps/Town.MP");
    const test::RunResult result = run({"-d[my-maps]", "-o[out]"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, mapLines("0", "my-maps/Town.MP", cwd() + "out/Town.zel") +
                              "\n\nProcessed files: 1\n");
    EXPECT_EQ(test::listNames(dir / "out"), std::vector<std::string>{"Town.zel"});
    EXPECT_EQ(test::listNames(dir / "my-maps"), std::vector<std::string>{"Town.MP"});
}

TEST_F(Driver, FoldersWrittenWithBackslashes) {
    addFile("my maps/sub/a.mp");
    fs::create_directories(dir / "out");
    const test::RunResult result = run({"-d[my maps\\sub]", "-o[out\\inner]"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, mapLines("0", "my maps\\sub/a.mp", cwd() + "out\\inner/a.zel") +
                              "\n\nProcessed files: 1\n");
    EXPECT_EQ(test::listNames(dir / "out/inner"), std::vector<std::string>{"a.zel"});
}

TEST_F(Driver, UnwritableMainFileIsReportedAndLeavesNoPartialFile) {
    addFile("in/maps/a.mp");
    fs::create_directories(dir / "a.zel");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "\n\nProcessed maps: 0%, current map: in/maps/a.mp\n"
                          "Reading in/maps/a.mp...\ncan't create file: a.zel\n"
                          "\n\nProcessed files: 1\n");
    EXPECT_EQ(test::listNames(dir.path()), (std::vector<std::string>{"a.zel", "in"}));
}

TEST_F(Driver, UsageAndVersionCompileNothing) {
    addFile("in/maps/a.mp");
    addFile("in/b.mp");
    const struct {
        std::vector<std::string> arguments;
        std::string firstLine;
    } cases[] = {
        {{"--help"}, "usage: mp2zel [-a] [-d[folder]] [-o[folder]] [-jN] [-sK/N]\n"},
        {{"-?", "-s0/4"}, "usage: mp2zel"},
        {{"-h", "-o[out]"}, "usage: mp2zel"},
        {{"--version"}, "mp2zel " MP2ZEL_VERSION "\n"},
        {{"-V", "-j9"}, "mp2zel " MP2ZEL_VERSION "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        const test::RunResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out.rfind(c.firstLine, 0), 0u) << result.out;
        EXPECT_EQ(test::listNames(dir.path()), std::vector<std::string>{"in"});
    }
    EXPECT_NE(run({"-h"}).out.find("man mp2zel"), std::string::npos);
}

} // namespace
} // namespace zel
