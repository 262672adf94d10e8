#include "driver/maplist.h"

#include "driver/options.h"
#include "platform/files.h"

namespace zel {
namespace {

bool isListedName(const std::u16string& name) {
    return !name.empty() && name.front() != u'.' && platform::matchesMapPattern(name);
}

} // namespace

bool isDirectory(const std::u16string& path) {
    std::u16string copy = path;
    if (copy.size() > 1 && isSeparator(copy.back()))
        copy.pop_back();
    return platform::isDirectory(copy);
}

uint32_t countMapFiles(const std::u16string& inputFolder) {
    uint32_t count = 0;
    for (const platform::DirEntry& entry : platform::listFolder(inputFolder)) {
        if (isListedName(entry.name))
            ++count;
    }
    return count;
}

void MapList::scan() {
    for (const platform::DirEntry& entry : platform::listFolder(folder)) {
        if (isListedName(entry.name) && !entry.isDirectory)
            names.push_back(entry.name);
    }
}

} // namespace zel
