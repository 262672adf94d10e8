// The arguments come from the wide command line, since the narrow one holds
// only what the ANSI code page can spell; the console gets UTF-8 bytes.
#include "platform/system.h"

#include "platform/utf.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace zel::platform {

std::vector<std::u16string> commandLine(int, char**) {
    std::vector<std::u16string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 0; i < count; ++i) {
        const auto* units = reinterpret_cast<const char16_t*>(wide[i]);
        arguments.emplace_back(units);
    }
    LocalFree(wide);
    return arguments;
}

std::vector<std::string> commandLineBytes(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (const std::u16string& argument : commandLine(argc, argv))
        arguments.push_back(toUtf8(argument));
    return arguments;
}

void prepareConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

// The Windows heap maps large blocks by itself and returns them when freed.
void prepareMemory() {}

} // namespace zel::platform
