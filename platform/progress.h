// The percentage counter every long pass shows on one console line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// Rewrites "\r<label>: <percent>%" in place each time the percentage moves,
// and closes the line with "Done". It measures no time: a line is printed
// exactly when the percentage changes, so its output is the same on every run.
class cProgress {
public:
    cProgress() = default;

    void start(std::string_view label, uint32_t total);
    void setTotal(uint32_t total);
    void restart();
    bool step();
    int32_t tick();
    // The same as `count` calls of tick(), without walking every item: passes
    // that skip runs of empty items still show the same lines.
    void tickMany(uint64_t count);
    void finish() const;

    int32_t currentPercent() const { return percent; }

    // Items counted since the percentage last moved.
    uint32_t counter = 0;
    // How many items move the percentage once; 0 makes every item move it.
    uint32_t stepsPerUnit = 0;
    // The percentage shown last, 0 to 100.
    int32_t percent = 0;
    // How far the percentage moves each time: more than 1 when there are
    // fewer than 100 items.
    uint32_t increment = 1;
    std::string label = "Processing";

private:
    void printLine() const;
};

} // namespace zel
