#include "model/nodelists.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace zel {
namespace {

// Against a map of vectors, the shape the lists replace: appends to random
// nodes, interleaved, must read back per node in the order appended.
TEST(NodeLists, ListsReadBackAsAMapOfVectorsWouldHoldThem) {
    std::mt19937 random(17);
    for (int round = 0; round < 50; ++round) {
        NodeLists lists;
        std::map<uint32_t, std::vector<uint32_t>> plain;
        const uint32_t nodes = 1 + random() % 40;
        for (uint32_t i = random() % 200; i > 0; --i) {
            const uint32_t node = random() % nodes;
            const uint32_t value = random();
            lists.append(node, value);
            plain[node].push_back(value);
        }
        ASSERT_EQ(lists.size(), plain.size());
        for (uint32_t node = 0; node <= nodes; ++node) {
            const auto it = plain.find(node);
            ASSERT_EQ(lists.contains(node), it != plain.end());
            if (it == plain.end()) {
                EXPECT_TRUE(lists.at(node).empty());
                continue;
            }
            EXPECT_EQ(lists.at(node), it->second);
            EXPECT_EQ(lists.countOf(node), it->second.size());
            EXPECT_EQ(lists.back(node), it->second.back());
        }
    }
}

// Equal lists compare equal whatever order the nodes were filled in; a list
// that differs in one value, or a node more, does not.
TEST(NodeLists, EqualityComparesListsNotLayout) {
    NodeLists a, b;
    a.append(3, 30);
    a.append(1, 10);
    a.append(3, 31);
    b.append(1, 10);
    b.append(3, 30);
    b.append(3, 31);
    EXPECT_TRUE(a == b);
    NodeLists c = b;
    c.append(9, 1);
    EXPECT_FALSE(a == c);
    NodeLists d;
    d.append(1, 10);
    d.append(3, 31);
    d.append(3, 30);
    EXPECT_FALSE(a == d);
    a.clear();
    EXPECT_EQ(a.size(), 0u);
    EXPECT_FALSE(a.contains(1));
    EXPECT_TRUE(a == NodeLists());
}

} // namespace
} // namespace zel
