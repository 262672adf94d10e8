// The run's settings: folders and options, as the command line leaves them.
#pragma once

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
};

// Applies one command-line argument: "a" (scale by density), "d[folder]"
// (input folder), "o[folder]" (output folder); letters in either case, leading
// hyphens optional, anything else ignored.
void handleArgument(DriverState& state, std::u16string_view argument);

bool isSeparator(char16_t c);

} // namespace zel
