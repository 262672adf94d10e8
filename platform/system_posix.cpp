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
    // glibc starts with this threshold but raises it each time a mapped block
    // is freed, up to 32 MiB; fixed, it keeps the tables of one pass out of
    // the heap of the next.
    constexpr int mappedFrom = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, mappedFrom);
#endif
}

} // namespace zel::platform
