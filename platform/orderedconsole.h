// The console of work done side by side that must read as if done in turn:
// every entry's lines appear together and in the entries' order.
#pragma once

#include "platform/console.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zel::platform {

class OrderedConsole {
public:
    // `count` entries, printed to where the constructing thread's output goes.
    explicit OrderedConsole(size_t count);
    OrderedConsole(const OrderedConsole&) = delete;
    OrderedConsole& operator=(const OrderedConsole&) = delete;

    // While alive, the calling thread's output belongs to `entry`; when it
    // ends, the entry is complete.
    class Entry : private ConsoleSink {
    public:
        Entry(OrderedConsole& console, size_t entry);
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        ~Entry();

    private:
        void write(std::string_view text) override;
        void flush() override;

        OrderedConsole& console;
        size_t entry;
        ConsoleRedirect redirect;
    };

    // Prints every entry in order: what it holds, then, while it is still
    // being worked on, its lines as they come. Returns when all are printed.
    void printAll();
    // Blocks until `entry` is complete.
    void waitFor(size_t entry);

private:
    struct Slot {
        std::string pending;
        // Its turn has come: its output goes straight through.
        bool live = false;
        bool complete = false;
    };

    ConsoleSink* downstream;
    std::mutex mutex;
    std::condition_variable completed;
    std::vector<Slot> slots;
};

} // namespace zel::platform
