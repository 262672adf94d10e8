// zeldump on files the real compiler wrote: damaged files reported with their
// offsets, outputs well-formed whatever a file holds, and the command line.
#include "format/bytes.h"
#include "format/zelfile.h"
#include "support/example.h"
#include "support/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace zel {
namespace {

namespace fs = std::filesystem;

const fs::path& workDir() {
    return test::compiledExample().dir.path();
}

test::RunResult zeldump(const std::vector<std::string>& args) {
    return test::runProgram(ZELDUMP_EXE, workDir(), args);
}

// Python's own parsers judge the outputs, so that the test shares no code
// with what it checks: strict JSON (valid UTF-8, no raw control characters,
// no NaN) or well-formed XML. Empty when `text` passes, else the reason.
std::string notWellFormed(const std::string& text, bool json) {
    test::writeText(workDir() / "output", text);
    const char* script =
        json ? "import json, sys; json.loads(open(sys.argv[1], 'rb').read().decode('utf-8'), "
               "parse_constant=lambda c: 1 / 0)"
             : "import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])";
    const test::RunResult run = test::runProgram("python3", workDir(), {"-c", script, "output"});
    return run.exitCode == 0 ? "" : "exit " + std::to_string(run.exitCode) + ": " + run.err;
}

TEST(Zeldump, DamagedFilesAreReportedWithOffsets) {
    const test::ByteVector& bytes = test::compiledExample().bytes;
    const format::ZelFile zel = format::readZel(bytes);
    ASSERT_TRUE(zel.valid());
    const format::AddressNode& region = zel.levels.at(0).address.regions.at(0);
    const size_t claim = region.offset + 1 + 2 * region.name.size();
    // Bytes kept from the start, a byte changed with the CRC made right (or
    // 0), and what the summary says.
    const std::tuple<size_t, size_t, std::string> cases[] = {
        {0, 0, "invalid: 1 problems\n  byte 0 (0x0): file ends inside the 456-byte header"},
        {bytes.size() / 2, 0, "\n  byte 4 (0x4): CRC "},
        {bytes.size(), claim,
         "invalid: 1 problems\n  byte " + std::to_string(region.offset) + " (0x"},
    };
    for (const auto& [keep, change, expected] : cases) {
        SCOPED_TRACE(expected);
        test::ByteVector damaged(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(keep));
        if (change != 0) {
            damaged[change] ^= 0x01;
            test::fixCrc(damaged);
        }
        test::writeFile(workDir() / "damaged.zel", damaged);
        const test::RunResult summary = zeldump({"damaged.zel"});
        EXPECT_EQ(summary.exitCode, 1);
        EXPECT_NE(summary.out.find(expected), std::string::npos) << summary.out;
        const test::RunResult json = zeldump({"--json", "--records", "damaged.zel"});
        EXPECT_EQ(json.exitCode, 1);
        EXPECT_EQ(notWellFormed(json.out, true), "") << json.out;
    }
}

// Labels and the banner may hold anything a file can carry.
TEST(Zeldump, HostileLabelsAndBannerKeepTheOutputsWellFormed) {
    test::ByteVector changed = test::compiledExample().bytes;
    // The nine units of "Café Élan", as UTF-16LE.
    const uint8_t cafe[] = {'C', 0, 'a', 0, 'f', 0, 0xE9, 0, ' ', 0, 0xC9, 0};
    const auto label = std::search(changed.begin(), changed.end(), cafe, std::end(cafe));
    ASSERT_NE(label, changed.end());
    const char16_t hostile[] = {u'<', u'&', u'"', 0x0000, 0xD800, 0x0007, u'\\', 0xFFFF, u'>'};
    for (size_t i = 0; i < std::size(hostile); ++i)
        setU16(&*label + 2 * i, hostile[i]);
    changed[layout::bannerOffset] = 0xE9; // a byte that is no UTF-8 on its own
    changed[layout::bannerOffset + 1] = 0x01;
    test::fixCrc(changed);
    test::writeFile(workDir() / "hostile.zel", changed);

    const test::RunResult json = zeldump({"--json", "--records", "hostile.zel"});
    EXPECT_EQ(json.exitCode, 1); // the label's characters are not in the character block
    EXPECT_EQ(notWellFormed(json.out, true), "") << json.out;
    EXPECT_NE(json.out.find("\"label\": \"<&\\\"\\u0000\xEF\xBF\xBD\\u0007\\\\"),
              std::string::npos);
    const test::RunResult svg =
        zeldump({"--svg", "hostile.svg", "--labels", "--level", "0", "hostile.zel"});
    EXPECT_EQ(svg.exitCode, 1);
    const test::ByteVector picture = test::readFile(workDir() / "hostile.svg");
    EXPECT_EQ(notWellFormed(std::string(picture.begin(), picture.end()), false), "");
    // Narrowed to one level and square: the blocks without their records.
    const format::ZelFile zel = format::readZel(changed);
    const std::string square = std::to_string(zel.levels.at(0).blocks.at(1).square);
    const std::string other = std::to_string(zel.levels[0].blocks[0].square);
    const test::RunResult narrow =
        zeldump({"--json", "--level", "0", "--square", square, "hostile.zel"});
    EXPECT_EQ(notWellFormed(narrow.out, true), "") << narrow.out;
    EXPECT_NE(narrow.out.find("\"square\": " + square), std::string::npos);
    EXPECT_EQ(narrow.out.find("\"square\": " + other), std::string::npos);
    EXPECT_EQ(narrow.out.find("\"records\": ["), std::string::npos);
}

TEST(Zeldump, UsageErrorsExitWithTwo) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "no file given"},
        {{"a.zel", "b.zel"}, "more than one file"},
        {{"--frobnicate", "brookfield.zel"}, "unknown option --frobnicate"},
        {{"brookfield.zel", "--level"}, "--level needs a value"},
        {{"--level", "one", "brookfield.zel"}, "needs a level number"},
        {{"--level", "-1", "brookfield.zel"}, "needs a level number"},
        {{"--json", "--square", "1.5", "brookfield.zel"}, "needs a square number"},
        {{"--json", "--square", "99999999999", "brookfield.zel"}, "needs a square number"},
        {{"--json", "--svg", "x.svg", "brookfield.zel"}, "exclude each other"},
        {{"--records", "brookfield.zel"}, "--records belongs to --json"},
        {{"--square", "3", "brookfield.zel"}, "--square belongs to --json"},
        {{"--json", "--labels", "brookfield.zel"}, "--labels belongs to --svg"},
        {{"--level", "0", "--level", "1", "brookfield.zel"}, "given twice"},
        {{"--level", "7", "brookfield.zel"}, "has no level 7 (it has 3)"},
        {{"--svg", "x.svg", "--level", "3", "brookfield.zel"}, "has no level 3"},
        {{"missing.zel"}, "missing.zel cannot be opened"},
        {{"in"}, "in is a folder"},
        {{"--svg", "no/such/folder/x.svg", "brookfield.zel"}, "cannot write"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        const test::RunResult run = zeldump(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    for (const char* asked : {"--help", "-h", "-?"}) {
        const test::RunResult help = zeldump({asked, "missing.zel"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind("usage: zeldump", 0), 0u) << asked;
    }
    for (const char* asked : {"--version", "-v"})
        EXPECT_EQ(zeldump({asked}).out, "zeldump " MP2ZEL_VERSION "\n");
    // "--" ends the options, so a file may start with a hyphen.
    fs::copy_file(workDir() / "brookfield.zel", workDir() / "-odd.zel",
                  fs::copy_options::overwrite_existing);
    EXPECT_EQ(zeldump({"--", "-odd.zel"}).exitCode, 0);
}

// A region naming an unknown country is left out after its cities were
// written: the city stays in the file, findable through the city section,
// and the inspector reports it as a warning at the city's record, not as a
// fault.
TEST(Inspector, ACityWhoseRegionWasLeftOutIsAWarning) {
    test::TempDir dir;
    fs::create_directories(dir / "in/maps");
    test::writeText(dir / "in/maps/orphan.mp",
                    "[IMG ID]\nLevels=2\nLevel0=24\n[END-IMG ID]\n"
                    "[Countries]\nCountry1=Land\n[END-Countries]\n"
                    "[Regions]\nRegion1=Nowhere\nCountryIdx1=-5\n[END-Regions]\n"
                    "[Cities]\nCity1=Lost\nRegionIdx1=1\n[END-Cities]\n"
                    "[POI]\nType=0x2f00\nCityIdx=1\nStreetDesc=Main\nHouseNumber=4\n"
                    "Data0=(50.1,8.6)\n[END]\n");
    const test::RunResult compile = test::runProgram(MP2ZEL_EXE, dir.path(), {});
    ASSERT_EQ(compile.exitCode, 0) << compile.out;
    EXPECT_NE(compile.out.find(" Unknown owner ID -6"), std::string::npos) << compile.out;

    const format::ZelFile zel = format::readZel(test::readFile(dir / "orphan.zel"));
    EXPECT_TRUE(zel.valid());
    const format::AddressSection& address = zel.levels.at(0).address;
    ASSERT_EQ(address.cities.size(), 1u);
    EXPECT_EQ(address.cities[0].name, u"Lost");
    EXPECT_EQ(address.cities[0].houses.at(0).houses.at(0).name, u"4");
    EXPECT_TRUE(address.regions.empty());
    ASSERT_EQ(zel.warnings.size(), 1u);
    EXPECT_EQ(zel.warnings[0].offset, address.cities[0].offset);

    const test::RunResult summary = test::runProgram(ZELDUMP_EXE, dir.path(), {"orphan.zel"});
    EXPECT_EQ(summary.exitCode, 0);
    EXPECT_NE(summary.out.find("valid\n1 warnings\n  byte " +
                               std::to_string(address.cities[0].offset) + " (0x"),
              std::string::npos)
        << summary.out;
    EXPECT_NE(summary.out.find("city 0 belongs to no region"), std::string::npos);
}

} // namespace
} // namespace zel
