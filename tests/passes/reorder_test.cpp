#include "passes/reorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace zel {
namespace {

// Every place gets the record its source names, for permutations made of
// one long cycle, many short ones and fixed places, on records that own
// memory (a move must not lose or share it).
TEST(Reorder, EachPlaceGetsTheRecordItsSourceNames) {
    std::mt19937 random(3);
    for (const size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{9}, size_t{5000}}) {
        std::vector<std::vector<uint32_t>> permutations(3, std::vector<uint32_t>(count));
        std::iota(permutations[0].begin(), permutations[0].end(), 0u);
        std::shuffle(permutations[0].begin(), permutations[0].end(), random);
        std::iota(permutations[1].begin(), permutations[1].end(), 0u);
        for (size_t i = 0; i + 1 < count; i += 3)
            std::swap(permutations[1][i], permutations[1][i + 1]);
        for (size_t i = 0; i < count; ++i)
            permutations[2][i] = static_cast<uint32_t>((i + 1) % count);
        for (const std::vector<uint32_t>& from : permutations) {
            std::vector<std::string> records(count);
            for (size_t i = 0; i < count; ++i)
                records[i] = "record number " + std::to_string(i) + " with a heap block";
            const std::vector<std::string> before = records;
            reorder(records, from);
            for (size_t place = 0; place < count; ++place)
                ASSERT_EQ(records[place], before[from[place]]) << count << " records";
        }
    }
}

} // namespace
} // namespace zel
