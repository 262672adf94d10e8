// The run's settings: folders and options, as the command line leaves them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

struct DriverState {
    // Folder of the per-map phase; a prefix that always ends in a separator.
    std::u16string inputFolder = u"in/maps/";
    // Where the per-map phase writes; empty means the working folder. When set
    // it always ends in a separator.
    std::u16string outputFolder;
    // The working folder with a separator appended.
    std::u16string currentFolder;
    // Choose each level's scale from how densely its points are packed
    // instead of from its resolution bits.
    bool autoScale = false;
    // How many maps the per-map phase compiles at the same time; 0 means one
    // per core.
    uint32_t jobs = 1;
    // This run's share of the per-map phase: the maps whose position in the
    // sorted list leaves `shareIndex` - 1 when divided by `shareCount`.
    uint32_t shareIndex = 1;
    uint32_t shareCount = 1;
    // "h", "?" (usage) and "v" (version): print and stop, compiling nothing.
    bool showUsage = false;
    bool showVersion = false;
    // The first argument whose value could not be read; nothing is compiled
    // when there is one.
    std::u16string badArgument;
};

// Applies one command-line argument: "a" (scale by density), "d[folder]"
// (input folder), "o[folder]" (output folder), "j[N]" (maps at the same time),
// "s[K/N]" (share K of N), "h" or "?" (usage), "v" (version); letters in either case, leading
// hyphens optional, brackets optional for "j" and "s", anything else ignored. A "j" or "s" value
// that cannot be read is kept in `badArgument`.
void handleArgument(DriverState& state, std::u16string_view argument);

bool isSeparator(char16_t c);

} // namespace zel
