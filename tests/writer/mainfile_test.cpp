#include "writer/mainfile.h"

#include "format/bytes.h"
#include "format/crc32.h"
#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

namespace zel {
namespace {

using test::ByteVector;

struct IndexEntry {
    int32_t square;
    uint32_t offset;
};

ByteVector charFile(std::u16string_view chars) {
    Bytes out;
    putTag(out, "BCHR");
    putU16(out, static_cast<uint16_t>(2 * chars.size()));
    putU16(out, 0);
    for (char16_t c : chars)
        putU16(out, c);
    return out;
}

ByteVector indexFile(uint8_t level, uint8_t bits, const std::vector<IndexEntry>& entries) {
    Bytes out;
    putTag(out, "BIDX");
    putU8(out, level);
    putU8(out, bits);
    putU16(out, 0);
    putU32(out, static_cast<uint32_t>(entries.size()));
    putU32(out, 90);
    putU32(out, 0);
    putU32(out, 0);
    for (int32_t v : {10, 20, 11, 21})
        putI32(out, v);
    for (const IndexEntry& e : entries) {
        putI32(out, e.square);
        putU32(out, e.offset);
    }
    return out;
}

ByteVector filled(size_t size, uint8_t seed) {
    ByteVector bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

struct LevelFiles {
    ByteVector index, block, routing, address, chars;
};

class MainFile : public testing::Test {
protected:
    // Writes the side files of one level as the tiler would and records them.
    void addLevel(const LevelFiles& files) {
        const std::u16string mapPath = platform::fromSystemName((dir / "town.mp").string());
        const auto level = static_cast<uint32_t>(writer.sideFiles.size());
        writer.addSideFileNames(level, mapPath);
        const SideFiles& group = writer.sideFiles.back();
        test::writeFile(platform::toSystemName(group.indexFile), files.index);
        test::writeFile(platform::toSystemName(group.blockFile), files.block);
        test::writeFile(platform::toSystemName(group.routingFile), files.routing);
        test::writeFile(platform::toSystemName(group.addressFile), files.address);
        test::writeFile(platform::toSystemName(group.charFile), files.chars);
    }

    bool write() { return writeMainFile(writer, output()); }
    std::u16string output() const { return platform::fromSystemName((dir / "town.zel").string()); }
    ByteVector written() const { return test::readFile(dir / "town.zel"); }

    test::TempDir dir;
    cMapZEL writer;
};

// The units of the file's character block.
std::u16string charBlock(const ByteVector& file) {
    std::u16string chars;
    for (uint32_t i = 0; i < getU16(file.data() + 460); i += 2)
        chars.push_back(static_cast<char16_t>(getU16(file.data() + 464 + i)));
    return chars;
}

uint32_t crcWithZeroField(ByteVector bytes) {
    setU32(bytes.data() + 4, 0);
    Crc32 crc;
    crc.update(bytes.data(), bytes.size());
    return crc.value();
}

TEST_F(MainFile, WithoutLevelsHoldsHeaderAndDigits) {
    ASSERT_TRUE(write());
    const ByteVector file = written();
    ASSERT_EQ(file.size(), 484u);
    EXPECT_TRUE(hasTag(file.data(), "ZEL\x1A"));
    EXPECT_EQ(file[8], 0);
    EXPECT_EQ(file[9], 9);
    EXPECT_EQ(std::string(file.begin() + 78, file.begin() + 97), "mp2zel map compiler");
    EXPECT_TRUE(
        std::all_of(file.begin() + 97, file.begin() + 444, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(getU32(file.data() + 444), 0u);
    EXPECT_EQ(getU32(file.data() + 448), 484u);
    EXPECT_EQ(getU32(file.data() + 452), 456u);
    EXPECT_TRUE(hasTag(file.data() + 456, "BCHR"));
    EXPECT_EQ(getU16(file.data() + 460), 20);
    EXPECT_EQ(getU16(file.data() + 462), 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(getU16(file.data() + 464 + 2 * i), u'0' + i);
    EXPECT_EQ(getU32(file.data() + 4), crcWithZeroField(file));
    EXPECT_EQ(charBlock(file), u"0123456789");
}

TEST_F(MainFile, TwoLevelsAreRebasedAndCopied) {
    const LevelFiles first{indexFile(0, 24, {{1000, 0}}), filled(100, 1), filled(44, 2),
                           filled(10, 3), charFile(u"AB")};
    const LevelFiles second{
        indexFile(1, 22, {{5, 0}, {-3, 20}}), filled(50, 4), filled(44, 5), {}, charFile(u"CB")};
    addLevel(first);
    addLevel(second);
    ASSERT_TRUE(write());
    const ByteVector file = written();

    // Characters: the digits plus the labels' units, ascending, each once.
    EXPECT_EQ(charBlock(file), u"0123456789ABC");
    const uint32_t directory = 456 + 8 + 26;
    EXPECT_EQ(getU32(file.data() + 448), directory);
    EXPECT_EQ(getU32(file.data() + 444), 2u);

    // D0 = directory + 48 + 56 (here B = 26, so 490 + 104 = 594).
    const uint32_t d0 = directory + 48 + 56;
    const uint8_t* level0 = file.data() + directory;
    EXPECT_TRUE(hasTag(level0, "BIDX"));
    EXPECT_EQ(level0[4], 0);
    EXPECT_EQ(level0[5], 24);
    EXPECT_EQ(getU32(level0 + 16), d0 + 100);
    EXPECT_EQ(getU32(level0 + 20), d0 + 144);
    EXPECT_EQ(getI32(level0 + 24), 10);
    EXPECT_EQ(getI32(level0 + 40), 1000);
    EXPECT_EQ(getU32(level0 + 44), d0);

    const uint32_t d1 = d0 + 154;
    const uint8_t* level1 = level0 + 48;
    EXPECT_EQ(level1[4], 1);
    EXPECT_EQ(getU32(level1 + 16), d1 + 50);
    EXPECT_EQ(getU32(level1 + 20), d1 + 94);
    EXPECT_EQ(getI32(level1 + 40), 5);
    EXPECT_EQ(getU32(level1 + 44), d1);
    EXPECT_EQ(getI32(level1 + 48), -3);
    EXPECT_EQ(getU32(level1 + 52), d1 + 20);

    ByteVector data;
    for (const ByteVector* part : {&first.block, &first.routing, &first.address, &second.block,
                                   &second.routing, &second.address}) {
        data.insert(data.end(), part->begin(), part->end());
    }
    ASSERT_EQ(file.size(), d0 + data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + d0));
    EXPECT_EQ(getU32(file.data() + 4), crcWithZeroField(file));
    // Only the main file is left.
    EXPECT_EQ(test::listNames(dir.path()), std::vector<std::string>{"town.zel"});
}

TEST_F(MainFile, DirectoryOffsetsOfTheWorkedExample) {
    // The worked example: B = 20 (no label characters beyond the digits).
    addLevel(
        {indexFile(0, 24, {{1, 0}}), filled(100, 1), filled(44, 2), filled(10, 3), charFile(u"")});
    addLevel(
        {indexFile(1, 22, {{1, 0}, {2, 60}}), filled(50, 4), filled(44, 5), {}, charFile(u"")});
    ASSERT_TRUE(write());
    const ByteVector file = written();
    EXPECT_EQ(getU32(file.data() + 484 + 16), 688u);
    EXPECT_EQ(getU32(file.data() + 484 + 20), 732u);
    EXPECT_EQ(getU32(file.data() + 484 + 44), 588u);
    EXPECT_EQ(getU32(file.data() + 532 + 44), 742u);
    EXPECT_EQ(getU32(file.data() + 532 + 52), 802u);
    EXPECT_EQ(file.size(), 742u + 94u);
}

TEST_F(MainFile, CharacterFileStopsAtAZeroUnitAndLargeDataIsCopiedWhole) {
    addLevel({indexFile(0, 24, {{7, 0}}), filled(10000, 9), filled(44, 2), filled(9000, 3),
              charFile(std::u16string(u"Z\0Y", 3))});
    ASSERT_TRUE(write());
    const ByteVector file = written();
    EXPECT_EQ(charBlock(file), u"0123456789Z");
    EXPECT_EQ(file.size(), 456u + 8 + 22 + 48 + 10000 + 44 + 9000);
    EXPECT_EQ(getU32(file.data() + 4), crcWithZeroField(file));
}

TEST_F(MainFile, BrokenSideFilesFailWithoutLeavingAnything) {
    const LevelFiles good{indexFile(0, 24, {{1, 0}}), filled(30, 1), filled(44, 2), filled(4, 3),
                          charFile(u"A")};
    ByteVector shortIndex = indexFile(0, 24, {{1, 0}, {2, 10}});
    shortIndex.resize(shortIndex.size() - 8);
    ByteVector wrongIndexTag = good.index;
    wrongIndexTag[3] = 'Y';
    ByteVector truncatedChars = charFile(u"ABC");
    truncatedChars.pop_back();

    const std::vector<std::pair<const char*, std::function<void(LevelFiles&)>>> breakages = {
        {"character file with another tag", [](LevelFiles& f) { f.chars[0] = 'X'; }},
        {"character file too short", [](LevelFiles& f) { f.chars.resize(5); }},
        {"character data cut short", [&](LevelFiles& f) { f.chars = truncatedChars; }},
        {"index file with another tag", [&](LevelFiles& f) { f.index = wrongIndexTag; }},
        {"index file too short", [](LevelFiles& f) { f.index.resize(39); }},
        {"index file missing an entry", [&](LevelFiles& f) { f.index = shortIndex; }},
    };
    for (const auto& [what, breakIt] : breakages) {
        SCOPED_TRACE(what);
        writer.sideFiles.clear();
        addLevel(good);
        LevelFiles broken = good;
        breakIt(broken);
        addLevel(broken);
        EXPECT_FALSE(write());
        EXPECT_TRUE(test::listNames(dir.path()).empty());
    }
}

TEST_F(MainFile, MissingSideFilesFail) {
    for (const std::u16string SideFiles::*member :
         {&SideFiles::charFile, &SideFiles::indexFile, &SideFiles::blockFile,
          &SideFiles::routingFile, &SideFiles::addressFile}) {
        writer.sideFiles.clear();
        addLevel({indexFile(0, 24, {}), {}, filled(44, 2), {}, charFile(u"")});
        std::filesystem::remove(platform::toSystemName(writer.sideFiles.back().*member));
        EXPECT_FALSE(write());
        EXPECT_TRUE(test::listNames(dir.path()).empty());
    }
}

TEST_F(MainFile, UncreatableOutputFailsAndRemovesSideFiles) {
    addLevel({indexFile(0, 24, {}), {}, filled(44, 2), {}, charFile(u"")});
    const std::u16string path = platform::fromSystemName((dir / "missing/town.zel").string());
    EXPECT_FALSE(writeMainFile(writer, path));
    EXPECT_TRUE(test::listNames(dir.path()).empty());
}

TEST_F(MainFile, LevelWithoutEntriesTakesFortyDirectoryBytes) {
    addLevel({indexFile(3, 20, {}), {}, filled(44, 2), {}, charFile(u"")});
    ASSERT_TRUE(write());
    const ByteVector file = written();
    EXPECT_EQ(file.size(), 484u + 40 + 44);
    EXPECT_EQ(getU32(file.data() + 484 + 16), 524u);
    EXPECT_EQ(getU32(file.data() + 484 + 20), 568u);
}

} // namespace
} // namespace zel
