#include "platform/files.h"

#include "platform/utf.h"
#include "support/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zel::platform {
namespace {

std::u16string name(const std::filesystem::path& path) {
    return fromSystemName(path.string());
}

TEST(Files, ListFolderSortsByNameBytesAndMarksDirectories) {
    test::TempDir dir;
    for (const char* file : {"b.mp", "a.MP", "\xC3\xA9.mp", "Z.mp", ".hidden.mp"})
        test::writeText(dir / file, "x");
    std::filesystem::create_directory(dir / "old.mp");
    const std::vector<DirEntry> entries = listFolder(name(dir.path()) + u"/");
    std::vector<std::string> names;
    std::vector<bool> dirs;
    for (const DirEntry& e : entries) {
        names.push_back(toSystemName(e.name));
        dirs.push_back(e.isDirectory);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.mp", "Z.mp", "a.MP", "b.mp", "old.mp",
                                               "\xC3\xA9.mp"}));
    EXPECT_EQ(dirs, (std::vector<bool>{false, false, false, false, true, false}));
    EXPECT_TRUE(listFolder(name(dir / "missing") + u"/").empty());
}

TEST(Files, MapPatternIgnoresAsciiCase) {
    EXPECT_TRUE(matchesMapPattern(u"town.mp"));
    EXPECT_TRUE(matchesMapPattern(u"TOWN.MP"));
    EXPECT_TRUE(matchesMapPattern(u".mp"));
    EXPECT_FALSE(matchesMapPattern(u"town.mpx"));
    EXPECT_FALSE(matchesMapPattern(u"town.map"));
    EXPECT_FALSE(matchesMapPattern(u"mp"));
    EXPECT_FALSE(matchesMapPattern(u"town_mp"));
}

TEST(Files, DirectoriesAreCreatedOneLevelDeep) {
    test::TempDir dir;
    EXPECT_TRUE(makeDirectory(name(dir / "out")));
    EXPECT_TRUE(isDirectory(name(dir / "out")));
    EXPECT_FALSE(makeDirectory(name(dir / "a/b")));
    EXPECT_FALSE(isDirectory(name(dir / "a")));
    test::writeText(dir / "file", "x");
    EXPECT_FALSE(isDirectory(name(dir / "file")));
    EXPECT_FALSE(isDirectory(u""));
}

TEST(Files, ReadWriteSeekAndMeasure) {
    test::TempDir dir;
    const std::u16string path = name(dir / "data.bin");
    File out;
    ASSERT_TRUE(out.open(path, File::Mode::write));
    EXPECT_TRUE(out.write("hello world", 11));
    EXPECT_TRUE(out.seek(0));
    EXPECT_TRUE(out.write("J", 1));
    EXPECT_TRUE(out.close());

    File in;
    ASSERT_TRUE(in.open(path, File::Mode::read));
    EXPECT_EQ(in.size(), 11);
    char buffer[32] = {};
    EXPECT_EQ(in.read(buffer, sizeof buffer), 11u);
    EXPECT_EQ(std::string(buffer, 11), "Jello world");
    EXPECT_EQ(in.read(buffer, sizeof buffer), 0u);

    File directory;
    EXPECT_FALSE(directory.open(name(dir.path()), File::Mode::read));
    EXPECT_FALSE(directory.open(name(dir / "missing"), File::Mode::read));
    EXPECT_FALSE(directory.write("x", 1));
}

TEST(Files, RenameReplacesAndRemoveDeletes) {
    test::TempDir dir;
    test::writeText(dir / "new", "new");
    test::writeText(dir / "old", "old");
    EXPECT_TRUE(renameFile(name(dir / "new"), name(dir / "old")));
    EXPECT_EQ(test::listNames(dir.path()), std::vector<std::string>{"old"});
    EXPECT_TRUE(removeFile(name(dir / "old")));
    EXPECT_FALSE(removeFile(name(dir / "old")));
}

TEST(Files, NamesThatAreNotUtf8StillOpen) {
    test::TempDir dir;
    test::writeText(dir / "bad\xFF.mp", "x");
    const std::vector<DirEntry> entries = listFolder(name(dir.path()) + u"/");
    ASSERT_EQ(entries.size(), 1u);
    File file;
    EXPECT_TRUE(file.open(name(dir.path()) + u"/" + entries[0].name, File::Mode::read));
}

} // namespace
} // namespace zel::platform
