#include "writer/adrrecords.h"

#include <bit>

namespace zel {
namespace {

constexpr size_t maxNameUnits = 255;
constexpr uint32_t adrItemFixedBytes = 8;    // childCount, childPos
constexpr uint32_t kindRecordBytes = 12;     // kind, count, pos
constexpr uint32_t filePosBytes = 8;         // pos, count
constexpr uint32_t adrObjectFixedBytes = 13; // kind byte, ref, x, y
constexpr uint32_t storedKindBits = 7;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

uint32_t nameRecordBytes(std::u16string_view name) {
    return static_cast<uint32_t>(2 * nameRecordUnits(name) + 1);
}

void putNameRecord(Bytes& out, std::u16string_view name) {
    const size_t units = nameRecordUnits(name);
    putU8(out, static_cast<uint8_t>(units));
    for (size_t i = 0; i < units; ++i)
        putU16(out, name[i]);
}

} // namespace

size_t nameRecordUnits(std::u16string_view name) {
    if (name.size() <= maxNameUnits)
        return name.size();
    const bool cutsPair =
        isHighSurrogate(name[maxNameUnits - 1]) && isLowSurrogate(name[maxNameUnits]);
    return cutsPair ? maxNameUnits - 1 : maxNameUnits;
}

void putRecord(Bytes& out, const mapStrItem& name) {
    putNameRecord(out, name.name);
}

void putRecord(Bytes& out, const mapAdrItem& item) {
    putNameRecord(out, item.name);
    putU32(out, item.childCount);
    putI32(out, item.childPos);
}

void putRecord(Bytes& out, const cCityInfo& city) {
    putRecord(out, static_cast<const mapAdrItem&>(city));
    for (const KindTable& table : city.kindTables) {
        putU32(out, table.kind);
        putU32(out, table.count);
        putU32(out, table.pos);
    }
    putRecord(out, static_cast<const cFilePos&>(city.table1));
}

void putRecord(Bytes& out, const mapAdrObject& object) {
    putU8(out, static_cast<uint8_t>(object.kind & storedKindBits));
    putU32(out, object.ref);
    putNameRecord(out, object.name);
    putU32(out, std::bit_cast<uint32_t>(object.x));
    putU32(out, std::bit_cast<uint32_t>(object.y));
}

void putRecord(Bytes& out, const cFilePos& pos) {
    putI32(out, pos.pos);
    putU32(out, pos.count);
}

uint32_t recordSize(const mapStrItem& name) {
    return nameRecordBytes(name.name);
}

uint32_t recordSize(const mapAdrItem& item) {
    return nameRecordBytes(item.name) + adrItemFixedBytes;
}

uint32_t recordSize(const cCityInfo& city) {
    const auto kindBytes = static_cast<uint32_t>(kindRecordBytes * city.kindTables.size());
    return recordSize(static_cast<const mapAdrItem&>(city)) + kindBytes + filePosBytes;
}

uint32_t recordSize(const mapAdrObject& object) {
    return nameRecordBytes(object.name) + adrObjectFixedBytes;
}

} // namespace zel
