#include "platform/console.h"

#include "platform/utf.h"

#include <cstdio>

namespace zel::platform {
namespace {

std::string* captureTarget = nullptr;

} // namespace

void printNarrow(std::string_view text) {
    if (captureTarget != nullptr) {
        captureTarget->append(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void printWide(std::u16string_view text) {
    printNarrow(toUtf8(text));
}

void flushConsole() {
    if (captureTarget == nullptr)
        std::fflush(stdout);
}

ConsoleCapture::ConsoleCapture() : previous(captureTarget) {
    captureTarget = &captured;
}

ConsoleCapture::~ConsoleCapture() {
    captureTarget = previous;
}

} // namespace zel::platform
