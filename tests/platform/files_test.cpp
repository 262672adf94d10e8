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

// Sorted by the bytes of the names, so that runs do not depend on the order
// the file system keeps; names that are no UTF-8 still open.
TEST(Files, ListFolderSortsByNameBytesAndMarksDirectories) {
    test::TempDir dir;
    for (const char* file : {"b.mp", "a.MP", "\xC3\xA9.mp", "Z.mp", ".hidden.mp", "bad\xFF.mp"})
        test::writeText(dir / file, "x");
    std::filesystem::create_directory(dir / "old.mp");
    std::vector<std::string> names; // folders marked with a "/"
    for (const DirEntry& e : listFolder(name(dir.path()) + u"/")) {
        names.push_back(toSystemName(e.name) + (e.isDirectory ? "/" : ""));
        File file;
        EXPECT_EQ(file.open(name(dir.path()) + u"/" + e.name, File::Mode::read), !e.isDirectory);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.mp", "Z.mp", "a.MP", "b.mp", "bad\xFF.mp",
                                               "old.mp/", "\xC3\xA9.mp"}));
    EXPECT_TRUE(listFolder(name(dir / "missing") + u"/").empty());
}

TEST(Files, MapPatternIgnoresAsciiCase) {
    for (const char16_t* yes : {u"town.mp", u"TOWN.MP", u".mp"})
        EXPECT_TRUE(matchesMapPattern(yes));
    for (const char16_t* no : {u"town.mpx", u"town.map", u"mp", u"town_mp"})
        EXPECT_FALSE(matchesMapPattern(no));
}

// Folders are made one level deep only; a rename replaces a file in the way.
TEST(Files, FoldersAndFiles) {
    test::TempDir dir;
    EXPECT_TRUE(makeDirectory(name(dir / "out")));
    EXPECT_TRUE(isDirectory(name(dir / "out")));
    EXPECT_FALSE(makeDirectory(name(dir / "a/b")));
    EXPECT_FALSE(isDirectory(name(dir / "a")));
    EXPECT_FALSE(isDirectory(u""));

    File out;
    ASSERT_TRUE(out.open(name(dir / "new"), File::Mode::write));
    EXPECT_TRUE(out.write("hello world", 11));
    EXPECT_TRUE(out.seek(0));
    EXPECT_TRUE(out.write("J", 1));
    EXPECT_TRUE(out.close());
    EXPECT_FALSE(isDirectory(name(dir / "new")));
    test::writeText(dir / "old", "old");
    EXPECT_TRUE(renameFile(name(dir / "new"), name(dir / "old")));
    EXPECT_EQ(test::listNames(dir.path()), (std::vector<std::string>{"old", "out"}));

    File in;
    ASSERT_TRUE(in.open(name(dir / "old"), File::Mode::read));
    EXPECT_EQ(in.size(), 11);
    char buffer[32] = {};
    EXPECT_EQ(in.read(buffer, sizeof buffer), 11u);
    EXPECT_EQ(std::string(buffer, 11), "Jello world");
    EXPECT_EQ(in.read(buffer, sizeof buffer), 0u);
    EXPECT_TRUE(in.close());
    EXPECT_TRUE(removeFile(name(dir / "old")));
    EXPECT_FALSE(removeFile(name(dir / "old")));
    EXPECT_FALSE(in.open(name(dir / "old"), File::Mode::read));
    EXPECT_FALSE(in.write("x", 1));
}

} // namespace
} // namespace zel::platform
