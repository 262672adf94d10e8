// Putting a list of large records into an order found by sorting small keys:
// each record is moved into its place, following the permutation's cycles,
// instead of being moved around by the sort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zel {

namespace detail {
inline void prefetchBytes(const void* address, size_t size) {
#if defined(__GNUC__)
    const char* bytes = static_cast<const char*>(address);
    for (size_t offset = 0; offset < size; offset += 64)
        __builtin_prefetch(bytes + offset);
#else
    (void)address;
    (void)size;
#endif
}
} // namespace detail

// Place i receives the record at `from[i]`, a permutation of the places.
// A cycle visits its records in an order only `from` knows, so each step
// would wait for memory; the records a few steps ahead are fetched early.
template <typename Record>
void reorder(std::vector<Record>& records, const std::vector<uint32_t>& from) {
    constexpr int stepsAhead = 8;
    std::vector<uint8_t> done(records.size(), 0);
    for (size_t start = 0; start < records.size(); ++start) {
        if (done[start] || from[start] == start)
            continue;
        size_t ahead = from[start];
        for (int k = 0; k < stepsAhead && ahead != start; ++k, ahead = from[ahead])
            detail::prefetchBytes(&records[ahead], sizeof(Record));
        Record held = std::move(records[start]);
        size_t place = start;
        while (from[place] != start) {
            const size_t source = from[place];
            if (ahead != start) {
                detail::prefetchBytes(&records[ahead], sizeof(Record));
                ahead = from[ahead];
            }
            records[place] = std::move(records[source]);
            done[place] = 1;
            place = source;
        }
        records[place] = std::move(held);
        done[place] = 1;
    }
}

} // namespace zel
