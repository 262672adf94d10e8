// Many maps at once (-jN) and shares of one run (-sK/N): whatever the number
// of threads or shares, the files are those of one plain run, byte for byte,
// and so is the console text of each run.
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace zel {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, test::ByteVector>;

class Jobs : public testing::Test {
protected:
    void addMap(const std::string& source, const std::string& name,
                const char* folder = "in/maps") {
        fs::create_directories(dir / folder);
        fs::copy_file(fs::path(MP2ZEL_SOURCE_DIR) / source, dir / folder / name);
    }

    // Real maps with every section, and the faults a run reports and goes on
    // from: a map that cannot be opened, a main file that cannot be written,
    // and two maps that compile to one file name (the later one's must win).
    void addMixedMaps() {
        const std::string golden = "tests/golden/cases/";
        addMap("examples/in/maps/brookfield.mp", "a-brookfield.mp");
        addMap(golden + "across-zero/in/maps/greenwich.mp", "b-greenwich.mp");
        addMap(golden + "address-codepage/in/maps/tver.mp", "c-tver.mp");
        addMap(golden + "routing/in/maps/junction.mp", "d-junction.mp");
        addMap(golden + "south-west/in/maps/montevideo.mp", "e-montevideo.mp");
        addMap(golden + "routing/in/maps/junction.mp", "twin.MP");
        addMap("examples/in/maps/brookfield.mp", "twin.mp");
        fs::create_symlink("nowhere.mp", dir / "in/maps/f-unopenable.mp");
        addMap("examples/in/maps/brookfield.mp", "g-unwritable.mp");
        fs::create_directories(dir / "g-unwritable.zel");
    }

    test::RunResult run(const std::vector<std::string>& arguments = {}) {
        test::RunResult result = test::runProgram(MP2ZEL_EXE, dir.path(), arguments);
        EXPECT_EQ(result.err, "");
        return result;
    }

    // Every regular file the runs wrote outside the input folders, removed.
    Files takeOutputs() {
        Files files;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            const std::string relative = fs::relative(entry.path(), dir.path()).string();
            if (entry.is_regular_file() && !entry.is_symlink() && relative.rfind("in/", 0) != 0) {
                files[relative] = test::readFile(entry.path());
                fs::remove(entry.path());
            }
        }
        return files;
    }

    test::TempDir dir;
};

TEST_F(Jobs, ThreadsGiveTheFilesAndTextOfOneMapAtATime) {
    addMixedMaps();
    const test::RunResult plain = run();
    ASSERT_EQ(plain.exitCode, 0);
    // (wine does not list a dangling link, so the Windows build never sees
    // the unopenable map; the comparison below holds either way.)
    ASSERT_NE(plain.out.find("can't create file: g-unwritable.zel\n"), std::string::npos);
    const Files expected = takeOutputs();
    ASSERT_EQ(expected.size(), 6u);
    for (const char* jobs : {"-j1", "-j2", "-J[8]", "-j"}) {
        SCOPED_TRACE(jobs);
        const test::RunResult result = run({jobs});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, plain.out);
        EXPECT_TRUE(takeOutputs() == expected);
        EXPECT_EQ(test::listNames(dir / "in/maps").size(), 9u) << "side files left behind";
    }
}

// The maps a share compiled, from its "Processed maps" lines.
std::vector<std::string> mapsOf(const std::string& out) {
    static const std::regex line("Processed maps: [0-9]+%, current map: in/maps/([^\n]*)\n");
    std::vector<std::string> maps;
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it)
        maps.push_back((*it)[1]);
    return maps;
}

TEST_F(Jobs, SharesTogetherCompileEveryMapOnceAndWriteTheFilesOfOneRun) {
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"})
        addMap("tests/golden/cases/routing/in/maps/junction.mp", std::string(name) + ".mp");
    addMap("examples/in/maps/brookfield.mp", "merged.mp", "in");
    const test::RunResult plain = run();
    const Files expected = takeOutputs();
    const std::vector<std::string> all = mapsOf(plain.out);
    ASSERT_EQ(all.size(), 7u);
    for (int count : {1, 2, 3, 7, 10}) {
        std::multiset<std::string> compiled;
        for (int index = 1; index <= count; ++index) {
            const std::string share = std::to_string(index) + "/" + std::to_string(count);
            SCOPED_TRACE(share);
            const test::RunResult result = run({index % 2 ? "-s" + share : "-s[" + share + "]"});
            EXPECT_EQ(result.exitCode, 0);
            const std::vector<std::string> maps = mapsOf(result.out);
            compiled.insert(maps.begin(), maps.end());
            // The percentages and the total count this share's maps only.
            const std::string total = "Processed files: " + std::to_string(maps.size()) + "\n";
            EXPECT_EQ(result.out.find(total) != std::string::npos, !maps.empty());
            if (!maps.empty()) {
                EXPECT_NE(result.out.find("Processed maps: 0%"), std::string::npos);
            }
            // The merge phase runs in the first share only.
            EXPECT_EQ(result.out.find("Reading in/merged.mp") != std::string::npos, index == 1);
        }
        EXPECT_EQ(compiled, std::multiset<std::string>(all.begin(), all.end())) << count;
        EXPECT_TRUE(takeOutputs() == expected) << count;
    }
}

TEST_F(Jobs, UnreadableValuesStopTheRunBeforeAnythingIsCompiled) {
    addMap("examples/in/maps/brookfield.mp", "a.mp");
    addMap("examples/in/maps/brookfield.mp", "b.mp", "in");
    for (const char* argument : {"-s0/4", "-s5/4", "-s1/0", "-s", "-sone/two", "-jmany"}) {
        SCOPED_TRACE(argument);
        const test::RunResult result = run({"-o[out]", argument});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out.rfind(std::string("Bad option value: ") + argument + "\n", 0), 0u)
            << result.out;
        EXPECT_EQ(test::listNames(dir.path()), std::vector<std::string>{"in"});
    }
}

} // namespace
} // namespace zel
