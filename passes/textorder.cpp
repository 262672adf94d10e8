#include "passes/textorder.h"

#include <algorithm>
#include <cstddef>

namespace zel {
namespace {

constexpr size_t chunkUnits = 4;
// Below this many texts a group is finished by comparing the texts.
constexpr ptrdiff_t smallGroup = 16;

struct Keyed {
    uint64_t key;
    uint32_t index;
};

// The four code units from `depth` as one number, the first unit highest;
// units past the end count as 0, so a text that ends here ties with one that
// goes on with zeros, and the tie is settled by length.
uint64_t chunkAt(std::u16string_view text, size_t depth) {
    uint64_t key = 0;
    for (size_t k = 0; k < chunkUnits; ++k) {
        key <<= 16;
        if (depth + k < text.size())
            key |= text[depth + k];
    }
    return key;
}

struct Group {
    Keyed* first;
    Keyed* last;
    size_t depth; // every text of the group has the same units before this
};

class Sorter {
public:
    explicit Sorter(const std::vector<std::u16string_view>& texts) : texts(texts) {}

    // Groups wait on a list rather than the call stack: texts that share a
    // beginning of megabytes would otherwise nest a call per chunk.
    void sort(Keyed* first, Keyed* last) {
        pending.push_back({first, last, 0});
        while (!pending.empty()) {
            const Group group = pending.back();
            pending.pop_back();
            if (group.last - group.first <= smallGroup)
                compareWhole(group);
            else
                splitByChunk(group);
        }
    }

private:
    void compareWhole(const Group& group) {
        std::sort(group.first, group.last, [&](const Keyed& a, const Keyed& b) {
            return texts[a.index].substr(group.depth) < texts[b.index].substr(group.depth);
        });
    }

    // Orders the group by its next chunk. In a run of equal chunks the texts
    // that end within it come first, shortest first (each is the beginning
    // of the others); the rest go on to the next chunk.
    void splitByChunk(const Group& group) {
        for (Keyed* at = group.first; at != group.last; ++at)
            at->key = chunkAt(texts[at->index], group.depth);
        std::sort(group.first, group.last,
                  [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
        const size_t next = group.depth + chunkUnits;
        for (Keyed* run = group.first; run != group.last;) {
            Keyed* end = run + 1;
            while (end != group.last && end->key == run->key)
                ++end;
            Keyed* goingOn = std::partition(
                run, end, [&](const Keyed& k) { return texts[k.index].size() <= next; });
            std::sort(run, goingOn, [&](const Keyed& a, const Keyed& b) {
                return texts[a.index].size() < texts[b.index].size();
            });
            if (end - goingOn > 1)
                pending.push_back({goingOn, end, next});
            run = end;
        }
    }

    const std::vector<std::u16string_view>& texts;
    std::vector<Group> pending;
};

} // namespace

std::vector<uint32_t> textOrder(const std::vector<std::u16string_view>& texts) {
    std::vector<Keyed> keyed(texts.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        keyed[i] = {0, static_cast<uint32_t>(i)};
    Sorter(texts).sort(keyed.data(), keyed.data() + keyed.size());
    std::vector<uint32_t> order(keyed.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = keyed[i].index;
    return order;
}

std::vector<uint32_t> textRanks(const std::vector<std::u16string_view>& texts) {
    const std::vector<uint32_t> order = textOrder(texts);
    std::vector<uint32_t> rankOf(order.size());
    for (size_t rank = 0; rank < order.size(); ++rank)
        rankOf[order[rank]] = static_cast<uint32_t>(rank);
    return rankOf;
}

} // namespace zel
