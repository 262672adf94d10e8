// The items of the address index: names, addressable objects and the nodes of
// the country → region → city tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

class mapStrItem {
public:
    mapStrItem() = default;
    explicit mapStrItem(std::u16string itemName) : name(std::move(itemName)) {}
    virtual ~mapStrItem() = default;

    std::u16string name;
};

class cTreeNodeBase : public mapStrItem {
public:
    using mapStrItem::mapStrItem;

    // File offset of the first child; -1 marks a node that received no
    // children and is left out of the file.
    int32_t childPos = -1;
    uint32_t childCount = 0;
};

class mapAdrItem : public cTreeNodeBase {
public:
    mapAdrItem() = default;
    mapAdrItem(std::u16string itemName, int32_t ownIndex)
        : cTreeNodeBase(std::move(itemName)), index(ownIndex), ownerIndex(0) {}

    int32_t index = -1;
    int32_t ownerIndex = -1;
};

struct mapKindTable {
    uint32_t pos = 0;
    uint32_t count = 0;
    uint32_t kind = 0;
};

class cFilePos {
public:
    virtual ~cFilePos() = default;

    int32_t pos = -1;
    uint32_t count = 0;
};

class cItemTable : public cFilePos {
public:
    uint32_t itemSize = 8;
    uint8_t loaded = 0;
};

class cCityInfo : public mapAdrItem {
public:
    cCityInfo() = default;
    cCityInfo(std::u16string itemName, int32_t ownIndex)
        : mapAdrItem(std::move(itemName), ownIndex) {
        childCount = 3;
    }

    std::vector<mapKindTable> kindTables{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}};
    cItemTable table1;
    cItemTable table2;
};

class mapAdrObject : public mapStrItem {
public:
    uint32_t kind = 0;
    // The city the object belongs to; groups objects, never written.
    uint32_t cityKey = 0;
    uint32_t ref = 0;
    float x = 0.0f;
    float y = 0.0f;
};

} // namespace zel
