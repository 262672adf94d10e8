#include "platform/progress.h"

#include "platform/console.h"

namespace zel {

void cProgress::start(std::string_view newLabel, uint32_t total) {
    label = newLabel;
    setTotal(total);
    restart();
}

void cProgress::setTotal(uint32_t total) {
    increment = 1;
    if (total == 0) {
        stepsPerUnit = 0;
    } else if (total <= 100) {
        stepsPerUnit = 1;
        increment = 100 / total;
    } else {
        // Rounded to the nearest whole number of items per percent.
        stepsPerUnit = total / 100 + (total % 100 >= 50 ? 1 : 0);
    }
}

void cProgress::restart() {
    counter = 0;
    percent = 0;
    printLine();
}

bool cProgress::step() {
    ++counter;
    const int32_t old = percent;
    if (counter >= stepsPerUnit) {
        counter = 0;
        percent += static_cast<int32_t>(increment);
    }
    if (percent > 100)
        percent = 100;
    return percent != old;
}

int32_t cProgress::tick() {
    if (step())
        printLine();
    return percent;
}

void cProgress::tickMany(uint64_t count) {
    // Between two changes of the percentage the steps only count; jump over
    // them. Once at 100 nothing changes any more.
    while (count > 0 && percent < 100) {
        const uint64_t untilChange = counter >= stepsPerUnit ? 1 : stepsPerUnit - counter;
        if (count < untilChange) {
            counter += static_cast<uint32_t>(count);
            return;
        }
        counter += static_cast<uint32_t>(untilChange - 1);
        count -= untilChange;
        tick();
    }
}

void cProgress::finish() const {
    platform::printNarrow("\r" + label + ": Done             \n");
    platform::flushConsole();
}

void cProgress::printLine() const {
    platform::printNarrow("\r" + label + ": " + std::to_string(percent) + "%");
    platform::flushConsole();
}

} // namespace zel
