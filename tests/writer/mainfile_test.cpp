#include "writer/mainfile.h"

#include "platform/console.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/tempdir.h"
#include "writer/tiling.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <numeric>

namespace zel {
namespace {

namespace fs = std::filesystem;

class MainFile : public testing::Test {
protected:
    // Tiles one more level, a point of interest in each of `squares` squares,
    // and records its side files, as the driver does.
    SideFiles addLevel(int squares) {
        const auto index = static_cast<uint32_t>(writer.sideFiles.size());
        writer.map.levels.resize(index + 1);
        mapLevel& level = writer.map.levels[index] = mapLevel();
        level.bits = 20;
        for (int i = 0; i < squares; ++i)
            level.pois.emplace_back().pos = {10.5f + static_cast<float>(i), 20.5f};
        level.bbox = {10.5f, 20.5f, level.pois.back().pos.x, 20.5f};
        platform::ConsoleCapture console;
        writeSquares(writer.map, mapPath, index, 3600, level.bits);
        writer.addSideFileNames(index, mapPath);
        return writer.sideFiles.back();
    }

    bool write() { return writeMainFile(writer, platform::fromSystemName(zel.string())); }
    std::vector<std::string> left() const { return test::listNames(dir.path()); }

    test::TempDir dir;
    fs::path zel = dir / "town.zel";
    std::u16string mapPath = platform::fromSystemName((dir / "town.mp").string());
    cMapZEL writer;
};

fs::path pathOf(const std::u16string& name) {
    return platform::toSystemName(name);
}

TEST_F(MainFile, DirectoryOffsetsOfTheWorkedExample) {
    // Block files of 100 and 50 bytes, routing files of 44, address files of
    // 10 and 0, one and two squares, no characters beyond the digits (B = 20).
    writer.map.labelChars.clear();
    const SideFiles first = addLevel(1);
    const SideFiles second = addLevel(2);
    fs::resize_file(pathOf(first.blockFile), 100);
    fs::resize_file(pathOf(first.addressFile), 10);
    fs::resize_file(pathOf(second.blockFile), 50);
    fs::resize_file(pathOf(second.addressFile), 0);
    ASSERT_TRUE(write());
    const Bytes file = test::readFile(zel);
    EXPECT_EQ(getU32(file.data() + 484 + 16), 688u);
    EXPECT_EQ(getU32(file.data() + 484 + 20), 732u);
    EXPECT_EQ(getU32(file.data() + 484 + 44), 588u);      // D0
    EXPECT_EQ(getU32(file.data() + 484 + 48 + 44), 742u); // D1
    EXPECT_EQ(file.size(), 742u + 94u);
    EXPECT_EQ(left(), std::vector<std::string>{"town.zel"});
}

// Whatever fails, no main file is left, not even in part, and the side files
// are gone too.
TEST_F(MainFile, FailuresLeaveNothingBehind) {
    const auto cut = [](const std::u16string& name, uintmax_t bytes) {
        fs::resize_file(pathOf(name), fs::file_size(pathOf(name)) - bytes);
    };
    const auto spoilTag = [](const std::u16string& name) {
        std::fstream(pathOf(name), std::ios::in | std::ios::out | std::ios::binary).put('X');
    };
    using Breakage = std::function<void(const SideFiles&)>;
    std::vector<std::pair<const char*, Breakage>> breakages = {
        {"index without its last entry", [&](const SideFiles& f) { cut(f.indexFile, 8); }},
        {"characters cut short", [&](const SideFiles& f) { cut(f.charFile, 2); }},
        {"index with another tag", [&](const SideFiles& f) { spoilTag(f.indexFile); }},
        {"characters with another tag", [&](const SideFiles& f) { spoilTag(f.charFile); }},
        // A procfs file measures 0 bytes and yields more, as a file changed
        // between the directory and the copy would.
        {"routing file changed size",
         [](const SideFiles& f) {
             fs::remove(pathOf(f.routingFile));
             fs::create_symlink("/proc/self/stat", pathOf(f.routingFile));
         }},
    };
    for (const std::u16string SideFiles::*member :
         {&SideFiles::charFile, &SideFiles::indexFile, &SideFiles::blockFile,
          &SideFiles::routingFile, &SideFiles::addressFile}) {
        breakages.emplace_back("missing side file",
                               [=](const SideFiles& f) { fs::remove(pathOf(f.*member)); });
    }
    for (const auto& [what, breakIt] : breakages) {
        writer.sideFiles.clear();
        addLevel(1);
        breakIt(addLevel(2));
        EXPECT_FALSE(write()) << what;
        EXPECT_TRUE(left().empty()) << what;
    }
}

// The block and routing offsets of the directory are 32-bit.
TEST_F(MainFile, OffsetsBeyond32BitsFailBeforeAnyDataIsCopied) {
    // Sparse: no disk is used for the block file, and none may be used for
    // the main file.
    fs::resize_file(pathOf(addLevel(1).blockFile), (uintmax_t{1} << 32) + 100);
    auto limit = std::make_unique<test::FileSizeLimit>(1 << 20);
    const bool written = write();
    limit.reset();
    EXPECT_FALSE(written);
    EXPECT_EQ(test::FileSizeLimit::hits(), 0);
    EXPECT_TRUE(left().empty());
}

// The character block's byte length is 16-bit: at most 32767 units, the
// digits included. A level's own character file wraps its length beyond that.
TEST_F(MainFile, CharacterSetsBeyond32767UnitsFail) {
    for (const auto& [count, fits] : {std::pair{32757, true}, {32758, false}, {40000, false}}) {
        writer.sideFiles.clear();
        std::u16string units(static_cast<size_t>(count), u'\0');
        std::iota(units.begin(), units.end(), u'\x100');
        writer.map.labelChars = LabelChars(units);
        addLevel(1);
        EXPECT_EQ(write(), fits) << count;
        EXPECT_EQ(left().size(), fits ? 1u : 0u) << count;
        if (fits) {
            EXPECT_EQ(getU16(test::readFile(zel).data() + 460), 65534);
        }
        fs::remove(zel);
    }
}

} // namespace
} // namespace zel
