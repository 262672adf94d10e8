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

// Somewhere else for one thread's console output to go: a test's capture, or
// the place a map compiled beside others keeps its lines until their turn.
class ConsoleSink {
public:
    virtual void write(std::string_view text) = 0;
    virtual void flush() = 0;

protected:
    ~ConsoleSink() = default;
};

// The calling thread's sink; null when its output goes to standard output.
ConsoleSink* currentSink();
// Writes to `sink`, or to standard output when it is null.
void printTo(ConsoleSink* sink, std::string_view text);
void flushTo(ConsoleSink* sink);

// While alive, the calling thread's console output goes to `sink`.
class ConsoleRedirect {
public:
    explicit ConsoleRedirect(ConsoleSink& sink);
    ConsoleRedirect(const ConsoleRedirect&) = delete;
    ConsoleRedirect& operator=(const ConsoleRedirect&) = delete;
    ~ConsoleRedirect();

private:
    ConsoleSink* previous;
};

// While alive, the calling thread's console output is collected here instead
// of being printed, so tests can compare it with the exact text a user would
// see.
class ConsoleCapture : private ConsoleSink {
public:
    ConsoleCapture() : redirect(*this) {}
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    const std::string& text() const { return captured; }
    void clear() { captured.clear(); }

private:
    void write(std::string_view text) override { captured.append(text); }
    void flush() override {}

    std::string captured;
    ConsoleRedirect redirect;
};

} // namespace zel::platform
