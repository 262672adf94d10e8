#include "platform/console.h"

#include "platform/utf.h"

#include <cstdio>

namespace zel::platform {
namespace {

// Per thread, so that maps compiled at the same time keep their lines apart.
thread_local ConsoleSink* threadSink = nullptr;

} // namespace

ConsoleSink* currentSink() {
    return threadSink;
}

void printTo(ConsoleSink* sink, std::string_view text) {
    if (sink != nullptr)
        sink->write(text);
    else
        std::fwrite(text.data(), 1, text.size(), stdout);
}

void flushTo(ConsoleSink* sink) {
    if (sink != nullptr)
        sink->flush();
    else
        std::fflush(stdout);
}

void printNarrow(std::string_view text) {
    printTo(threadSink, text);
}

void printWide(std::u16string_view text) {
    printNarrow(toUtf8(text));
}

void flushConsole() {
    flushTo(threadSink);
}

ConsoleRedirect::ConsoleRedirect(ConsoleSink& sink) : previous(threadSink) {
    threadSink = &sink;
}

ConsoleRedirect::~ConsoleRedirect() {
    threadSink = previous;
}

} // namespace zel::platform
