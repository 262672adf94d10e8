// Finding the maps of a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// True when `path` names an existing directory; one trailing separator is
// ignored, so "out/" and "out" are the same folder.
bool isDirectory(const std::u16string& path);

// The entries of `inputFolder` that match "*.mp" and do not start with ".",
// directories included: the number the per-map phase divides by.
uint32_t countMapFiles(const std::u16string& inputFolder);

// The map files of one folder.
struct MapList {
    // A prefix for the names: empty or ending in a separator.
    std::u16string folder;
    // Bare file names, sorted so that every run handles them in one order.
    std::vector<std::u16string> names;

    // Appends every "*.mp" entry that is neither a directory nor starts with ".".
    void scan();
    std::u16string fullPath(size_t i) const { return folder + names[i]; }
    const std::u16string& name(size_t i) const { return names[i]; }
};

} // namespace zel
