// The open list of a shortest-path search. Costs of arcs are never negative,
// so a search never opens a node cheaper than the one it took last; a radix
// heap uses that. Entries sit in buckets by the highest bit in which their
// cost differs from the last cost taken: putting one in is a few
// instructions, and an entry moves only towards bucket 0, at most 32 times,
// instead of sifting through a binary heap at every step.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

class RadixHeap {
public:
    bool empty() const { return count == 0; }

    // Empties the heap; its buckets keep their memory for the next search.
    void clear() {
        for (std::vector<uint64_t>& bucket : buckets)
            bucket.clear();
        last = 0;
        count = 0;
    }

    // `cost` must not be below the cost of the last entry taken.
    void push(uint32_t cost, uint32_t node) {
        buckets[bucketOf(cost)].push_back(uint64_t{cost} << 32 | node);
        ++count;
    }

    // Takes an entry of the lowest cost: (cost << 32 | node). Of several
    // entries of one cost any may come first.
    uint64_t pop() {
        if (buckets[0].empty())
            refill();
        const uint64_t entry = buckets[0].back();
        buckets[0].pop_back();
        --count;
        return entry;
    }

private:
    size_t bucketOf(uint32_t cost) const {
        return static_cast<size_t>(std::bit_width(cost ^ last));
    }

    // Moves the lowest non-empty bucket down: its cheapest entry becomes the
    // last cost, and every entry of that bucket now differs from it in a lower
    // bit, or not at all.
    void refill() {
        size_t lowest = 1;
        while (buckets[lowest].empty())
            ++lowest;
        std::vector<uint64_t>& from = buckets[lowest];
        uint64_t cheapest = from.front();
        for (const uint64_t entry : from)
            cheapest = entry < cheapest ? entry : cheapest;
        last = static_cast<uint32_t>(cheapest >> 32);
        for (const uint64_t entry : from)
            buckets[bucketOf(static_cast<uint32_t>(entry >> 32))].push_back(entry);
        from.clear();
    }

    std::array<std::vector<uint64_t>, 33> buckets;
    uint32_t last = 0;
    size_t count = 0;
};

} // namespace zel
