#include "platform/orderedconsole.h"

namespace zel::platform {

OrderedConsole::OrderedConsole(size_t count) : downstream(currentSink()), slots(count) {}

OrderedConsole::Entry::Entry(OrderedConsole& console, size_t entry)
    : console(console), entry(entry), redirect(*this) {}

OrderedConsole::Entry::~Entry() {
    {
        std::lock_guard lock(console.mutex);
        console.slots[entry].complete = true;
    }
    console.completed.notify_all();
}

void OrderedConsole::Entry::write(std::string_view text) {
    std::lock_guard lock(console.mutex);
    Slot& slot = console.slots[entry];
    if (slot.live)
        printTo(console.downstream, text);
    else
        slot.pending.append(text);
}

void OrderedConsole::Entry::flush() {
    std::lock_guard lock(console.mutex);
    if (console.slots[entry].live)
        flushTo(console.downstream);
}

void OrderedConsole::printAll() {
    for (Slot& slot : slots) {
        std::unique_lock lock(mutex);
        printTo(downstream, slot.pending);
        flushTo(downstream);
        std::string().swap(slot.pending);
        slot.live = true;
        completed.wait(lock, [&slot] { return slot.complete; });
    }
}

void OrderedConsole::waitFor(size_t entry) {
    std::unique_lock lock(mutex);
    completed.wait(lock, [this, entry] { return slots[entry].complete; });
}

} // namespace zel::platform
