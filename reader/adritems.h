// The items of the address index: names, addressable objects and the nodes of
// the country → region → city tree, each able to write itself in its packed
// little-endian record form and to read that form back.
//
// Only the classes that need more than a name override `read`, `writeFile` and
// `size`; the stream `write`, `skip`, `readFile` and `readNameInto` stay those
// of `mapStrItem` everywhere and handle the name record alone. The address
// file is written through `writeFile`, which always writes the whole record.
#pragma once

#include "platform/files.h"
#include "writer/bytes.h"

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// A name. Its record is a length byte and that many UTF-16LE units; a name
// longer than the byte can count is cut when written (see nameRecordUnits).
class mapStrItem {
public:
    mapStrItem() = default;
    explicit mapStrItem(std::u16string itemName) : name(std::move(itemName)) {}
    mapStrItem(const mapStrItem&) = default;
    mapStrItem(mapStrItem&&) noexcept = default;
    mapStrItem& operator=(const mapStrItem&) = default;
    mapStrItem& operator=(mapStrItem&&) noexcept = default;
    virtual ~mapStrItem() = default;

    // Reads a name record into `target`, not into this item.
    virtual bool readNameInto(ByteReader& in, std::u16string& target);
    virtual bool read(ByteReader& in);
    virtual bool skip(ByteReader& in);
    // The name record from a file; false when fewer bytes than asked arrive.
    virtual bool readFile(platform::File& file);
    // Both writers return the bytes written; writeFile returns 0 when the file
    // refuses them.
    virtual uint32_t write(Bytes& out) const;
    virtual uint32_t writeFile(platform::File& file) const;
    // The bytes writeFile writes.
    virtual uint32_t size() const;

    std::u16string name;

protected:
    void appendNameRecord(Bytes& out) const;
};

// The number of units a name record keeps of `name`: at most 255, and 254 when
// the 255th and 256th units form a surrogate pair, so that no character is
// split in half.
size_t nameRecordUnits(std::u16string_view name);

class cTreeNodeBase : public mapStrItem {
public:
    using mapStrItem::mapStrItem;

    // File offset of the first child; -1 marks a node that received no
    // children and is left out of the file.
    int32_t childPos = -1;
    uint32_t childCount = 0;
};

// A country, region or city: name record, u32 childCount, u32 childPos.
class mapAdrItem : public cTreeNodeBase {
public:
    mapAdrItem() = default;
    mapAdrItem(std::u16string itemName, int32_t ownIndex)
        : cTreeNodeBase(std::move(itemName)), index(ownIndex), ownerIndex(0) {}

    bool read(ByteReader& in) override;
    uint32_t writeFile(platform::File& file) const override;
    uint32_t size() const override;

    int32_t index = -1;
    // Position of the owner in its parent list; -1 for countries.
    int32_t ownerIndex = -1;

protected:
    void appendAdrItemRecord(Bytes& out) const;
};

// Where a city's objects of one kind start in the object section, and how many.
struct mapKindTable {
    uint32_t pos = 0;
    uint32_t count = 0;
    uint32_t kind = 0;
};

// Where a table lies in a file: u32 pos, u32 count.
class cFilePos {
public:
    cFilePos() = default;
    cFilePos(const cFilePos&) = default;
    cFilePos(cFilePos&&) noexcept = default;
    cFilePos& operator=(const cFilePos&) = default;
    cFilePos& operator=(cFilePos&&) noexcept = default;
    virtual ~cFilePos() = default;

    virtual bool read(ByteReader& in);
    virtual uint32_t write(Bytes& out) const;
    // 8, or 0 when the file refuses the bytes.
    virtual uint32_t writeFile(platform::File& file) const;

    int32_t pos = -1;
    uint32_t count = 0;
};

// A table of fixed-size entries at a file position; remembers the stream it
// was read from so its entries can be fetched later.
class cItemTable : public cFilePos {
public:
    bool read(ByteReader& in) override;

    uint32_t itemSize = 8;
    const ByteReader* source = nullptr;
    uint8_t loaded = 0;
};

// A city: the mapAdrItem record, its kind records (u32 kind, u32 count, u32
// pos each) and the position of table1. table2 stays in memory only.
class cCityInfo : public mapAdrItem {
public:
    cCityInfo() = default;
    cCityInfo(std::u16string itemName, int32_t ownIndex)
        : mapAdrItem(std::move(itemName), ownIndex) {
        childCount = 3;
    }

    // Reads as many kind records as the childCount just read announces; each
    // replaces the record of its kind or joins the list in sorted place.
    bool read(ByteReader& in) override;
    uint32_t writeFile(platform::File& file) const override;
    uint32_t size() const override;

    // Sorted by kind, one record per kind. A city's childCount is the number
    // of these records, as a reader learns it from the city record.
    std::vector<mapKindTable> kindTables{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}};
    cItemTable table1;
    cItemTable table2;

protected:
    void appendCityRecord(Bytes& out) const;
};

// A street or an object with an address: u8 kind, u32 ref, name record, f32 x,
// f32 y.
class mapAdrObject : public mapStrItem {
public:
    using mapStrItem::mapStrItem;

    bool read(ByteReader& in) override;
    uint32_t writeFile(platform::File& file) const override;
    uint32_t size() const override;

    // Only the low 3 bits are written; a read replaces just those.
    uint32_t kind = 0;
    // The city the object belongs to; groups objects, never written.
    uint32_t cityKey = 0;
    uint32_t ref = 0;
    float x = 0.0f;
    float y = 0.0f;

protected:
    void appendObjectRecord(Bytes& out) const;
};

// The record of `kind` in the city's kindTables; a missing one is created
// {0, 0, kind} in sorted place (and counted in the city's childCount).
mapKindTable& findKind(cCityInfo& city, uint32_t kind);

// Operations on one level of the administrative tree, for countries and
// regions (mapAdrItem) and cities (cCityInfo); writeChildren places regions
// under countries and cities under regions. A failed file write ends writeAll
// and writeChildren at once: nothing more is written into a file that has
// failed, the items not yet visited stay in the list untouched, and the offset
// returned counts only the records written before the failure.

template <typename Item>
concept treeItem = std::derived_from<Item, mapAdrItem>;

// The order children are written in: by owner, compared as unsigned so that
// -1 (no owner) sorts last, then by name.
template <treeItem Item>
bool ownerThenName(const std::unique_ptr<Item>& a, const std::unique_ptr<Item>& b) {
    const auto ownerA = static_cast<uint32_t>(a->ownerIndex);
    const auto ownerB = static_cast<uint32_t>(b->ownerIndex);
    if (ownerA != ownerB)
        return ownerA < ownerB;
    return a->name < b->name;
}

// The items that received children (childPos not -1).
template <treeItem Item> uint32_t countUsed(const std::vector<std::unique_ptr<Item>>& items);

// Deletes the items without children and writes the others in list order;
// returns the offset after the last one.
template <treeItem Item>
uint32_t writeAll(std::vector<std::unique_ptr<Item>>& items, platform::File& file, uint32_t offset);

// Writes the children grouped by owner (owner index as unsigned, then name)
// and points each owner at its first child. Children without children of
// their own are deleted; so are the children of an owner index with no
// parent, after " Unknown owner ID %d". Returns the offset after the last
// child written.
template <treeItem Child, treeItem Parent>
uint32_t writeChildren(std::vector<std::unique_ptr<Child>>& children, platform::File& file,
                       uint32_t offset, std::vector<std::unique_ptr<Parent>>& parents);

template <treeItem Item> void destroyAll(std::vector<std::unique_ptr<Item>>& items) {
    items.clear();
}

} // namespace zel
