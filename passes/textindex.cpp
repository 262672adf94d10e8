#include "passes/textindex.h"

namespace zel {

uint64_t TextIndex::hashOf(std::u16string_view text) {
    // FNV-1a over the code units, then mixed so that the low bits, which
    // pick the slot, depend on every unit.
    uint64_t hash = 0xcbf29ce484222325u;
    for (char16_t unit : text) {
        hash ^= unit;
        hash *= 0x100000001b3u;
    }
    hash ^= hash >> 32;
    hash *= 0xd6e8feb86659fd93u;
    return hash ^ (hash >> 32);
}

// The slot holding `text`, or the empty slot where it would go.
size_t TextIndex::slotOf(std::u16string_view text, uint64_t hash) const {
    const size_t mask = slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots[at];
        if (slot.number == none || (slot.hash == hash && distinct[slot.number] == text))
            return at;
    }
}

uint32_t TextIndex::add(std::u16string_view text) {
    const uint64_t hash = hashOf(text);
    Slot& slot = slots[slotOf(text, hash)];
    if (slot.number != none)
        return slot.number;
    slot = {hash, static_cast<uint32_t>(distinct.size())};
    distinct.push_back(text);
    // At most half full, so that the probes stay short.
    if (2 * distinct.size() > slots.size())
        grow();
    return static_cast<uint32_t>(distinct.size() - 1);
}

uint32_t TextIndex::find(std::u16string_view text) const {
    return slots[slotOf(text, hashOf(text))].number;
}

void TextIndex::grow() {
    std::vector<Slot> old = std::move(slots);
    slots.assign(old.size() * 2, Slot{});
    const size_t mask = slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.number == none)
            continue;
        size_t at = slot.hash & mask;
        while (slots[at].number != none)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
}

} // namespace zel
