#include "platform/system.h"

#include "platform/utf.h"

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

} // namespace zel::platform
