// File-system faults around one run: each is reported, the run goes on with
// the next map, and no truncated main file or stray side file is left.
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace zel {
namespace {

namespace fs = std::filesystem;

const std::string smallMap = "[IMG ID]\nLevels=2\nLevel0=24\n[END-IMG ID]\n"
                             "[POI]\nType=0x2f00\nLabel=Cafe\nData0=(45.5,12.5)\n[END]\n";

class FileSystem : public testing::Test {
protected:
    FileSystem() {
        fs::create_directories(dir / "in/maps");
        test::writeText(dir / "in/maps/a.mp", smallMap);
        test::writeText(dir / "in/maps/b.mp", smallMap);
    }

    test::RunResult run(const std::vector<std::string>& arguments = {}) {
        test::RunResult result = test::runProgram(MP2ZEL_EXE, dir.path(), arguments);
        EXPECT_EQ(result.err, "");
        return result;
    }

    std::string cwd() const { return fs::canonical(dir.path()).string() + "/"; }

    test::TempDir dir;
};

TEST_F(FileSystem, SideFileThatCannotBeCreatedSkipsThatMapOnly) {
    // A directory where the block file should go: it cannot be opened for writing.
    fs::create_directories(dir / "in/maps/a.mp0.blck/x");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Can't write file: in/maps/a.mp0.blck\n"), std::string::npos);
    EXPECT_NE(result.out.find("can't create file: a.zel\n"), std::string::npos);
    EXPECT_NE(result.out.find("map was saved to file: " + cwd() + "b.zel\n"), std::string::npos);
    EXPECT_EQ(test::listNames(dir / "in/maps"),
              (std::vector<std::string>{"a.mp", "a.mp0.blck", "b.mp"}));
    EXPECT_EQ(test::listNames(dir / "in/maps/a.mp0.blck"), std::vector<std::string>{"x"});
    EXPECT_FALSE(fs::exists(dir / "a.zel"));
}

// A map big enough that its block file passes a limit the other map's files
// stay below.
std::string manyPois(int count) {
    std::string map = "[IMG ID]\nLevels=2\nLevel0=24\n[END-IMG ID]\n";
    for (int i = 0; i < count; ++i) {
        map += "[POI]\nType=0x2f00\nLabel=Cafe " + std::to_string(i) + "\nData0=(45.5" +
               std::to_string(i) + ",12.5" + std::to_string(i) + ")\n[END]\n";
    }
    return map;
}

// A disk that fills up: the run gets a file size limit (in KiB) and ignores
// the signal for writes past it, so they fail as on a full disk.
TEST_F(FileSystem, FullDiskLeavesNeitherSideFilesNorATruncatedMainFile) {
    test::writeText(dir / "in/maps/a.mp", manyPois(3000));
    const std::vector<std::string> command = {"-c", "trap '' XFSZ; ulimit -f 16; exec \"$0\"",
                                              MP2ZEL_EXE};
    const test::RunResult result = test::runProgram("/bin/bash", dir.path(), command);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Can't write file: in/maps/a.mp0."), std::string::npos);
    EXPECT_NE(result.out.find("can't create file: a.zel\n"), std::string::npos);
    EXPECT_NE(result.out.find("map was saved to file: " + cwd() + "b.zel\n"), std::string::npos);
    EXPECT_EQ(test::listNames(dir.path()), (std::vector<std::string>{"b.zel", "in"}));
    EXPECT_EQ(test::listNames(dir / "in/maps"), (std::vector<std::string>{"a.mp", "b.mp"}));
}

// Links planted where the run writes (side files, the temporary main file, the
// main file itself) in a folder others can write to: the run removes them and
// writes files of its own, and what they point to is untouched, whether it
// exists or not.
TEST_F(FileSystem, PlantedLinksAreReplacedAndTheirTargetsUntouched) {
    test::writeText(dir / "precious", "keep");
    const char* planted[] = {"in/maps/a.mp0.blck",
                             "in/maps/a.mp0.bidx",
                             "in/maps/a.mp0.badr",
                             "in/maps/a.mp0.bchr",
                             "in/maps/a.mp0.brif",
                             "a.zel.tmp",
                             "b.zel"};
    for (const char* name : planted)
        fs::create_symlink(fs::canonical(dir / "precious"), dir / name);
    fs::create_symlink(dir / "created-through-link", dir / "b.zel.tmp");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("map was saved to file: " + cwd() + "a.zel\n"), std::string::npos);
    EXPECT_NE(result.out.find("map was saved to file: " + cwd() + "b.zel\n"), std::string::npos);
    const std::vector<uint8_t> untouched = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(test::readFile(dir / "precious"), untouched);
    EXPECT_EQ(test::listNames(dir.path()),
              (std::vector<std::string>{"a.zel", "b.zel", "in", "precious"}));
    EXPECT_FALSE(fs::is_symlink(dir / "b.zel"));
    EXPECT_EQ(test::listNames(dir / "in/maps"), (std::vector<std::string>{"a.mp", "b.mp"}));
}

TEST_F(FileSystem, OutputFolderThatIsAFileEndsTheRunWithCodeOne) {
    test::writeText(dir / "out", "not a folder");
    const test::RunResult result = run({"-o[out]"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
}

// Folders the run may not write into. Permissions do not restrict the
// superuser, so as root the program runs as "nobody" (setpriv), for whom the
// test's folders are opened up except the one made read-only.
TEST_F(FileSystem, ReadOnlyFolders) {
    std::vector<std::string> command = {MP2ZEL_EXE};
    if (geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "running as root without setpriv";
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                   MP2ZEL_EXE};
    }
    struct Case {
        const char* folder;   // made read-only
        const char* argument; // the output folder option
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"in/maps",
         "",
         {"Can't write file: in/maps/a.mp0.blck\n", "can't create file: a.zel\n",
          "can't create file: b.zel\n"}},
        {"out",
         "-o[out]",
         {"can't create file: " + cwd() + "out/a.zel\n",
          "can't create file: " + cwd() + "out/b.zel\n"}},
    };
    const auto all = fs::perms::all;
    fs::permissions(dir.path(), all);
    fs::permissions(dir / "in", all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        fs::create_directories(dir / "out");
        fs::permissions(dir / "out", all);
        fs::permissions(dir / "in/maps", all);
        fs::permissions(dir / c.folder, fs::perms::others_write | fs::perms::owner_write,
                        fs::perm_options::remove);
        std::vector<std::string> arguments(command.begin() + 1, command.end());
        if (*c.argument != '\0')
            arguments.push_back(c.argument);
        const test::RunResult result = test::runProgram(command.front(), dir.path(), arguments);
        fs::permissions(dir / c.folder, all);
        EXPECT_EQ(result.exitCode, 0);
        for (const std::string& line : c.lines)
            EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
        EXPECT_EQ(test::listNames(dir / "in/maps"), (std::vector<std::string>{"a.mp", "b.mp"}));
        EXPECT_TRUE(test::listNames(dir / "out").empty());
        EXPECT_FALSE(fs::exists(dir / "a.zel"));
        fs::remove_all(dir / "out");
    }
}

TEST_F(FileSystem, NamesWithBlanksAndNonAsciiCharacters) {
    fs::remove(dir / "in/maps/b.mp");
    fs::rename(dir / "in/maps/a.mp", dir / "in/maps/my map \xC3\xA9t\xC3\xA9.mp");
    const test::RunResult result = run({"-o[out put]"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("current map: in/maps/my map \xC3\xA9t\xC3\xA9.mp\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("map was saved to file: " + cwd() +
                              "out put/my map \xC3\xA9t\xC3\xA9.zel\n"),
              std::string::npos);
    EXPECT_EQ(test::listNames(dir / "out put"),
              std::vector<std::string>{"my map \xC3\xA9t\xC3\xA9.zel"});
}

TEST_F(FileSystem, MapThatVanishedAfterListingIsReported) {
    // A listed name that no longer opens: a link whose target is gone.
    fs::remove(dir / "in/maps/a.mp");
    fs::create_symlink("gone.mp", dir / "in/maps/a.mp");
    const test::RunResult result = run();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Can't open file: in/maps/a.mp\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "b.zel"));
}

} // namespace
} // namespace zel
