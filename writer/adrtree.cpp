#include "writer/adrtree.h"

#include "platform/console.h"
#include "writer/adrrecords.h"

#include <algorithm>
#include <string>

namespace zel {
namespace {

template <TreeItem Item> bool isUsed(const Item& item) {
    return item.childPos != -1;
}

// One block write per record; a refused write reports no bytes at all.
template <TreeItem Item> uint32_t writeRecord(platform::File& file, const Item& item) {
    Bytes record;
    putRecord(record, item);
    if (!file.write(record.data(), record.size()))
        return 0;
    return static_cast<uint32_t>(record.size());
}

// Moves items[from, end) to the end of `kept`, as they are.
template <TreeItem Item>
void keepRest(std::vector<Item>& items, size_t from, std::vector<Item>& kept) {
    for (size_t i = from; i < items.size(); ++i)
        kept.push_back(std::move(items[i]));
}

// The first position after `from` whose item has another owner.
template <TreeItem Item> size_t endOfOwner(const std::vector<Item>& items, size_t from) {
    size_t end = from + 1;
    while (end < items.size() && items[end].ownerIndex == items[from].ownerIndex)
        ++end;
    return end;
}

void reportUnknownOwner(int32_t owner) {
    platform::printNarrow(" Unknown owner ID " + std::to_string(owner));
}

// The parent at `ownerIndex`, made to expect its first child at `offset`;
// nullptr when no parent has that position.
template <TreeItem Parent>
Parent* openOwner(std::vector<Parent>& parents, int32_t ownerIndex, uint32_t offset) {
    const auto position = static_cast<uint32_t>(ownerIndex);
    if (position >= parents.size())
        return nullptr;
    Parent& owner = parents[position];
    owner.childPos = static_cast<int32_t>(offset);
    owner.childCount = 0;
    return &owner;
}

} // namespace

// Survivors are gathered into a new list rather than erased one by one, so
// pruning a long list stays linear.
template <TreeItem Item>
uint32_t writeAll(std::vector<Item>& items, platform::File& file, uint32_t offset) {
    std::vector<Item> kept;
    kept.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (!isUsed(items[i]))
            continue;
        const uint32_t written = writeRecord(file, items[i]);
        if (written == 0) {
            keepRest(items, i, kept);
            break;
        }
        offset += written;
        kept.push_back(std::move(items[i]));
    }
    items = std::move(kept);
    return offset;
}

// A child left unused is dropped without opening its owner's group, so the
// owner is opened by the first child actually written. After an unknown
// owner `owner` is null, and the next child opens its group whatever it is.
template <TreeItem Child, TreeItem Parent>
uint32_t writeChildren(std::vector<Child>& children, platform::File& file, uint32_t offset,
                       std::vector<Parent>& parents) {
    std::stable_sort(children.begin(), children.end(), ownerThenName<Child>);
    std::vector<Child> kept;
    kept.reserve(children.size());
    Parent* owner = nullptr;
    int32_t groupOwner = 0;
    size_t i = 0;
    while (i < children.size()) {
        if (!isUsed(children[i])) {
            ++i;
            continue;
        }
        const int32_t ownerIndex = children[i].ownerIndex;
        if (owner == nullptr || ownerIndex != groupOwner) {
            groupOwner = ownerIndex;
            owner = openOwner(parents, ownerIndex, offset);
            if (owner == nullptr) {
                reportUnknownOwner(ownerIndex);
                i = endOfOwner(children, i);
                continue;
            }
        }
        const uint32_t written = writeRecord(file, children[i]);
        if (written == 0) {
            keepRest(children, i, kept);
            break;
        }
        offset += written;
        ++owner->childCount;
        kept.push_back(std::move(children[i]));
        ++i;
    }
    children = std::move(kept);
    return offset;
}

template uint32_t writeAll(std::vector<mapAdrItem>&, platform::File&, uint32_t);
template uint32_t writeChildren(std::vector<mapAdrItem>&, platform::File&, uint32_t,
                                std::vector<mapAdrItem>&);
template uint32_t writeChildren(std::vector<cCityInfo>&, platform::File&, uint32_t,
                                std::vector<mapAdrItem>&);

} // namespace zel
