#include "reader/adritems.h"

#include "platform/console.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

namespace zel {

namespace {

constexpr size_t maxNameUnits = 255;
constexpr uint32_t adrItemFixedBytes = 8;    // childCount, childPos
constexpr uint32_t kindRecordBytes = 12;     // kind, count, pos
constexpr uint32_t filePosBytes = 8;         // pos, count
constexpr uint32_t adrObjectFixedBytes = 13; // kind byte, ref, x, y
constexpr uint32_t kindBits = 7;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

uint32_t nameRecordBytes(std::u16string_view name) {
    return static_cast<uint32_t>(2 * nameRecordUnits(name) + 1);
}

void putFloatBits(Bytes& out, float value) {
    putU32(out, std::bit_cast<uint32_t>(value));
}

// One block write per record; a refused write reports no bytes at all.
uint32_t writeRecord(platform::File& file, const Bytes& record) {
    if (!file.write(record.data(), record.size()))
        return 0;
    return static_cast<uint32_t>(record.size());
}

void decodeUnits(const uint8_t* bytes, size_t units, std::u16string& target) {
    target.resize(units);
    for (size_t i = 0; i < units; ++i)
        target[i] = static_cast<char16_t>(getU16(bytes + 2 * i));
}

} // namespace

size_t nameRecordUnits(std::u16string_view name) {
    if (name.size() <= maxNameUnits)
        return name.size();
    const bool cutsPair =
        isHighSurrogate(name[maxNameUnits - 1]) && isLowSurrogate(name[maxNameUnits]);
    return cutsPair ? maxNameUnits - 1 : maxNameUnits;
}

// --- mapStrItem ---------------------------------------------------------------

bool mapStrItem::readNameInto(ByteReader& in, std::u16string& target) {
    const uint8_t units = in.readU8();
    if (in.failed())
        return false;
    target.clear();
    for (uint8_t i = 0; i < units && in.ok(); ++i)
        target.push_back(static_cast<char16_t>(in.readU16()));
    return in.ok();
}

bool mapStrItem::read(ByteReader& in) {
    return readNameInto(in, name);
}

bool mapStrItem::skip(ByteReader& in) {
    const uint8_t units = in.readU8();
    return in.skip(2 * size_t{units});
}

bool mapStrItem::readFile(platform::File& file) {
    uint8_t units = 0;
    if (file.read(&units, 1) != 1)
        return false;
    std::array<uint8_t, 2 * maxNameUnits> bytes{};
    const size_t length = 2 * size_t{units};
    if (file.read(bytes.data(), length) != length)
        return false;
    decodeUnits(bytes.data(), units, name);
    return true;
}

uint32_t mapStrItem::write(Bytes& out) const {
    const size_t before = out.size();
    appendNameRecord(out);
    return static_cast<uint32_t>(out.size() - before);
}

uint32_t mapStrItem::writeFile(platform::File& file) const {
    Bytes record;
    appendNameRecord(record);
    return writeRecord(file, record);
}

uint32_t mapStrItem::size() const {
    return nameRecordBytes(name);
}

void mapStrItem::appendNameRecord(Bytes& out) const {
    const size_t units = nameRecordUnits(name);
    putU8(out, static_cast<uint8_t>(units));
    for (size_t i = 0; i < units; ++i)
        putU16(out, name[i]);
}

// --- mapAdrItem ---------------------------------------------------------------

bool mapAdrItem::read(ByteReader& in) {
    if (!mapStrItem::read(in))
        return false;
    childCount = in.readU32();
    childPos = in.readI32();
    return in.ok();
}

uint32_t mapAdrItem::writeFile(platform::File& file) const {
    Bytes record;
    appendAdrItemRecord(record);
    return writeRecord(file, record);
}

uint32_t mapAdrItem::size() const {
    return nameRecordBytes(name) + adrItemFixedBytes;
}

void mapAdrItem::appendAdrItemRecord(Bytes& out) const {
    appendNameRecord(out);
    putU32(out, childCount);
    putI32(out, childPos);
}

// --- cFilePos, cItemTable -------------------------------------------------------

bool cFilePos::read(ByteReader& in) {
    pos = in.readI32();
    count = in.readU32();
    return in.ok();
}

uint32_t cFilePos::write(Bytes& out) const {
    putI32(out, pos);
    putU32(out, count);
    return filePosBytes;
}

uint32_t cFilePos::writeFile(platform::File& file) const {
    Bytes record;
    cFilePos::write(record);
    return writeRecord(file, record);
}

bool cItemTable::read(ByteReader& in) {
    if (!cFilePos::read(in))
        return false;
    source = &in;
    loaded = 1;
    return true;
}

// --- cCityInfo ------------------------------------------------------------------

namespace {

bool kindBelow(const mapKindTable& table, uint32_t kind) {
    return table.kind < kind;
}

// Keeps `tables` sorted and unique by kind: a record of a known kind replaces
// the old one.
void placeKind(std::vector<mapKindTable>& tables, const mapKindTable& record) {
    auto at = std::lower_bound(tables.begin(), tables.end(), record.kind, kindBelow);
    if (at != tables.end() && at->kind == record.kind)
        *at = record;
    else
        tables.insert(at, record);
}

} // namespace

bool cCityInfo::read(ByteReader& in) {
    if (!mapAdrItem::read(in))
        return false;
    // Each record takes 12 bytes of input, so a huge count ends with the input.
    for (uint32_t i = 0; i < childCount; ++i) {
        mapKindTable record;
        record.kind = in.readU32();
        record.count = in.readU32();
        record.pos = in.readU32();
        if (in.failed())
            return false;
        placeKind(kindTables, record);
    }
    return table1.read(in);
}

uint32_t cCityInfo::writeFile(platform::File& file) const {
    Bytes record;
    appendCityRecord(record);
    return writeRecord(file, record);
}

uint32_t cCityInfo::size() const {
    const auto kindBytes = static_cast<uint32_t>(kindRecordBytes * kindTables.size());
    return mapAdrItem::size() + kindBytes + filePosBytes;
}

void cCityInfo::appendCityRecord(Bytes& out) const {
    appendAdrItemRecord(out);
    for (const mapKindTable& table : kindTables) {
        putU32(out, table.kind);
        putU32(out, table.count);
        putU32(out, table.pos);
    }
    table1.write(out);
}

mapKindTable& findKind(cCityInfo& city, uint32_t kind) {
    std::vector<mapKindTable>& tables = city.kindTables;
    auto at = std::lower_bound(tables.begin(), tables.end(), kind, kindBelow);
    if (at != tables.end() && at->kind == kind)
        return *at;
    // The city record announces its kind records by childCount; a record
    // added unannounced would make a reader take it for the next field.
    ++city.childCount;
    return *tables.insert(at, mapKindTable{0, 0, kind});
}

// --- mapAdrObject ---------------------------------------------------------------

bool mapAdrObject::read(ByteReader& in) {
    const uint8_t kindByte = in.readU8();
    if (in.failed())
        return false;
    kind = (kind & ~kindBits) | (kindByte & kindBits);
    ref = in.readU32();
    if (!readNameInto(in, name))
        return false;
    x = in.readF32();
    y = in.readF32();
    return in.ok();
}

uint32_t mapAdrObject::writeFile(platform::File& file) const {
    Bytes record;
    appendObjectRecord(record);
    return writeRecord(file, record);
}

uint32_t mapAdrObject::size() const {
    return nameRecordBytes(name) + adrObjectFixedBytes;
}

void mapAdrObject::appendObjectRecord(Bytes& out) const {
    putU8(out, static_cast<uint8_t>(kind & kindBits));
    putU32(out, ref);
    appendNameRecord(out);
    putFloatBits(out, x);
    putFloatBits(out, y);
}

// --- tree operations ------------------------------------------------------------

namespace {

template <treeItem Item> bool isUsed(const std::unique_ptr<Item>& item) {
    return item->childPos != -1;
}

// Moves items[from, end) to the end of `kept`, as they are.
template <treeItem Item>
void keepRest(std::vector<std::unique_ptr<Item>>& items, size_t from,
              std::vector<std::unique_ptr<Item>>& kept) {
    for (size_t i = from; i < items.size(); ++i)
        kept.push_back(std::move(items[i]));
}

// The first position after `from` whose item has another owner.
template <treeItem Item>
size_t endOfOwner(const std::vector<std::unique_ptr<Item>>& items, size_t from) {
    size_t end = from + 1;
    while (end < items.size() && items[end]->ownerIndex == items[from]->ownerIndex)
        ++end;
    return end;
}

void reportUnknownOwner(int32_t owner) {
    platform::printNarrow(" Unknown owner ID " + std::to_string(owner));
}

// The parent at `ownerIndex`, made to expect its first child at `offset`;
// nullptr when no parent has that position.
template <treeItem Parent>
Parent* openOwner(std::vector<std::unique_ptr<Parent>>& parents, int32_t ownerIndex,
                  uint32_t offset) {
    const auto position = static_cast<uint32_t>(ownerIndex);
    if (position >= parents.size())
        return nullptr;
    Parent& owner = *parents[position];
    owner.childPos = static_cast<int32_t>(offset);
    owner.childCount = 0;
    return &owner;
}

} // namespace

template <treeItem Item> uint32_t countUsed(const std::vector<std::unique_ptr<Item>>& items) {
    return static_cast<uint32_t>(std::count_if(items.begin(), items.end(), isUsed<Item>));
}

// Survivors are gathered into a new list rather than erased one by one, so
// pruning a long list stays linear.
template <treeItem Item>
uint32_t writeAll(std::vector<std::unique_ptr<Item>>& items, platform::File& file,
                  uint32_t offset) {
    std::vector<std::unique_ptr<Item>> kept;
    kept.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (!isUsed(items[i]))
            continue;
        const uint32_t written = items[i]->writeFile(file);
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
template <treeItem Child, treeItem Parent>
uint32_t writeChildren(std::vector<std::unique_ptr<Child>>& children, platform::File& file,
                       uint32_t offset, std::vector<std::unique_ptr<Parent>>& parents) {
    std::stable_sort(children.begin(), children.end(), ownerThenName<Child>);
    std::vector<std::unique_ptr<Child>> kept;
    kept.reserve(children.size());
    Parent* owner = nullptr;
    int32_t groupOwner = 0;
    size_t i = 0;
    while (i < children.size()) {
        if (!isUsed(children[i])) {
            ++i;
            continue;
        }
        const int32_t ownerIndex = children[i]->ownerIndex;
        if (owner == nullptr || ownerIndex != groupOwner) {
            groupOwner = ownerIndex;
            owner = openOwner(parents, ownerIndex, offset);
            if (owner == nullptr) {
                reportUnknownOwner(ownerIndex);
                i = endOfOwner(children, i);
                continue;
            }
        }
        const uint32_t written = children[i]->writeFile(file);
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

template uint32_t countUsed(const std::vector<std::unique_ptr<mapAdrItem>>&);
template uint32_t countUsed(const std::vector<std::unique_ptr<cCityInfo>>&);
template uint32_t writeAll(std::vector<std::unique_ptr<mapAdrItem>>&, platform::File&, uint32_t);
template uint32_t writeAll(std::vector<std::unique_ptr<cCityInfo>>&, platform::File&, uint32_t);
template uint32_t writeChildren(std::vector<std::unique_ptr<mapAdrItem>>&, platform::File&,
                                uint32_t, std::vector<std::unique_ptr<mapAdrItem>>&);
template uint32_t writeChildren(std::vector<std::unique_ptr<cCityInfo>>&, platform::File&, uint32_t,
                                std::vector<std::unique_ptr<mapAdrItem>>&);

} // namespace zel
