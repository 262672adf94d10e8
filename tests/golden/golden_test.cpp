// Golden cases: each folder of tests/golden/cases is one run of mp2zel on an
// input folder, with the .zel files and the console text it must give. They
// pin the output of every pass at once. Run with MP2ZEL_REGENERATE=1 (as
// tools/regen-golden.sh does) to write the expected files from the current
// build instead of comparing with them.
//
// A case folder holds:
//   in/            copied into the working folder as it is (optional)
//   copy           lines "SOURCE DESTINATION": SOURCE relative to the
//                  repository, or "corpus/NAME" for a map of the shared
//                  corpus (the case is skipped when the corpus is absent);
//                  DESTINATION relative to the working folder (optional)
//   args           the command-line arguments, one per line (optional)
//   expected/      stdout.txt (the working folder written as <WORKDIR>) and
//                  every .zel file the run leaves, by its path in the
//                  working folder with "/" written as "__"
#include "format/zelfile.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zel {
namespace {

namespace fs = std::filesystem;

const fs::path sourceDir = MP2ZEL_SOURCE_DIR;
const fs::path casesDir = sourceDir / "tests/golden/cases";
const fs::path corpusDir = sourceDir / "../shared/corpus";

bool regenerating() {
    const char* value = std::getenv("MP2ZEL_REGENERATE");
    return value != nullptr && std::string(value) == "1";
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string textOf(const test::ByteVector& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(casesDir)) {
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every .zel below `dir` outside its input folder, by its relative path.
std::map<std::string, fs::path> zelFilesIn(const fs::path& dir) {
    std::map<std::string, fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const fs::path relative = fs::relative(entry.path(), dir);
        if (entry.is_regular_file() && entry.path().extension() == ".zel" &&
            *relative.begin() != "in") {
            std::string name = relative.generic_string();
            for (size_t at = name.find('/'); at != std::string::npos; at = name.find('/'))
                name.replace(at, 1, "__");
            files[name] = entry.path();
        }
    }
    return files;
}

// Which part of the main file holds byte `offset`, as a reader would look
// for it: the header, the character block, a level's directory entry, one of
// its blocks, or its routing or address data.
std::string sectionAt(const format::ZelFile& zel, uint64_t offset) {
    if (offset < layout::headerSize)
        return "the header";
    if (offset < zel.directoryOffset)
        return "the character block";
    for (const format::Level& level : zel.levels) {
        const uint64_t entries =
            layout::indexHeaderSize + uint64_t{layout::indexEntrySize} * level.entryCount;
        if (offset >= level.directoryOffset && offset < level.directoryOffset + entries)
            return "the directory of level " + std::to_string(level.index);
    }
    for (const format::Level& level : zel.levels) {
        const std::string name = "level " + std::to_string(level.index);
        for (const format::Block& block : level.blocks) {
            const uint64_t end = uint64_t{block.offset} + layout::blockHeaderSize + block.length;
            if (offset >= block.offset && offset < end)
                return "the block of square " + std::to_string(block.square) + " of " + name;
        }
        if (offset >= level.routingOffset && offset < level.addressOffset)
            return "the routing data of " + name;
        if (offset >= level.addressOffset && offset < level.addressOffset + level.address.size)
            return "the address data of " + name;
    }
    return "no known section";
}

// Where two files first differ, and the lines of their JSON dumps that
// differ, so that a reader sees what changed without a hex viewer.
std::string describeDifference(const fs::path& expected, const fs::path& actual) {
    const test::ByteVector want = test::readFile(expected);
    const test::ByteVector got = test::readFile(actual);
    const auto mismatch = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
    const auto offset = static_cast<uint64_t>(mismatch.first - want.begin());
    std::ostringstream text;
    text << "expected " << want.size() << " bytes, got " << got.size()
         << "; first difference at byte " << offset << ", in "
         << sectionAt(format::readZel(want), offset) << "\n";

    const auto dump = [](const fs::path& file) {
        const test::RunResult run = test::runProgram(
            ZELDUMP_EXE, file.parent_path(), {"--json", "--records", file.filename().string()});
        std::vector<std::string> lines;
        std::istringstream in(run.out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    };
    const std::vector<std::string> before = dump(expected);
    const std::vector<std::string> after = dump(actual);
    // The lines between the common beginning and the common end.
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const auto show = [&](const char* label, const std::vector<std::string>& lines) {
        const size_t end = lines.size() - tail;
        text << "  zeldump --json " << label << ", lines " << head + 1 << " to " << end << ":\n";
        for (size_t i = head; i < end && i < head + 20; ++i)
            text << "    " << lines[i] << "\n";
        if (end > head + 20)
            text << "    ...\n";
    };
    show("expected", before);
    show("actual", after);
    return text.str();
}

class Golden : public testing::TestWithParam<std::string> {
protected:
    fs::path caseDir() const { return casesDir / GetParam(); }

    // Builds the working folder; false when the case needs the shared corpus
    // and it is absent.
    bool prepare() {
        if (fs::exists(caseDir() / "in"))
            fs::copy(caseDir() / "in", work / "in", fs::copy_options::recursive);
        for (const std::string& line : linesOf(caseDir() / "copy")) {
            std::istringstream words(line);
            std::string source, destination;
            words >> source >> destination;
            const bool fromCorpus = source.rfind("corpus/", 0) == 0;
            const fs::path from = fromCorpus ? corpusDir / source.substr(7) : sourceDir / source;
            if (fromCorpus && !fs::exists(from))
                return false;
            fs::create_directories((work / destination).parent_path());
            fs::copy(from, work / destination, fs::copy_options::recursive);
        }
        return true;
    }

    test::TempDir work;
};

TEST_P(Golden, SameFilesAndConsoleText) {
    if (!prepare())
        GTEST_SKIP() << "the shared corpus is absent";
    const test::RunResult run =
        test::runProgram(MP2ZEL_EXE, work.path(), linesOf(caseDir() / "args"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    std::string out = run.out;
    const std::string root = work.path().string();
    for (size_t at = out.find(root); at != std::string::npos; at = out.find(root, at))
        out.replace(at, root.size(), "<WORKDIR>");
    const std::map<std::string, fs::path> written = zelFilesIn(work.path());

    // Every file written must be one the inspector calls valid.
    for (const auto& [name, path] : written) {
        const test::RunResult check =
            test::runProgram(ZELDUMP_EXE, path.parent_path(), {path.filename().string()});
        EXPECT_EQ(check.exitCode, 0) << name << "\n" << check.out;
    }

    const fs::path expected = caseDir() / "expected";
    if (regenerating()) {
        fs::remove_all(expected);
        fs::create_directories(expected);
        test::writeText(expected / "stdout.txt", out);
        for (const auto& [name, path] : written)
            fs::copy(path, expected / name);
        return;
    }
    EXPECT_EQ(out, textOf(test::readFile(expected / "stdout.txt")));
    std::vector<std::string> expectedNames;
    for (const fs::directory_entry& entry : fs::directory_iterator(expected)) {
        if (entry.path().extension() == ".zel")
            expectedNames.push_back(entry.path().filename().string());
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    std::vector<std::string> writtenNames;
    for (const auto& [name, path] : written)
        writtenNames.push_back(name);
    EXPECT_EQ(writtenNames, expectedNames);
    for (const auto& [name, path] : written) {
        if (fs::exists(expected / name) && test::readFile(path) != test::readFile(expected / name))
            ADD_FAILURE() << name << " differs: " << describeDifference(expected / name, path);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace zel
