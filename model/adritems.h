// The items of the address index as the model holds them: names, addressable
// objects and the nodes of the country → region → city tree. They are plain
// values; their record forms in the address file belong to the writer
// (writer/adrrecords.h).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zel {

// The kind of an address object: the low two bits are its class, bit 2 marks
// a city point among the points.
enum : uint32_t {
    kindPoint = 1,
    kindStreet = 2,
    kindHouse = 3,
    kindCityFlag = 4,
    kindCityPoint = kindPoint | kindCityFlag,
    kindClassMask = 3,
};

// A name: a street name, or the name part of the items below.
struct mapStrItem {
    mapStrItem() = default;
    explicit mapStrItem(std::u16string itemName) : name(std::move(itemName)) {}

    std::u16string name;
};

// A node of the administrative tree. Its children are stored one after the
// other in the address file, from `childPos`.
struct cTreeNodeBase : mapStrItem {
    using mapStrItem::mapStrItem;

    // File offset of the first child; -1 marks a node that received no
    // children and is left out of the file.
    int32_t childPos = -1;
    uint32_t childCount = 0;
};

// A country, region or city.
struct mapAdrItem : cTreeNodeBase {
    mapAdrItem() = default;
    mapAdrItem(std::u16string itemName, int32_t ownIndex)
        : cTreeNodeBase(std::move(itemName)), index(ownIndex), ownerIndex(0) {}

    int32_t index = -1;
    // Position of the owner in its parent list; -1 for countries.
    int32_t ownerIndex = -1;
};

// Where a city's objects of one kind start in the object section, and how many.
struct KindTable {
    uint32_t pos = 0;
    uint32_t count = 0;
    uint32_t kind = 0;
};

// Where a table lies in a file.
struct cFilePos {
    int32_t pos = -1;
    uint32_t count = 0;
};

// A table of fixed-size entries at a file position.
struct cItemTable : cFilePos {
    uint32_t itemSize = 8;
};

// A city, with where its objects of each kind and its house tables lie.
struct cCityInfo : mapAdrItem {
    cCityInfo() = default;
    cCityInfo(std::u16string itemName, int32_t ownIndex)
        : mapAdrItem(std::move(itemName), ownIndex) {
        childCount = 3;
    }

    // Sorted by kind, one record per kind. A city's childCount is the number
    // of these records, as a reader learns it from the city record.
    std::vector<KindTable> kindTables{{0, 0, kindPoint}, {0, 0, kindStreet}, {0, 0, kindHouse}};
    // The houses of each street; table2 their words.
    cItemTable table1;
    cItemTable table2;
};

// A street or an object with an address, at a position.
struct mapAdrObject : mapStrItem {
    using mapStrItem::mapStrItem;

    // Only the low 3 bits are stored in the file.
    uint32_t kind = 0;
    // The city the object belongs to; groups objects, never written.
    uint32_t cityKey = 0;
    // The street, as a position in the map's street names.
    uint32_t ref = 0;
    float x = 0.0f;
    float y = 0.0f;
};

inline uint32_t kindClass(const mapAdrObject& object) {
    return object.kind & kindClassMask;
}

// The record of `kind` in the city's kindTables; a missing one is created
// {0, 0, kind} in sorted place (and counted in the city's childCount).
KindTable& findKind(cCityInfo& city, uint32_t kind);

} // namespace zel
