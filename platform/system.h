// What a program gets from the system when it starts: its arguments, a
// console that passes the bytes it is given through unchanged, and how its
// memory is handed out.
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

// Has blocks of 4 MiB and more mapped and unmapped one by one, so that a
// large table freed between passes goes back to the system instead of
// staying resident in the heap, where later passes, allocating small
// blocks, reuse only part of it.
void prepareMemory();

} // namespace zel::platform
