// The console: one narrow stream (standard output). Wide text is written as
// UTF-8, so narrow and wide messages can never garble each other.
#pragma once

#include <string>
#include <string_view>

namespace zel::platform {

void printNarrow(std::string_view text);
void printWide(std::u16string_view text);
// Makes a line that was printed without a line break visible at once.
void flushConsole();

// While alive, console output is collected here instead of being printed, so
// tests can compare it with the exact text a user would see.
class ConsoleCapture {
public:
    ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    ~ConsoleCapture();

    const std::string& text() const { return captured; }
    void clear() { captured.clear(); }

private:
    std::string captured;
    std::string* previous;
};

} // namespace zel::platform
