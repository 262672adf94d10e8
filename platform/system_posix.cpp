#include "platform/system.h"

#include "platform/utf.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zel::platform {

std::vector<std::u16string> commandLine(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(fromSystemName(argv[i]));
    return arguments;
}

std::vector<std::string> commandLineBytes(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void prepareConsole() {}

void prepareMemory() {
#if defined(__GLIBC__)
    // glibc starts at 128 KiB and raises the threshold each time a mapped
    // block is freed, up to 32 MiB, so that the large tables of one pass end
    // up in the heap of the next. Fixed at 4 MiB, the largest tables are
    // still unmapped when freed, while the many blocks of a few hundred KiB
    // (lists that grow, one per object or per pass) reuse heap memory
    // instead of having every page of them mapped and cleared afresh.
    constexpr int mappedFrom = 4 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, mappedFrom);
#endif
}

} // namespace zel::platform
