#include "platform/console.h"
#include "platform/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace zel {
namespace {

// The console text for `items` items counted one tick() at a time when
// `chunk` is 1, else with tickMany in runs of `chunk`.
std::string shown(uint32_t total, uint64_t items, uint64_t chunk) {
    platform::ConsoleCapture console;
    cProgress progress;
    progress.start("x", total);
    for (uint64_t n; items > 0; items -= n) {
        n = std::min(items, chunk);
        if (chunk == 1)
            progress.tick();
        else
            progress.tickMany(n);
    }
    progress.finish();
    return console.text();
}

std::string lines(int last, int step = 1) {
    std::string text;
    for (int p = 0; p <= last; p += step)
        text += "\rx: " + std::to_string(p) + "%";
    return text + "\rx: Done             \n";
}

TEST(Progress, PrintsALineExactlyWhenThePercentageMoves) {
    const std::tuple<uint32_t, uint64_t, std::string> cases[] = {
        {3, 3, lines(99, 33)},                 // under 100 items: jumps of 100 / total, never 100
        {150, 150, lines(75)},                 // two items per percent
        {149, 160, lines(100)},                // one per percent; nothing printed after 100
        {250, 250, lines(83)},                 // 2.5 items per percent round up to three
        {0, 120, lines(100)},                  // no total: every item moves it, up to 100
        {10, 0, lines(0)},                     // the first line even when nothing follows
        {4294967295u, 4294967295u, lines(99)}, // 42949673 items per percent
    };
    for (const auto& [total, items, expected] : cases) {
        SCOPED_TRACE(total);
        // Skipping runs of items shows the same lines as counting each one.
        for (uint64_t chunk : {uint64_t{1}, uint64_t{3}, uint64_t{99}, items + 1}) {
            if (chunk < 100 && items > 100000)
                continue;
            EXPECT_EQ(shown(total, items, chunk), expected) << "chunk " << chunk;
        }
    }
}

} // namespace
} // namespace zel
