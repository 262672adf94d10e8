// Writing the levels of the administrative tree (countries, regions, cities)
// into the address file. The lists are the writer's own copies of the model's
// tables: writing prunes them to what the file holds and sets the positions
// of each parent's children.
//
// A failed file write ends writeAll and writeChildren at once: nothing more is
// written into a file that has failed, the items not yet visited stay in the
// list untouched, and the offset returned counts only the records written
// before the failure.
#pragma once

#include "model/adritems.h"
#include "platform/files.h"

#include <concepts>
#include <cstdint>
#include <vector>

namespace zel {

template <typename Item>
concept TreeItem = std::derived_from<Item, mapAdrItem>;

// The order children are written in: by owner, compared as unsigned so that
// -1 (no owner) sorts last, then by name.
template <TreeItem Item> bool ownerThenName(const Item& a, const Item& b) {
    const auto ownerA = static_cast<uint32_t>(a.ownerIndex);
    const auto ownerB = static_cast<uint32_t>(b.ownerIndex);
    if (ownerA != ownerB)
        return ownerA < ownerB;
    return a.name < b.name;
}

// Drops the items without children and writes the others in list order;
// returns the offset after the last one.
template <TreeItem Item>
uint32_t writeAll(std::vector<Item>& items, platform::File& file, uint32_t offset);

// Writes the children grouped by owner (owner index as unsigned, then name)
// and points each owner at its first child. Children without children of
// their own are dropped; so are the children of an owner index with no
// parent, after " Unknown owner ID %d". Returns the offset after the last
// child written.
template <TreeItem Child, TreeItem Parent>
uint32_t writeChildren(std::vector<Child>& children, platform::File& file, uint32_t offset,
                       std::vector<Parent>& parents);

} // namespace zel
