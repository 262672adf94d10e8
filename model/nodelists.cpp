#include "model/nodelists.h"

#include <algorithm>

namespace zel {

void NodeLists::append(uint32_t node, uint32_t value) {
    if (node >= first.size()) {
        first.resize(size_t{node} + 1, none);
        last.resize(size_t{node} + 1, none);
    }
    const auto at = static_cast<uint32_t>(links.size());
    links.push_back({value, none});
    if (first[node] == none) {
        first[node] = at;
        ++listCount;
    } else {
        links[last[node]].next = at;
    }
    last[node] = at;
}

size_t NodeLists::countOf(uint32_t node) const {
    size_t count = 0;
    forEach(node, [&](uint32_t) { ++count; });
    return count;
}

std::vector<uint32_t> NodeLists::at(uint32_t node) const {
    std::vector<uint32_t> values;
    forEach(node, [&](uint32_t value) { values.push_back(value); });
    return values;
}

void NodeLists::clear() {
    first.clear();
    last.clear();
    links.clear();
    listCount = 0;
}

bool NodeLists::operator==(const NodeLists& other) const {
    if (listCount != other.listCount)
        return false;
    const uint32_t bound = std::max(nodeBound(), other.nodeBound());
    for (uint32_t node = 0; node < bound; ++node) {
        if (contains(node) != other.contains(node) ||
            (contains(node) && at(node) != other.at(node)))
            return false;
    }
    return true;
}

} // namespace zel
