// What a program gets from the system when it starts: its arguments, and a
// console that passes the bytes it is given through unchanged.
#pragma once

#include <string>
#include <vector>

namespace zel::platform {

// The arguments, the program's name first, as UTF-16 text.
std::vector<std::u16string> commandLine(int argc, char** argv);
// The same as bytes that fromSystemName reads back (UTF-8 where the system
// hands over UTF-16), for tools that parse their options as bytes.
std::vector<std::string> commandLineBytes(int argc, char** argv);

// Makes standard output and error binary and UTF-8, so that the console text
// is the same bytes on every system (no line-end translation).
void prepareConsole();

} // namespace zel::platform
