#include "platform/console.h"
#include "platform/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

std::string lines(const std::string& label, const std::vector<int>& percents) {
    std::string text;
    for (int p : percents)
        text += "\r" + label + ": " + std::to_string(p) + "%";
    return text + "\r" + label + ": Done             \n";
}

std::vector<int> upTo(int first, int last) {
    std::vector<int> values;
    for (int p = first; p <= last; ++p)
        values.push_back(p);
    return values;
}

std::string run(const char* label, uint32_t total, uint32_t items) {
    platform::ConsoleCapture console;
    cProgress progress;
    progress.start(label, total);
    for (uint32_t i = 0; i < items; ++i)
        progress.tick();
    progress.finish();
    return console.text();
}

TEST(Progress, PrintsExactlyWhenThePercentageMoves) {
    struct Case {
        uint32_t total;
        uint32_t items;
        std::vector<int> shown;
    };
    const std::vector<Case> cases = {
        // Fewer than 100 items jump by 100 / total and never reach 100.
        {3, 3, {0, 33, 66, 99}},
        // 150 items: two per percent, so 75 after all of them.
        {150, 150, upTo(0, 75)},
        // 149 items round down to one per percent; the rest print nothing.
        {149, 149, upTo(0, 100)},
        // No total: every item moves the percentage, up to 100.
        {0, 120, upTo(0, 100)},
        // 250 items: 2.5 rounds up to three per percent.
        {250, 250, upTo(0, 83)},
        // The first line appears even when nothing follows.
        {10, 0, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        EXPECT_EQ(run("Sorting", c.total, c.items), lines("Sorting", c.shown));
    }
}

TEST(Progress, SetTotalRoundsStepsPerUnit) {
    cProgress progress;
    const std::vector<std::array<uint32_t, 3>> cases = {
        // total, stepsPerUnit, increment
        {0, 0, 1},   {1, 1, 100}, {3, 1, 33},
        {100, 1, 1}, {149, 1, 1}, {150, 2, 1},
        {250, 3, 1}, {249, 2, 1}, {4294967295u, 42949673, 1},
    };
    for (const auto& [total, steps, increment] : cases) {
        progress.setTotal(total);
        EXPECT_EQ(progress.stepsPerUnit, steps) << total;
        EXPECT_EQ(progress.increment, increment) << total;
    }
}

TEST(Progress, TilerLabelsKeepTheirBlanks) {
    EXPECT_EQ(run(" Write squares: ", 1, 1), "\r Write squares: : 0%\r Write squares: : 100%"
                                             "\r Write squares: : Done             \n");
}

} // namespace
} // namespace zel

namespace zel {
namespace {

TEST(Progress, TickManyPrintsWhatSingleTicksPrint) {
    for (uint32_t total : {0u, 3u, 7u, 149u, 150u, 250u, 1000u, 123457u}) {
        for (uint64_t chunk : {1u, 2u, 3u, 99u, 1000u}) {
            std::string single, many;
            {
                platform::ConsoleCapture console;
                cProgress progress;
                progress.start("x", total);
                for (uint32_t i = 0; i < total + 10; ++i)
                    progress.tick();
                single = console.text();
            }
            {
                platform::ConsoleCapture console;
                cProgress progress;
                progress.start("x", total);
                uint64_t left = total + 10;
                while (left > 0) {
                    const uint64_t n = std::min(left, chunk);
                    progress.tickMany(n);
                    left -= n;
                }
                many = console.text();
            }
            EXPECT_EQ(single, many) << total << " " << chunk;
        }
    }
}

} // namespace
} // namespace zel
