#include "driver/sidebyside.h"

#include "platform/orderedconsole.h"

#include <atomic>
#include <thread>
#include <vector>

namespace zel {

void runSideBySide(size_t count, size_t threads, std::span<const size_t> predecessor,
                   const std::function<void(size_t)>& work) {
    platform::OrderedConsole console(count);
    std::atomic<size_t> next = 0;
    auto worker = [&] {
        // Items are taken in order, so an item's predecessor has already been
        // taken by a thread that is not waiting for anything later: no cycle.
        for (size_t i = next++; i < count; i = next++) {
            if (predecessor[i] != noPredecessor)
                console.waitFor(predecessor[i]);
            platform::OrderedConsole::Entry entry(console, i);
            work(i);
        }
    };
    std::vector<std::jthread> pool;
    for (size_t t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    console.printAll();
}

} // namespace zel
