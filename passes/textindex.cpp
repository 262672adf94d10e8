#include "passes/textindex.h"

#include <bit>
#include <cstring>

namespace zel {

uint32_t TextIndex::hashOf(std::u16string_view text) {
    // Four code units at a time, then mixed so that the low bits, which pick
    // the slot, depend on every unit. Only the slots depend on it: numbers
    // follow the order in which texts are first seen.
    constexpr uint64_t multiplier = 0x9E3779B97F4A7C15u;
    uint64_t hash = text.size() * multiplier;
    const char16_t* units = text.data();
    size_t left = text.size();
    for (; left >= 4; left -= 4, units += 4) {
        uint64_t word = 0;
        std::memcpy(&word, units, sizeof word);
        hash = std::rotl((hash ^ word) * multiplier, 29);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, units, left * sizeof(char16_t));
    hash = (hash ^ tail) * multiplier;
    hash ^= hash >> 32;
    hash *= 0xd6e8feb86659fd93u;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// The slot holding `text`, or the empty slot where it would go.
size_t TextIndex::slotOf(std::u16string_view text, uint32_t hash) const {
    const size_t mask = slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots[at];
        if (slot.number == none || (slot.hash == hash && distinct[slot.number] == text))
            return at;
    }
}

uint32_t TextIndex::add(std::u16string_view text) {
    const uint32_t hash = hashOf(text);
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
