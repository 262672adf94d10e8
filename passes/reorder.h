// Putting a list of large records into an order found by sorting small keys:
// each record is moved into its place, following the permutation's cycles,
// instead of being moved around by the sort.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zel {

// Place i receives the record at `from(i)`, a permutation of the places.
template <typename Record, typename From> void reorder(std::vector<Record>& records, From from) {
    std::vector<uint8_t> done(records.size(), 0);
    for (size_t start = 0; start < records.size(); ++start) {
        if (done[start] || from(start) == start)
            continue;
        Record held = std::move(records[start]);
        size_t place = start;
        while (from(place) != start) {
            const size_t source = from(place);
            records[place] = std::move(records[source]);
            done[place] = 1;
            place = source;
        }
        records[place] = std::move(held);
        done[place] = 1;
    }
}

} // namespace zel
